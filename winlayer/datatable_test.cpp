#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/fields.h"
#include "datatable.h"
#include "testing.h"

namespace {

// The browser's line: 15 columns, integers aligned, 84 bytes.
#pragma pack(push, 1)
struct Line {
  char date[9];
  char time[6];
  char call[12];
  char mode[5];
  int16_t band;
  char rstSent[4];
  char rstRcvd[4];
  char country[17];
  char qslSent[2];
  char qslRcvd[2];
  char prefix[6];
  char cq[3];
  char state[3];
  char pad[1];
  int32_t key;
  int32_t day;
};
#pragma pack(pop)
static_assert(sizeof(Line) == 84);

struct ColumnDef {
  int type, bytes;
};
const ColumnDef kColumns[] = {{135, 9}, {135, 6}, {135, 12}, {135, 5},  {130, 2},
                              {135, 4}, {135, 4}, {135, 17}, {135, 2},  {135, 2},
                              {135, 6}, {135, 3}, {135, 3},  {131, 4},  {131, 4}};

std::vector<std::string> notices;

LRESULT parentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND)
    notices.push_back(std::to_string(LOWORD(wParam)) + "/" + std::to_string(HIWORD(wParam)));
  return DefWindowProc(window, message, wParam, lParam);
}

class DataTable : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASS wc{};
    wc.lpfnWndProc = parentProc;
    wc.lpszClassName = "TableParentWClass";
    RegisterClass(&wc);
    parent = CreateWindow("TableParentWClass", "Browser", WS_OVERLAPPEDWINDOW, 0, 0, 600, 400,
                          nullptr, nullptr, nullptr, nullptr);
    table = CreateWindow(DT_CLASS_NAME, "Test", DT_CONTROL_STYLE, 0, 0, 0, 0, parent,
                         reinterpret_cast<HMENU>(1), nullptr, nullptr);
    ASSERT_NE(table, nullptr);
    define();
    notices.clear();
  }
  void TearDown() override { DestroyWindow(parent); }

  LRESULT send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendMessage(table, message, wParam, lParam);
  }
  void define() {
    send(DT_RESET);
    send(DT_SETCOLUMNCOUNT, 15);
    for (int col = 0; col < 15; ++col) {
      send(DT_SETCOLUMNFLAGS, static_cast<WPARAM>(col), col >= 13 ? DT_FLAG_HIDDEN : DT_FLAG_LEFT);
      send(DT_SETCOLUMNTYPE, static_cast<WPARAM>(col), kColumns[col].type);
      send(DT_SETCOLUMNLENGTH, static_cast<WPARAM>(col), kColumns[col].bytes);
    }
    send(DT_SETCOLUMNTITLE, 2, reinterpret_cast<LPARAM>("Call Sign"));
    send(DT_DELETEALLROWS);
    send(DT_SETCURRENTROW, 0, DT_NOROW);
  }
  int append(const char* call, int16_t band, int day, const char* time, int key) {
    Line line{};
    ksbase::putField(line.call, call);
    ksbase::putField(line.time, time);
    line.band = band;
    line.day = day;
    line.key = key;
    return static_cast<int>(send(DT_APPENDROW, 0, reinterpret_cast<LPARAM>(&line)));
  }
  Line row(int index) {
    Line line{};
    EXPECT_EQ(send(DT_SETCURRENTROW, 0, index), 0);
    EXPECT_EQ(send(DT_GETROW, 0, reinterpret_cast<LPARAM>(&line)), 0);
    return line;
  }
  std::vector<int> keys() {
    std::vector<int> out;
    for (int i = 0; i < send(DT_GETROWCOUNT); ++i) out.push_back(row(i).key);
    return out;
  }

  HWND parent = nullptr;
  HWND table = nullptr;
};

TEST_F(DataTable, RowsAreLaidOutAndKeptAsTheCallerWroteThem) {
  EXPECT_EQ(append("W1AW", 20, 36000, "1200", 7), 0);
  EXPECT_EQ(append("DL1ABC", 40, 36001, "0800", 8), 1);
  EXPECT_EQ(send(DT_GETROWCOUNT), 2);
  Line second = row(1);
  EXPECT_STREQ(second.call, "DL1ABC");
  EXPECT_EQ(second.band, 40);
  EXPECT_EQ(second.key, 8);  // the integers sit where the layout puts them
  EXPECT_EQ(second.day, 36001);

  // Overwrite and delete work on the current row.
  second.band = 15;
  send(DT_SETCURRENTROW, 0, 1);
  EXPECT_EQ(send(DT_PUTROW, 0, reinterpret_cast<LPARAM>(&second)), 0);
  EXPECT_EQ(row(1).band, 15);
  send(DT_SETCURRENTROW, 0, 0);
  EXPECT_EQ(send(DT_DELETEROW), 0);
  EXPECT_EQ(keys(), (std::vector<int>{8}));

  // Emptying keeps the columns.
  send(DT_DELETEALLROWS);
  EXPECT_EQ(send(DT_GETROWCOUNT), 0);
  EXPECT_EQ(append("K2X", 20, 1, "0000", 9), 0);
  EXPECT_EQ(row(0).key, 9);
}

