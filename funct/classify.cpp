// The fixed radio vocabulary: bands, mode families, states, ARRL sections,
// continents. Every answer is an exact, case-sensitive whole-word match.
#include <cstring>
#include <string_view>

#include "ksfunct.h"

namespace ksfunct {
namespace {

struct Band {
  int number;
  const char* frequency;  // the log's frequency text for the band
  bool vhfUhf;
};

// In band order; BandToFreq walks it top to bottom.
constexpr Band kBands[] = {
    {160, "1.800.00", false},   {80, "3.500.00", false},    {60, "5.357.00", false},
    {40, "7.000.00", false},    {30, "10.100.00", false},   {20, "14.000.00", false},
    {17, "18.068.00", false},   {15, "21.000.00", false},   {12, "24.890", false},
    {10, "28.000.00", false},   {6, "50.000.00", true},     {4, "70.200.00", true},
    {2, "144.000.00", true},    {220, "222.000.00", true},  {432, "432.000.00", true},
    {902, "902.000.00", true},  {1240, "1240.000.0", true}, {2300, "2300.000.0", true},
    {3300, "3300.000.0", true}, {5650, "5650.000.0", true}, {10000, "10000.000", true},
};

struct State {
  const char* abbrev;
  int ituZone;
  int cqZone;
};

constexpr State kStates[] = {
    {"AL", 8, 4},  {"AK", 1, 1},  {"AZ", 6, 3},  {"AR", 8, 4},   {"CA", 6, 3},
    {"CO", 7, 4},  {"CT", 8, 5},  {"DE", 8, 5},  {"FL", 8, 5},   {"GA", 8, 5},
    {"HI", 61, 31}, {"ID", 6, 3}, {"IL", 8, 4},  {"IN", 8, 4},   {"IA", 7, 4},
    {"KS", 7, 4},  {"KY", 8, 4},  {"LA", 7, 4},  {"ME", 8, 5},   {"MD", 8, 5},
    {"MA", 8, 5},  {"MI", 7, 4},  {"MN", 7, 4},  {"MS", 7, 4},   {"MO", 7, 4},
    {"MT", 6, 4},  {"NE", 7, 4},  {"NV", 6, 3},  {"NH", 8, 5},   {"NJ", 8, 5},
    {"NM", 7, 4},  {"NY", 8, 5},  {"NC", 8, 5},  {"ND", 7, 4},   {"OH", 8, 4},
    {"OK", 7, 4},  {"OR", 6, 3},  {"PA", 8, 5},  {"RI", 8, 5},   {"SC", 8, 5},
    {"SD", 7, 4},  {"TN", 8, 4},  {"TX", 7, 4},  {"UT", 7, 3},   {"VT", 8, 5},
    {"VA", 8, 5},  {"WA", 6, 3},  {"WV", 8, 5},  {"WI", 7, 4},   {"WY", 7, 4},
};
constexpr int kDefaultITUZone = 8;
constexpr int kDefaultCQZone = 5;

struct Section {
  const char* section;
  const char* state;
};

// ARRL sections whose abbreviation is not itself a state's.
constexpr Section kSections[] = {
    {"EMA", "MA"}, {"WMA", "MA"}, {"ENY", "NY"}, {"WNY", "NY"}, {"NLI", "NY"},
    {"NNJ", "NJ"}, {"SNJ", "NJ"}, {"EPA", "PA"}, {"WPA", "PA"}, {"MDC", "MD"},
    {"NFL", "FL"}, {"SFL", "FL"}, {"NTX", "TX"}, {"WTX", "TX"}, {"STX", "TX"},
    {"EB", "CA"},  {"LAX", "CA"}, {"ORG", "CA"}, {"SB", "CA"},  {"SCV", "CA"},
    {"SDG", "CA"}, {"SF", "CA"},  {"SJV", "CA"}, {"SV", "CA"},  {"ORE", "OR"},
    {"EWA", "WA"}, {"WWA", "WA"}, {"NNY", "NY"},
};

template <size_t N>
int isOneOf(const char* word, const char* const (&words)[N]) {
  if (word == nullptr) return 0;
  for (const char* candidate : words)
    if (std::strcmp(word, candidate) == 0) return 1;
  return 0;
}

const State* findState(const char* abbrev) {
  if (abbrev == nullptr) return nullptr;
  for (const State& state : kStates)
    if (std::strcmp(abbrev, state.abbrev) == 0) return &state;
  return nullptr;
}

const Band* findBand(int number) {
  for (const Band& band : kBands)
    if (band.number == number) return &band;
  return nullptr;
}

constexpr const char* kCW[] = {"CW"};
constexpr const char* kSSB[] = {"USB", "LSB", "SSB"};
// The classic five, then the digital voice systems of today.
constexpr const char* kPhone[] = {"USB", "LSB", "AM",  "FM",  "SSB", "DV",
                                  "C4FM", "DMR", "DSTR", "FDV", "M17"};
// The twelve classic words, then the FSK-family digital modes of today
// that fit the log's four-character mode field, then the words the ADIF
// importer gives the other data modes of ADIF's mode list.
constexpr const char* kFSK[] = {"FSK",  "AMT",  "PKT",  "TTY",  "PAC",  "ASC",  "CLO",
                                "PSK",  "GTOR", "PAC2", "MFSK", "RTTY", "FT8",  "FT4",
                                "JT65", "JT9",  "JT4",  "JS8",  "Q65",  "FST4", "RTYM",
                                "NAVT", "PAC3", "PAC4", "PAX",  "V4",   "VOI",  "WINM",
                                "ARDP", "DYN",  "VARA", "SCMP", "MTON", "OFDM", "RBIT",
                                "FS4W", "FSQ",  "JTMS", "JT6M", "JT44", "MSK",  "F441",
                                "ISCT", "Q64",  "Q15",  "T10",  "WSPR", "OPRA", "ROS",
                                "OLIV", "CTIA", "DOM",  "HELL", "THOR", "THRB", "MT63",
                                "CHIP"};
constexpr const char* kSSTV[] = {"SSTV", "ATV", "FAX"};
constexpr const char* kSAT[] = {"SAT"};
constexpr const char* kConfirmed[] = {"Y"};
constexpr const char* kUSA[] = {"K", "KL7", "KH6"};
constexpr const char* kContinents[] = {"AS", "AF", "NA", "SA", "EU", "AN", "OC"};
constexpr const char* kMobile[] = {"MM", "AM"};

}  // namespace
}  // namespace ksfunct

