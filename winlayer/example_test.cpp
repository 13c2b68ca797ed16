// A small window program written the way the suite's programs are (a main
// window with a menu, a dialog and a data table), run headless from start
// to close.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "datatable.h"
#include "testing/tempdir.h"
#include "testing.h"

namespace {

constexpr int kAdd = 101, kSort = 102, kExit = 103, kTableId = 1, kCallEdit = 200;

#pragma pack(push, 1)
struct Row {
  char call[12];
  int32_t number;
};
#pragma pack(pop)
static_assert(sizeof(Row) == 16);

HWND table = nullptr;
int added = 0;
char enteredCall[16];

INT_PTR addCallProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      SendDlgItemMessage(dialog, kCallEdit, EM_LIMITTEXT, 11, 0);
      kswin::centreWindow(dialog, GetParent(dialog));
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        GetDlgItemText(dialog, kCallEdit, enteredCall, sizeof enteredCall);
        if (enteredCall[0] == '\0') {
          MessageBox(dialog, "Nothing to save!", nullptr, MB_ICONWARNING);
          return TRUE;
        }
        EndDialog(dialog, 1);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, 0);
        return TRUE;
      }
      return FALSE;
    default: return FALSE;
  }
}

LRESULT exampleProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      table = CreateWindow(DT_CLASS_NAME, "Test", DT_CONTROL_STYLE, 0, 0, 0, 0, window,
                           reinterpret_cast<HMENU>(kTableId), nullptr, nullptr);
      if (table == nullptr) return -1;
      SendMessage(table, DT_RESET, 0, 0);
      SendMessage(table, DT_SETCOLUMNCOUNT, 2, 0);
      SendMessage(table, DT_SETCOLUMNTYPE, 0, DT_TYPE_TEXT);
      SendMessage(table, DT_SETCOLUMNLENGTH, 0, 12);
      SendMessage(table, DT_SETCOLUMNTITLE, 0, reinterpret_cast<LPARAM>("Call Sign"));
      SendMessage(table, DT_SETCOLUMNTYPE, 1, DT_TYPE_INT32);
      SendMessage(table, DT_SETCOLUMNFLAGS, 1, DT_FLAG_HIDDEN);
      SendMessage(table, DT_DELETEALLROWS, 0, 0);
      SendMessage(table, DT_SETCURRENTROW, 0, DT_NOROW);
      ShowWindow(table, SW_SHOW);
      return 0;
    case WM_SIZE:
      MoveWindow(table, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      return 0;
    case WM_INITMENUPOPUP:
      EnableMenuItem(GetMenu(window), kSort,
                     MF_BYCOMMAND | (SendMessage(table, DT_GETROWCOUNT, 0, 0) ? MF_ENABLED : MF_GRAYED));
      return 0;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case kAdd:
          if (DialogBox(nullptr, "ADDCALL", window, addCallProc) == 1) {
            Row row{};
            std::snprintf(row.call, sizeof row.call, "%.11s", enteredCall);
            row.number = ++added;
            SendMessage(table, DT_APPENDROW, 0, reinterpret_cast<LPARAM>(&row));
          }
          return 0;
        case kSort:
          SendMessage(table, DT_SORT, 0, DT_ORDER_NOCASE);
          return 0;
        case kExit: DestroyWindow(window); return 0;
        case kTableId:
          if (HIWORD(wParam) == DT_NOTIFY_DBLCLK) {
            Row row{};
            SendMessage(table, DT_SETCURRENTROW, 0, SendMessage(table, DT_GETDBLCLKROW, 0, 0));
            SendMessage(table, DT_GETROW, 0, reinterpret_cast<LPARAM>(&row));
            MessageBox(window, row.call, "Chosen", MB_OK | MB_ICONINFORMATION);
          }
          return 0;
        default: return 0;
      }
    case WM_DESTROY: {
      WINDOWPLACEMENT placement{};
      GetWindowPlacement(window, &placement);
      const RECT& normal = placement.rcNormalPosition;
      WritePrivateProfileString("Example", "Size",
                                std::to_string(normal.right - normal.left).c_str(), "EXAMPLE.INI");
      PostQuitMessage(3);
      return 0;
    }
    default: return DefWindowProc(window, message, wParam, lParam);
  }
}

