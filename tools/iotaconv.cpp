// iotaconv: turns an IOTA group list ("REF|Name|DXCC prefix|..." per line,
// as the iota.tbl of Debian's cqrlog-data has it) into the IOTA database's
// text form, ready for `kestrel setup` and the IOTA editor's import.
//
//   iotaconv IOTA.TBL COUNTRY.TXT [OUTPUT]
//
// Each group keeps its reference, its name cut to 20 characters and the
// continent of its reference. Its DXCC prefix is matched to a country of
// the country list (COUNTRY.TXT, the shipped one): a primary prefix, the
// list's "X(Y)" as "X/Y", a prefix of a country's prefix list, or the
// longest of those that begins it. The matched country gives the record's
// prefix, position and zones; a group whose prefix matches none keeps the
// list's prefix and no position, and is reported on standard error.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "schema/countrytext.h"
#include "schema/iotadb.h"

namespace {

using countrytext::CountryLine;

std::string upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

struct Countries {
  std::map<std::string, CountryLine> byPrefix;     // upper-case primary prefix
  std::map<std::string, std::string> listPrefixes;  // upper-case list prefix -> primary

  const CountryLine* find(const std::string& given) const {
    std::string p = upper(given);
    auto primary = [&](const std::string& key) -> const CountryLine* {
      auto found = byPrefix.find(key);
      return found != byPrefix.end() ? &found->second : nullptr;
    };
    auto listed = [&](const std::string& key) -> const CountryLine* {
      auto found = listPrefixes.find(key);
      return found != listPrefixes.end() ? primary(found->second) : nullptr;
    };
    if (const CountryLine* c = primary(p)) return c;
    // "FT(Z)": the country list writes such entities as "FT/Z".
    std::string slash = p, bare = p;
    if (auto open = p.find('('); open != std::string::npos) {
      const std::string inner = p.substr(open + 1, p.find(')', open) - open - 1);
      slash = p.substr(0, open) + "/" + inner;
      bare = p.substr(0, open);
      if (const CountryLine* c = primary(slash)) return c;
    }
    if (const CountryLine* c = listed(bare)) return c;
    for (std::size_t n = bare.size(); n > 0; --n) {
      const std::string head = bare.substr(0, n);
      if (const CountryLine* c = primary(head)) return c;
      if (const CountryLine* c = listed(head)) return c;
    }
    return nullptr;
  }
};

Countries loadCountries(const char* path) {
  Countries out;
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return out;
  countrytext::LineReader lines(file);
  while (const auto line = lines.next()) {
    if (countrytext::isBlankLine(*line)) continue;
    CountryLine c = countrytext::parseCountryLine(*line);
    if (c.status == "D") continue;  // islands belong to today's entities
    const std::string key = upper(c.prefix);
    std::stringstream list(c.prefixList);
    std::string token;
    while (std::getline(list, token, ',')) {
      token.erase(std::remove(token.begin(), token.end(), ' '), token.end());
      const std::size_t cut = token.find_first_of("<>");
      if (cut != std::string::npos) continue;  // shared by date: not this entity's own
      if (!token.empty()) out.listPrefixes.emplace(upper(token), key);
    }
    out.byPrefix.emplace(key, std::move(c));
  }
  std::fclose(file);
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) {
    std::fprintf(stderr, "usage: iotaconv IOTA.TBL COUNTRY.TXT [OUTPUT]\n");
    return 2;
  }
  const Countries countries = loadCountries(argv[2]);
  if (countries.byPrefix.empty()) {
    std::fprintf(stderr, "iotaconv: no countries in %s\n", argv[2]);
    return 1;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "iotaconv: cannot read %s\n", argv[1]);
    return 1;
  }
  std::FILE* out = argc == 4 ? std::fopen(argv[3], "wb") : stdout;
  if (out == nullptr) {
    std::fprintf(stderr, "iotaconv: cannot write %s\n", argv[3]);
    return 1;
  }
  std::string line;
  int written = 0, unmatched = 0;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::stringstream fields(line);
    std::string reference, name, prefix;
    std::getline(fields, reference, '|');
    std::getline(fields, name, '|');
    std::getline(fields, prefix, '|');
    if (reference.size() != 6 || reference[2] != '-') continue;
    iotatext::IotaLine island;
    CountryLine& c = island.country;
    if (const CountryLine* country = countries.find(prefix)) {
      c = *country;
      c.prefixList.clear();
    } else {
      std::fprintf(stderr, "iotaconv: %s %s: no country for prefix %s\n", reference.c_str(),
                   name.c_str(), prefix.c_str());
      c.prefix = prefix.substr(0, countrytext::kPrefixWidth);
      c.date = "01-01-01";
      ++unmatched;
    }
    c.name = name.substr(0, countrytext::kNameWidth);
    c.continent = reference.substr(0, 2);
    c.status = "A";
    island.iotaNumber = reference;
    const std::string text = iotatext::formatIotaLine(island);
    std::fwrite(text.data(), 1, text.size(), out);
    ++written;
  }
  if (out != stdout) std::fclose(out);
  std::fprintf(stderr, "iotaconv: %d island groups, %d without a country\n", written, unmatched);
  return written > 0 ? 0 : 1;
}
