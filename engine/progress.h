// How the engine reports to a progress panel. Called on the thread that runs the operation;
// carrying the values over to a window is the sink's business.
#pragma once

#include <cstdint>
#include <string>

namespace velt::engine {

class ProgressSink {
 public:
  virtual ~ProgressSink() = default;
  virtual void ShowStatus(const std::string& text) = 0;
  virtual void ShowFileName(const std::string& name) = 0;
  // Bar and percentage label to n.
  virtual void ShowPercent(int n) = 0;
  // The bar of a stage that reports no percentage text of its own (the overwrite running the
  // bar down). The desktop shows the same figure in its label, so label and bar agree.
  virtual void ShowBar(int n) = 0;
};

class NullProgressSink final : public ProgressSink {
 public:
  void ShowStatus(const std::string&) override {}
  void ShowFileName(const std::string&) override {}
  void ShowPercent(int) override {}
  void ShowBar(int) override {}
};

// 100 / total * done, rounded to the nearest whole number with halves to even; 0 when the
// total is 0.
int PercentOf(uint64_t done, uint64_t total);

}  // namespace velt::engine
