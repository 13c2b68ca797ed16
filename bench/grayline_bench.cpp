// What the grayline window costs once a minute: computing the Sun and the
// terminator and painting day and night into the 720 x 360 map, alone and
// as the window's timer tick and repaint.
#include <benchmark/benchmark.h>

#include "grayline/grayline.h"
#include "window.h"
#include "winlayer/winlayer.h"

namespace {

ksgrayline::UtcTime instant(int k) {
  // A different minute (and day) every time, so no two runs paint alike.
  return ksgrayline::UtcTime{2024, 1 + k % 12, 1 + k % 28, k % 24, k % 60, 0};
}

void ComputeAndPaint(benchmark::State& state) {
  ksgrayline::Picture picture;
  if (!ksgrayline::loadMap(picture)) state.SkipWithError("no map");
  int k = 0;
  for (auto _ : state) {
    ksgrayline::render(picture, instant(k++));
    benchmark::DoNotOptimize(picture.pixels.data());
  }
}
BENCHMARK(ComputeAndPaint)->Unit(benchmark::kMicrosecond);

void WindowTimerTick(benchmark::State& state) {
  int k = 0;
  ksgrayline::setClock([&k] { return instant(k); });
  HWND window = CreateGraylineWnd(nullptr, nullptr);
  InitGrayline(0);
  for (auto _ : state) {
    ++k;
    SendMessage(window, WM_TIMER, ksgrayline::kTimerId, 0);
    UpdateWindow(window);  // the repaint the tick asked for
  }
  DestroyWindow(window);
}
BENCHMARK(WindowTimerTick)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
