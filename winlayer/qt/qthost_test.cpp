// The Qt host under the offscreen platform: windows, controls, dialogs,
// message boxes, menus, painting and the data table as Qt shows them, driven
// by synthetic mouse and key events.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "qthost.h"
#include "winlayer/datatable.h"
#include "winlayer/testing.h"

namespace {

using kswin::QtHost;

enum { kName = 101, kUpper = 102, kLog = 103, kBand = 104, kMode = 105, kPhone = 106, kCw = 107,
       kFrame = 108, kTitle = 109, kTable = 110 };

std::vector<std::string> commands;  // what the dialog procedure was told

INT_PTR CALLBACK recordingProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    for (const char* band : {"160", "80", "40"})
      SendDlgItemMessage(dialog, kBand, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(band));
    for (const char* mode : {"CW", "SSB"})
      SendDlgItemMessage(dialog, kMode, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(mode));
    return TRUE;
  }
  if (message == WM_COMMAND) {
    commands.push_back(std::to_string(LOWORD(wParam)) + ":" + std::to_string(HIWORD(wParam)));
    if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) EndDialog(dialog, LOWORD(wParam));
    return TRUE;
  }
  return FALSE;
}

// An edit whose sub-class turns letters to upper case and drops digits.
WNDPROC plainEdit = nullptr;
LRESULT CALLBACK upperEdit(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CHAR) {
    if (wParam >= '0' && wParam <= '9') return 0;
    if (wParam >= 'a' && wParam <= 'z') wParam -= 'a' - 'A';
  }
  return CallWindowProc(plainEdit, window, message, wParam, lParam);
}

void registerTemplates() {
  using namespace kswin::controls;
  kswin::DialogTemplate entry;
  entry.title = "Contact";
  entry.cx = 220;
  entry.cy = 150;
  auto at = [](kswin::ControlTemplate c, int x, int y, int cx, int cy) {
    c.x = x; c.y = y; c.cx = cx; c.cy = cy;
    return c;
  };
  entry.controls = {
      at(staticText(kTitle, "Call:"), 6, 8, 30, 10),
      at(edit(kName), 40, 6, 80, 12),
      at(edit(kUpper), 40, 22, 80, 12),
      at(checkBox(kLog, "&Log it"), 130, 6, 60, 12),
      at(groupBox(kFrame, "Mode"), 130, 22, 80, 40),
      at(radioButton(kPhone, "Phone", true), 136, 32, 60, 10),
      at(radioButton(kCw, "CW"), 136, 44, 60, 10),
      at(listBox(kBand), 6, 40, 60, 50),
      at(comboBox(kMode), 70, 40, 50, 60),
      at(pushButton(IDOK, "OK", true), 110, 130, 50, 14),
      at(pushButton(IDCANCEL, "Cancel"), 164, 130, 50, 14),
  };
  kswin::registerDialog("CONTACT", entry);
}

class QtHostTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    host = new QtHost();
    registerTemplates();
  }
  static void TearDownTestSuite() {
    delete host;
    host = nullptr;
  }
  void SetUp() override {
    commands.clear();
    previous = kswin::setHost(host);
  }
  void TearDown() override { kswin::setHost(previous); }

  template <class W>
  W* control(HWND dialog, int id) {
    return dynamic_cast<W*>(host->widgetOf(GetDlgItem(dialog, id)));
  }

  static QtHost* host;
  kswin::UiHost* previous = nullptr;
};
QtHost* QtHostTest::host = nullptr;

