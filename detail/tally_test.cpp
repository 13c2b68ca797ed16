#include "tally.h"

#include <gtest/gtest.h>

#include "testlog.h"

namespace kstally {
namespace {

using ksdetail::testlog::Contact;

class Tally : public ksdetail::testlog::Logbook {
 protected:
  template <class T>
  T read(long field, const void* key) {
    T t{};
    EXPECT_EQ(dbKeyFind(field, key, task_, 0), RECDB_OK);
    EXPECT_EQ(dbRecordRead(&t, task_, 0), RECDB_OK);
    return t;
  }
  CountryTally countryTally(const char* prefix) {
    char key[sizeof CountryTally::prefix];
    ksbase::putField(key, prefix);
    return read<CountryTally>(logfield::kCountryTallyPrefix, key);
  }
};

TEST_F(Tally, WorkedAndConfirmedPerAwardModeAndBand) {
  CountryTally seeded{};
  ksdetail::testlog::putField(seeded.prefix, "F");
  ksdetail::testlog::putField(seeded.status, "A");
  ASSERT_EQ(dbRecordCreate(kCountryTallyType, &seeded, task_, 0), RECDB_OK);
  ksdetail::testlog::putField(seeded.prefix, "K");
  ASSERT_EQ(dbRecordCreate(kCountryTallyType, &seeded, task_, 0), RECDB_OK);

  add({.date = "06-01-80", .mode = "CW", .prefix = "F", .qslRcvd = "Y", .band = 20, .zone = 14});
  const DB_ADDR phone = add({.mode = "SSB", .prefix = "F", .band = 40, .zone = 14});
  add({.date = "06-01-70", .mode = "CW", .prefix = "K", .state = "CA", .band = 2, .zone = 3});
  add({.date = "06-01-70", .prefix = "K", .satId = "AO7", .state = "CA", .zone = 3});
  add({.prefix = "K", .grid = "FN31pr", .band = 6, .zone = 5});
  add({.prefix = "K", .grid = "EM12", .band = 20, .zone = 5});  // HF: no grid tally
  Summary s;
  ASSERT_EQ(recomputeTallies(task_, &s), 0);
  EXPECT_EQ(s.contacts, 6);
  EXPECT_EQ(s.countries, 2);
  EXPECT_EQ(s.zones, 40);
  EXPECT_EQ(s.states, 50);
  EXPECT_EQ(s.grids, 1);

  CountryTally f = countryTally("F");
  const std::uint8_t fFlags[10] = {1, 1, 1, 1, 1, 0, 0, 0, 0, 0};  // all, CW, phone
  EXPECT_EQ(std::memcmp(f.awardFlags, fFlags, 10), 0);
  EXPECT_EQ(f.bandWorked[4], 1);     // 20 m
  EXPECT_EQ(f.bandConfirmed[4], 1);
  EXPECT_EQ(f.bandWorked[2], 1);     // 40 m
  EXPECT_EQ(f.bandConfirmed[2], 0);
  EXPECT_EQ(f.status[0], 'A');       // kept
  // DXCC CW counts from 1975, satellite from 1965.
  CountryTally k = countryTally("K");
  EXPECT_EQ(k.awardFlags[2], 0);
  EXPECT_EQ(k.awardFlags[8], 1);
  EXPECT_EQ(k.bandWorked[10], 1);    // 2 m
  // The zone's satellite counts only from 1989; its CW has no date limit.
  const std::int16_t zone3 = 3;
  ZoneTally z = read<ZoneTally>(logfield::kZoneTallyZone, &zone3);
  EXPECT_EQ(z.awardFlags[2], 1);
  EXPECT_EQ(z.awardFlags[8], 0);
  StateTally ca = read<StateTally>(logfield::kStateTallyState, "CA\0");
  EXPECT_EQ(ca.awardFlags[0], 1);
  EXPECT_EQ(ca.awardFlags[8], 1);
  GridTally g = read<GridTally>(logfield::kGridTallyGrid, "FN31pr");
  EXPECT_EQ(g.bandWorked[0], 1);     // 6 m

  // Recomputing starts afresh: a deleted contact's marks go.
  ASSERT_EQ(dbCurrentSet(&phone, task_, 0), RECDB_OK);
  ASSERT_EQ(dbDelete(task_, 0), RECDB_OK);
  ASSERT_EQ(recomputeTallies(task_, &s), 0);
  EXPECT_EQ(s.created, 0);
  f = countryTally("F");
  EXPECT_EQ(f.awardFlags[4], 0);
  EXPECT_EQ(f.bandWorked[2], 0);
  EXPECT_EQ(f.bandWorked[4], 1);
}

}  // namespace
}  // namespace kstally