using namespace ksfunct;

extern "C" {

int isCW(const char* mode) { return isOneOf(mode, kCW); }
int isSSB(const char* mode) { return isOneOf(mode, kSSB); }
int isMode(const char* mode) __attribute__((alias("isSSB")));
int isPhone(const char* mode) { return isOneOf(mode, kPhone); }
int isFSK(const char* mode) { return isOneOf(mode, kFSK); }
int isSSTV(const char* mode) { return isOneOf(mode, kSSTV); }
int isSAT(const char* mode) { return isOneOf(mode, kSAT); }

int isConfirmed(const char* flag) { return isOneOf(flag, kConfirmed); }
int isUSA(const char* prefix) { return isOneOf(prefix, kUSA); }
int isContinent(const char* abbrev) { return isOneOf(abbrev, kContinents); }
int isMobile(const char* suffix) { return isOneOf(suffix, kMobile); }
int isGrid(const char*) { return 0; }

int isState(const char* abbrev) { return findState(abbrev) != nullptr; }

int StateToITUZone(const char* abbrev) {
  const State* state = findState(abbrev);
  return state ? state->ituZone : kDefaultITUZone;
}

int StateToCQZone(const char* abbrev) {
  const State* state = findState(abbrev);
  return state ? state->cqZone : kDefaultCQZone;
}

char* ARRLSectToState(char* stateOut, const char* section) {
  if (stateOut == nullptr) return stateOut;
  if (section == nullptr) {
    stateOut[0] = '\0';
    return stateOut;
  }
  for (const Section& row : kSections) {
    if (std::strcmp(section, row.section) == 0) {
      std::memcpy(stateOut, row.state, std::strlen(row.state) + 1);
      return stateOut;
    }
  }
  // Not a section: the text itself (the buffers may be the same one).
  if (stateOut != section) std::memmove(stateOut, section, std::strlen(section) + 1);
  return stateOut;
}

int isBand(int band) { return findBand(band) != nullptr; }

int isVHFUHF(int band) {
  const Band* found = findBand(band);
  return found != nullptr && found->vhfUhf;
}

void BandToFreq(int band, char* freqOut) {
  if (freqOut == nullptr) return;
  freqOut[0] = '\0';
  if (const Band* found = findBand(band))
    std::memcpy(freqOut, found->frequency, std::strlen(found->frequency) + 1);
}

}  // extern "C"