TEST_F(QtHostTest, DialogShowsEveryControlWhereItsTemplatePutsIt) {
  HWND dialog = CreateDialog(nullptr, "CONTACT", nullptr, recordingProc);
  ASSERT_NE(dialog, nullptr);
  host->settle();
  QWidget* window = host->widgetOf(dialog);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(window->windowTitle(), "Contact");

  // Each kind of control as its Qt widget, at the layer's rectangle, which
  // is the template's dialog units (2 pixels each way with the 8 x 16 font).
  auto* edit = control<QLineEdit>(dialog, kName);
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(edit->geometry(), QRect(80, 12, 160, 24));
  ASSERT_NE(control<QCheckBox>(dialog, kLog), nullptr);
  EXPECT_EQ(control<QCheckBox>(dialog, kLog)->text(), "&Log it");
  ASSERT_NE(control<QGroupBox>(dialog, kFrame), nullptr);
  EXPECT_EQ(control<QGroupBox>(dialog, kFrame)->title(), "Mode");
  ASSERT_NE(control<QRadioButton>(dialog, kCw), nullptr);
  ASSERT_NE(control<QLabel>(dialog, kTitle), nullptr);
  EXPECT_EQ(control<QLabel>(dialog, kTitle)->text(), "Call:");
  auto* ok = control<QPushButton>(dialog, IDOK);
  ASSERT_NE(ok, nullptr);
  EXPECT_TRUE(ok->isDefault());
  EXPECT_EQ(ok->geometry(), QRect(220, 260, 100, 28));
  auto* bands = control<QListWidget>(dialog, kBand);
  ASSERT_NE(bands, nullptr);
  ASSERT_EQ(bands->count(), 3);
  EXPECT_EQ(bands->item(2)->text(), "40");
  auto* modes = control<QComboBox>(dialog, kMode);
  ASSERT_NE(modes, nullptr);
  EXPECT_EQ(modes->count(), 2);
  for (int id : {int(kName), int(kLog), int(kBand), int(kMode), IDOK}) {
    RECT r{}, d{};
    GetWindowRect(GetDlgItem(dialog, id), &r);
    GetWindowRect(dialog, &d);
    EXPECT_EQ(host->widgetOf(GetDlgItem(dialog, id))->geometry(),
              QRect(r.left - d.left, r.top - d.top, r.right - r.left, r.bottom - r.top))
        << "control " << id;
  }

  // A change the program makes shows at the next picture.
  SetDlgItemText(dialog, kTitle, "Callsign:");
  EnableWindow(GetDlgItem(dialog, kLog), FALSE);
  ShowWindow(GetDlgItem(dialog, kCw), SW_HIDE);
  host->settle();
  EXPECT_EQ(control<QLabel>(dialog, kTitle)->text(), "Callsign:");
  EXPECT_FALSE(control<QCheckBox>(dialog, kLog)->isEnabled());
  EXPECT_TRUE(control<QRadioButton>(dialog, kCw)->isHidden());

  DestroyWindow(dialog);
  host->settle();
  EXPECT_EQ(host->widgetOf(dialog), nullptr);
}

