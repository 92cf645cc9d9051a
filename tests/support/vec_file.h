// Reader for known-answer files: "[Name]" sections of "Key = ..." style records, records
// separated by blank lines, "#" comments. Values are kept as written.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace velt::test {

struct VecRecord {
  std::string section;
  int line = 0;  // where the record starts, for failure messages
  std::map<std::string, std::string> fields;
  bool Has(const std::string& k) const { return fields.count(k) != 0; }
  const std::string& at(const std::string& k) const;
};

// Reads tests/data/<name>; throws when the file is missing or malformed.
std::vector<VecRecord> ReadVecFile(const std::string& name);
// Reads every *.vec file of the folder tests/data/<folder>, in name order.
std::vector<VecRecord> ReadVecFolder(const std::string& folder);

}  // namespace velt::test
