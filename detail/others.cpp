// VUCC (grid squares on one band), USCA (US counties) and IOTA (islands).
#include <cstdio>
#include <cstring>
#include <string>

#include "internal.h"
#include "winlayer/winlayer.h"

namespace ksdetail {
namespace {

constexpr int kCountyDb = 2;
constexpr int kIotaDb = 5;

}  // namespace

int vuccAward(HWND owner, DB_TASK* task, int vuccBand, int variant) {
  State& st = state();
  defineTable(Layout::Vucc);
  st.kind = kVucc;
  if (vuccBand < 0 || vuccBand > 9) return 0;
  const std::uint16_t band = static_cast<std::uint16_t>(kVuccBands[vuccBand]);
  char title[32];
  std::snprintf(title, sizeof title, "%d MHz VUCC", kVuccMegahertz[vuccBand]);
  setTitle(title, variant);
  int count = 0;
  bool cancelled = false;
  {
    Computation c(owner, task);
    for (int rc = dbRecordFirst(kGridTallyType, task, 0); rc == 0 && c.step();
         rc = dbRecordNext(task, 0)) {
      GridTally tally{};
      if (dbRecordRead(&tally, task, 0) != 0) continue;
      // The tally's position in its record type is kept by the engine
      // while the key is walked.
      unsigned char key[9] = {};
      std::memcpy(key, &band, 2);
      char grid[7] = {};
      copyField(grid, sizeof grid, tally.grid, sizeof tally.grid);
      std::memcpy(key + 2, grid, sizeof grid);
      DetailRow row;
      clearRow(row);
      Selection s(row);
      const bool going = walkKey(
          c, task, logfield::kBandGrid, key,
          [&](const LogRecord& r) {
            return r.band == band && std::strncmp(r.grid, grid, sizeof grid) == 0;
          },
          [&](const LogRecord& r, DB_ADDR address) { s.take(r, address, r.vuccFlag); });
      if (!going) break;
      if (row.address == 0) continue;  // no contact on this band
      char mhz[8];
      std::snprintf(mhz, sizeof mhz, "%4d", kVuccMegahertz[vuccBand]);
      putField(row.band, mhz);
      putField(row.grid, grid);
      if (admits(variant, s, row, false)) {
        appendRow(row);
        ++count;
      }
    }
    sortByColumn(5);
    appendTotals(count);
    cancelled = c.cancelled();
  }
  return cancelled ? 0 : 1;
}

int uscaAward(HWND owner, DB_TASK* task, int awardType, int variant) {
  State& st = state();
  defineTable(Layout::Usca);
  st.kind = kUsca;
  if (awardType != 200) return 0;
  setTitle("USCA Counties", variant);
  int count = 0;
  bool cancelled = false;
  {
    Computation c(owner, task);
    for (int rc = dbRecordFirst(kCountyRecordType, task, kCountyDb); rc == 0 && c.step();
         rc = dbRecordNext(task, kCountyDb)) {
      CountyRecord county{};
      DB_ADDR address = 0;
      if (dbRecordRead(&county, task, kCountyDb) != 0 ||
          dbCurrentGet(&address, task, kCountyDb) != 0)
        continue;
      dbSelect(0, task);
      DetailRow row;
      clearRow(row);
      const std::int32_t number = address;
      bool admitted;
      if (variant == 302) {
        admitted = dbKeyFind(logfield::kCountyNumber, &number, task, 0) != 0;
      } else {
        Selection s(row);
        const bool going = walkKey(
            c, task, logfield::kCountyNumber, &number,
            [&](const LogRecord& r) { return r.countyNumber == number; },
            [&](const LogRecord& r, DB_ADDR contact) { s.take(r, contact, r.uscaFlag); });
        if (!going) break;
        admitted = admits(variant, s, row, false);
      }
      copyField(row.state, sizeof row.state, county.state, sizeof county.state);
      copyField(row.country, sizeof row.country, county.county, sizeof county.county);
      if (admitted) {
        appendRow(row);
        ++count;
      }
    }
    dbSelect(0, task);
    appendTotals(count);
    cancelled = c.cancelled();
  }
  return cancelled ? 0 : 1;
}

int iotaAward(HWND owner, DB_TASK* task) {
  State& st = state();
  defineTable(Layout::Iota);
  st.kind = kIota;
  setTitle("IOTA", 0, false);
  int count = 0;
  bool cancelled = false;
  {
    Computation c(owner, task);
    for (int rc = dbRecordFirst(kIotaRecordType, task, kIotaDb); rc == 0 && c.step();
         rc = dbRecordNext(task, kIotaDb)) {
      IotaRecord island{};
      if (dbRecordRead(&island, task, kIotaDb) != 0) continue;
      dbSelect(0, task);
      const std::int16_t code =
          static_cast<std::int16_t>(iotaCode(island.iotaNumber, island.groupFlag[0]));
      DetailRow row;
      clearRow(row);
      Selection s(row);
      const bool going = walkKey(
          c, task, logfield::kIotaCode, &code,
          [&](const LogRecord& r) { return r.iotaCode == code; },
          [&](const LogRecord& r, DB_ADDR address) { s.take(r, address, r.iotaFlag); });
      if (!going) break;
      copyField(row.prefix, island.prefix);
      // A reference ("EU-005") fills the column's six bytes without a
      // terminator; the table compares and shows the column by its width.
      std::memcpy(row.iota, island.iotaNumber, sizeof row.iota);
      copyField(row.country, island.name);
      copyField(row.status, island.status);
      appendRow(row);
      ++count;
    }
    dbSelect(0, task);
    sortByKeys(2);
    appendTotals(count);
    cancelled = c.cancelled();
  }
  return cancelled ? 0 : 1;
}

}  // namespace ksdetail
