#include "adifmode.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "funct/ksfunct.h"

namespace ksimport {
namespace {

TEST(AdifModes, EveryNameGivesAShortWordOfAFamily) {
  std::map<std::string_view, std::string_view> seen;
  for (const ModeName& m : adifModeNames()) {
    const std::string word(m.word);
    EXPECT_FALSE(word.empty()) << m.name;
    EXPECT_LE(word.size(), 4u) << m.name;
    EXPECT_TRUE(isLoggableMode(word.c_str())) << m.name << " -> " << word;
    EXPECT_EQ(modeWordOf(m.name), m.word) << m.name;
    const auto [at, added] = seen.emplace(m.name, m.word);
    EXPECT_TRUE(added) << m.name << " is in the table twice";
  }
}

TEST(AdifModes, NoWordMeansAnotherMode) {
  // A word that is itself a name of the table must stand for that name.
  for (const ModeName& m : adifModeNames()) {
    const std::string_view asName = modeWordOf(m.word);
    EXPECT_TRUE(asName.empty() || asName == m.word) << m.name << " -> " << m.word;
  }
}

TEST(AdifModes, NamesOfOldAndNewFiles) {
  for (const char* psk : {"PSK31", "PSK63", "PSK125", "QPSK31", "psk31", " PSK63 "})
    EXPECT_EQ(logModeOf(psk, ""), "PSK") << psk;
  EXPECT_EQ(logModeOf("MFSK", "FT4"), "FT4");
  EXPECT_EQ(logModeOf("MFSK", "JS8"), "JS8");
  EXPECT_EQ(logModeOf("MFSK", ""), "MFSK");
  EXPECT_EQ(logModeOf("JT65A", ""), "JT65");
  EXPECT_EQ(logModeOf("JT65", "JT65B"), "JT65");
  EXPECT_EQ(logModeOf("SSB", "USB"), "USB");
  EXPECT_EQ(logModeOf("TOR", ""), "AMT");
  EXPECT_EQ(logModeOf("OLIVIA", "OLIVIA 8/250"), "OLIV");
  EXPECT_EQ(logModeOf("DIGITALVOICE", "DSTAR"), "DSTR");
  for (const char* data : {"MSK144", "OLIVIA", "FSK441", "CONTESTI", "DOMINO", "HELL", "THOR"}) {
    const std::string word = logModeOf(data, "");
    EXPECT_EQ(isFSK(word.c_str()), 1) << data << " -> " << word;
  }
}

TEST(AdifModes, UnknownNamesAreCutAndUnknownSubmodesLeaveTheMode) {
  EXPECT_EQ(logModeOf("XYZZY", ""), "XYZZ");
  EXPECT_FALSE(isLoggableMode("XYZZ"));
  EXPECT_EQ(logModeOf("ft8", "NEWTHING"), "FT8");
  EXPECT_EQ(logModeOf("", ""), "");
  EXPECT_EQ(logModeOf("", "FT4"), "FT4");
}

}  // namespace
}  // namespace ksimport
