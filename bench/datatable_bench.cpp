// What the data table costs where users wait: sorting a browser-sized list.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>

#include "winlayer/datatable.h"
#include "winlayer/winlayer.h"

namespace {

// The browser's 84-byte line: 15 columns as the browser defines them.
const int kColumns[][2] = {{135, 9}, {135, 6}, {135, 12}, {135, 5},  {130, 2},
                           {135, 4}, {135, 4}, {135, 17}, {135, 2},  {135, 2},
                           {135, 6}, {135, 3}, {135, 3},  {131, 4},  {131, 4}};

HWND makeTable(int rows) {
  HWND table = CreateWindow(DT_CLASS_NAME, "Test", DT_CONTROL_STYLE & ~WS_CHILD, 0, 0, 0, 0,
                            nullptr, nullptr, nullptr, nullptr);
  SendMessage(table, DT_RESET, 0, 0);
  SendMessage(table, DT_SETCOLUMNCOUNT, 15, 0);
  for (int col = 0; col < 15; ++col) {
    SendMessage(table, DT_SETCOLUMNTYPE, static_cast<WPARAM>(col), kColumns[col][0]);
    SendMessage(table, DT_SETCOLUMNLENGTH, static_cast<WPARAM>(col), kColumns[col][1]);
  }
  std::mt19937 random(42);
  char line[84];
  for (int i = 0; i < rows; ++i) {
    std::memset(line, 0, sizeof line);
    std::snprintf(line + 15, 12, "%c%d%c%c%c", 'A' + static_cast<int>(random() % 26),
                  static_cast<int>(random() % 10), 'A' + static_cast<int>(random() % 26),
                  'A' + static_cast<int>(random() % 26), 'A' + static_cast<int>(random() % 26));
    std::snprintf(line + 9, 6, "%02d%02d", static_cast<int>(random() % 24),
                  static_cast<int>(random() % 60));
    const int16_t band = static_cast<int16_t>(random() % 19);
    std::memcpy(line + 32, &band, 2);
    const int32_t day = 30000 + static_cast<int32_t>(random() % 9000);
    std::memcpy(line + 80, &day, 4);
    SendMessage(table, DT_APPENDROW, 0, reinterpret_cast<LPARAM>(line));
  }
  return table;
}

void SortByCall(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    HWND table = makeTable(static_cast<int>(state.range(0)));
    state.ResumeTiming();
    SendMessage(table, DT_SORT, 2, DT_ORDER_NOCASE);
    state.PauseTiming();
    DestroyWindow(table);
    state.ResumeTiming();
  }
}
BENCHMARK(SortByCall)->Arg(100000)->Unit(benchmark::kMillisecond);

void SortByDateAndTime(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    HWND table = makeTable(static_cast<int>(state.range(0)));
    SendMessage(table, DT_SETSORTKEY, 14, 1);
    SendMessage(table, DT_SETSORTKEY, 1, 2);
    SendMessage(table, DT_SETSORTKEY, 4, 3);
    state.ResumeTiming();
    SendMessage(table, DT_SORT, static_cast<WPARAM>(DT_SORTBYKEYS), 0);
    state.PauseTiming();
    DestroyWindow(table);
    state.ResumeTiming();
  }
}
BENCHMARK(SortByDateAndTime)->Arg(100000)->Unit(benchmark::kMillisecond);

void AppendRows(benchmark::State& state) {
  for (auto _ : state) {
    HWND table = makeTable(static_cast<int>(state.range(0)));
    state.PauseTiming();
    DestroyWindow(table);
    state.ResumeTiming();
  }
}
BENCHMARK(AppendRows)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