TEST_F(QtHostTest, ClicksAndKeysReachTheDialogAsTheLayersMessages) {
  HWND dialog = CreateDialog(nullptr, "CONTACT", nullptr, recordingProc);
  HWND upper = GetDlgItem(dialog, kUpper);
  plainEdit = reinterpret_cast<WNDPROC>(
      SetWindowLongPtr(upper, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(upperEdit)));
  host->settle();

  // A check box toggles in the layer (not only on screen) and notifies.
  // (Clicked on its box: a check box answers only there and on its text.)
  QTest::mouseClick(control<QCheckBox>(dialog, kLog), Qt::LeftButton, {}, QPoint(6, 12));
  host->settle();
  EXPECT_EQ(IsDlgButtonChecked(dialog, kLog), BST_CHECKED);
  EXPECT_TRUE(control<QCheckBox>(dialog, kLog)->isChecked());
  ASSERT_FALSE(commands.empty());
  EXPECT_EQ(commands.back(), std::to_string(kLog) + ":0");

  // Radio buttons: the layer keeps the group, Qt follows.
  QTest::mouseClick(control<QRadioButton>(dialog, kPhone), Qt::LeftButton, {}, QPoint(6, 10));
  host->settle();
  QTest::mouseClick(control<QRadioButton>(dialog, kCw), Qt::LeftButton, {}, QPoint(6, 10));
  host->settle();
  EXPECT_EQ(IsDlgButtonChecked(dialog, kCw), BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked(dialog, kPhone), BST_UNCHECKED);
  EXPECT_FALSE(control<QRadioButton>(dialog, kPhone)->isChecked());

  // Typing goes to the edit's window procedure, sub-class and all.
  QTest::keyClicks(control<QLineEdit>(dialog, kName), "w1aw");
  QTest::keyClicks(control<QLineEdit>(dialog, kUpper), "k1ttt9");
  host->settle();
  char text[32] = {};
  GetDlgItemText(dialog, kName, text, sizeof text);
  EXPECT_STREQ(text, "w1aw");
  GetDlgItemText(dialog, kUpper, text, sizeof text);
  EXPECT_STREQ(text, "KTTT");
  EXPECT_EQ(control<QLineEdit>(dialog, kUpper)->text(), "KTTT");
  QTest::keyClick(control<QLineEdit>(dialog, kName), Qt::Key_Backspace);
  host->settle();
  GetDlgItemText(dialog, kName, text, sizeof text);
  EXPECT_STREQ(text, "w1a");

  // A list selection and a combo choice are the layer's, with their
  // notifications.
  control<QListWidget>(dialog, kBand)->setCurrentRow(1);
  host->settle();
  EXPECT_EQ(SendDlgItemMessage(dialog, kBand, LB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(commands.back(), std::to_string(kBand) + ":" + std::to_string(LBN_SELCHANGE));
  QComboBox* modes = control<QComboBox>(dialog, kMode);
  emit modes->activated(1);
  host->settle();
  EXPECT_EQ(SendDlgItemMessage(dialog, kMode, CB_GETCURSEL, 0, 0), 1);

  // Tab moves the layer's focus in its own order; Qt's focus follows.
  SetFocus(GetDlgItem(dialog, kName));
  host->settle();
  QTest::keyClick(control<QLineEdit>(dialog, kName), Qt::Key_Tab);
  // A modeless dialog's keys pass its keyboard handling in the program's loop.
  MSG msg;
  while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
    if (!IsDialogMessage(dialog, &msg)) DispatchMessage(&msg);
  host->settle();
  EXPECT_EQ(GetFocus(), upper);
  EXPECT_TRUE(control<QLineEdit>(dialog, kUpper)->hasFocus() ||
              QApplication::focusWidget() == control<QLineEdit>(dialog, kUpper));
  DestroyWindow(dialog);
  host->settle();
}

TEST_F(QtHostTest, ModalDialogEndsWithTheButtonClicked) {
  // Clicked from inside the dialog's own loop, as a person would.
  QTimer::singleShot(50, [] {
    HWND dialog = FindWindow("#32770", "Contact");
    ASSERT_NE(dialog, nullptr);
    QTest::keyClicks(dynamic_cast<QLineEdit*>(host->widgetOf(GetDlgItem(dialog, kName))), "dl1abc");
    QTest::mouseClick(dynamic_cast<QPushButton*>(host->widgetOf(GetDlgItem(dialog, IDOK))),
                      Qt::LeftButton);
  });
  EXPECT_EQ(DialogBox(nullptr, "CONTACT", nullptr, recordingProc), IDOK);
  EXPECT_EQ(commands.back(), "1:0");

  // Return presses the default button.
  QTimer::singleShot(50, [] {
    HWND dialog = FindWindow("#32770", "Contact");
    ASSERT_NE(dialog, nullptr);
    QTest::keyClick(dynamic_cast<QLineEdit*>(host->widgetOf(GetDlgItem(dialog, kName))), Qt::Key_Return);
  });
  EXPECT_EQ(DialogBox(nullptr, "CONTACT", nullptr, recordingProc), IDOK);

  // The window's close box is Cancel.
  QTimer::singleShot(50, [] {
    HWND dialog = FindWindow("#32770", "Contact");
    ASSERT_NE(dialog, nullptr);
    host->widgetOf(dialog)->close();
  });
  EXPECT_EQ(DialogBox(nullptr, "CONTACT", nullptr, recordingProc), IDCANCEL);
}

TEST_F(QtHostTest, MessageBoxShowsItsTextIconAndButtonsAndAnswersTheOneChosen) {
  QString seenText, seenTitle;
  QMessageBox::Icon seenIcon = QMessageBox::NoIcon;
  int buttons = 0;
  auto answer = [&](QMessageBox::StandardButton which) {
    QTimer::singleShot(30, [&, which] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      seenText = box->text();
      seenTitle = box->windowTitle();
      seenIcon = box->icon();
      buttons = static_cast<int>(box->buttons().size());
      QTest::mouseClick(box->button(which), Qt::LeftButton);
    });
  };
  answer(QMessageBox::No);
  EXPECT_EQ(MessageBox(nullptr, "Do you wish to close LOG1.", "Kestrel Import",
                       MB_YESNOCANCEL | MB_ICONQUESTION),
            IDNO);
  EXPECT_EQ(seenText, "Do you wish to close LOG1.");
  EXPECT_EQ(seenTitle, "Kestrel Import");
  EXPECT_EQ(seenIcon, QMessageBox::Question);
  EXPECT_EQ(buttons, 3);

  answer(QMessageBox::Retry);
  EXPECT_EQ(MessageBox(nullptr, "Disk full", nullptr, MB_ABORTRETRYIGNORE | MB_ICONERROR), IDRETRY);
  EXPECT_EQ(seenTitle, "Error");
  EXPECT_EQ(seenIcon, QMessageBox::Critical);

  // Esc is Cancel where there is one.
  QTimer::singleShot(30, [] {
    QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Escape);
  });
  EXPECT_EQ(MessageBox(nullptr, "Overwrite?", "Copy", MB_OKCANCEL | MB_ICONWARNING), IDCANCEL);
}

