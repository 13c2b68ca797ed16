// The import commands of the foreign loggers' files once the file is
// chosen: the questions and dialogs each format asks ("CONTESTINFO",
// "HYPERLOG", "RTTYINFO", LogMaster's compression question), then the
// import into the open logbook.
#include "foreigncommands.h"

#include <string>

#include "foreign.h"
#include "strings.h"
#include "winlayer/host.h"
#include "winlayer/winlayer.h"

namespace ksimport {
namespace {

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
      SetDlgItemText(dialog, kPower, answers().power.c_str());
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
      SetDlgItemText(dialog, kPower, answers().power.c_str());
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

ImportEnd run(ForeignFormat format, ImportContext& context, const std::string& path) {
  registerDialogs();
  ForeignOptions& options = answers();
  options = ForeignOptions{};
  options.power = context.powerLevel.substr(0, 4);
  if (format == ForeignFormat::LogMaster &&
      MessageBox(context.window, message(13), "Warning", MB_YESNO | MB_ICONWARNING) != IDYES)
    return ImportEnd::NotStarted;
  if (format == ForeignFormat::HyperLog &&
      DialogBox(nullptr, "HYPERLOG", context.window, hyperlogProc) != TRUE)
    return ImportEnd::NotStarted;
  if (format == ForeignFormat::Ct &&
      DialogBox(nullptr, "CONTESTINFO", context.window, contestProc) != TRUE)
    return ImportEnd::NotStarted;
  if (format == ForeignFormat::Rtty &&
      DialogBox(nullptr, "RTTYINFO", context.window, rttyProc) != TRUE)
    return ImportEnd::NotStarted;
  options.dateFormat = context.dateFormat;
  options.hourOffset = context.hourOffset;
  ForeignPrefixServices services(context.task);
  const ForeignOptions chosen = options;
  return importForeign(format, context.window, context.task, *context.frame, services, chosen,
                       path);
}

}  // namespace

ImportEnd importCt(ImportContext& c, const std::string& p) { return run(ForeignFormat::Ct, c, p); }
ImportEnd importDxBase(ImportContext& c, const std::string& p) {
  return run(ForeignFormat::DxBase, c, p);
}
ImportEnd importEasyDx(ImportContext& c, const std::string& p) {
  return run(ForeignFormat::EasyDx, c, p);
}
ImportEnd importLogView(ImportContext& c, const std::string& p) {
  return run(ForeignFormat::LogView, c, p);
}
ImportEnd importLogMaster(ImportContext& c, const std::string& p) {
  return run(ForeignFormat::LogMaster, c, p);
}
ImportEnd importHyperLog(ImportContext& c, const std::string& p) {
  return run(ForeignFormat::HyperLog, c, p);
}
ImportEnd importPakRatt(ImportContext& c, const std::string& p) {
  return run(ForeignFormat::PakRatt, c, p);
}
ImportEnd importRtty(ImportContext& c, const std::string& p) {
  return run(ForeignFormat::Rtty, c, p);
}

}  // namespace ksimport
