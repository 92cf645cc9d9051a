#include "cli/engine_names.h"

#include <algorithm>
#include <cctype>
#include <map>

#include "crypto/cipher_catalogue.h"
#include "crypto/hash_catalogue.h"

namespace velt::cli {

namespace {

std::string Fold(const std::string& s) {
  std::string out;
  for (unsigned char c : s)
    if (!std::isspace(c)) out.push_back(char(std::tolower(c)));
  // An index with leading zeros ("007") names the same entry.
  if (!out.empty() && out.size() <= 3 &&
      std::all_of(out.begin(), out.end(), [](unsigned char c) { return std::isdigit(c); }))
    out = std::to_string(std::stoi(out));
  return out;
}

// Folded names to indexes: the indexes first, then each entry's names in catalogue order, so
// that the first entry a name fits is the one it means.
using Names = std::map<std::string, int>;

CLI::Validator Choice(const Names& names, const std::string& what) {
  CLI::CheckedTransformer known(names, Fold);
  return CLI::Validator(
      [known, what](std::string& text) {
        const std::string given = text;
        if (known(text).empty()) return std::string();
        return "unknown " + what + " \"" + given + "\" (see velt-cli list)";
      },
      "", what);
}

template <typename Catalogue, typename EachName>
Names NamesOf(const Catalogue& catalogue, EachName eachName) {
  Names names;
  for (const auto& e : catalogue) names.emplace(std::to_string(e.index), e.index);
  for (const auto& e : catalogue)
    eachName(e, [&](const std::string& name) { names.emplace(Fold(name), e.index); });
  return names;
}

std::optional<int> Apply(const CLI::Validator& choice, const std::string& text) {
  std::string t = text;
  if (!choice(t).empty()) return std::nullopt;
  return std::stoi(t);
}

}  // namespace

const CLI::Validator& CipherChoice() {
  static const CLI::Validator choice = Choice(NamesOf(crypto::CipherCatalogue(),
                                                      [](const auto& e, auto add) {
                                                        add(e.label);
                                                        if (e.cls) add(e.cls->algorithm);
                                                      }),
                                              "cipher");
  return choice;
}

const CLI::Validator& HashChoice() {
  static const CLI::Validator choice = Choice(NamesOf(crypto::HashCatalogue(),
                                                      [](const auto& e, auto add) {
                                                        add(e.label);
                                                        add(e.engineName);
                                                        if (e.cls) add(e.cls->algorithm);
                                                      }),
                                              "hash");
  return choice;
}

std::optional<int> ParseCipher(const std::string& text) {
  return Apply(CipherChoice(), text);
}
std::optional<int> ParseHash(const std::string& text) {
  return Apply(HashChoice(), text);
}

}  // namespace velt::cli
