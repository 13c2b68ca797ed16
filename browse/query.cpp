// The query: its dialog, its keeping in the settings file, the exclusion
// table, and a query run over the logbook through one of its keys.
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

#include "base/fields.h"
#include "funct/ksfunct.h"
#include "internal.h"
#include "schema/countrytext.h"
#include "schema/mainwindow.h"
#include "strings.h"
#include "winlayer/datatable.h"
#include "winlayer/host.h"

namespace ksbrowse {

// The bands of the log in the list's order; 60 m and 4 m, bands of the log
// since, come after the others so that a stored index keeps its band.
const int kQueryBands[] = {160,  80,   40,   30,   20,   17,   15,    12, 10, 6, 2,
                           220,  432,  902,  1240, 2300, 3300, 5650, 10000, 60, 4};
const int kQueryBandCount = static_cast<int>(std::size(kQueryBands));
const char* const kQueryModes[] = {"AMT", "ASC", "CW",  "FSK", "LSB", "PAC", "Phone", "PKT",
                                   "RTTY", "SAT", "SSB", "SSTV", "USB", "PSK", "MFSK"};
const int kQueryModeCount = static_cast<int>(std::size(kQueryModes));

namespace {

constexpr const char* kDialogName = "QUERY";

std::string readText(const char* key, std::size_t limit) {
  char text[kIgnoreTextMax + 1] = {};
  GetPrivateProfileString(kSection, key, "", text, sizeof text, kIni);
  std::string value = text;
  if (value.size() > limit) value.resize(limit);
  return value;
}

bool readSwitch(const char* key) {
  return GetPrivateProfileInt(kSection, key, 0, kIni) == 1;
}

int readNumber(const char* key, int fallback) {
  return static_cast<int>(GetPrivateProfileInt(kSection, key, fallback, kIni));
}

void writeText(const char* key, const std::string& value) {
  WritePrivateProfileString(kSection, key, value.c_str(), kIni);
}

void writeNumber(const char* key, long value) { writeText(key, std::to_string(value)); }

std::string itemText(HWND dialog, int id, std::size_t limit) {
  char text[kIgnoreTextMax + 2] = {};
  GetDlgItemText(dialog, id, text, static_cast<int>(std::min(limit + 1, sizeof text)));
  return text;
}

bool checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

// Line ends of the exclusion edit count as commas: the settings file keeps
// one line a key.
std::string oneLine(std::string text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += ',';
    } else {
      out += c;
    }
  }
  return out;
}

void enableQslButtons(HWND dialog, bool on) {
  for (int id = KSB_Q_QSL_NOT_SENT; id <= KSB_Q_QSL_NOT_SENT_CFM; ++id)
    EnableWindow(GetDlgItem(dialog, id), on ? TRUE : FALSE);
}

