#include "tests/support/vec_file.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace velt::test {

namespace {
std::string Trim(const std::string& s) {
  size_t a = s.find_first_not_of(" \t\r");
  if (a == std::string::npos) return {};
  size_t b = s.find_last_not_of(" \t\r");
  return s.substr(a, b - a + 1);
}
}  // namespace

const std::string& VecRecord::at(const std::string& k) const {
  auto it = fields.find(k);
  if (it == fields.end())
    throw std::runtime_error("record at line " + std::to_string(line) + " has no " + k);
  return it->second;
}

std::vector<VecRecord> ReadVecFile(const std::string& name) {
  std::string path = std::string(VELT_TEST_DATA_DIR) + "/" + name;
  std::ifstream in(path);
  if (!in) throw std::runtime_error("cannot open " + path);
  std::vector<VecRecord> out;
  std::string section, raw;
  VecRecord current;
  int lineNo = 0;
  auto flush = [&] {
    if (!current.fields.empty()) out.push_back(current);
    current = VecRecord{};
  };
  while (std::getline(in, raw)) {
    ++lineNo;
    std::string line = Trim(raw);
    if (line.empty()) {
      flush();
      continue;
    }
    if (line[0] == '#') continue;
    if (line.front() == '[' && line.back() == ']') {
      flush();
      section = line.substr(1, line.size() - 2);
      continue;
    }
    size_t eq = line.find('=');
    if (eq == std::string::npos)
      throw std::runtime_error(path + ":" + std::to_string(lineNo) + ": expected key = value");
    if (current.fields.empty()) {
      current.section = section;
      current.line = lineNo;
    }
    current.fields[Trim(line.substr(0, eq))] = Trim(line.substr(eq + 1));
  }
  flush();
  return out;
}

std::vector<VecRecord> ReadVecFolder(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry :
       std::filesystem::directory_iterator(std::string(VELT_TEST_DATA_DIR) + "/" + folder))
    if (entry.path().extension() == ".vec") names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  std::vector<VecRecord> all;
  for (const auto& n : names) {
    auto records = ReadVecFile(folder + "/" + n);
    all.insert(all.end(), records.begin(), records.end());
  }
  return all;
}

}  // namespace velt::test