// The program's start: register, create, show, run the loop.
int runExample() {
  kswin::registerMenu("ExampleMenu",
                      {{"&File", {{"&Add...", kAdd}, {"&Sort", kSort}, {}, {"E&xit", kExit}}}});
  kswin::DialogTemplate addCall;
  addCall.title = "Add Call";
  addCall.cx = 120;
  addCall.cy = 50;
  addCall.controls = {kswin::controls::edit(kCallEdit, ES_UPPERCASE),
                      kswin::controls::pushButton(IDOK, "&OK", true),
                      kswin::controls::pushButton(IDCANCEL, "&Cancel")};
  kswin::registerDialog("ADDCALL", addCall);
  WNDCLASS wc{};
  wc.lpfnWndProc = exampleProc;
  wc.lpszClassName = "ExampleWClass";
  wc.lpszMenuName = "ExampleMenu";
  RegisterClass(&wc);
  HWND window = CreateWindow("ExampleWClass", "Example Log", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                             0, 400, 300, nullptr, nullptr, nullptr, nullptr);
  if (window == nullptr) return -1;
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);
  MSG msg;
  while (GetMessage(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessage(&msg);
  }
  return static_cast<int>(msg.wParam);
}

TEST(ExampleProgram, RunsHeadlessFromStartToClose) {
  kstest::TempHome home;
  kswin::HeadlessHost headless;
  kswin::ScopedHost scope(headless);
  std::vector<kswin::MenuEntry> firstLook;
  auto main = [] { return FindWindow("ExampleWClass", nullptr); };

  headless.onIdle([&] { firstLook = kswin::openMenu(main(), 0); });
  headless.onIdle([&] { kswin::chooseMenuItem(main(), kAdd); });
  headless.onDialog("ADDCALL", [](HWND dialog) {
    kswin::press(dialog, IDOK);  // empty: refused, the dialog stays
    kswin::typeInto(GetDlgItem(dialog, kCallEdit), "w1aw");
    kswin::press(dialog, IDOK);
  });
  headless.onIdle([&] { kswin::chooseMenuItem(main(), kAdd); });
  headless.onDialog("ADDCALL", [](HWND dialog) {
    kswin::typeInto(GetDlgItem(dialog, kCallEdit), "dl1abc");
    kswin::pressKey(GetDlgItem(dialog, kCallEdit), VK_RETURN);
  });
  headless.onIdle([&] { kswin::chooseMenuItem(main(), kAdd); });  // nobody answers: cancelled
  headless.onIdle([&] { EXPECT_TRUE(kswin::chooseMenuItem(main(), kSort)); });
  headless.onIdle([&] { kswin::doubleClickItem(table, 0); });
  headless.onIdle([&] { kswin::chooseMenuItem(main(), kExit); });

  EXPECT_EQ(runExample(), 3);

  ASSERT_EQ(firstLook.size(), 4u);
  EXPECT_FALSE(firstLook[1].enabled);  // Sort was greyed while the table was empty
  EXPECT_EQ(added, 2);
  EXPECT_EQ(headless.log(),
            (std::vector<std::string>{
                "show Example Log", "show Add Call", "dialog ADDCALL",
                "box Error: Nothing to save! [warning, OK] -> OK", "hide Add Call",
                "show Add Call", "dialog ADDCALL", "hide Add Call",     // Enter pressed OK
                "show Add Call", "dialog ADDCALL", "hide Add Call",     // nobody answered
                "box Chosen: DL1ABC [information, OK] -> OK", "hide Example Log"}));
  EXPECT_EQ(FindWindow("ExampleWClass", nullptr), nullptr);
  EXPECT_EQ(GetPrivateProfileInt("Example", "Size", 0, "EXAMPLE.INI"), 400u);
}

}  // namespace
