// The File commands over the listed lines: tagging their contacts for
// labels, saving the list as text and printing it.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "base/cabi.h"
#include "base/fields.h"
#include "funct/ksfunct.h"
#include "internal.h"
#include "schema/mainwindow.h"
#include "strings.h"
#include "winlayer/datatable.h"
#include "winlayer/host.h"

namespace ksbrowse {
namespace {

constexpr const char* kPrintDialog = "PRINTLOG";
constexpr const char* kDocumentName = "Browser List";
constexpr int kPrintName = 601;
constexpr int kPrintPageNumber = 602;

// Puts the stored fields of a tagged contact's keys right: the tag key holds
// the contact once.
bool storeTag(DB_TASK* task) {
  if (dbKeyExists(logfield::kTagged, task, 0) == 0 &&
      dbKeyDelete(logfield::kTagged, task, 0) != 0)
    return false;
  return dbKeyStore(logfield::kTagged, task, 0) == 0;
}

// Writes `data` whole; false on a short write.
bool writeAll(std::FILE* file, const std::string& data) {
  return std::fwrite(data.data(), 1, data.size(), file) == data.size();
}

}  // namespace

void tagLabels(HWND window) {
  State& s = state();
  if (MessageBox(window, message(kTagQuestion), kTagCaption, MB_YESNO | MB_ICONQUESTION) != IDYES)
    return;
  HWND main = FindWindow(KESTREL_MAIN_CLASS, nullptr);
  if (main == nullptr) {
    MessageBox(window, message(kNoMainWindow), nullptr, MB_OK);
    return;
  }
  const LRESULT settings = SendMessage(main, KM_TAG_SETTINGS, 0, 0);
  char date[16] = {}, time[16] = {};
  GetDateTime(LOWORD(settings), static_cast<std::int16_t>(HIWORD(settings)), date, time);
  DB_TASK* task = s.task;
  if (task == nullptr) return;

  void* position = nullptr;
  int size = 0;
  const bool saved = dbCurrencySave(&position, &size, task, 0) == 0;
  WaitCursor(window, 1);
  const int rows = rowCount();
  for (int row = 0; row < rows; ++row) {
    if (!readRow(row)) break;
    const DB_ADDR address = s.scratch.recordKey;
    LogRecord r{};
    bool stored = dbCurrentSet(&address, task, 0) == 0 &&
                  dbRecordPrepare(kLogRecordType, task, 0) == 0 &&
                  dbRecordRead(&r, task, 0) == 0;
    if (stored) {
      ksbase::putField(r.qslSent, "Y");
      ksbase::putField(r.qslDate, date);
      r.tagged = 1;
      stored = dbRecordWrite(&r, task, 0) == 0 && storeTag(task);
    }
    if (!stored) {
      // Nothing is shown as tagged that is not stored; the rest stay as
      // they were.
      MessageBox(window, formatted(kTagWriteError, ksbase::fieldText(s.scratch.call)).c_str(),
                 nullptr, MB_OK | MB_ICONERROR);
      break;
    }
    // The line walked is the one replaced, even when the host listed a
    // contact twice.
    replaceLine(row, r, address);
  }
  if (saved) dbCurrencyRestore(position, task, 0);
  WaitCursor(window, 0);
}

void saveList(HWND window) {
  char path[1024] = "BROWSER.TXT";
  char title[256] = {};
  OPENFILENAME request{};
  request.lStructSize = sizeof request;
  request.hwndOwner = window;
  request.lpstrFilter = "Text Files (*.TXT)\0*.TXT\0All Files (*.*)\0*.*\0";
  request.nFilterIndex = 1;
  request.lpstrFile = path;
  request.nMaxFile = sizeof path;
  request.lpstrFileTitle = title;
  request.nMaxFileTitle = sizeof title;
  request.lpstrTitle = "Save";
  request.lpstrDefExt = "TXT";
  request.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
  if (!GetSaveFileName(&request)) return;
  const std::string name = path;
  if (FileExists(name.c_str()) &&
      MessageBox(window, formatted(kOverwrite, name).c_str(), kExistsCaption,
                 MB_YESNO | MB_ICONQUESTION) != IDYES)
    return;
  // The list is written beside the file and takes its name only when whole:
  // a failed save leaves the file as it was and no partial list.
  const std::string partial = name + ".partial";
  std::FILE* file = std::fopen(partial.c_str(), "wb");
  if (file == nullptr) {
    MessageBox(window, formatted(kOpenError, name).c_str(), nullptr, MB_OK | MB_ICONWARNING);
    return;
  }
  WaitCursor(window, 1);
  bool written = true;
  const int rows = rowCount();
  for (int row = 0; row < rows && written; ++row) {
    if (!readRow(row)) break;
    written = writeAll(file, textLine(state().scratch) + "\r\n");
  }
  written = std::fclose(file) == 0 && written;
  if (written) written = std::rename(partial.c_str(), name.c_str()) == 0;
  WaitCursor(window, 0);
  if (!written) {
    std::remove(partial.c_str());
    MessageBox(window, formatted(kWriteError, name).c_str(), nullptr, MB_OK | MB_ICONWARNING);
  }
}

void printList(HWND window) {
  State& s = state();
  PRINTDLG request{};
  request.lStructSize = sizeof request;
  request.hwndOwner = window;
  request.Flags = PD_RETURNDC | PD_NOPAGENUMS | PD_NOSELECTION | PD_HIDEPRINTTOFILE;
  if (!PrintDlg(&request)) {
    // Cancelled by the user: nothing to tell.
    if (CommDlgExtendedError() != 0)
      MessageBox(window, message(kPrinterError), nullptr, MB_OK | MB_ICONWARNING);
    return;
  }
  HDC dc = request.hDC;
  if (dc == nullptr) {
    MessageBox(window, message(kPrinterError), nullptr, MB_OK | MB_ICONWARNING);
    return;
  }
  if (SetAbortProc(dc, AbortProc) <= 0) {
    MessageBox(window, message(kAbortProcError), nullptr, MB_OK | MB_ICONWARNING);
    DeleteDC(dc);
    return;
  }
  DOCINFO info{};
  info.cbSize = sizeof info;
  info.lpszDocName = kDocumentName;
  if (StartDoc(dc, &info) <= 0) {
    MessageBox(window, formatted(kStartDocError, kDocumentName).c_str(), nullptr,
               MB_OK | MB_ICONWARNING);
    DeleteDC(dc);
    return;
  }
  s.printCancelled = false;
  s.printDialog = CreateDialog(nullptr, kPrintDialog, window, PrintDlgProc);
  if (s.printDialog != nullptr) SetDlgItemText(s.printDialog, kPrintName, kDocumentName);
  EnableWindow(window, FALSE);

  TEXTMETRIC metrics{};
  GetTextMetrics(dc, &metrics);
  const int step = metrics.tmHeight + metrics.tmExternalLeading;
  const int perPage = step > 0 ? GetDeviceCaps(dc, VERTRES) / step : 1;
  int page = 1, line = 0;
  bool failed = StartPage(dc) <= 0;
  if (!failed && s.printDialog != nullptr)
    SendMessage(s.printDialog, WM_COMMAND, KSB_PRINT_PAGE, page);
  const int rows = rowCount();
  for (int row = 0; row < rows && !failed && !s.printCancelled; ++row) {
    if (line >= perPage - 1) {
      // The last line of a page stays empty; the next line starts a page.
      const int ended = EndPage(dc);
      if (ended <= 0) {
        failed = ended != SP_APPABORT;
        break;
      }
      if (StartPage(dc) <= 0) {
        failed = true;
        break;
      }
      ++page;
      line = 0;
      if (s.printDialog != nullptr) SendMessage(s.printDialog, WM_COMMAND, KSB_PRINT_PAGE, page);
    }
    if (!readRow(row)) break;
    const std::string text = textLine(s.scratch);
    TextOut(dc, 1, line * metrics.tmHeight, text.c_str(), static_cast<int>(text.size()));
    ++line;
  }
  if (s.printCancelled || failed) {
    AbortDoc(dc);  // refused when the document was already abandoned
  } else if (EndPage(dc) <= 0 || EndDoc(dc) <= 0) {
    if (!s.printCancelled)
      MessageBox(window, formatted(kPrintEndError, kDocumentName).c_str(), nullptr,
                 MB_OK | MB_ICONWARNING);
    AbortDoc(dc);
  }
  EnableWindow(window, TRUE);
  if (s.printDialog != nullptr) DestroyWindow(s.printDialog);
  s.printDialog = nullptr;
  DeleteDC(dc);
}

void registerPrintDialog() {
  using namespace kswin::controls;
  kswin::DialogTemplate d;
  d.title = "Kestrel";
  d.cx = 130;
  d.cy = 70;
  auto at = [](kswin::ControlTemplate c, int x, int y) {
    c.x = x;
    c.y = y;
    return c;
  };
  d.controls = {at(staticText(100, "Printing"), 10, 8), at(staticText(kPrintName, ""), 10, 20),
                at(staticText(102, "Page"), 10, 32), at(staticText(kPrintPageNumber, ""), 40, 32),
                at(pushButton(IDCANCEL, "Cancel"), 45, 48)};
  kswin::registerDialog(kPrintDialog, d);
}

}  // namespace ksbrowse