void initDialog(HWND dialog) {
  const Query q = readQuery();
  for (int band : kQueryBands)
    SendDlgItemMessage(dialog, KSB_Q_BAND_LIST, CB_ADDSTRING, 0,
                       reinterpret_cast<LPARAM>(std::to_string(band).c_str()));
  for (const char* mode : kQueryModes)
    SendDlgItemMessage(dialog, KSB_Q_MODE_LIST, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(mode));
  CheckDlgButton(dialog, KSB_Q_DATE, q.date ? BST_CHECKED : BST_UNCHECKED);
  SetDlgItemText(dialog, KSB_Q_DATE_FROM, q.dateFrom.c_str());
  SetDlgItemText(dialog, KSB_Q_DATE_TO, q.dateTo.c_str());
  CheckDlgButton(dialog, KSB_Q_PREFIX, q.prefix ? BST_CHECKED : BST_UNCHECKED);
  SetDlgItemText(dialog, KSB_Q_PREFIX_TEXT, q.prefixText.c_str());
  CheckDlgButton(dialog, KSB_Q_ZONE, q.zone ? BST_CHECKED : BST_UNCHECKED);
  SetDlgItemText(dialog, KSB_Q_ZONE_TEXT, q.zoneText.c_str());
  CheckDlgButton(dialog, KSB_Q_STATE, q.state ? BST_CHECKED : BST_UNCHECKED);
  SetDlgItemText(dialog, KSB_Q_STATE_TEXT, q.stateText.c_str());
  CheckDlgButton(dialog, KSB_Q_BAND, q.band ? BST_CHECKED : BST_UNCHECKED);
  SendDlgItemMessage(dialog, KSB_Q_BAND_LIST, CB_SETCURSEL, static_cast<WPARAM>(q.bandIndex), 0);
  CheckDlgButton(dialog, KSB_Q_MODE, q.mode ? BST_CHECKED : BST_UNCHECKED);
  SendDlgItemMessage(dialog, KSB_Q_MODE_LIST, CB_SETCURSEL, static_cast<WPARAM>(q.modeIndex), 0);
  CheckDlgButton(dialog, KSB_Q_QSL, q.qsl ? BST_CHECKED : BST_UNCHECKED);
  CheckRadioButton(dialog, KSB_Q_QSL_NOT_SENT, KSB_Q_QSL_NOT_SENT_CFM, q.qslButton);
  enableQslButtons(dialog, q.qsl);
  CheckDlgButton(dialog, KSB_Q_EXCLUDE, q.ignore ? BST_CHECKED : BST_UNCHECKED);
  try {
    std::string buffer;
    buffer.reserve(kIgnoreTextMax + 1);
    buffer = q.ignoreText;
    SetDlgItemText(dialog, KSB_Q_EXCLUDE_TEXT, buffer.c_str());
  } catch (const std::bad_alloc&) {
    MessageBox(dialog, message(kNoTempTable), nullptr, MB_OK | MB_ICONERROR);
  }
  kswin::centreWindow(dialog, GetParent(dialog));
}

void warn(HWND dialog, int number) {
  MessageBox(dialog, message(number), nullptr, MB_OK | MB_ICONWARNING);
}

// Whether the country database (database 1 of the task) holds `prefix`;
// the logbook stays the selected database.
bool knownPrefix(const std::string& prefix) {
  DB_TASK* task = state().task;
  if (task == nullptr) return false;
  dbSelect(1, task);
  void* position = nullptr;
  int size = 0;
  const bool saved = dbCurrencySave(&position, &size, task, 1) == 0;
  char key[sizeof(CountryRecord::prefix)] = {};
  ksbase::putField(key, prefix);
  const bool found = dbKeyFind(reffield::kCountryPrefix, key, task, 1) == 0;
  if (saved) dbCurrencyRestore(position, task, 1);
  dbSelect(0, task);
  return found;
}

