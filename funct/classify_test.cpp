#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "ksfunct.h"

namespace {

TEST(ModeFamilies, WholeWordsOnly) {
  EXPECT_EQ(isMode("USB"), 1);
  EXPECT_EQ(isSSB("USB"), 1);
  EXPECT_EQ(isPhone("FM"), 1);
  EXPECT_EQ(isSSB("FM"), 0);
  EXPECT_EQ(isPhone("AM"), 1);
  for (const char* word : {"cw", "CW ", "C", "CWR", ""}) EXPECT_EQ(isCW(word), 0) << word;
  EXPECT_EQ(isCW("CW"), 1);
  EXPECT_EQ(isSSTV("ATV"), 1);
  EXPECT_EQ(isSSTV("SSTV2"), 0);
  EXPECT_EQ(isSSTV("FAX"), 1);
  // Digital voice counts as phone, never as SSB.
  for (const char* word : {"DV", "DSTR", "DMR", "C4FM", "FDV", "M17"}) {
    EXPECT_EQ(isPhone(word), 1) << word;
    EXPECT_EQ(isSSB(word), 0) << word;
    EXPECT_EQ(isFSK(word), 0) << word;
  }
  EXPECT_EQ(isSAT("SAT"), 1);
  EXPECT_EQ(isSAT("SATL"), 0);
}

TEST(ModeFamilies, FskHoldsTheClassicWordsAndTodaysDigitalModes) {
  for (const char* word : {"FSK", "AMT", "PKT", "TTY", "PAC", "ASC", "CLO", "PSK", "GTOR",
                           "PAC2", "MFSK", "RTTY", "FT8", "FT4", "JT65", "JT9", "JT4", "JS8",
                           "Q65", "FST4"})
    EXPECT_EQ(isFSK(word), 1) << word;
  // Near misses: prefixes, longer words, other case, blanks.
  for (const char* word : {"PSK31", "PS", "ft8", "FT8 ", "FT", "JT6", "JT651", "FST",
                           "Q6", "MFSK16", "CW", ""})
    EXPECT_EQ(isFSK(word), 0) << word;
}

TEST(ModeFamilies, IsModeIsTheSameOperationAsIsSsb) {
  EXPECT_EQ(reinterpret_cast<void*>(&isMode), reinterpret_cast<void*>(&isSSB));
}

TEST(WordLists, ConfirmationContinentsUsaAndMobileSuffixes) {
  EXPECT_EQ(isConfirmed("Y"), 1);
  EXPECT_EQ(isConfirmed("y"), 0);
  EXPECT_EQ(isConfirmed("YES"), 0);
  for (const char* c : {"AS", "AF", "NA", "SA", "EU", "AN", "OC"}) EXPECT_EQ(isContinent(c), 1);
  EXPECT_EQ(isContinent("OCE"), 0);
  EXPECT_EQ(isContinent("eu"), 0);
  for (const char* p : {"K", "KL7", "KH6"}) EXPECT_EQ(isUSA(p), 1);
  for (const char* p : {"W", "KH", "KP4", "KL", ""}) EXPECT_EQ(isUSA(p), 0);
  EXPECT_EQ(isMobile("MM"), 1);
  EXPECT_EQ(isMobile("AM"), 1);
  EXPECT_EQ(isMobile("M"), 0);
  EXPECT_EQ(isMobile("P"), 0);
  for (const char* g : {"FN31", "JO62qm", "", "AA00aa"}) EXPECT_EQ(isGrid(g), 0);
}

TEST(States, ZonesWithTheirDefaults) {
  EXPECT_EQ(isState("CT"), 1);
  EXPECT_EQ(isState("WY"), 1);
  EXPECT_EQ(isState("ct"), 0);
  EXPECT_EQ(isState("DC"), 0);
  EXPECT_EQ(isState("C"), 0);
  EXPECT_EQ(StateToCQZone("DC"), 5);
  EXPECT_EQ(StateToITUZone("DC"), 8);
  EXPECT_EQ(StateToITUZone("HI"), 61);
  EXPECT_EQ(StateToCQZone("HI"), 31);
  EXPECT_EQ(StateToITUZone("AK"), 1);
  EXPECT_EQ(StateToCQZone("AK"), 1);
  EXPECT_EQ(StateToCQZone("MT"), 4);  // mountain state in CQ zone 4, ITU 6
  EXPECT_EQ(StateToITUZone("MT"), 6);
  EXPECT_EQ(StateToCQZone("UT"), 3);
  EXPECT_EQ(StateToITUZone("UT"), 7);
  EXPECT_EQ(StateToCQZone("OH"), 4);
  EXPECT_EQ(StateToITUZone("OH"), 8);
}

TEST(States, SectionsMapToStatesAndEverythingElsePassesThrough) {
  char out[8];
  EXPECT_STREQ(ARRLSectToState(out, "SJV"), "CA");
  EXPECT_STREQ(ARRLSectToState(out, "NNY"), "NY");
  EXPECT_STREQ(ARRLSectToState(out, "EWA"), "WA");
  EXPECT_STREQ(ARRLSectToState(out, "CT"), "CT");
  EXPECT_STREQ(ARRLSectToState(out, "ORE"), "OR");
  EXPECT_STREQ(ARRLSectToState(out, "sjv"), "sjv");
  EXPECT_EQ(ARRLSectToState(out, "X"), out);
  // In place: the output may be the section's own buffer.
  char same[8] = "LAX";
  EXPECT_STREQ(ARRLSectToState(same, same), "CA");
  char kept[8] = "WY";
  EXPECT_STREQ(ARRLSectToState(kept, kept), "WY");
}

TEST(Bands, TwentyOneBandsWithTheirFrequencyTexts) {
  const struct {
    int band;
    const char* freq;
    int vhf;
  } rows[] = {{160, "1.800.00", 0},   {80, "3.500.00", 0},     {60, "5.357.00", 0},
              {40, "7.000.00", 0},
              {30, "10.100.00", 0},   {20, "14.000.00", 0},    {17, "18.068.00", 0},
              {15, "21.000.00", 0},   {12, "24.890", 0},       {10, "28.000.00", 0},
              {6, "50.000.00", 1},    {4, "70.200.00", 1},     {2, "144.000.00", 1},    {220, "222.000.00", 1},
              {432, "432.000.00", 1}, {902, "902.000.00", 1},  {1240, "1240.000.0", 1},
              {2300, "2300.000.0", 1}, {3300, "3300.000.0", 1}, {5650, "5650.000.0", 1},
              {10000, "10000.000", 1}};
  for (const auto& row : rows) {
    char freq[11];
    std::memset(freq, 'x', sizeof freq);
    BandToFreq(row.band, freq);
    EXPECT_STREQ(freq, row.freq) << row.band;
    EXPECT_EQ(isBand(row.band), 1) << row.band;
    EXPECT_EQ(isVHFUHF(row.band), row.vhf) << row.band;
  }
  for (int notBand : {0, 1, 3, 5, 11, 70, 1296, 144, 24, 222, -160}) {
    char freq[11] = "junk";
    BandToFreq(notBand, freq);
    EXPECT_STREQ(freq, "") << notBand;
    EXPECT_EQ(isBand(notBand), 0) << notBand;
    EXPECT_EQ(isVHFUHF(notBand), 0) << notBand;
  }
}

TEST(Library, WepAnswersOne) { EXPECT_EQ(WEP(0), 1); }

}  // namespace
