// Lines fed by the host: one contact a line, added or replaced.
#include <cstring>

#include "base/cabi.h"
#include "internal.h"
#include "winlayer/datatable.h"

namespace ksbrowse {
namespace {

// Lets the windows of the thread work between two lines of a long fill.
void pump() {
  MSG msg;
  while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // The host's own loop ends on it.
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    TranslateMessage(&msg);
    DispatchMessage(&msg);
  }
}

// The first line holding `recordKey`, made current and read; -1 when none.
int findLine(int recordKey) {
  State& s = state();
  const int rows = rowCount();
  for (int row = 0; row < rows; ++row) {
    if (!readRow(row)) return -1;
    if (s.scratch.recordKey == recordKey) return row;
  }
  return -1;
}

}  // namespace

void replaceLine(int row, const LogRecord& record, int recordKey) {
  State& s = state();
  s.scratch = rowOf(record, recordKey);
  sendTable(DT_SETCURRENTROW, 0, row);
  sendTable(DT_PUTROW, 0, reinterpret_cast<LPARAM>(&s.scratch));
  sendTable(DT_MARKROW, 1, row);
  sendTable(DT_SCROLLTOROW, 0, row);
}

bool excluded(const char* prefix) {
  State& s = state();
  if (!s.query.ignore || s.ignoreCount <= 0 || s.ignore == nullptr) return false;
  for (int i = 0; i < s.ignoreCount; ++i) {
    const auto& slot = (*s.ignore)[static_cast<std::size_t>(i)];
    if (std::strncmp(slot.data(), prefix, kIgnoreSlotSize) == 0) return true;
  }
  return false;
}

}  // namespace ksbrowse

using namespace ksbrowse;

extern "C" {

void FillBrowserLine(int, const void* record, int recordKey, int applyIgnore) {
  ksbase::guardedVoid(
      [&] {
        State& s = state();
        if (s.table == nullptr || record == nullptr) return;
        const LogRecord& r = *static_cast<const LogRecord*>(record);
        char prefix[sizeof r.prefix + 1] = {};
        std::memcpy(prefix, r.prefix, sizeof r.prefix);
        if (applyIgnore != 0 && excluded(prefix)) return;
        s.scratch = rowOf(r, recordKey);
        sendTable(DT_APPENDROW, 0, reinterpret_cast<LPARAM>(&s.scratch));
        pump();
      },
      [] {});
}

int UpdateBrowserLine(int, const void* record, int recordKey) {
  return ksbase::guarded(0, [&] {
    if (state().table == nullptr || record == nullptr) return 0;
    const int row = findLine(recordKey);
    if (row < 0) return 0;
    replaceLine(row, *static_cast<const LogRecord*>(record), recordKey);
    return 1;
  });
}

}  // extern "C"