// ---- A main window with a menu, accelerators and painting ----------------

enum { kOpen = 201, kClose = 202, kBrowse = 203 };
std::vector<UINT> windowMessages;
std::vector<UINT> menuCommands;

// A 2 x 2 bitmap, bottom-up: red, green (top row), blue, white (bottom).
struct Bitmap {
  BITMAPINFOHEADER header{};
  uint8_t pixels[2][8] = {};
};
Bitmap& bitmap() {
  static Bitmap b = [] {
    Bitmap m;
    m.header.biSize = sizeof(BITMAPINFOHEADER);
    m.header.biWidth = 2;
    m.header.biHeight = 2;
    m.header.biPlanes = 1;
    m.header.biBitCount = 24;
    m.header.biCompression = BI_RGB;
    const uint8_t bottom[8] = {255, 0, 0, 255, 255, 255, 0, 0};  // blue, white (B, G, R)
    const uint8_t top[8] = {0, 0, 255, 0, 255, 0, 0, 0};         // red, green
    std::memcpy(m.pixels[0], bottom, 8);
    std::memcpy(m.pixels[1], top, 8);
    return m;
  }();
  return b;
}

LRESULT CALLBACK mainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  windowMessages.push_back(message);
  switch (message) {
    case WM_COMMAND: menuCommands.push_back(LOWORD(wParam)); return 0;
    case WM_INITMENUPOPUP:
      EnableMenuItem(reinterpret_cast<HMENU>(wParam), kClose, MF_BYCOMMAND | MF_GRAYED);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      RECT band{10, 10, 50, 40};
      FillRect(dc, &band, CreateSolidBrush(RGB(200, 0, 0)));
      SetStretchBltMode(dc, COLORONCOLOR);
      StretchDIBits(dc, 60, 10, 40, 40, 0, 0, 2, 2, bitmap().pixels, &bitmap().header,
                    DIB_RGB_COLORS, SRCCOPY);
      SetTextColor(dc, RGB(0, 0, 255));
      SetBkMode(dc, TRANSPARENT);
      TextOut(dc, 10, 60, "Kestrel", 7);
      EndPaint(window, &paint);
      return 0;
    }
    default: return DefWindowProc(window, message, wParam, lParam);
  }
}

HWND makeMainWindow() {
  static bool registered = false;
  if (!registered) {
    kswin::registerMenu("TESTMENU",
                        {{"&File", {{"&Open\tCtrl+O", kOpen}, {"&Close", kClose}, {},
                                    {"&Browse", kBrowse, MF_GRAYED}}}});
    kswin::registerAccelerators("TESTKEYS", {{FVIRTKEY | FCONTROL, 'O', kOpen}});
    WNDCLASS wc{};
    wc.lpfnWndProc = mainProc;
    wc.lpszClassName = "QtTestMain";
    wc.lpszMenuName = "TESTMENU";
    RegisterClass(&wc);
    registered = true;
  }
  windowMessages.clear();
  menuCommands.clear();
  return CreateWindow("QtTestMain", "Test Main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 80, 400,
                      300, nullptr, nullptr, nullptr, nullptr);
}

