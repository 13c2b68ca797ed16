// WAS and CQ zones: one row per US state or CQ zone, chosen from the
// contacts as the DXCC rows are.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "internal.h"
#include "funct/ksfunct.h"
#include "winlayer/winlayer.h"

namespace ksdetail {
namespace {

const char* const kStates[50] = {
    "AL", "AK", "AZ", "AR", "CA", "CO", "CT", "DE", "FL", "GA", "HI", "IA", "ID",
    "IL", "IN", "KS", "KY", "LA", "ME", "MD", "MA", "MI", "MN", "MS", "MO", "MT",
    "NE", "NV", "NH", "NJ", "NM", "NY", "NC", "ND", "OH", "OK", "OR", "PA", "RI",
    "SC", "SD", "TN", "TX", "UT", "VT", "VA", "WA", "WV", "WI", "WY"};

enum class Award { Mixed, Ssb, Cw, Fsk, Satellite, Band };

struct AwardInfo {
  Award award;
  const char* name;  // after "WAS " or "CQ "
  int neededIndex;
};

bool awardOf(int type, AwardInfo& info) {
  switch (type) {
    case 200: info = {Award::Mixed, "Mixed", 0}; return true;
    case 201: info = {Award::Ssb, "SSB", 2}; return true;
    case 202: info = {Award::Cw, "CW", 1}; return true;
    case 203: info = {Award::Fsk, "FSK/RTTY", 3}; return true;
    case 206: info = {Award::Satellite, "Satellite", 4}; return true;
    default: return false;
  }
}

// What one entity (a state or a zone) is walked by.
struct Entity {
  long key;               // the key walked
  unsigned char value[8]; // its value
  bool (*same)(const LogRecord&, const Entity&);
  char state[3];
  std::uint16_t zone;
  std::uint16_t band;
};

bool sameState(const LogRecord& r, const Entity& e) {
  return std::strncmp(r.state, e.state, sizeof r.state) == 0;
}
bool sameZone(const LogRecord& r, const Entity& e) { return r.cqZone == e.zone; }
bool sameStateBand(const LogRecord& r, const Entity& e) {
  return r.band == e.band && sameState(r, e);
}
bool sameZoneBand(const LogRecord& r, const Entity& e) {
  return r.band == e.band && sameZone(r, e);
}

Entity stateEntity(const char* code, const AwardInfo& info, int band) {
  Entity e{};
  std::memcpy(e.state, code, 2);
  e.band = static_cast<std::uint16_t>(band);
  if (info.award == Award::Cw) {
    e.key = logfield::kStateMode;
    std::memcpy(e.value, code, 2);
    std::memcpy(e.value + 3, "CW", 2);
    e.same = sameState;
  } else if (info.award == Award::Band) {
    e.key = logfield::kBandState;
    std::memcpy(e.value, &e.band, 2);
    std::memcpy(e.value + 2, code, 2);
    e.same = sameStateBand;
  } else {
    e.key = logfield::kState;
    std::memcpy(e.value, code, 2);
    e.same = sameState;
  }
  return e;
}

Entity zoneEntity(int zone, const AwardInfo& info, int band) {
  Entity e{};
  e.zone = static_cast<std::uint16_t>(zone);
  e.band = static_cast<std::uint16_t>(band);
  if (info.award == Award::Cw) {
    e.key = logfield::kZoneMode;
    std::memcpy(e.value, &e.zone, 2);
    std::memcpy(e.value + 2, "CW", 2);
    e.same = sameZone;
  } else if (info.award == Award::Band) {
    e.key = logfield::kBandZone;
    std::memcpy(e.value, &e.band, 2);
    std::memcpy(e.value + 2, &e.zone, 2);
    e.same = sameZoneBand;
  } else {
    e.key = logfield::kCqZone;
    std::memcpy(e.value, &e.zone, 2);
    e.same = sameZone;
  }
  return e;
}

// Whether a contact passes the award's filter.
bool passes(const LogRecord& r, const AwardInfo& info, int satelliteFrom) {
  char mode[sizeof r.mode + 1];
  switch (info.award) {
    case Award::Ssb: copyField(mode, r.mode); return isSSB(mode) != 0;
    case Award::Fsk: copyField(mode, r.mode); return isFSK(mode) != 0;
    case Award::Cw: copyField(mode, r.mode); return isCW(mode) != 0;
    case Award::Satellite: return r.satId[0] != '\0' && r.julianDay >= satelliteFrom;
    default: return true;
  }
}

// The contact's tag for the award.
int tagOf(const LogRecord& r, const AwardInfo& info, bool was) {
  if (info.award == Award::Mixed) return was ? r.wasFlag : r.cqFlag;
  if (info.award == Award::Band) return was ? r.wasBandFlag : r.cqBandFlag;
  return was ? r.wasModeFlag : r.cqModeFlag;
}

// Walks one entity's contacts into its selection; false when cancelled.
bool walkEntity(Computation& c, DB_TASK* task, const Entity& e, const AwardInfo& info,
                int satelliteFrom, bool was, Selection& s) {
  return walkKey(
      c, task, e.key, e.value, [&](const LogRecord& r) { return e.same(r, e); },
      [&](const LogRecord& r, DB_ADDR address) {
        if (passes(r, info, satelliteFrom)) s.take(r, address, tagOf(r, info, was));
      });
}

constexpr int kZones = 40;

// The CQ zones of an award over the whole log: every contact is read once,
// in record order, and handed to its zone. False when cancelled (no zone
// is whole then, so none gives a row).
bool scanZones(Computation& c, DB_TASK* task, const AwardInfo& info, int satelliteFrom,
               std::vector<DetailRow>& rows, std::vector<Selection>& selections) {
  rows.assign(kZones, DetailRow{});
  selections.clear();
  selections.reserve(kZones);
  for (DetailRow& row : rows) {
    clearRow(row);
    selections.emplace_back(row);
  }
  return scanContacts(c, task, [&](const LogRecord& r, DB_ADDR address) {
    if (r.cqZone < 1 || r.cqZone > kZones || !passes(r, info, satelliteFrom)) return;
    selections[r.cqZone - 1u].take(r, address, tagOf(r, info, false));
  });
}

template <class Tally>
bool tallyNeeded(const Tally& tally, int neededIndex, bool band) {
  return band ? tally.bandWorked[neededIndex] == 0 : tally.awardFlags[2 * neededIndex] != 1;
}

int report(HWND owner, DB_TASK* task, bool was, int awardType, int band, int variant) {
  State& st = state();
  defineTable(was ? Layout::Was : Layout::Cq);
  st.kind = was ? kWas : kCq;
  AwardInfo info{};
  char title[48];
  if (band >= 0) {
    const int index = bandIndex(band);
    if (index < 0) return 0;
    info = {Award::Band, "", index};
    std::snprintf(title, sizeof title, was ? "%d Meter WAS" : "%d Meter CQ Band Zones", band);
  } else {
    if (!awardOf(awardType, info)) return 0;
    std::snprintf(title, sizeof title, "%s %s", was ? "WAS" : "CQ", info.name);
  }
  setTitle(title, variant);
  int count = 0;
  bool cancelled = false;
  {
    Computation c(owner, task);
    const bool bandReport = info.award == Award::Band;
    if (variant == 302) {
      const int type = was ? kStateTallyType : kZoneTallyType;
      for (int rc = dbRecordFirst(type, task, 0); rc == 0 && c.step(); rc = dbRecordNext(task, 0)) {
        DetailRow row;
        clearRow(row);
        if (was) {
          StateTally tally{};
          if (dbRecordRead(&tally, task, 0) != 0 ||
              !tallyNeeded(tally, info.neededIndex, bandReport))
            continue;
          copyField(row.state, sizeof row.state, tally.state, sizeof tally.state);
        } else {
          ZoneTally tally{};
          if (dbRecordRead(&tally, task, 0) != 0 ||
              !tallyNeeded(tally, info.neededIndex, bandReport))
            continue;
          row.cqZone = tally.zone;
        }
        appendRow(row);
        ++count;
      }
    } else {
      const int satelliteFrom = dayOf(was ? "01-01-65" : "01-01-89");
      // The state keys hold only the contacts stored in them, and a band
      // holds a small part of the log: those are walked by key, entity by
      // entity. A CQ award of every band reads the log once.
      if (!was && !bandReport) {
        std::vector<DetailRow> rows;
        std::vector<Selection> selections;
        if (scanZones(c, task, info, satelliteFrom, rows, selections)) {
          for (int i = 0; i < kZones; ++i) {
            rows[i].cqZone = static_cast<std::int16_t>(i + 1);
            if (admits(variant, selections[i], rows[i], false)) {
              appendRow(rows[i]);
              ++count;
            }
          }
        }
      }
      const int entities = was ? 50 : bandReport ? kZones : 0;
      for (int i = 0; i < entities && !c.cancelled(); ++i) {
        const Entity e = was ? stateEntity(kStates[i], info, band) : zoneEntity(i + 1, info, band);
        DetailRow row;
        clearRow(row);
        Selection s(row);
        if (!walkEntity(c, task, e, info, satelliteFrom, was, s)) break;
        if (was)
          std::memcpy(row.state, e.state, 2);
        else
          row.cqZone = static_cast<std::int16_t>(e.zone);
        if (admits(variant, s, row, false)) {
          appendRow(row);
          ++count;
        }
      }
    }
    appendTotals(count);
    cancelled = c.cancelled();
  }
  return cancelled ? 0 : 1;
}

}  // namespace

int wasAward(HWND owner, DB_TASK* task, int awardType, int band, int variant) {
  return report(owner, task, true, awardType, band, variant);
}

int cqAward(HWND owner, DB_TASK* task, int awardType, int band, int variant) {
  return report(owner, task, false, awardType, band, variant);
}

}  // namespace ksdetail
