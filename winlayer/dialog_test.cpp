#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing.h"

namespace {

using namespace kswin::controls;

// ---- Menus ----

std::vector<std::string> commands;
int tableRows = 0;

LRESULT menuOwner(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITMENUPOPUP:
      // Grey the list commands while there is nothing to list.
      for (UINT id = 103; id <= 113; ++id)
        EnableMenuItem(GetMenu(window), id, MF_BYCOMMAND | (tableRows ? MF_ENABLED : MF_GRAYED));
      return 0;
    case WM_COMMAND: commands.push_back(std::to_string(LOWORD(wParam))); return 0;
    default: return DefWindowProc(window, message, wParam, lParam);
  }
}

class Menus : public ::testing::Test {
 protected:
  void SetUp() override {
    kswin::registerMenu("TestMenu",
                        {{"&File", {{"&Save", 105}, {"&Tag", 103}, {}, {"E&xit", 101}}},
                         {"&Sort", {{"&Band", 107}, {"&Call", 109, MF_CHECKED}}}});
    WNDCLASS wc{};
    wc.lpfnWndProc = menuOwner;
    wc.lpszClassName = "MenuOwnerWClass";
    wc.lpszMenuName = "TestMenu";
    RegisterClass(&wc);
    window = CreateWindow("MenuOwnerWClass", "m", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0,
                          CW_USEDEFAULT, 0, nullptr, nullptr, nullptr, nullptr);
    commands.clear();
    tableRows = 0;
  }
  void TearDown() override { DestroyWindow(window); }
  HWND window = nullptr;
};

TEST_F(Menus, ItemsAreGreyedWhenTheMenuOpensAndGreyedOnesCannotBeChosen) {
  ASSERT_NE(GetMenu(window), nullptr);
  std::vector<kswin::MenuEntry> file = kswin::openMenu(window, 0);
  ASSERT_EQ(file.size(), 4u);
  EXPECT_EQ(file[0].text, "&Save");
  EXPECT_FALSE(file[0].enabled);
  EXPECT_TRUE(file[0].grayed);
  EXPECT_TRUE(file[2].separator);
  EXPECT_TRUE(file[3].enabled);  // Exit stays enabled
  EXPECT_FALSE(kswin::chooseMenuItem(window, 105));
  EXPECT_TRUE(kswin::chooseMenuItem(window, 101));

  tableRows = 3;
  file = kswin::openMenu(window, 0);
  EXPECT_TRUE(file[0].enabled);
  EXPECT_TRUE(kswin::chooseMenuItem(window, 109));
  EXPECT_EQ(commands, (std::vector<std::string>{"101", "109"}));
  EXPECT_TRUE(kswin::menuItems(GetSubMenu(GetMenu(window), 1))[1].checked);
  EXPECT_FALSE(kswin::chooseMenuItem(window, 999));  // no such item
}

TEST_F(Menus, StateCallsReturnThePreviousState) {
  HMENU menu = GetMenu(window);
  EXPECT_EQ(EnableMenuItem(menu, 107, MF_BYCOMMAND | MF_GRAYED), static_cast<UINT>(MF_ENABLED));
  EXPECT_EQ(EnableMenuItem(menu, 107, MF_BYCOMMAND | MF_ENABLED), static_cast<UINT>(MF_GRAYED));
  EXPECT_EQ(EnableMenuItem(menu, 555, MF_BYCOMMAND), static_cast<UINT>(-1));
  EXPECT_EQ(CheckMenuItem(menu, 109, MF_BYCOMMAND | MF_UNCHECKED), static_cast<DWORD>(MF_CHECKED));
  char text[32];
  EXPECT_EQ(GetMenuString(menu, 1, text, sizeof text, MF_BYPOSITION), 5);
  EXPECT_STREQ(text, "&Sort");
  // Accelerators reach the window unless their item is greyed.
  ACCEL keys[] = {{FVIRTKEY, VK_F7, 107}};
  HACCEL table = CreateAcceleratorTable(keys, 1);
  MSG press{window, WM_KEYDOWN, VK_F7, 0, 0, {}};
  EXPECT_EQ(TranslateAccelerator(window, table, &press), 1);
  EnableMenuItem(menu, 107, MF_BYCOMMAND | MF_GRAYED);
  EXPECT_EQ(TranslateAccelerator(window, table, &press), 1);
  EXPECT_EQ(commands, (std::vector<std::string>{"107"}));
  DestroyAcceleratorTable(table);
}