TEST_F(QtHostTest, MenuBarAcceleratorsAndCloseBoxGoThroughTheProgram) {
  HWND window = makeMainWindow();
  host->settle();
  auto* bar = host->widgetOf(window)->findChild<QMenuBar*>();
  ASSERT_NE(bar, nullptr);
  ASSERT_EQ(bar->actions().size(), 1);
  QMenu* file = bar->actions().front()->menu();
  ASSERT_NE(file, nullptr);
  QStringList texts;
  QAction* open = nullptr;
  QAction* browse = nullptr;
  for (QAction* action : file->actions()) {
    texts << action->text();
    if (action->text() == "&Open\tCtrl+O") open = action;
    if (action->text() == "&Browse") browse = action;
  }
  EXPECT_EQ(texts, QStringList({"&Open\tCtrl+O", "&Close", "", "&Browse"}));
  ASSERT_NE(browse, nullptr);
  EXPECT_FALSE(browse->isEnabled());

  // Opening the menu tells the program, which greys Close there.
  file->popup(QPoint(0, 0));
  host->settle();
  EXPECT_NE(std::find(windowMessages.begin(), windowMessages.end(), WM_INITMENUPOPUP),
            windowMessages.end());
  for (QAction* action : file->actions())
    if (action->text() == "&Close") {
      EXPECT_FALSE(action->isEnabled());
    }
  ASSERT_NE(open, nullptr);
  open->trigger();
  file->hide();
  host->settle();
  EXPECT_EQ(menuCommands, std::vector<UINT>{kOpen});

  // Ctrl+O at the window reaches the program's loop as WM_KEYDOWN, where
  // its accelerator table makes it the command.
  HACCEL keys = LoadAccelerators(nullptr, "TESTKEYS");
  QTest::keyClick(host->clientOf(window), Qt::Key_O, Qt::ControlModifier);
  MSG msg;
  while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
    if (!TranslateAccelerator(window, keys, &msg)) DispatchMessage(&msg);
  DestroyAcceleratorTable(keys);
  EXPECT_EQ(menuCommands, (std::vector<UINT>{kOpen, kOpen}));

  // The close box asks the program; it decides (DefWindowProc destroys).
  host->widgetOf(window)->close();
  host->settle();
  EXPECT_NE(std::find(windowMessages.begin(), windowMessages.end(), WM_CLOSE), windowMessages.end());
  EXPECT_FALSE(IsWindow(window));
}

TEST_F(QtHostTest, PaintingLandsWhereTheProgramPutIt) {
  HWND window = makeMainWindow();
  host->settle();
  UpdateWindow(window);
  host->settle();
  QImage shot = host->clientOf(window)->grab().toImage();
  ASSERT_GE(shot.width(), 120);
  EXPECT_EQ(QColor(shot.pixel(20, 20)), QColor(200, 0, 0));   // the filled band
  EXPECT_EQ(QColor(shot.pixel(5, 5)), QColor(Qt::white));     // outside it
  // The stretched bitmap: its top row red, green; bottom blue, white.
  EXPECT_EQ(QColor(shot.pixel(65, 15)), QColor(255, 0, 0));
  EXPECT_EQ(QColor(shot.pixel(95, 15)), QColor(0, 255, 0));
  EXPECT_EQ(QColor(shot.pixel(65, 45)), QColor(0, 0, 255));
  EXPECT_EQ(QColor(shot.pixel(95, 45)), QColor(255, 255, 255));
  // The text is drawn in the program's colour somewhere in its cells.
  int blue = 0;
  for (int y = 60; y < 76; ++y)
    for (int x = 10; x < 66; ++x)
      if (QColor(shot.pixel(x, y)).blue() > 150 && QColor(shot.pixel(x, y)).red() < 100) ++blue;
  EXPECT_GT(blue, 10);

  // A size the person gives the window reaches the program as its size.
  QWidget* frame = host->widgetOf(window);
  const int menu = frame->height() - host->clientOf(window)->height();
  frame->resize(500, 320 + menu);
  host->settle();
  RECT r{};
  GetWindowRect(window, &r);
  EXPECT_EQ(r.right - r.left, 500);
  EXPECT_EQ(r.bottom - r.top, 320);
  DestroyWindow(window);
  host->settle();
}

// ---- The data table ------------------------------------------------------

#pragma pack(push, 1)
struct Row {
  char call[12];
  int32_t number;
};
#pragma pack(pop)

std::vector<std::string> tableCommands;
LRESULT CALLBACK tableParent(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND && HIWORD(wParam) == DT_NOTIFY_DBLCLK)
    tableCommands.push_back(std::to_string(SendMessage(reinterpret_cast<HWND>(lParam),
                                                       DT_GETDBLCLKROW, 0, 0)));
  return DefWindowProc(window, message, wParam, lParam);
}

