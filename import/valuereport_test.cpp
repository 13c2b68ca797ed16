#include "valuereport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

namespace ksimport {
namespace {

class FakeTallies : public TallySource {
 public:
  const CountryTally* country(const char* prefix) override { return find(countries, prefix); }
  const ZoneTally* zone(int cqZone) override { return find(zones, cqZone); }
  const StateTally* state(const char* state) override { return find(states, state); }
  const GridTally* grid(const char* grid) override { return find(grids, grid); }

  std::map<std::string, CountryTally> countries;
  std::map<int, ZoneTally> zones;
  std::map<std::string, StateTally> states;
  std::map<std::string, GridTally> grids;

 private:
  template <class Map, class Key>
  const typename Map::mapped_type* find(const Map& map, const Key& key) {
    auto at = map.find(key);
    return at == map.end() ? nullptr : &at->second;
  }
};

LogRecord contact(const char* call, const char* mode, int band, const char* prefix, int zone) {
  LogRecord r{};
  std::strcpy(r.call, call);
  std::strcpy(r.date, "03-15-24");
  std::strcpy(r.time, "14:23");
  std::strcpy(r.mode, mode);
  std::strcpy(r.rstRcvd, "599");
  std::strcpy(r.rstSent, "579");
  std::strcpy(r.prefix, prefix);
  std::strcpy(r.qth, "Germany");
  std::strcpy(r.freq, "14.025");
  std::strcpy(r.qslSent, "N");
  r.band = static_cast<uint16_t>(band);
  r.cqZone = static_cast<uint16_t>(zone);
  return r;
}

// Worked and confirmed on all modes and CW, worked only on phone and FSK;
// on 20 m (position 4) worked once, never confirmed.
template <class Tally>
Tally workedTally() {
  Tally t{};
  const uint8_t flags[10] = {1, 1, 1, 1, 1, 0, 1, 0, 0, 0};
  std::memcpy(t.awardFlags, flags, sizeof flags);
  t.bandWorked[4] = 1;
  return t;
}

TEST(ErrorLog, LineThenBlankThenReasons) {
  LogRecord r = contact("W1AW", "OLIV", 20, "", 0);
  const int codes[] = {4, 2};
  EXPECT_EQ(errorLogEntry(r, codes),
            "W1AW 03-15-24 14:23 OLIV 14.025 599 579 Germany N N 20\n\n"
            "; Missing or unsupported mode\n"
            "; Cannot determine prefix from callsign\n");
}

TEST(ValueReport, NewCountryAndZone) {
  FakeTallies tallies;
  tallies.countries["DL"] = CountryTally{};
  tallies.zones[14] = ZoneTally{};
  EXPECT_EQ(rateContact(contact("DL1ABC", "CW", 20, "DL", 14), tallies),
            "03-15-24 14:23 DL1ABC           CW   20 599 579    DL 14\r\n"
            "New DXCC Country.\r\nNew DXCC CW Country.\r\nNew DXCC Country on 20.\r\n"
            "New CQ Zone.\r\nNew CQ CW zone.\r\nNew CQ Zone on 20.\r\n");
}

TEST(ValueReport, ColumnsHoldForFullAndEmptyFields) {
  FakeTallies tallies;
  LogRecord r = contact("DL1ABC/P/QRP/X", "SSTV", 10000, "KH6", 40);
  r.rstRcvd[0] = '\0';
  EXPECT_EQ(rateContact(r, tallies),
            "03-15-24 14:23 DL1ABC/P/QRP/X SSTV 10000     579   KH6 40\r\n");
}

TEST(ValueReport, WorkedButNotConfirmed) {
  FakeTallies tallies;
  tallies.countries["DL"] = workedTally<CountryTally>();
  tallies.zones[14] = workedTally<ZoneTally>();
  // FM is phone for the country but not SSB for the zone.
  EXPECT_EQ(rateContact(contact("DL1ABC", "FM", 20, "DL", 14), tallies),
            "03-15-24 14:23 DL1ABC           FM   20 599 579    DL 14\r\n"
            "DXCC Country worked on Phone, but not confirmed.\r\n"
            "DXCC Country worked on band, but not confirmed.\r\n"
            "Zone worked on band, but not confirmed.\r\n");
  EXPECT_EQ(rateContact(contact("DL1ABC", "RTTY", 40, "DL", 14), tallies),
            "03-15-24 14:23 DL1ABC         RTTY   40 599 579    DL 14\r\n"
            "DXCC Country worked on FSK, but not confirmed.\r\nNew DXCC Country on 40.\r\n"
            "CQ Zone worked on FSK, but not confirmed.\r\nNew CQ Zone on 40.\r\n");
}

TEST(ValueReport, CountryWithoutTallyGetsOnlyItsLineAndTheZone) {
  FakeTallies tallies;
  tallies.zones[14] = ZoneTally{};
  const std::string report = rateContact(contact("DL1ABC", "CW", 20, "DL", 14), tallies);
  EXPECT_EQ(report.find("DXCC"), std::string::npos);
  EXPECT_NE(report.find("New CQ Zone.\r\n"), std::string::npos);
}

TEST(ValueReport, GridsOnlyOnVhfAndUp) {
  FakeTallies tallies;
  LogRecord six = contact("W1XX", "SSB", 6, "K", 5);
  std::strcpy(six.grid, "FN42");
  EXPECT_EQ(rateContact(six, tallies),
            "03-15-24 14:23 W1XX            SSB    6 599 579     K 5\r\n"
            "03-15-24 14:23 W1XX            SSB    6 599 579 FN42\r\n"
            "New grid on 6.\r\n");
  GridTally known{};
  known.bandWorked[0] = 1;  // 6 m, not confirmed
  tallies.grids["FN42"] = known;
  EXPECT_NE(rateContact(six, tallies).find("Grid worked before but not confirmed.\r\n"),
            std::string::npos);
  six.band = 2;
  EXPECT_NE(rateContact(six, tallies).find("New Grid on 2.\r\n"), std::string::npos);
  LogRecord twenty = six;
  twenty.band = 20;
  EXPECT_EQ(rateContact(twenty, tallies).find("FN42"), std::string::npos);
}

TEST(ValueReport, StatesOfUsContacts) {
  FakeTallies tallies;
  tallies.states["MA"] = StateTally{};
  LogRecord r = contact("W1AW", "CW", 20, "K", 5);
  std::strcpy(r.state, "MA");
  // A state never worked is new, and that is all.
  EXPECT_EQ(rateContact(r, tallies),
            "03-15-24 14:23 W1AW             CW   20 599 579     K 5\r\n"
            "03-15-24 14:23 W1AW             CW   20 599 579 MA\r\n"
            "New Mixed State.\r\n");
  tallies.states["MA"] = workedTally<StateTally>();
  std::strcpy(r.mode, "USB");
  const std::string report = rateContact(r, tallies);
  const std::string tail = "MA\r\nState worked on SSB, but not confirmed.\r\n"
                           "State worked on band, but not confirmed.\r\n";
  ASSERT_GE(report.size(), tail.size());
  EXPECT_EQ(report.substr(report.size() - tail.size()), tail);
  std::strcpy(r.prefix, "VE");
  EXPECT_EQ(rateContact(r, tallies).find("MA"), std::string::npos);
}

}  // namespace
}  // namespace ksimport