// ---- Dialogs ----

struct QueryResult {
  std::string from;
  int zone = -1;
  bool dateChecked = false;
  int radio = 0;
  int band = -1;
  std::vector<std::string> events;
};
QueryResult result;

INT_PTR queryProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      for (const char* band : {"160", "80", "40"})
        SendDlgItemMessage(dialog, 1001, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(band));
      SendDlgItemMessage(dialog, 1003, EM_LIMITTEXT, 8, 0);
      CheckRadioButton(dialog, 1011, 1014, 1011);
      result.events.push_back("init");
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK: {
          char text[16];
          GetDlgItemText(dialog, 1003, text, sizeof text);
          BOOL ok = FALSE;
          const UINT zone = GetDlgItemInt(dialog, 1016, &ok, FALSE);
          if (!ok || zone < 1 || zone > 40) {
            MessageBox(dialog, "CQ Zone must be between 1 and 40.", nullptr, MB_ICONWARNING);
            return TRUE;  // the dialog stays open with what was entered
          }
          result.from = text;
          result.zone = static_cast<int>(zone);
          result.dateChecked = IsDlgButtonChecked(dialog, 1002) == BST_CHECKED;
          for (int id = 1011; id <= 1014; ++id)
            if (IsDlgButtonChecked(dialog, id)) result.radio = id;
          result.band = static_cast<int>(SendDlgItemMessage(dialog, 1001, CB_GETCURSEL, 0, 0));
          EndDialog(dialog, 1);
          return TRUE;
        }
        case IDCANCEL:
          result.events.push_back("cancel");
          EndDialog(dialog, 0);
          return TRUE;
        case 1001:
          if (HIWORD(wParam) == CBN_SELCHANGE) result.events.push_back("band chosen");
          return TRUE;
        default: return FALSE;
      }
    default: return FALSE;
  }
}

class Dialogs : public ::testing::Test {
 protected:
  void SetUp() override {
    kswin::DialogTemplate query;
    query.title = "Define Query";
    query.controls = {checkBox(1002, "&Date"),       edit(1003, ES_UPPERCASE),
                      edit(1016),                     comboBox(1001),
                      radioButton(1011, "Not Sent", true), radioButton(1012, "Sent/Not Cfm"),
                      radioButton(1013, "Cfm"),       radioButton(1014, "Not Sent/Confirmed"),
                      pushButton(IDOK, "&OK", true),  pushButton(IDCANCEL, "&Cancel")};
    kswin::registerDialog("QUERY", query);
    result = QueryResult{};
  }
  kswin::HeadlessHost headless;
  kswin::ScopedHost scope{headless};
};

TEST_F(Dialogs, AScriptFillsTheDialogAndPressesItsButtons) {
  headless.onDialog("QUERY", [](HWND dialog) {
    kswin::press(dialog, 1002);
    kswin::typeInto(GetDlgItem(dialog, 1003), "12-31-99 and more");  // limited to 8
    SetDlgItemText(dialog, 1016, "41");
    kswin::selectItem(dialog, 1001, 2);
    kswin::press(dialog, 1013);
    kswin::press(dialog, IDOK);  // refused: zone 41
    SetDlgItemText(dialog, 1016, " 14");
    kswin::press(dialog, IDOK);
  });
  EXPECT_EQ(DialogBox(nullptr, "QUERY", nullptr, queryProc), 1);
  EXPECT_EQ(result.from, "12-31-99");
  EXPECT_EQ(result.zone, 14);
  EXPECT_TRUE(result.dateChecked);
  EXPECT_EQ(result.radio, 1013);  // the group's other buttons were cleared
  EXPECT_EQ(result.band, 2);
  EXPECT_EQ(result.events, (std::vector<std::string>{"init", "band chosen"}));
  ASSERT_EQ(headless.boxes().size(), 1u);
  EXPECT_EQ(headless.boxes()[0].text, "CQ Zone must be between 1 and 40.");
}

