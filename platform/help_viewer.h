// Shows the program's help document: the platform's help viewer on its default topic.
#pragma once

#include <string>

namespace velt::platform {

class HelpViewer {
 public:
  virtual ~HelpViewer() = default;
  // Opens `helpFile` (the installation folder + "/Velt.chm"). Where no viewer for that format
  // exists, the HTML copy beside it ("Velt.html") is opened instead. False when neither could
  // be opened.
  virtual bool ShowHelp(const std::string& helpFile) = 0;
  // What the last successful ShowHelp opened: the help file or its HTML copy.
  virtual std::string Opened() const { return {}; }
};

// The HTML copy that stands beside a help file: same folder and name, extension ".html".
std::string HtmlCopyOf(const std::string& helpFile);

}  // namespace velt::platform