// The checks of OK, in order; the first that fails is shown and keeps the
// dialog open.
bool accept(HWND dialog, Query& q) {
  q.date = checked(dialog, KSB_Q_DATE);
  q.dateFrom = itemText(dialog, KSB_Q_DATE_FROM, 8);
  q.dateTo = itemText(dialog, KSB_Q_DATE_TO, 8);
  if (q.date) {
    if (q.dateFrom.empty()) return warn(dialog, kFromBlank), false;
    if (!CheckDate(q.dateFrom.c_str())) return warn(dialog, kFromBad), false;
    q.fromDay = CalcJulianDate(q.dateFrom.c_str());
    if (q.dateTo.empty()) {
      q.toDay = q.fromDay;
    } else {
      if (!CheckDate(q.dateTo.c_str())) return warn(dialog, kToBad), false;
      q.toDay = CalcJulianDate(q.dateTo.c_str());
      if (q.toDay < q.fromDay) return warn(dialog, kFromAfterTo), false;
    }
  }
  q.prefix = checked(dialog, KSB_Q_PREFIX);
  q.prefixText = itemText(dialog, KSB_Q_PREFIX_TEXT, 5);
  if (q.prefix) {
    if (q.prefixText.empty()) return warn(dialog, kPrefixBlank), false;
    if (!knownPrefix(q.prefixText)) return warn(dialog, kUnknownPrefix), false;
  }
  q.zone = checked(dialog, KSB_Q_ZONE);
  q.zoneText = itemText(dialog, KSB_Q_ZONE_TEXT, 8);
  if (q.zone) {
    BOOL ok = FALSE;
    const UINT zone = GetDlgItemInt(dialog, KSB_Q_ZONE_TEXT, &ok, FALSE);
    if (!ok || zone < 1 || zone > 40) return warn(dialog, kZoneRange), false;
    q.zoneValue = static_cast<int>(zone);
  }
  q.state = checked(dialog, KSB_Q_STATE);
  q.stateText = itemText(dialog, KSB_Q_STATE_TEXT, 2);
  if (q.state) {
    if (q.stateText.empty()) return warn(dialog, kStateBlank), false;
    if (!isState(q.stateText.c_str())) return warn(dialog, kUnknownState), false;
  }
  q.band = checked(dialog, KSB_Q_BAND);
  q.bandIndex = static_cast<int>(SendDlgItemMessage(dialog, KSB_Q_BAND_LIST, CB_GETCURSEL, 0, 0));
  if (q.band && (q.bandIndex < 0 || q.bandIndex >= kQueryBandCount))
    return warn(dialog, kBandNotSelected), false;
  q.mode = checked(dialog, KSB_Q_MODE);
  q.modeIndex = static_cast<int>(SendDlgItemMessage(dialog, KSB_Q_MODE_LIST, CB_GETCURSEL, 0, 0));
  if (q.mode && (q.modeIndex < 0 || q.modeIndex >= kQueryModeCount))
    return warn(dialog, kModeNotSelected), false;
  q.qsl = checked(dialog, KSB_Q_QSL);
  q.qslButton = 0;
  for (int id = KSB_Q_QSL_NOT_SENT; id <= KSB_Q_QSL_NOT_SENT_CFM; ++id)
    if (checked(dialog, id)) q.qslButton = id;
  if (q.qsl && q.qslButton == 0) return warn(dialog, kQslNotSelected), false;
  if (q.qslButton == 0) q.qslButton = KSB_Q_QSL_NOT_SENT;
  if (!q.date && !q.prefix && !q.mode && !q.band && !q.state && !q.qsl && !q.zone)
    return warn(dialog, kNoQuery), false;
  q.ignore = checked(dialog, KSB_Q_EXCLUDE);
  q.ignoreText = oneLine(itemText(dialog, KSB_Q_EXCLUDE_TEXT, kIgnoreTextMax));
  if (q.ignoreText.size() > kIgnoreTextMax) q.ignoreText.resize(kIgnoreTextMax);
  return true;
}

// ---- Running a query ------------------------------------------------------

// Whether the contact meets every checked criterion.
bool matches(const Query& q, const LogRecord& r) {
  using ksbase::fieldText;
  if (q.prefix && fieldText(r.prefix) != q.prefixText) return false;
  if (q.state && fieldText(r.state) != q.stateText) return false;
  if (q.zone && r.cqZone != q.zoneValue) return false;
  if (q.band && r.band != kQueryBands[q.bandIndex]) return false;
  if (q.mode) {
    const std::string word = kQueryModes[q.modeIndex];
    const std::string mode = fieldText(r.mode);
    bool ok = mode == word;
    if (!ok && word == "Phone") ok = isPhone(mode.c_str()) != 0;
    if (!ok && word == "SSB") ok = isSSB(mode.c_str()) != 0;
    if (!ok && word == "FSK") ok = isFSK(mode.c_str()) != 0;
    if (!ok && word == "SAT") ok = r.satId[0] != '\0';
    if (!ok) return false;
  }
  if (q.date && (r.julianDay < q.fromDay || r.julianDay > q.toDay)) return false;
  if (q.qsl) {
    const std::string sent = fieldText(r.qslSent), rcvd = fieldText(r.qslRcvd);
    switch (q.qslButton) {
      case KSB_Q_QSL_NOT_SENT: return sent == "N";
      case KSB_Q_QSL_SENT_NOT_CFM: return sent == "Y" && rcvd == "N";
      case KSB_Q_QSL_CFM: return rcvd == "Y";
      case KSB_Q_QSL_NOT_SENT_CFM: return sent == "N" && rcvd == "Y";
      default: return false;
    }
  }
  return true;
}