TEST_F(DataTable, BadRowsAndNullBuffersAreRefused) {
  append("W1AW", 20, 1, "0000", 1);
  Line line{};
  EXPECT_EQ(send(DT_SETCURRENTROW, 0, 5), DT_ERR_INVALID_ROW);
  EXPECT_EQ(send(DT_SETCURRENTROW, 0, DT_NOROW), 0);
  EXPECT_EQ(send(DT_GETROW, 0, reinterpret_cast<LPARAM>(&line)), DT_ERR_INVALID_ROW);
  EXPECT_EQ(send(DT_DELETEROW), DT_ERR_INVALID_ROW);
  EXPECT_EQ(send(DT_APPENDROW, 0, 0), DT_ERR_NULL_VALUE);
  EXPECT_EQ(send(DT_SETCOLUMNTITLE, 0, 0), DT_ERR_NULL_STRING);
  EXPECT_EQ(send(DT_MARKROW, 1, 3), DT_ERR_INVALID_ROW);
  send(DT_RESET);
  EXPECT_EQ(send(DT_APPENDROW, 0, reinterpret_cast<LPARAM>(&line)), DT_ERR_OVERFLOW);
}

TEST_F(DataTable, MarkFocusScrollDoubleClickAndColours) {
  for (int i = 0; i < 3; ++i) append("W1AW", 20, i, "0000", 100 + i);
  EXPECT_EQ(send(DT_GETMARKEDROW), -1);
  send(DT_MARKROW, 1, 2);
  send(DT_MARKROW, 1, 1);  // one marked row at most
  EXPECT_EQ(send(DT_GETMARKEDROW), 1);
  send(DT_MARKROW, 0, 1);
  EXPECT_EQ(send(DT_GETMARKEDROW), -1);
  EXPECT_EQ(send(DT_FOCUSROW, 0, 2), 0);
  EXPECT_EQ(send(DT_SCROLLTOROW, 0, 2), 0);

  EXPECT_EQ(send(DT_GETDBLCLKROW), -1);
  EXPECT_TRUE(kswin::doubleClickItem(table, 2));
  EXPECT_EQ(notices, (std::vector<std::string>{"1/18"}));
  EXPECT_EQ(send(DT_GETDBLCLKROW), 2);
  EXPECT_FALSE(kswin::doubleClickItem(table, 7));

  const COLORREF colours[2] = {RGB(255, 251, 240), RGB(0, 0, 255)};
  EXPECT_EQ(send(DT_SETCOLORS, 0, reinterpret_cast<LPARAM>(colours)), 0);
  EXPECT_EQ(send(DT_SETCOLORS, 0, 0), DT_ERR_NULL_VALUE);
  send(WM_SETREDRAW, FALSE);
  kswin::DataTableView view = kswin::dataTableView(table);
  EXPECT_EQ(view.background, RGB(255, 251, 240));
  EXPECT_EQ(view.text, RGB(0, 0, 255));
  EXPECT_FALSE(view.redraw);
  EXPECT_EQ(view.focused, 2);
  EXPECT_EQ(view.scrolledTo, 2);
  EXPECT_EQ(view.columns[2].title, "Call Sign");
  EXPECT_EQ(view.columns[13].flags, DT_FLAG_HIDDEN);
  EXPECT_EQ(view.columns[4].offset, 32u);
  EXPECT_EQ(view.columns[14].offset, 80u);
  EXPECT_EQ(view.recordSize, 84u);
  send(WM_SETREDRAW, TRUE);
  EXPECT_TRUE(kswin::dataTableView(table).redraw);
  EXPECT_TRUE(kswin::dataTableView(parent).columns.empty());
}

