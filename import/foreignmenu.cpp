// The import program's commands for the foreign loggers' files: the file
// dialog, the questions and dialogs each format asks first ("CONTESTINFO",
// "HYPERLOG", "RTTYINFO", LogMaster's compression question), then the
// import into the open logbook.
#include <cstring>
#include <string>

#include "foreign.h"
#include "foreignmenu.h"
#include "programstate.h"
#include "strings.h"
#include "winlayer/host.h"

namespace ksimport::app {
namespace {

struct Command {
  UINT id;
  ForeignFormat format;
  const char* title;
  const char* filter;  // description and pattern, double-NUL ended
  const char* extension;
};

constexpr Command kCommands[] = {
    {menu::kCt, ForeignFormat::Ct, "Import CT Results File", "CT Results Files (*.RES)\0*.RES\0",
     "RES"},
    {menu::kDxBase, ForeignFormat::DxBase, "Import DXBase File", "DXBase Files (*.SDF)\0*.SDF\0",
     "SDF"},
    {menu::kEasyDx, ForeignFormat::EasyDx, "Import Easy-DX File",
     "Easy-DX Files (*.DAT)\0*.DAT\0", "DAT"},
    {menu::kHyperlog, ForeignFormat::HyperLog, "Import Hyperlog File",
     "HyperLog Files (*.TXT)\0*.TXT\0", "TXT"},
    {menu::kLogMaster, ForeignFormat::LogMaster, "Import Logmaster File",
     "Logmaster Files (*.DB)\0*.DB\0", "DB"},
    {menu::kLogView, ForeignFormat::LogView, "Import LogView File",
     "LogView Files (*.LGS)\0*.LGS\0", "LGS"},
    {menu::kPakRatt, ForeignFormat::PakRatt, "Import PakRatt File", "All Files (*.*)\0*.*\0", ""},
    {menu::kRtty, ForeignFormat::Rtty, "Import RTTY by Q1QA File", "Q1QA Files (*.BIN)\0*.BIN\0",
     "BIN"},
};

constexpr int kOtherName = 1005;
constexpr int kPower = 120;
constexpr int kFirstContest = 100, kLastContest = 114;
constexpr int kMdy = 206, kDmy = 207, kYmd = 208;

// What the dialogs answered, read by the command once they close.
ForeignOptions& answers() {
  static ForeignOptions options;
  return options;
}

std::string itemText(HWND dialog, int id) {
  char text[64] = {};
  GetDlgItemText(dialog, id, text, sizeof text);
  return text;
}

INT_PTR CALLBACK contestProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      CheckRadioButton(dialog, kFirstContest, contest::kOther, kFirstContest);
      SendDlgItemMessage(dialog, kOtherName, EM_LIMITTEXT, 29, 0);
      SendDlgItemMessage(dialog, kPower, EM_LIMITTEXT, 4, 0);
      SetDlgItemText(dialog, kPower, state().settings.powerLevel.c_str());
      kswin::centreWindow(dialog, GetParent(dialog));
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        ForeignOptions& options = answers();
        options.contest = kFirstContest;
        for (int id = kFirstContest; id <= kLastContest; ++id)
          if (IsDlgButtonChecked(dialog, id) == BST_CHECKED) options.contest = id;
        if (IsDlgButtonChecked(dialog, contest::kOther) == BST_CHECKED)
          options.contest = contest::kOther;
        options.otherContest = itemText(dialog, kOtherName).substr(0, 29);
        options.power = itemText(dialog, kPower).substr(0, 4);
        EndDialog(dialog, TRUE);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, FALSE);
        return TRUE;
      }
      return FALSE;
    default: return FALSE;
  }
}

INT_PTR CALLBACK hyperlogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      CheckRadioButton(dialog, kMdy, kYmd, kMdy);
      kswin::centreWindow(dialog, GetParent(dialog));
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        answers().hyperlogOrder = IsDlgButtonChecked(dialog, kDmy) == BST_CHECKED   ? 1
                                  : IsDlgButtonChecked(dialog, kYmd) == BST_CHECKED ? 2
                                                                                     : 0;
        EndDialog(dialog, TRUE);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, FALSE);
        return TRUE;
      }
      return FALSE;
    default: return FALSE;
  }
}