TEST_F(Dialogs, AModalDialogDisablesItsOwnerAndPumpsTheQueue) {
  WNDCLASS wc{};
  wc.lpfnWndProc = DefWindowProc;
  wc.lpszClassName = "DialogOwnerWClass";
  RegisterClass(&wc);
  HWND owner = CreateWindow("DialogOwnerWClass", "owner", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300,
                            nullptr, nullptr, nullptr, nullptr);
  bool ownerEnabledInside = true;
  headless.onDialog("QUERY", [&](HWND dialog) {
    ownerEnabledInside = IsWindowEnabled(owner) != FALSE;
    // A posted message is handled by the dialog's own loop.
    PostMessage(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  });
  EXPECT_EQ(DialogBox(nullptr, "QUERY", owner, queryProc), 0);
  EXPECT_FALSE(ownerEnabledInside);
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_EQ(result.events, (std::vector<std::string>{"init", "cancel"}));
  DestroyWindow(owner);
}

TEST_F(Dialogs, WithNobodyToAnswerTheDialogIsCancelled) {
  EXPECT_EQ(DialogBox(nullptr, "QUERY", nullptr, queryProc), 0);
  EXPECT_EQ(result.events, (std::vector<std::string>{"init", "cancel"}));
  EXPECT_EQ(DialogBox(nullptr, "NOSUCH", nullptr, queryProc), -1);
}

TEST_F(Dialogs, KeysInADialogMoveTheFocusAndPressTheDefaultButton) {
  headless.onDialog("QUERY", [](HWND dialog) {
    HWND date = GetDlgItem(dialog, 1002);
    EXPECT_EQ(GetFocus(), date);  // the first tab stop
    kswin::pressKey(date, VK_TAB);
    EXPECT_EQ(GetFocus(), GetDlgItem(dialog, 1003));
    kswin::setKeyDown(VK_SHIFT, true);
    kswin::pressKey(GetFocus(), VK_TAB);
    kswin::setKeyDown(VK_SHIFT, false);
    EXPECT_EQ(GetFocus(), date);
    SetDlgItemText(dialog, 1016, "5");
    kswin::pressKey(GetDlgItem(dialog, 1016), VK_RETURN);
  });
  EXPECT_EQ(DialogBox(nullptr, "QUERY", nullptr, queryProc), 1);
  EXPECT_EQ(result.zone, 5);
}

TEST_F(Dialogs, ModelessDialogReportsItsCountToTheHost) {
  kswin::DialogTemplate progress;
  progress.title = "Work in progress";
  progress.controls = {staticText(100, ""), pushButton(IDCANCEL, "Cancel")};
  kswin::registerDialog("PROGRESS", progress);
  static bool cancelled;
  cancelled = false;
  headless.onDialog("PROGRESS", [](HWND dialog) {
    PostMessage(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  });
  HWND dialog = CreateDialog(nullptr, "PROGRESS", nullptr,
                             [](HWND, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
                               if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL)
                                 cancelled = true;
                               return message == WM_INITDIALOG || message == WM_COMMAND;
                             });
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(IsWindowVisible(dialog));
  SetDlgItemText(dialog, 100, "25");
  EXPECT_FALSE(cancelled);
  kswin::pumpMessages();  // what a long import does between records
  EXPECT_TRUE(cancelled);
  DestroyWindow(dialog);
  EXPECT_NE(std::find(headless.log().begin(), headless.log().end(), "dialog text 100: 25"),
            headless.log().end());
}

// ---- Controls ----

class Controls : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASS wc{};
    wc.lpfnWndProc = DefWindowProc;
    wc.lpszClassName = "ControlParentWClass";
    RegisterClass(&wc);
    parent = CreateWindow("ControlParentWClass", "p", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300,
                          nullptr, nullptr, nullptr, nullptr);
  }
  void TearDown() override { DestroyWindow(parent); }
  HWND make(const char* kind, DWORD style, int id) {
    return CreateWindow(kind, "", WS_CHILD | style, 0, 0, 100, 20, parent,
                        reinterpret_cast<HMENU>(static_cast<intptr_t>(id)), nullptr, nullptr);
  }
  HWND parent = nullptr;
};