using Each = std::function<void(const LogRecord&, DB_ADDR)>;

// Every contact whose key `field` holds `value` (the field's bytes), in key
// order. A failed read ends the walk.
void walkKey(DB_TASK* task, long field, const void* value, std::size_t width,
             std::size_t offset, const Each& each) {
  if (dbKeyFind(field, value, task, 0) != 0) return;
  do {
    LogRecord r{};
    if (dbRecordRead(&r, task, 0) != 0) return;
    if (std::memcmp(reinterpret_cast<const char*>(&r) + offset, value, width) != 0) return;
    DB_ADDR address = 0;
    if (dbCurrentGet(&address, task, 0) != 0) return;
    each(r, address);
  } while (dbKeyNext(field, task, 0) == 0);
}

// Every contact in database order.
void walkAll(DB_TASK* task, const Each& each) {
  if (dbRecordFirst(kLogRecordType, task, 0) != 0) return;
  do {
    LogRecord r{};
    if (dbRecordRead(&r, task, 0) != 0) return;
    DB_ADDR address = 0;
    if (dbCurrentGet(&address, task, 0) != 0) return;
    each(r, address);
  } while (dbRecordNext(task, 0) == 0);
}

void readContacts(DB_TASK* task, const Query& q, const Each& each) {
  if (q.band) {
    const std::uint16_t band = static_cast<std::uint16_t>(kQueryBands[q.bandIndex]);
    walkKey(task, logfield::kBand, &band, sizeof band, offsetof(LogRecord, band), each);
  } else if (q.prefix) {
    char prefix[sizeof(LogRecord::prefix)] = {};
    ksbase::putField(prefix, q.prefixText);
    walkKey(task, logfield::kPrefix, prefix, sizeof prefix, offsetof(LogRecord, prefix), each);
  } else if (q.state) {
    char st[sizeof(LogRecord::state)] = {};
    ksbase::putField(st, q.stateText);
    walkKey(task, logfield::kState, st, sizeof st, offsetof(LogRecord, state), each);
  } else if (q.zone) {
    const std::uint16_t zone = static_cast<std::uint16_t>(q.zoneValue);
    walkKey(task, logfield::kCqZone, &zone, sizeof zone, offsetof(LogRecord, cqZone), each);
  } else if (q.mode) {
    const std::string word = kQueryModes[q.modeIndex];
    if (word == "Phone" || word == "SSB" || word == "FSK" || word == "SAT") {
      walkAll(task, each);
    } else {
      char mode[sizeof(LogRecord::mode)] = {};
      ksbase::putField(mode, word);
      walkKey(task, logfield::kMode, mode, sizeof mode, offsetof(LogRecord, mode), each);
    }
  } else if (q.date) {
    for (std::int32_t day = q.fromDay; day <= q.toDay; ++day)
      walkKey(task, logfield::kJulianDay, &day, sizeof day, offsetof(LogRecord, julianDay), each);
  } else {
    walkAll(task, each);
  }
}

}  // namespace