using namespace ksbrowse;

extern "C" {

INT_PTR PrintDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    State& s = state();
    switch (message) {
      case WM_INITDIALOG: kswin::centreWindow(dialog, GetParent(dialog)); return TRUE;
      case WM_COMMAND:
        if (LOWORD(wParam) == KSB_PRINT_PAGE) {
          SetDlgItemInt(dialog, kPrintPageNumber, static_cast<UINT>(lParam), FALSE);
          return TRUE;
        }
        // Any other command is Cancel: printing stops.
        s.printCancelled = true;
        if (HWND owner = GetParent(dialog)) EnableWindow(owner, TRUE);
        if (s.printDialog == dialog) s.printDialog = nullptr;
        DestroyWindow(dialog);
        return TRUE;
      default: return FALSE;
    }
  } catch (...) {
    return FALSE;
  }
}

BOOL AbortProc(HDC, int) {
  try {
    State& s = state();
    MSG msg;
    while (!s.printCancelled && PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));
        break;
      }
      if (s.printDialog != nullptr && IsDialogMessage(s.printDialog, &msg)) continue;
      TranslateMessage(&msg);
      DispatchMessage(&msg);
    }
    return s.printCancelled ? FALSE : TRUE;
  } catch (...) {
    return FALSE;
  }
}

}  // extern "C"