TEST_F(Controls, EditsTypeReplaceSelectAndKeepTheirLimit) {
  HWND call = make("EDIT", ES_UPPERCASE, 1);
  kswin::typeInto(call, "k1abc");
  char text[64];
  GetWindowText(call, text, sizeof text);
  EXPECT_STREQ(text, "K1ABC");
  SendMessage(call, EM_SETSEL, 2, 5);
  SendMessage(call, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>("xy"));
  GetWindowText(call, text, sizeof text);
  EXPECT_STREQ(text, "K1XY");
  SendMessage(call, WM_CHAR, '\b', 0);
  SendMessage(call, EM_LIMITTEXT, 4, 0);
  kswin::typeInto(call, "zzz");
  GetWindowText(call, text, sizeof text);
  EXPECT_STREQ(text, "K1XZ");
  DWORD start = 0, end = 0;
  SendMessage(call, EM_SETSEL, 0, -1);
  SendMessage(call, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 4u);

  // A console: characters typed one by one, line ends as CR LF.
  HWND console = make("EDIT", ES_MULTILINE | ES_AUTOVSCROLL, 2);
  for (char c : std::string("one\rtwo"))
    SendMessage(console, WM_CHAR, static_cast<unsigned char>(c), 1);
  GetWindowText(console, text, sizeof text);
  EXPECT_STREQ(text, "one\r\ntwo");
  EXPECT_EQ(SendMessage(console, EM_GETLINECOUNT, 0, 0), 2);
}

TEST_F(Controls, ListAndComboBoxesAddFindSelectAndReset) {
  HWND list = make("LISTBOX", LBS_SORT | LBS_NOTIFY, 3);
  for (const char* line : {"W1AW   United States", "DL     Germany", "f      France"})
    SendMessage(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
  EXPECT_EQ(SendMessage(list, LB_GETCOUNT, 0, 0), 3);
  char text[64];
  SendMessage(list, LB_GETTEXT, 1, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, "f      France");  // sorted without regard to case
  EXPECT_EQ(SendMessage(list, LB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("w1")), 2);
  EXPECT_EQ(SendMessage(list, LB_GETCURSEL, 0, 0), LB_ERR);
  EXPECT_EQ(SendMessage(list, LB_SETCURSEL, 5, 0), LB_ERR);
  EXPECT_EQ(SendMessage(list, LB_DELETESTRING, 0, 0), 2);
  SendMessage(list, LB_RESETCONTENT, 0, 0);
  EXPECT_EQ(SendMessage(list, LB_GETCOUNT, 0, 0), 0);

  HWND combo = make("COMBOBOX", CBS_DROPDOWNLIST, 4);
  for (const char* mode : {"AMT", "ASC", "CW"})
    SendMessage(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(mode));
  SendMessage(combo, CB_SETCURSEL, 2, 0);
  GetWindowText(combo, text, sizeof text);
  EXPECT_STREQ(text, "CW");
  EXPECT_EQ(SendMessage(combo, CB_GETLBTEXTLEN, 1, 0), 3);
  EXPECT_EQ(SendMessage(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("asc")), 1);
}

TEST_F(Controls, DialogItemIntegers) {
  HWND edit = make("EDIT", 0, 5);
  (void)edit;
  BOOL ok = TRUE;
  const struct {
    const char* text;
    BOOL isSigned;
    BOOL ok;
    int value;
  } cases[] = {{"42", FALSE, TRUE, 42},   {"  7  ", FALSE, TRUE, 7}, {"-3", TRUE, TRUE, -3},
               {"-3", FALSE, FALSE, 0},   {"12ab", FALSE, FALSE, 0}, {"", FALSE, FALSE, 0},
               {"99999999999", FALSE, FALSE, 0}};
  for (const auto& c : cases) {
    SetDlgItemText(parent, 5, c.text);
    EXPECT_EQ(static_cast<int>(GetDlgItemInt(parent, 5, &ok, c.isSigned)), c.value) << c.text;
    EXPECT_EQ(ok, c.ok) << c.text;
  }
}

}  // namespace