INT_PTR CALLBACK rttyProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      SendDlgItemMessage(dialog, kPower, EM_LIMITTEXT, 4, 0);
      SetDlgItemText(dialog, kPower, state().settings.powerLevel.c_str());
      kswin::centreWindow(dialog, GetParent(dialog));
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        answers().power = itemText(dialog, kPower).substr(0, 4);
        EndDialog(dialog, TRUE);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, FALSE);
        return TRUE;
      }
      return FALSE;
    default: return FALSE;
  }
}

void registerDialogs() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  using namespace kswin::controls;

  kswin::DialogTemplate contestBox;
  contestBox.title = "Contest Information";
  contestBox.cx = 220;
  contestBox.cy = 200;
  for (int id = kFirstContest; id <= kLastContest; ++id)
    contestBox.controls.push_back(
        radioButton(id, message(id <= 111 ? id : id + 102), id == kFirstContest));
  contestBox.controls.push_back(radioButton(contest::kOther, "Other"));
  contestBox.controls.push_back(edit(kOtherName));
  contestBox.controls.push_back(staticText(-1, "Power"));
  contestBox.controls.push_back(edit(kPower));
  contestBox.controls.push_back(pushButton(IDOK, "OK", true));
  contestBox.controls.push_back(pushButton(IDCANCEL, "Cancel"));
  kswin::registerDialog("CONTESTINFO", contestBox);

  kswin::DialogTemplate hyperlog;
  hyperlog.title = "HyperLog Date Format";
  hyperlog.cx = 140;
  hyperlog.cy = 80;
  hyperlog.controls = {radioButton(kMdy, "&MM/DD/YY", true), radioButton(kDmy, "&DD/MM/YY"),
                       radioButton(kYmd, "&YY/MM/DD"), pushButton(IDOK, "OK", true),
                       pushButton(IDCANCEL, "Cancel")};
  kswin::registerDialog("HYPERLOG", hyperlog);

  kswin::DialogTemplate rtty;
  rtty.title = "RTTY Contest Information";
  rtty.cx = 140;
  rtty.cy = 60;
  rtty.controls = {staticText(-1, "Contest &Power:"), edit(kPower), pushButton(IDOK, "OK", true),
                   pushButton(IDCANCEL, "Cancel")};
  kswin::registerDialog("RTTYINFO", rtty);
}

}  // namespace

bool runForeignCommand(UINT id) {
  const Command* command = nullptr;
  for (const Command& candidate : kCommands)
    if (candidate.id == id) command = &candidate;
  if (command == nullptr) return false;
  ProgramState& s = state();
  s.lastImport = ImportEnd::NotStarted;
  registerDialogs();

  ForeignOptions& options = answers();
  options = ForeignOptions{};
  options.power = s.settings.powerLevel;
  if (command->format == ForeignFormat::LogMaster &&
      MessageBox(s.window, message(13), "Warning", MB_YESNO | MB_ICONWARNING) != IDYES)
    return true;
  if (command->format == ForeignFormat::HyperLog &&
      DialogBox(nullptr, "HYPERLOG", s.window, hyperlogProc) != TRUE)
    return true;
  std::string path;
  if (!askFile(false, command->title, command->filter, command->extension, "", path)) return true;
  if (command->format == ForeignFormat::Ct &&
      DialogBox(nullptr, "CONTESTINFO", s.window, contestProc) != TRUE)
    return true;
  if (command->format == ForeignFormat::Rtty &&
      DialogBox(nullptr, "RTTYINFO", s.window, rttyProc) != TRUE)
    return true;

  options.dateFormat = s.settings.dateFormat;
  options.hourOffset = s.settings.hourOffset;
  ProgramFrame frame;
  ForeignPrefixServices services(s.task);
  const ForeignOptions chosen = options;
  s.lastImport = importForeign(command->format, s.window, s.task, frame, services, chosen, path);
  return true;
}

}  // namespace ksimport::app
