// What an import sees of the program around it: the progress dialog with
// its Cancel button, the console, the key rebuild, reopening, and the
// report viewer.
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "programstate.h"
#include "strings.h"
#include "keybld/kskeybld.h"
#include "winlayer/host.h"

extern char** environ;

namespace ksimport::app {
namespace {

constexpr int kCountText = 100;
constexpr UINT kShowCount = 1094;

INT_PTR CALLBACK progressProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: kswin::centreWindow(dialog, GetParent(dialog)); return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == kShowCount) {
        char count[24];
        std::snprintf(count, sizeof count, "%ld", static_cast<long>(lParam));
        SetDlgItemText(dialog, kCountText, count);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        state().cancel = true;
        return TRUE;
      }
      return FALSE;
    default: return FALSE;
  }
}

// Lets what is queued through: the progress dialog's messages first. A quit
// request stays for the program's own loop.
void letMessagesThrough(HWND dialog) {
  MSG msg;
  while (PeekMessage(&msg, dialog, 0, 0, PM_REMOVE))
    if (!IsDialogMessage(dialog, &msg)) DispatchMessage(&msg);
  while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    if (!IsDialogMessage(dialog, &msg)) {
      TranslateMessage(&msg);
      DispatchMessage(&msg);
    }
  }
}

}  // namespace

void registerProgramDialogs() {
  using namespace kswin::controls;
  kswin::DialogTemplate about;
  about.title = "About Kestrel Import";
  about.cx = 160;
  about.cy = 70;
  about.controls = {staticText(-1, "Kestrel Import"), staticText(1000, ""),
                    pushButton(IDOK, "OK", true)};
  kswin::registerDialog("AboutBox", about);

  kswin::DialogTemplate progress;
  progress.title = "Import Progress";
  progress.cx = 120;
  progress.cy = 50;
  progress.controls = {staticText(-1, "Records read:"), staticText(kCountText, "0"),
                       pushButton(IDCANCEL, "Cancel")};
  kswin::registerDialog("PROGRESS", progress);
}

void ProgramFrame::console(const std::string& text) { typeIntoConsole(text); }

void ProgramFrame::showProgress(bool on) {
  ProgramState& s = state();
  if (on) {
    s.cancel = false;
    if (s.progress == nullptr)
      s.progress = CreateDialog(nullptr, "PROGRESS", s.window, progressProc);
    EnableWindow(s.window, FALSE);
    return;
  }
  EnableWindow(s.window, TRUE);
  if (s.progress != nullptr) DestroyWindow(s.progress);
  s.progress = nullptr;
}

void ProgramFrame::progress(long records) {
  ProgramState& s = state();
  if (s.progress == nullptr) return;
  SendMessage(s.progress, WM_COMMAND, kShowCount, records);
  letMessagesThrough(s.progress);
  if (!s.cancel && s.options.interrupted && s.options.interrupted())
    kswin::press(s.progress, IDCANCEL);
}

bool ProgramFrame::cancelled() { return state().cancel; }

void ProgramFrame::rebuildKeys() { RebuildKeys(state().window, state().task); }

bool ProgramFrame::reopenDatabases() { return app::reopenDatabases(); }

// The report opens in the editor of the settings, else the one the user's
// environment names, else the desktop's viewer for the file.
bool ProgramFrame::showReport(const std::string& path) {
  std::string editor = state().settings.editor;
  for (const char* variable : {"VISUAL", "EDITOR"}) {
    const char* value = std::getenv(variable);
    if (editor.empty() && value != nullptr && value[0] != '\0') editor = value;
  }
  if (editor.empty()) editor = "xdg-open";
  if (startProgram(editor, path, true)) return true;
  MessageBox(state().window, messageWith(49, editor).c_str(), nullptr, MB_OK | MB_ICONWARNING);
  return false;
}

bool startProgram(const std::string& command, const std::string& argument, bool wait) {
  // The command may carry its own arguments; the shell splits them, the
  // file goes in whole as "$1".
  const std::string script = "exec " + command + " \"$1\"";
  const char* argv[] = {"sh", "-c", script.c_str(), "sh", argument.c_str(), nullptr};
  pid_t pid = 0;
  if (posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
    return false;
  state().lastStarted = pid;
  if (!wait) return true;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return false;
  // The shell's answer when it could not find or run the command.
  return !(WIFEXITED(status) && (WEXITSTATUS(status) == 126 || WEXITSTATUS(status) == 127));
}

}  // namespace ksimport::app
