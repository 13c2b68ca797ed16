// The desktop host under Qt's offscreen platform: how long a dialog takes to
// come up (made, laid out and painted by Qt) and how long one repaint of the
// data table takes with 100,000 rows, scrolled anywhere (60 frames a second
// leave 16.7 ms a frame).
#include <QAbstractItemView>
#include <QApplication>
#include <QScrollBar>
#include <QTableView>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "winlayer/datatable.h"
#include "winlayer/qt/qthost.h"

namespace {

kswin::QtHost& host() {
  static kswin::QtHost* made = [] {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    auto* h = new kswin::QtHost();
    kswin::setHost(h);
    using namespace kswin::controls;
    kswin::DialogTemplate dialog;
    dialog.title = "Contact";
    dialog.cx = 240;
    dialog.cy = 160;
    for (int i = 0; i < 8; ++i) {
      auto label = staticText(100 + i, "Field:");
      label.x = 6; label.y = 6 + 14 * i; label.cx = 40; label.cy = 10;
      auto field = edit(200 + i);
      field.x = 50; field.y = 6 + 14 * i; field.cx = 90; field.cy = 12;
      dialog.controls.push_back(label);
      dialog.controls.push_back(field);
    }
    auto list = listBox(300);
    list.x = 150; list.y = 6; list.cx = 80; list.cy = 100;
    auto ok = pushButton(IDOK, "OK", true);
    ok.x = 130; ok.y = 140; ok.cx = 50; ok.cy = 14;
    auto cancel = pushButton(IDCANCEL, "Cancel");
    cancel.x = 184; cancel.y = 140; cancel.cx = 50; cancel.cy = 14;
    dialog.controls.insert(dialog.controls.end(), {list, ok, cancel});
    kswin::registerDialog("BENCHDLG", dialog);
    return h;
  }();
  return *made;
}

INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM, LPARAM) {
  if (message == WM_INITDIALOG) {
    for (int i = 0; i < 40; ++i)
      SendDlgItemMessage(dialog, 300, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("20M CW"));
    return TRUE;
  }
  return FALSE;
}

// From CreateDialog to the dialog painted on the (offscreen) screen.
void BM_DialogOpen(benchmark::State& state) {
  host();
  for (auto _ : state) {
    HWND dialog = CreateDialog(nullptr, "BENCHDLG", nullptr, dialogProc);
    host().sync();
    QWidget* window = host().widgetOf(dialog);
    window->repaint();
    QApplication::processEvents();
    state.PauseTiming();
    DestroyWindow(dialog);
    QApplication::processEvents();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_DialogOpen)->Unit(benchmark::kMillisecond);

LRESULT CALLBACK plainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProc(window, message, wParam, lParam);
}

// One repaint of a 100,000-row table, at a new scroll position each time.
void BM_TableRepaint(benchmark::State& state) {
  host();
  WNDCLASS wc{};
  wc.lpfnWndProc = plainProc;
  wc.lpszClassName = "BenchTable";
  RegisterClass(&wc);
  HWND window = CreateWindow("BenchTable", "Rows", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 800,
                             600, nullptr, nullptr, nullptr, nullptr);
  HWND table = CreateWindow(DT_CLASS_NAME, "", DT_CONTROL_STYLE | WS_VISIBLE, 0, 0, 800, 600, window,
                            reinterpret_cast<HMENU>(1), nullptr, nullptr);
  const int lengths[] = {14, 10, 6, 6, 6, 30, 8};
  SendMessage(table, DT_SETCOLUMNCOUNT, 7, 0);
  size_t size = 0;
  for (int c = 0; c < 7; ++c) {
    SendMessage(table, DT_SETCOLUMNLENGTH, static_cast<WPARAM>(c), lengths[c]);
    SendMessage(table, DT_SETCOLUMNWIDTH, static_cast<WPARAM>(c), lengths[c] * 4);
    size += static_cast<size_t>(lengths[c]);
  }
  std::vector<char> row((size + 3) / 4 * 4, 0);
  for (int i = 0; i < 100000; ++i) {
    std::snprintf(row.data(), 14, "DL%dABC", i);
    std::snprintf(row.data() + 14, 10, "03-15-24");
    std::snprintf(row.data() + 36, 30, "Federal Republic of Germany");
    SendMessage(table, DT_APPENDROW, 0, reinterpret_cast<LPARAM>(row.data()));
  }
  host().settle(20);
  auto* view = static_cast<QTableView*>(host().widgetOf(table));
  QScrollBar* bar = view->verticalScrollBar();
  int position = 0;
  for (auto _ : state) {
    position = (position + 997) % (bar->maximum() + 1);
    bar->setValue(position);
    view->viewport()->repaint();
  }
  state.counters["rows"] = static_cast<double>(view->model()->rowCount());
  DestroyWindow(window);
  QApplication::processEvents();
}
BENCHMARK(BM_TableRepaint)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