TEST_F(QtHostTest, DataTableShowsAHundredThousandRowsAndTheirDoubleClick) {
  WNDCLASS wc{};
  wc.lpfnWndProc = tableParent;
  wc.lpszClassName = "QtTestTable";
  RegisterClass(&wc);
  HWND window = CreateWindow("QtTestTable", "Rows", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 480,
                             360, nullptr, nullptr, nullptr, nullptr);
  HWND table = CreateWindow(DT_CLASS_NAME, "", DT_CONTROL_STYLE | WS_VISIBLE, 0, 0, 480, 360,
                            window, reinterpret_cast<HMENU>(7), nullptr, nullptr);
  ASSERT_NE(table, nullptr);
  SendMessage(table, DT_SETCOLUMNCOUNT, 3, 0);
  SendMessage(table, DT_SETCOLUMNTYPE, 0, DT_TYPE_TEXT);
  SendMessage(table, DT_SETCOLUMNLENGTH, 0, 12);
  SendMessage(table, DT_SETCOLUMNTITLE, 0, reinterpret_cast<LPARAM>("Call"));
  SendMessage(table, DT_SETCOLUMNWIDTH, 0, 40);
  SendMessage(table, DT_SETCOLUMNTYPE, 1, DT_TYPE_INT32);
  SendMessage(table, DT_SETCOLUMNTITLE, 1, reinterpret_cast<LPARAM>("Number"));
  SendMessage(table, DT_SETCOLUMNFLAGS, 1, DT_FLAG_RIGHT);
  SendMessage(table, DT_SETCOLUMNWIDTH, 1, 32);
  // A hidden column is kept but not shown.
  SendMessage(table, DT_SETCOLUMNTYPE, 2, DT_TYPE_INT16);
  SendMessage(table, DT_SETCOLUMNFLAGS, 2, DT_FLAG_HIDDEN);
  std::vector<char> record(20, 0);
  for (int i = 0; i < 100000; ++i) {
    std::memset(record.data(), 0, record.size());
    std::snprintf(record.data(), 12, "CALL%d", i);
    std::memcpy(record.data() + 12, &i, 4);
    SendMessage(table, DT_APPENDROW, 0, reinterpret_cast<LPARAM>(record.data()));
  }
  host->settle();
  auto* view = dynamic_cast<QTableView*>(host->widgetOf(table));
  ASSERT_NE(view, nullptr);
  ASSERT_EQ(view->model()->rowCount(), 100000);
  ASSERT_EQ(view->model()->columnCount(), 2);
  EXPECT_EQ(view->model()->headerData(1, Qt::Horizontal).toString(), "Number");
  EXPECT_EQ(view->model()->data(view->model()->index(99999, 0)).toString(), "CALL99999");
  EXPECT_EQ(view->model()->data(view->model()->index(99999, 1)).toString(), "99999");
  EXPECT_EQ(view->model()->data(view->model()->index(5, 1), Qt::TextAlignmentRole).toInt(),
            int(Qt::AlignRight | Qt::AlignVCenter));
  // Reading the rows did not move the program's current row.
  EXPECT_EQ(kswin::dataTableView(table).current, 99999);

  // The program scrolls to its end: the last row is on screen.
  SendMessage(table, DT_SCROLLTOROW, 0, 99999);
  host->settle();
  const QModelIndex last = view->model()->index(99999, 0);
  EXPECT_TRUE(view->viewport()->rect().intersects(view->visualRect(last)));

  // A changed row shows; a double-click tells the parent with the row.
  SendMessage(table, DT_SETCURRENTROW, 0, 99999);
  std::snprintf(record.data(), 12, "W1AW");
  SendMessage(table, DT_PUTROW, 0, reinterpret_cast<LPARAM>(record.data()));
  host->settle();
  EXPECT_EQ(view->model()->data(last).toString(), "W1AW");
  tableCommands.clear();
  const QRect cell = view->visualRect(last);
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
  QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, cell.center());
  host->settle();
  EXPECT_EQ(tableCommands, std::vector<std::string>{"99999"});
  DestroyWindow(window);
  host->settle();
}

}  // namespace

#if defined(__SANITIZE_ADDRESS__)
// Under the leak checker: what Qt, its platform plugins and fontconfig keep
// for the life of the process is theirs, not a leak of ours.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libQt6\nleak:libfontconfig\nleak:libglib\nleak:libxcb\nleak:libX11\n"
         "leak:libdbus\nleak:libEGL\nleak:libGL\nleak:qt6/plugins\n";
}
#endif