TEST_F(DataTable, SortingByOneColumnIsStable) {
  append("W1AW", 20, 5, "0100", 1);
  append("dl1abc", 40, 3, "0200", 2);
  append("K2X", 20, 4, "0300", 3);
  append("DL1ABC", 10, 2, "0400", 4);
  append("ve3xyz", -1, 1, "0500", 5);
  send(DT_MARKROW, 1, 2);  // K2X stays marked wherever it goes

  send(DT_SORT, 4, DT_ORDER_EXACT);  // band, as a signed integer
  EXPECT_EQ(keys(), (std::vector<int>{5, 4, 1, 3, 2}));
  send(DT_SORT, 2, DT_ORDER_NOCASE);  // call, without regard to case; ties keep their order
  EXPECT_EQ(keys(), (std::vector<int>{4, 2, 3, 5, 1}));
  send(DT_SORT, 2, DT_ORDER_EXACT);  // by bytes: capitals first
  EXPECT_EQ(keys(), (std::vector<int>{4, 3, 1, 2, 5}));
  EXPECT_EQ(row(static_cast<int>(send(DT_GETMARKEDROW))).key, 3);
  send(DT_SORT, 13, DT_ORDER_DESCENDING);
  EXPECT_EQ(keys(), (std::vector<int>{5, 4, 3, 2, 1}));
}

TEST_F(DataTable, SortingByThreeKeys) {
  // day, time: the browser's date sort; then band as third key.
  append("A", 20, 36000, "1200", 1);
  append("B", 40, 35999, "2359", 2);
  append("C", 20, 36000, "0900", 3);
  append("D", 10, 36000, "1200", 4);
  append("E", 20, 35999, "0000", 5);
  // Without keys a key sort changes nothing.
  send(DT_SORT, static_cast<WPARAM>(DT_SORTBYKEYS), 0);
  EXPECT_EQ(keys(), (std::vector<int>{1, 2, 3, 4, 5}));
  send(DT_MULTIKEYSORT, 0, 1);
  send(DT_SETSORTKEY, 14, 1);
  send(DT_SETSORTKEY, 1, 2);
  send(DT_SETSORTKEY, 4, 3);
  send(DT_SORT, static_cast<WPARAM>(DT_SORTBYKEYS), 0);
  EXPECT_EQ(keys(), (std::vector<int>{5, 2, 3, 4, 1}));
  EXPECT_EQ(send(DT_SETSORTKEY, 99, 1), DT_ERR_INVALID_ROW);
  EXPECT_EQ(send(DT_SETSORTKEY, 1, 4), DT_ERR_NULL_VALUE);
}

TEST_F(DataTable, ItsLibraryLoadsUnlessATestRemovesIt) {
  EXPECT_NE(LoadLibrary("pvdtbl.dll"), nullptr);
  kswin::setLibraryMissing(DT_LIBRARY_NAME, true);
  EXPECT_EQ(LoadLibrary("PVDTBL.DLL"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  kswin::setLibraryMissing(DT_LIBRARY_NAME, false);
  EXPECT_NE(LoadLibrary("PVDTBL.DLL"), nullptr);
}

TEST_F(DataTable, RecordSizesOfTheSuitesTables) {
  // The detail row: 17 columns, a 16-bit zone at 14 and a 32-bit address at 108.
  const int detail[][2] = {{135, 2}, {135, 6}, {135, 6}, {130, 2}, {135, 3}, {135, 5},
                           {135, 21}, {135, 15}, {135, 9}, {135, 6}, {135, 6}, {135, 5},
                           {135, 4}, {135, 4}, {135, 9}, {135, 2}, {131, 4}};
  send(DT_RESET);
  send(DT_SETCOLUMNCOUNT, 17);
  for (int col = 0; col < 17; ++col) {
    send(DT_SETCOLUMNTYPE, static_cast<WPARAM>(col), detail[col][0]);
    send(DT_SETCOLUMNLENGTH, static_cast<WPARAM>(col), detail[col][1]);
  }
  char record[120];
  std::memset(record, 0x11, sizeof record);
  const int32_t address = 0x01000203;
  std::memcpy(record + 108, &address, 4);
  send(DT_APPENDROW, 0, reinterpret_cast<LPARAM>(record));
  char back[120];
  std::memset(back, 0x77, sizeof back);
  send(DT_SETCURRENTROW, 0, 0);
  send(DT_GETROW, 0, reinterpret_cast<LPARAM>(back));
  int32_t read;
  std::memcpy(&read, back + 108, 4);
  EXPECT_EQ(read, address);
  EXPECT_EQ(back[111], record[111]);
  EXPECT_EQ(back[112], 0x77);  // 112 bytes copied, not one more
}

}  // namespace
