// The detail table: its 17 columns, how each award shows them, and the
// rows read back as text lines.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "winlayer/datatable.h"
#include "internal.h"
#include "winlayer/winlayer.h"

namespace ksdetail {
namespace {

struct Column {
  int type;
  int length;
};

// Types and lengths of the 17 columns, in row order.
constexpr Column kColumns[17] = {
    {DT_TYPE_TEXT, 2},  {DT_TYPE_TEXT, 6},  {DT_TYPE_TEXT, 6},  {DT_TYPE_INT16, 2},
    {DT_TYPE_TEXT, 3},  {DT_TYPE_TEXT, 5},  {DT_TYPE_TEXT, 21}, {DT_TYPE_TEXT, 15},
    {DT_TYPE_TEXT, 9},  {DT_TYPE_TEXT, 6},  {DT_TYPE_TEXT, 6},  {DT_TYPE_TEXT, 5},
    {DT_TYPE_TEXT, 4},  {DT_TYPE_TEXT, 4},  {DT_TYPE_TEXT, 9},  {DT_TYPE_TEXT, 2},
    {DT_TYPE_INT32, 4},
};

constexpr int kShownLeftFlags = 320;

struct Shown {
  int column;
  int flags;
  int width;  // 4 per character
  const char* mask;
  const char* title;
};

// The columns every award shows after its own.
void commonColumns(Layout layout, Shown* out, int& n) {
  const bool wide = layout == Layout::Was || layout == Layout::Vucc;
  out[n++] = {7, DT_FLAG_LEFT, wide ? 56 : 44, "", "Call Sign"};
  out[n++] = {8, DT_FLAG_LEFT, 32, "", "Date"};
  out[n++] = {9, DT_FLAG_LEFT, 22, "", "Time"};
  out[n++] = {10, DT_FLAG_LEFT, layout == Layout::Vucc ? 24 : 20, "", "Band"};
  out[n++] = {11, DT_FLAG_LEFT, 24, "", "Mode"};
  out[n++] = {12, DT_FLAG_LEFT, 15, "uuu", "Rcv"};
  out[n++] = {13, DT_FLAG_CENTER, 16, "", "QSL"};
  out[n++] = {14, DT_FLAG_LEFT, 34, "", "QSL Date"};
}

int shownColumns(Layout layout, Shown* out) {
  int n = 0;
  out[n++] = {0, kShownLeftFlags, 8, "", ""};
  switch (layout) {
    case Layout::Dxcc:
      out[n++] = {1, DT_FLAG_LEFT, 24, "", "Prefix"};
      out[n++] = {6, DT_FLAG_LEFT, 70, "", "Country"};
      break;
    case Layout::Cq:
      out[n++] = {3, DT_FLAG_LEFT, 12, "??", "CQ"};
      out[n++] = {6, DT_FLAG_LEFT, 82, "", "Country"};
      break;
    case Layout::Was: out[n++] = {4, kShownLeftFlags, 24, "", "State"}; break;
    case Layout::Vucc: out[n++] = {5, kShownLeftFlags, 24, "", "Grid"}; break;
    case Layout::Usca:
      out[n++] = {4, DT_FLAG_LEFT, 24, "", "State"};
      out[n++] = {6, DT_FLAG_LEFT, 78, "", "County"};
      break;
    case Layout::Iota:
      out[n++] = {1, DT_FLAG_LEFT, 24, "", "Prefix"};
      out[n++] = {2, DT_FLAG_LEFT, 24, "", "IOTA"};
      out[n++] = {6, DT_FLAG_LEFT, 70, "", "Country"};
      break;
  }
  commonColumns(layout, out, n);
  return n;
}

LRESULT send(UINT message, WPARAM wParam, LPARAM lParam) {
  return SendMessage(state().table, message, wParam, lParam);
}

LPARAM text(const char* t) { return reinterpret_cast<LPARAM>(t); }

// Reads row `row` into `buffer`; false when there is no such row.
bool readRow(int row, DetailRow& buffer) {
  State& s = state();
  if (s.table == nullptr || row < 0) return false;
  if (send(DT_SETCURRENTROW, 0, row) < 0) return false;
  return send(DT_GETROW, 0, reinterpret_cast<LPARAM>(&buffer)) >= 0;
}

// The row's texts as the line layouts print them.
struct RowTexts {
  std::string marker, prefix, state, grid, country, call, date, time, band, mode, rcv, qsl,
      qslDate;
  int zone = 0;
};

RowTexts textsOf(const DetailRow& r) {
  RowTexts t;
  t.marker = fieldText(r.marker);
  t.prefix = fieldText(r.prefix);
  t.state = fieldText(r.state);
  t.grid = fieldText(r.grid);
  t.country = fieldText(r.country);
  t.call = fieldText(r.call);
  t.date = fieldText(r.date);
  t.time = fieldText(r.time);
  t.band = fieldText(r.band);
  t.mode = fieldText(r.mode);
  t.rcv = fieldText(r.rcv);
  t.qsl = fieldText(r.qsl);
  t.qslDate = fieldText(r.qslDate);
  t.zone = r.cqZone;
  return t;
}

constexpr std::size_t kLineRoom = 160;

int formatLine(const RowTexts& t, int kind, char* out) {
  int n = 0;
  switch (kind) {
    case kDxcc:
    case kIota:
      n = std::snprintf(out, kLineRoom, "%s %-5s %-17.17s %-12s %-8s %-5s %-3s %-4s %-3s %s %s",
                        t.marker.c_str(), t.prefix.c_str(), t.country.c_str(), t.call.c_str(),
                        t.date.c_str(), t.time.c_str(), t.band.c_str(), t.mode.c_str(),
                        t.rcv.c_str(), t.qsl.c_str(), t.qslDate.c_str());
      break;
    case kCq:
      n = std::snprintf(out, kLineRoom,
                        "%s %2d %-5s %-16.16s %-11s %-8s %-5s %-3s %-4s %-3s %s %s",
                        t.marker.c_str(), t.zone, t.prefix.c_str(), t.country.c_str(),
                        t.call.c_str(), t.date.c_str(), t.time.c_str(), t.band.c_str(),
                        t.mode.c_str(), t.rcv.c_str(), t.qsl.c_str(), t.qslDate.c_str());
      break;
    case kWas:
      n = std::snprintf(out, kLineRoom, "%s %2s %-14s %-8s %-5s %-3s %-4s %-3s %s %s",
                        t.marker.c_str(), t.state.c_str(), t.call.c_str(), t.date.c_str(),
                        t.time.c_str(), t.band.c_str(), t.mode.c_str(), t.rcv.c_str(),
                        t.qsl.c_str(), t.qslDate.c_str());
      break;
    case kVucc:
      n = std::snprintf(out, kLineRoom, "%s %4s %-14s %-8s %-5s %-5s %-4s %-3s %s %s",
                        t.marker.c_str(), t.grid.c_str(), t.call.c_str(), t.date.c_str(),
                        t.time.c_str(), t.band.c_str(), t.mode.c_str(), t.rcv.c_str(),
                        t.qsl.c_str(), t.qslDate.c_str());
      break;
    case kUsca:
      n = std::snprintf(out, kLineRoom, "%s %2s %20s %-12s %-8s %-5s %-3s %-4s %-3s %s %s",
                        t.marker.c_str(), t.state.c_str(), t.country.c_str(), t.call.c_str(),
                        t.date.c_str(), t.time.c_str(), t.band.c_str(), t.mode.c_str(),
                        t.rcv.c_str(), t.qsl.c_str(), t.qslDate.c_str());
      break;
    default: return kind - 1;
  }
  return n < 0 ? 0 : std::min<int>(n, static_cast<int>(kLineRoom) - 1);
}

// MM-DD-YY as DD/MM/YY, each part the number of its two characters. A
// row without a whole date (blank and total rows) keeps what it has.
std::string submissionDate(const std::string& date) {
  if (date.size() != 8) return date;
  auto part = [&](std::size_t at) { return std::atoi(date.substr(at, 2).c_str()); };
  char out[16];
  std::snprintf(out, sizeof out, "%02d/%02d/%02d", part(3) % 100, part(0) % 100, part(6) % 100);
  return out;
}

}  // namespace

void clearRow(DetailRow& row) {
  row = DetailRow{};
  row.marker[0] = ' ';
}

void defineTable(Layout layout) {
  send(DT_RESET, 0, 0);
  send(DT_SETCOLUMNCOUNT, 17, 0);
  Shown shown[17];
  const int count = shownColumns(layout, shown);
  for (int col = 0; col < 17; ++col) {
    send(DT_SETCOLUMNTYPE, static_cast<WPARAM>(col), kColumns[col].type);
    send(DT_SETCOLUMNLENGTH, static_cast<WPARAM>(col), kColumns[col].length);
    const Shown* s = nullptr;
    for (int i = 0; i < count; ++i)
      if (shown[i].column == col) s = &shown[i];
    if (s == nullptr) {
      send(DT_SETCOLUMNFLAGS, static_cast<WPARAM>(col), DT_FLAG_HIDDEN);
      continue;
    }
    send(DT_SETCOLUMNFLAGS, static_cast<WPARAM>(col), s->flags);
    send(DT_SETCOLUMNWIDTH, static_cast<WPARAM>(col), s->width);
    if (s->mask[0] != '\0') send(DT_SETCOLUMNMASK, static_cast<WPARAM>(col), text(s->mask));
    send(DT_SETCOLUMNTITLE, static_cast<WPARAM>(col), text(s->title));
  }
  send(DT_DELETEALLROWS, 0, 0);
  send(DT_SETCURRENTROW, 0, DT_NOROW);
}

int appendRow(const DetailRow& row) {
  return static_cast<int>(send(DT_APPENDROW, 0, reinterpret_cast<LPARAM>(&row)));
}

void sortByKeys(int key1, int key2, int key3, bool announce) {
  if (announce) send(DT_MULTIKEYSORT, 0, 1);
  const int keys[3] = {key1, key2, key3};
  for (int i = 0; i < 3; ++i)
    if (keys[i] >= 0) send(DT_SETSORTKEY, static_cast<WPARAM>(keys[i]), i + 1);
  send(DT_SORT, static_cast<WPARAM>(DT_SORTBYKEYS), DT_ORDER_EXACT);
}

void sortByColumn(int column) {
  send(DT_SORT, static_cast<WPARAM>(column), DT_ORDER_EXACT);
  send(DT_SORT, static_cast<WPARAM>(DT_SORTBYKEYS), DT_ORDER_EXACT);
}

void appendTotals(int count) {
  DetailRow row;
  clearRow(row);
  appendRow(row);
  char total[32];
  std::snprintf(total, sizeof total, "Total: %d", count);
  putField(row.country, total);
  appendRow(row);
}

}  // namespace ksdetail