Query readQuery() {
  Query q;
  q.date = readSwitch("DateQuery");
  q.dateFrom = readText("DateFromQuery", 8);
  q.dateTo = readText("DateToQuery", 8);
  q.fromDay = CalcJulianDate(q.dateFrom.c_str());
  q.toDay = q.dateTo.empty() ? q.fromDay : CalcJulianDate(q.dateTo.c_str());
  q.prefix = readSwitch("PrefixQuery");
  q.prefixText = readText("Prefix", 5);
  q.state = readSwitch("StateQuery");
  q.stateText = readText("State", 2);
  q.zone = readSwitch("ZoneQuery");
  q.zoneText = readText("Zone", 8);
  q.zoneValue = readNumber("Zone", 0);
  q.band = readSwitch("BandQuery");
  q.bandIndex = readNumber("Band", -1);
  if (q.bandIndex >= kQueryBandCount) q.bandIndex = -1;
  q.mode = readSwitch("ModeQuery");
  q.modeIndex = readNumber("Mode", -1);
  if (q.modeIndex >= kQueryModeCount) q.modeIndex = -1;
  q.qsl = readSwitch("QSLQuery");
  q.qslButton = readNumber("QSL", KSB_Q_QSL_NOT_SENT);
  if (q.qslButton < KSB_Q_QSL_NOT_SENT || q.qslButton > KSB_Q_QSL_NOT_SENT_CFM)
    q.qslButton = KSB_Q_QSL_NOT_SENT;
  q.ignore = readSwitch("Ignore");
  q.ignoreText = readText("IgnorePrefix", kIgnoreTextMax);
  return q;
}

void writeQuery(const Query& q) {
  writeNumber("DateQuery", q.date);
  writeText("DateFromQuery", q.dateFrom);
  writeText("DateToQuery", q.dateTo);
  writeNumber("PrefixQuery", q.prefix);
  writeText("Prefix", q.prefixText);
  writeNumber("StateQuery", q.state);
  writeText("State", q.stateText);
  writeNumber("ZoneQuery", q.zone);
  writeText("Zone", q.zoneText);
  writeNumber("BandQuery", q.band);
  writeNumber("Band", q.bandIndex);
  writeNumber("ModeQuery", q.mode);
  writeNumber("Mode", q.modeIndex);
  writeNumber("QSLQuery", q.qsl);
  writeNumber("QSL", q.qslButton);
  writeNumber("Ignore", q.ignore);
  writeText("IgnorePrefix", q.ignoreText);
}

void buildIgnoreTable(const std::string& text) {
  State& s = state();
  if (s.ignore == nullptr) return;
  for (auto& slot : *s.ignore) slot.fill('\0');
  s.ignoreCount = 0;
  countrytext::FieldTokenizer fields(text);
  while (!fields.atEnd() && s.ignoreCount < kIgnoreSlots) {
    const std::string prefix = fields.next(kIgnoreSlotSize - 2);
    if (prefix.empty()) continue;
    auto& slot = (*s.ignore)[static_cast<std::size_t>(s.ignoreCount++)];
    ksbase::putField(slot.data(), slot.size(), prefix);
  }
}

void runQuery(HWND window) {
  State& s = state();
  DB_TASK* task = s.task;
  SendMessage(window, KM_BROWSER_EMPTY, 0, 0);
  if (task != nullptr) {
    void* position = nullptr;
    int size = 0;
    const bool saved = dbCurrencySave(&position, &size, task, 0) == 0;
    WaitCursor(window, 1);
    sendTable(WM_SETREDRAW, 0, 0);
    const Query q = s.query;
    readContacts(task, q, [&](const LogRecord& r, DB_ADDR address) {
      if (matches(q, r)) FillBrowserLine(0, &r, address, 1);
    });
    sendTable(WM_SETREDRAW, 1, 0);
    InvalidateRect(s.table, nullptr, TRUE);
    WaitCursor(window, 0);
    if (saved) dbCurrencyRestore(position, task, 0);
  }
  if (rowCount() == 0) MessageBox(window, message(kNothingFound), nullptr, MB_OK | MB_ICONWARNING);
}

