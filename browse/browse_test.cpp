// The browser window: its table, lines, placement, colours, sorting, menu
// and the main program's messages.
#include <gtest/gtest.h>

#include <cstring>

#include "testlog.h"

namespace {

using kstest::BrowserTest;
using ksbrowse::BrowserRow;
using ksbrowse::rowOf;
using ksbrowse::textLine;

TEST(BrowserLine, FieldsAreCutToTheirColumnsAndTheTextLineLaysThemOut) {
  LogRecord r{};
  KS_SET(r.call, "VP2E/W1ABCDE");  // 12 characters
  KS_SET(r.date, "01-02-99");
  KS_SET(r.time, "12:34");
  KS_SET(r.mode, "SSB");
  r.band = 20;
  KS_SET(r.rstSent, "59");
  KS_SET(r.rstRcvd, "57");
  KS_SET(r.qth, "Anguilla Island Xy");  // 18 characters
  KS_SET(r.qslSent, "Y");
  KS_SET(r.qslRcvd, "N");
  KS_SET(r.prefix, "VP2E");
  KS_SET(r.state, "");
  r.cqZone = 5;
  r.julianDay = 35795;
  const BrowserRow row = rowOf(r, 77);
  EXPECT_STREQ(row.call, "VP2E/W1ABCD");
  EXPECT_STREQ(row.country, "Anguilla Island ");
  EXPECT_STREQ(row.cqZone, " 5");
  EXPECT_EQ(row.recordKey, 77);
  EXPECT_EQ(row.julianDay, 35795);
  EXPECT_EQ(textLine(row),
            "01-02-99 12:34 VP2E/W1ABCD  SSB   20 59  57  Anguilla Islan Y N VP2E   5 ");

  // A zone beyond two digits in a damaged record is cut, not overrun.
  r.cqZone = 65535;
  EXPECT_STREQ(rowOf(r, 1).cqZone, "65");
}

TEST_F(BrowserTest, TheTableIsLaidOutAsTheLineRecord) {
  open();
  const kswin::DataTableView view = kswin::dataTableView(table);
  ASSERT_EQ(view.columns.size(), 15u);
  EXPECT_EQ(view.recordSize, sizeof(BrowserRow));
  const size_t offsets[15] = {offsetof(BrowserRow, date),    offsetof(BrowserRow, time),
                              offsetof(BrowserRow, call),    offsetof(BrowserRow, mode),
                              offsetof(BrowserRow, band),    offsetof(BrowserRow, rstSent),
                              offsetof(BrowserRow, rstRcvd), offsetof(BrowserRow, country),
                              offsetof(BrowserRow, qslSent), offsetof(BrowserRow, qslRcvd),
                              offsetof(BrowserRow, prefix),  offsetof(BrowserRow, cqZone),
                              offsetof(BrowserRow, state),   offsetof(BrowserRow, recordKey),
                              offsetof(BrowserRow, julianDay)};
  for (int i = 0; i < 15; ++i) EXPECT_EQ(view.columns[i].offset, offsets[i]) << "column " << i;
  EXPECT_EQ(view.columns[2].title, "Call Sign");
  EXPECT_EQ(view.columns[4].type, DT_TYPE_INT16);
  EXPECT_EQ(view.columns[4].mask, "????");
  EXPECT_EQ(view.columns[11].flags, 384);
  EXPECT_EQ(view.columns[13].flags, DT_FLAG_HIDDEN);
  EXPECT_EQ(view.columns[13].title, "");
  EXPECT_EQ(view.background, RGB(255, 251, 240));
  EXPECT_EQ(view.text, RGB(0, 0, 0));
}

TEST_F(BrowserTest, UpdateReplacesOnlyTheLineOfItsKeyAndSelectsIt) {
  open();
  const DB_ADDR a = add("K1AA", "01-01-99", "10:00", "CW", 20);
  const DB_ADDR b = add("K1BB", "01-01-99", "11:00", "CW", 20);
  const DB_ADDR c = add("K1CC", "01-01-99", "12:00", "CW", 20);
  const DB_ADDR d = add("K1DD", "01-01-99", "13:00", "CW", 20);
  for (DB_ADDR address : {a, b, c, d}) {
    LogRecord r{};
    dbCurrentSet(&address, task, 0);
    dbRecordRead(&r, task, 0);
    FillBrowserLine(0, &r, address, 0);
  }
  LogRecord changed{};
  dbCurrentSet(&c, task, 0);
  dbRecordRead(&changed, task, 0);
  KS_SET(changed.call, "W9XYZ");
  EXPECT_EQ(UpdateBrowserLine(0, &changed, c), 1);
  EXPECT_EQ(calls(), (std::vector<std::string>{"K1AA", "K1BB", "W9XYZ", "K1DD"}));
  EXPECT_EQ(kswin::dataTableView(table).marked, 2);

  EXPECT_EQ(UpdateBrowserLine(0, &changed, 999999), 0);
  EXPECT_EQ(calls(), (std::vector<std::string>{"K1AA", "K1BB", "W9XYZ", "K1DD"}));
}

TEST_F(BrowserTest, PlacementAndColoursComeFromTheSettingsFile) {
  // "Width" without "Left": the default size; a colour with two keys of
  // three stays at its default, one with all three is taken.
  WritePrivateProfileString("Browser", "Width", "900", "KESTREL.INI");
  WritePrivateProfileString("Browser", "Bkr", "10", "KESTREL.INI");
  WritePrivateProfileString("Browser", "Bkg", "20", "KESTREL.INI");
  WritePrivateProfileString("Browser", "Textr", "1", "KESTREL.INI");
  WritePrivateProfileString("Browser", "Textg", "2", "KESTREL.INI");
  WritePrivateProfileString("Browser", "Textb", "3", "KESTREL.INI");
  open(false);
  RECT r{};
  GetWindowRect(browser, &r);
  EXPECT_EQ(r.right - r.left, 8 * 85);
  EXPECT_EQ(r.bottom - r.top, 16 * 20);
  EXPECT_FALSE(IsWindowVisible(browser));
  EXPECT_EQ(kswin::dataTableView(table).background, RGB(255, 251, 240));
  EXPECT_EQ(kswin::dataTableView(table).text, RGB(1, 2, 3));
  DestroyWindow(browser);
  browser = nullptr;

  // Edges, not sizes; the placement and colours are written back when the
  // window goes, "Maximized" never.
  WritePrivateProfileString("Browser", "Left", "100", "KESTREL.INI");
  WritePrivateProfileString("Browser", "Top", "50", "KESTREL.INI");
  WritePrivateProfileString("Browser", "Width", "900", "KESTREL.INI");
  WritePrivateProfileString("Browser", "Height", "450", "KESTREL.INI");
  open(false);
  GetWindowRect(browser, &r);
  EXPECT_EQ(r.left, 100);
  EXPECT_EQ(r.right, 900);
  EXPECT_EQ(r.bottom, 450);
  DestroyWindow(browser);
  browser = nullptr;
  EXPECT_EQ(GetPrivateProfileInt("Browser", "Bkb", -1, "KESTREL.INI"), 240u);
  EXPECT_EQ(GetPrivateProfileInt("Browser", "Width", -1, "KESTREL.INI"), 900u);
  EXPECT_EQ(GetPrivateProfileInt("Browser", "Maximized", 77, "KESTREL.INI"), 77u);
}

TEST_F(BrowserTest, MaximizedZeroShowsTheWindowAndOneMaximizesIt) {
  open();
  EXPECT_TRUE(IsWindowVisible(browser));
  EXPECT_FALSE(IsZoomed(browser));
  DestroyWindow(browser);
  browser = nullptr;
  WritePrivateProfileString("Browser", "Maximized", "1", "KESTREL.INI");
  open();
  EXPECT_TRUE(IsWindowVisible(browser));
  EXPECT_TRUE(IsZoomed(browser));
}

TEST_F(BrowserTest, TheBackgroundColourIsChosenHandedToTheTableAndKept) {
  open();
  headless.queueColor(RGB(1, 2, 3));
  ASSERT_TRUE(kswin::chooseMenuItem(browser, KSB_CMD_BACKGROUND));
  EXPECT_EQ(kswin::dataTableView(table).background, RGB(1, 2, 3));
  EXPECT_EQ(GetPrivateProfileInt("Browser", "Bkg", -1, "KESTREL.INI"), 2u);
}

TEST_F(BrowserTest, SortingByDateOrdersByDayThenTime) {
  open();
  LogRecord r{};
  struct Line { const char* call; const char* date; const char* time; int band; };
  const Line lines[] = {{"C", "01-02-99", "08:00", 40}, {"A", "01-01-99", "23:00", 20},
                        {"D", "01-02-99", "07:59", 80}, {"B", "12-31-98", "12:00", 10}};
  for (const Line& l : lines) {
    r = kstest::contact(l.call, CalcJulianDate(l.date), "CW", "K", l.band, 5);
    KS_SET(r.date, l.date);
    KS_SET(r.time, l.time);
    FillBrowserLine(0, &r, 1, 0);
  }
  ASSERT_TRUE(kswin::chooseMenuItem(browser, KSB_CMD_SORT_DATE));
  EXPECT_EQ(calls(), (std::vector<std::string>{"B", "A", "D", "C"}));
  ASSERT_TRUE(kswin::chooseMenuItem(browser, KSB_CMD_SORT_BAND));
  EXPECT_EQ(calls(), (std::vector<std::string>{"B", "A", "C", "D"}));
  ASSERT_TRUE(kswin::chooseMenuItem(browser, KSB_CMD_SORT_CALL));
  EXPECT_EQ(calls(), (std::vector<std::string>{"A", "B", "C", "D"}));

  // The main program empties the list: the sort is forgotten, drawing on.
  SendMessage(browser, KM_BROWSER_REDRAW, 0, 0);
  EXPECT_FALSE(kswin::dataTableView(table).redraw);
  SendMessage(browser, KM_BROWSER_EMPTY, 0, 0);
  EXPECT_EQ(rows(), 0);
  EXPECT_TRUE(kswin::dataTableView(table).redraw);
  EXPECT_EQ(ksbrowse::state().sortColumn, ksbrowse::kNoSort);
}

TEST_F(BrowserTest, TheMenuIsGreyedWhileEmptyAndTheLastLineIsShown) {
  open();
  auto enabled = [&](int position, UINT id) {
    for (const kswin::MenuEntry& e : kswin::openMenu(browser, position))
      if (e.id == id) return !e.grayed;
    return false;
  };
  EXPECT_FALSE(enabled(0, KSB_CMD_SAVE));
  EXPECT_FALSE(enabled(3, KSB_CMD_SORT_DATE));
  EXPECT_TRUE(enabled(0, KSB_CMD_EXIT));
  EXPECT_TRUE(enabled(2, KSB_CMD_QUERY));
  LogRecord r = kstest::contact("K1AA", 35000, "CW", "K", 20, 5);
  FillBrowserLine(0, &r, 5, 0);
  FillBrowserLine(0, &r, 6, 0);
  EXPECT_TRUE(enabled(0, KSB_CMD_SAVE));
  EXPECT_TRUE(enabled(3, KSB_CMD_SORT_STATE));

  SendMessage(table, DT_MARKROW, 1, 1);
  SendMessage(browser, KM_BROWSER_LAST, 0, 0);
  const kswin::DataTableView view = kswin::dataTableView(table);
  EXPECT_EQ(view.focused, 1);
  EXPECT_EQ(view.scrolledTo, 1);
  EXPECT_EQ(view.marked, -1);

  ASSERT_TRUE(kswin::chooseMenuItem(browser, KSB_CMD_EXIT));
  EXPECT_FALSE(IsWindowVisible(browser));
}

TEST_F(BrowserTest, PickingALinePostsItsContactToTheMainWindow) {
  open();
  LogRecord r = kstest::contact("K1AA", 35000, "CW", "K", 20, 5);
  FillBrowserLine(0, &r, 1234, 0);
  FillBrowserLine(0, &r, 5678, 0);
  ASSERT_TRUE(kswin::doubleClickItem(table, 1));
  EXPECT_EQ(boxes(), (std::vector<std::string>{"Error retrieving KESTREL window handle."}));

  openMain();
  ASSERT_TRUE(kswin::doubleClickItem(table, 1));
  kswin::pumpMessages();
  ASSERT_EQ(kstest::mainMessages().size(), 1u);
  EXPECT_EQ(kstest::mainMessages()[0].message, static_cast<UINT>(KM_PICK_CONTACT));
  EXPECT_EQ(kstest::mainMessages()[0].lParam, 5678);
}

TEST_F(BrowserTest, WithoutTheDataTableControlNoWindowIsMade) {
  kswin::setLibraryMissing("PVDTBL.DLL", true);
  ksbrowse::loadLibraryParts();
  kswin::setLibraryMissing("PVDTBL.DLL", false);
  ASSERT_EQ(headless.boxes().size(), 1u);
  EXPECT_EQ(headless.boxes()[0].text, "Unable to Load DataTable DLL");
  EXPECT_EQ(headless.boxes()[0].caption, "System Error");
  EXPECT_EQ(headless.boxes()[0].icon(), static_cast<UINT>(MB_ICONERROR));
  EXPECT_EQ(CreateBrowseWnd(8, 16), nullptr);
  ksbrowse::loadLibraryParts();
  EXPECT_NE(browser = CreateBrowseWnd(8, 16), nullptr);
}

}  // namespace
