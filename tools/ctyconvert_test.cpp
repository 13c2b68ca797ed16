#include "ctyconvert.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "prefix/limits.h"

namespace ctyconv {
namespace {

// The words of a name, full stops dropped.
std::set<std::string> wordsOf(std::string_view name) {
  std::set<std::string> words;
  std::istringstream in{std::string(name)};
  for (std::string word; in >> word;) {
    std::erase(word, '.');
    if (!word.empty()) words.insert(word);
  }
  return words;
}

// True when every word of `shortened` is a word of `name` or of one of the
// converter's abbreviations: nothing was cut inside a word.
bool onlyWholeWords(std::string_view name, std::string_view shortened) {
  std::set<std::string> allowed = wordsOf(name);
  for (const Abbreviation& a : nameTable()) allowed.merge(wordsOf(a.shortened));
  for (const Abbreviation& a : wordTable()) allowed.merge(wordsOf(a.shortened));
  for (const std::string& word : wordsOf(shortened))
    if (!allowed.count(word)) return false;
  return true;
}

TEST(ShortNames, FitByWholeWords) {
  EXPECT_EQ(shortName("United States of America"), "United States");
  EXPECT_EQ(shortName("Turks & Caicos Islands"), "Turks & Caicos Is.");
  EXPECT_EQ(shortName("Republic of the Congo"), "Rep. of the Congo");
  EXPECT_EQ(shortName("German Democratic Republic"), "German Dem. Rep.");
  EXPECT_EQ(shortName("St. Pierre & Miquelon"), "St Pierre & Miquelon");
  // Names that fit are kept as they are, abbreviations and all.
  EXPECT_EQ(shortName("South Georgia Island"), "South Georgia Island");
  EXPECT_EQ(shortName("Solomon Islands"), "Solomon Islands");
  // Only whole words are replaced.
  EXPECT_EQ(shortName("Islandsea Rep Islands"), "Islandsea Rep Is.");
  EXPECT_EQ(shortName("Republicans of Islandia"), "Republicans of Islandia");
  for (std::string_view name : {"Sov Mil Order of Malta", "San Andres & Providencia",
                                "Tristan da Cunha & Gough", "Dem. Rep. of the Congo"}) {
    const std::string s = shortName(name);
    EXPECT_LE(s.size(), 20u) << name;
    EXPECT_TRUE(onlyWholeWords(name, s)) << name << " -> " << s;
  }
}

TEST(ShortNames, WordCheckCatchesACutWord) {
  EXPECT_FALSE(onlyWholeWords("United States of America", "United States of Ame"));
  EXPECT_TRUE(onlyWholeWords("Turks & Caicos Islands", "Turks & Caicos Is."));
}

constexpr char kSmallCty[] =
    "Alaska:                   01:  01:  NA:   61.40:   148.87:     8.0:  KL:\n"
    "    AL,KL,NL,WL,=AA0NN;\n"
    "United States of America: 05:  08:  NA:   37.53:    91.67:     5.0:  K:\n"
    "    AA,K,K1(5)[8],N,W;\n"
    "Turks & Caicos Islands:   08:  11:  NA:   21.77:    71.75:     5.0:  VP5:\n"
    "    VP5,VQ5;\n";

TEST(Conversion, AlaskaIsKl7AndNamesAreShortened) {
  Report report;
  const auto lines = convert(kSmallCty, {}, report);
  std::map<std::string, countrytext::CountryLine> byKey;
  for (const auto& line : lines) byKey[line.prefix] = line;
  ASSERT_TRUE(byKey.count("KL7"));
  EXPECT_FALSE(byKey.count("KL"));
  EXPECT_EQ(byKey["KL7"].prefixList, "AL,KL,NL,WL");
  EXPECT_EQ(byKey["K"].name, "United States");
  EXPECT_EQ(byKey["K"].prefixList, "AA,K,N,W");  // K1 says nothing K does not
  EXPECT_EQ(byKey["VP5"].name, "Turks & Caicos Is.");
  EXPECT_EQ(report.exactCalls, 1);
  EXPECT_EQ(report.redundant, 1);
  // Two of these, then three of the converter's own deleted entities.
  EXPECT_EQ(report.namesShortened, 5);
  ASSERT_FALSE(report.shortened.empty());
  EXPECT_EQ(report.shortened[0],
            (std::pair<std::string, std::string>{"United States of America", "United States"}));
}

TEST(Conversion, KeepsWithinThePrefixTables) {
  // Ten thousand four-character prefixes cannot all fit the alternate table.
  std::string cty;
  for (int entity = 0; entity < 40; ++entity) {
    char head[96];
    std::snprintf(head, sizeof head, "Land %d: 1: 1: EU: 0: 0: 0: X%02d:\n    ", entity, entity);
    cty += head;
    for (int p = 0; p < 250; ++p) {
      char prefix[16];
      std::snprintf(prefix, sizeof prefix, "%sX%02d%c%c", p ? "," : "", entity, 'A' + p / 26,
                    'A' + p % 26);
      cty += prefix;
    }
    cty += ";\n";
  }
  Report report;
  convert(cty, {}, report);
  EXPECT_GT(report.cutForTables, 0);
  EXPECT_LE(report.alternateBytes, ksprefix::kAlternateTableBytes);
  EXPECT_LE(report.alternateEntries * ksprefix::kSlotSize, ksprefix::kPrefixTableBytes);
}

TEST(Conversion, DebiansCountryFileShortensEveryNameByWholeWords) {
  const char* path = "/usr/share/hamradio-files/cty.dat";
  std::ifstream in(path, std::ios::binary);
  if (!in) GTEST_SKIP() << path << " is not installed";
  std::stringstream text;
  text << in.rdbuf();
  Report report;
  const auto lines = convert(text.str(), {}, report);
  EXPECT_TRUE(report.notes.empty()) << summary(report);
  EXPECT_GT(report.namesShortened, 20);
  for (const auto& line : lines) EXPECT_LE(line.name.size(), 20u) << line.name;
  for (const auto& [name, shortened] : report.shortened)
    EXPECT_TRUE(onlyWholeWords(name, shortened)) << name << " -> " << shortened;
}

TEST(ShippedList, NamesFitAndEveryKeyTheRulesNameIsThere) {
  std::ifstream in(std::filesystem::path(KESTREL_SOURCE_DIR) / "data/COUNTRY.TXT",
                   std::ios::binary);
  ASSERT_TRUE(in);
  std::map<std::string, countrytext::CountryLine> byKey;
  std::set<std::string> listed;
  for (std::string line; std::getline(in, line);) {
    std::erase(line, '\r');
    if (countrytext::isBlankLine(line)) continue;
    const countrytext::CountryLine country = countrytext::parseCountryLine(line);
    EXPECT_LE(country.name.size(), 20u) << country.name;
    EXPECT_NE(country.name.size(), 0u) << country.prefix;
    byKey[country.prefix] = country;
    std::istringstream tokens(country.prefixList);
    for (std::string token; std::getline(tokens, token, ',');) listed.insert(token);
  }
  ASSERT_GT(byKey.size(), 300u);
  // The USA's three (state keys, zone rules), the countries whose zones
  // follow the call area, Reunion (the /T /G /E /J rule) and the targets of
  // the one-letter rule.
  for (const char* key : {"K", "KL7", "KH6", "VE", "VK", "BY", "UA9", "I", "FR", "F", "G"})
    EXPECT_TRUE(byKey.count(key)) << key;
  EXPECT_FALSE(byKey.count("KL"));
  EXPECT_EQ(byKey["KL7"].name, "Alaska");
  EXPECT_EQ(byKey["K"].name, "United States");
  // KC6 with one or three letters goes to the USA by rule; the letters of
  // the one-letter rule are prefixes of the list.
  for (const char* prefix : {"K", "W", "N", "F", "G", "M", "I"})
    EXPECT_TRUE(listed.count(prefix)) << prefix;
}

}  // namespace
}  // namespace ctyconv