using namespace ksdetail;

extern "C" {

int GetDetailTableCount(void) {
  try {
    State& s = state();
    if (s.table == nullptr) return 0;
    return static_cast<int>(SendMessage(s.table, DT_GETROWCOUNT, 0, 0));
  } catch (...) {
    return 0;
  }
}

int GetDetailTableLine(int row, char* out) {
  try {
    const int kind = state().kind;
    if (kind < kDxcc || kind > kIota) return kind - 1;
    DetailRow buffer{};
    if (out == nullptr || !readRow(row, buffer)) return 0;
    return formatLine(textsOf(buffer), kind, out);
  } catch (...) {
    return 0;
  }
}

int GetDXCCReportDetailTableLine(int row, char* out) {
  try {
    const int kind = state().kind;
    if (kind < kDxcc || kind > kIota) return kind - 1;
    DetailRow buffer{};
    if (out == nullptr || !readRow(row, buffer)) return 0;
    RowTexts t = textsOf(buffer);
    t.date = submissionDate(t.date);
    if (kind != kDxcc && kind != kIota) return formatLine(t, kind, out);
    const int n = std::snprintf(out, kLineRoom, "     %5d     %-12s  %-8s  %-3s   %-4s   %-17.17s",
                                row + 1, t.call.c_str(), t.date.c_str(), t.band.c_str(),
                                t.mode.c_str(), t.country.c_str());
    return n < 0 ? 0 : std::min<int>(n, static_cast<int>(kLineRoom) - 1);
  } catch (...) {
    return 0;
  }
}

}  // extern "C"