void registerQueryDialog() {
  using namespace kswin::controls;
  auto at = [](kswin::ControlTemplate c, int x, int y, int cx, int cy) {
    c.x = x;
    c.y = y;
    c.cx = cx;
    c.cy = cy;
    return c;
  };
  kswin::DialogTemplate d;
  d.title = "Define Query";
  d.cx = 240;
  d.cy = 200;
  d.controls = {
      at(staticText(-1, "Check fields and fill in values you wish to query."), 8, 4, 224, 8),
      at(checkBox(KSB_Q_DATE, "&Date"), 8, 18, 44, 10),
      at(edit(KSB_Q_DATE_FROM), 56, 17, 44, 12),
      at(staticText(-1, "to"), 104, 19, 12, 8),
      at(edit(KSB_Q_DATE_TO), 118, 17, 44, 12),
      at(checkBox(KSB_Q_PREFIX, "&Prefix"), 8, 34, 44, 10),
      at(edit(KSB_Q_PREFIX_TEXT, ES_AUTOHSCROLL | ES_UPPERCASE), 56, 33, 30, 12),
      at(checkBox(KSB_Q_ZONE, "&Zone"), 8, 50, 44, 10),
      at(edit(KSB_Q_ZONE_TEXT, ES_AUTOHSCROLL | ES_NUMBER), 56, 49, 20, 12),
      at(checkBox(KSB_Q_STATE, "&State"), 8, 66, 44, 10),
      at(edit(KSB_Q_STATE_TEXT, ES_AUTOHSCROLL | ES_UPPERCASE), 56, 65, 20, 12),
      at(checkBox(KSB_Q_BAND, "&Band"), 8, 82, 44, 10),
      at(comboBox(KSB_Q_BAND_LIST), 56, 81, 44, 80),
      at(checkBox(KSB_Q_MODE, "&Mode"), 8, 98, 44, 10),
      at(comboBox(KSB_Q_MODE_LIST), 56, 97, 44, 80),
      at(checkBox(KSB_Q_EXCLUDE, "E&xclude"), 8, 114, 44, 10),
      at(edit(KSB_Q_EXCLUDE_TEXT, ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN), 56, 113, 176,
         36),
      at(checkBox(KSB_Q_QSL, "&QSL"), 170, 18, 40, 10),
      at(groupBox(KSB_Q_QSL_GROUP, ""), 166, 30, 70, 66),
      at(radioButton(KSB_Q_QSL_NOT_SENT, "Not Sent", true), 170, 40, 62, 10),
      at(radioButton(KSB_Q_QSL_SENT_NOT_CFM, "Sent/Not Cfm"), 170, 52, 62, 10),
      at(radioButton(KSB_Q_QSL_CFM, "Cfm"), 170, 64, 62, 10),
      at(radioButton(KSB_Q_QSL_NOT_SENT_CFM, "Not Sent/Confirmed"), 170, 76, 62, 18),
      at(pushButton(IDOK, "&OK", true), 60, 160, 50, 14),
      at(pushButton(IDCANCEL, "&Cancel"), 130, 160, 50, 14),
  };
  kswin::registerDialog(kDialogName, d);
}

}  // namespace ksbrowse

using namespace ksbrowse;

extern "C" INT_PTR DefineQueryProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  try {
    switch (message) {
      case WM_INITDIALOG: initDialog(dialog); return TRUE;
      case WM_COMMAND: {
        const int id = LOWORD(wParam);
        switch (id) {
          case KSB_Q_PREFIX:
          case KSB_Q_ZONE:
          case KSB_Q_STATE:
            // Prefix, zone and state exclude one another.
            if (checked(dialog, id))
              for (int other : {KSB_Q_PREFIX, KSB_Q_ZONE, KSB_Q_STATE})
                if (other != id) CheckDlgButton(dialog, other, BST_UNCHECKED);
            return TRUE;
          case KSB_Q_QSL: enableQslButtons(dialog, checked(dialog, KSB_Q_QSL)); return TRUE;
          case IDOK: {
            Query q;
            if (!accept(dialog, q)) return TRUE;
            State& s = state();
            s.query = q;
            EndDialog(dialog, 1);
            writeQuery(q);
            buildIgnoreTable(q.ignoreText);
            return TRUE;
          }
          case IDCANCEL: EndDialog(dialog, 0); return TRUE;
          default: return FALSE;
        }
      }
      default: return FALSE;
    }
  } catch (...) {
    return FALSE;
  }
}
