// The progress dialog of every award computation, and the frame a
// computation runs in.
#include <cstdio>

#include "internal.h"
#include "winlayer/winlayer.h"
#include "winlayer/host.h"

namespace ksdetail {
namespace {

constexpr const char* kDialogName = "REPORTDLG";
constexpr int kCountText = 103;
// The running count is shown every this many records (a console host draws
// it as a progress line).
constexpr long kCountEvery = 4096;

void registerDialog() {
  static bool done = false;
  if (done) return;
  using namespace kswin::controls;
  kswin::DialogTemplate dialog;
  dialog.title = "Work in progress";
  dialog.cx = 140;
  dialog.cy = 70;
  dialog.controls = {staticText(101, "Generating Report"), staticText(102, "Please Wait"),
                     staticText(kCountText, ""), pushButton(IDCANCEL, "Cancel")};
  kswin::registerDialog(kDialogName, dialog);
  done = true;
}

}  // namespace

Computation::Computation(HWND owner, DB_TASK* task) : owner_(owner), task_(task) {
  State& s = state();
  s.cancel = false;
  s.recordsRead = 0;
  registerDialog();
  s.progress = CreateDialog(nullptr, kDialogName, owner, ProgressDlgProc);
  if (s.progress != nullptr) ShowWindow(s.progress, SW_SHOW);
  if (owner_ != nullptr) EnableWindow(owner_, FALSE);
  int size = 0;
  if (dbCurrencySave(&position_, &size, task_, 0) != 0) position_ = nullptr;
  dbSelect(0, task_);
}

Computation::~Computation() {
  State& s = state();
  if (position_ != nullptr) dbCurrencyRestore(position_, task_, 0);
  if (owner_ != nullptr) EnableWindow(owner_, TRUE);
  if (s.progress != nullptr) DestroyWindow(s.progress);
  s.progress = nullptr;
}

bool Computation::step() {
  State& s = state();
  if (++s.recordsRead % kCountEvery == 0 && s.progress != nullptr) {
    char count[24];
    std::snprintf(count, sizeof count, "%ld", s.recordsRead);
    SetDlgItemText(s.progress, kCountText, count);
  }
  ProgressYield(s.progress);
  return !s.cancel;
}

}  // namespace ksdetail

using namespace ksdetail;

extern "C" {

INT_PTR ProgressDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: kswin::centreWindow(dialog, GetParent(dialog)); return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL) {
        state().cancel = true;
        return TRUE;
      }
      return FALSE;
    default: return FALSE;
  }
}

int ProgressYield(HWND dialog) {
  try {
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        // The host's own loop ends on it.
        PostQuitMessage(static_cast<int>(msg.wParam));
        break;
      }
      if (dialog != nullptr && IsDialogMessage(dialog, &msg)) continue;
      TranslateMessage(&msg);
      DispatchMessage(&msg);
    }
  } catch (...) {
  }
  return 0;
}

}  // extern "C"
