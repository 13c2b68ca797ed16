#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "winlayer/datatable.h"
#include "schema/mainwindow.h"
#include "internal.h"
#include "tally.h"
#include "testlog.h"
#include "winlayer/winlayer.h"
#include "winlayer/host.h"
#include "winlayer/testing.h"

namespace ksdetail {
namespace {

using testlog::Contact;

class Award : public testlog::Logbook {
 protected:
  void SetUp() override {
    Logbook::SetUp();
    window_ = CreateDetailWnd(8, 16);
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override {
    if (IsWindow(window_)) DestroyWindow(window_);
    Logbook::TearDown();
  }

  std::vector<std::string> lines() {
    std::vector<std::string> out;
    for (int i = 0; i < GetDetailTableCount(); ++i) {
      char line[200] = {};
      GetDetailTableLine(i, line);
      out.emplace_back(line);
    }
    return out;
  }
  DetailRow row(int i) {
    DetailRow r{};
    SendMessage(state().table, DT_SETCURRENTROW, 0, i);
    SendMessage(state().table, DT_GETROW, 0, reinterpret_cast<LPARAM>(&r));
    return r;
  }
  // Marker and prefix of every country row (the blank and total rows left out).
  std::vector<std::string> markers() {
    std::vector<std::string> out;
    for (int i = 0; i + 2 < GetDetailTableCount(); ++i) {
      const DetailRow r = row(i);
      out.push_back(fieldText(r.marker) + fieldText(r.prefix) + fieldText(r.state) +
                    (r.cqZone ? std::to_string(r.cqZone) : "") + fieldText(r.grid));
    }
    return out;
  }
  std::string total() { return fieldText(row(GetDetailTableCount() - 1).country); }
  std::string title() {
    char text[128] = {};
    GetWindowText(window_, text, sizeof text);
    return text;
  }

  kswin::HeadlessHost host_;
  kswin::ScopedHost scoped_{host_};
  HWND window_ = nullptr;
};

// First in the file: the library's report kind is still unset.
TEST_F(Award, LinesBeforeAnyAwardAreRefused) {
  char untouched[16] = "unchanged";
  EXPECT_EQ(GetDetailTableLine(0, untouched), -2);
  EXPECT_EQ(GetDXCCReportDetailTableLine(0, untouched), -2);
  EXPECT_STREQ(untouched, "unchanged");
}

// The marker rules of the contact selection, country by country.
TEST_F(Award, MarkersFollowTheTagsOfEachCountrysContacts) {
  for (const char* p : {"A", "B", "C", "D"}) country(p, std::string("Land ") + p);
  add({.call = "A1", .prefix = "A", .tag = 1});
  add({.call = "A2", .prefix = "A", .tag = 1});
  add({.call = "B1", .prefix = "B", .tag = 2});
  add({.call = "B2", .prefix = "B", .tag = 1});
  add({.call = "C1", .prefix = "C", .tag = 1});
  add({.call = "C2", .prefix = "C", .qslRcvd = "Y"});
  ASSERT_EQ(GetDXCCDetailsDLL(nullptr, 200, task_, 301, 0), 1);
  EXPECT_EQ(title(), "DXCC Mixed - Full Report");
  EXPECT_EQ(markers(), (std::vector<std::string>{"+A", "-B", "*C", " D"}));
  // The confirmed untagged contact took C's row.
  EXPECT_EQ(fieldText(row(2).call), "C2");
  EXPECT_EQ(fieldText(row(2).qsl), "Cfm");
  EXPECT_EQ(fieldText(row(3).call), "");
  EXPECT_EQ(total(), "Total: 4");

  ASSERT_EQ(GetDXCCDetailsDLL(nullptr, 200, task_, 300, 0), 1);
  EXPECT_EQ(markers(), std::vector<std::string>{"+A"});
  EXPECT_EQ(total(), "Total: 1");
  ASSERT_EQ(GetDXCCDetailsDLL(nullptr, 200, task_, 900, 0), 1);
  EXPECT_EQ(markers(), std::vector<std::string>{"-B"});
  EXPECT_EQ(title(), "DXCC Mixed - Submitted");
}

TEST_F(Award, VariantsFilterTheRowsByWhatEachCountryHolds) {
  for (const char* p : {"A", "B", "C", "D", "E"}) country(p, p);
  add({.prefix = "A"});                                            // worked only
  add({.prefix = "B", .qslSent = "Y", .qslDate = "07-01-99"});     // QSL sent
  add({.prefix = "C", .qslRcvd = "Y"});                            // confirmed
  add({.prefix = "D", .qslRcvd = "Y", .tag = 2});                  // submitted
  auto rows = [&](int variant) {
    EXPECT_EQ(GetDXCCDetailsDLL(nullptr, 200, task_, variant, 0), 1);
    return markers();
  };
  using V = std::vector<std::string>;
  EXPECT_EQ(rows(303), (V{"*A", "*B", "*C"}));
  EXPECT_EQ(rows(304), (V{"*A", "*B"}));
  EXPECT_EQ(rows(305), (V{"*B"}));
  EXPECT_EQ(rows(306), (V{"*A", "*B", "*C", "-D"}));
  EXPECT_EQ(rows(307), (V{"*C"}));
  EXPECT_EQ(rows(900), (V{"-D"}));
  EXPECT_EQ(rows(401), V{});  // not a variant: nothing
  EXPECT_EQ(total(), "Total: 0");
}

TEST_F(Award, DateLimitsOfTheModeAwardsAndDxcc2000) {
  country("A", "Alpha");
  country("B", "Bravo");
  add({.call = "OLDCW", .date = "12-31-74", .mode = "CW", .prefix = "A"});
  add({.call = "NEWCW", .date = "01-01-75", .mode = "CW", .prefix = "B"});
  add({.call = "OLDSAT", .date = "12-31-64", .prefix = "A", .satId = "OSCAR"});
  add({.call = "SAT88", .date = "06-01-88", .prefix = "B", .satId = "AO10", .zone = 14});
  add({.call = "Y2K", .date = "12-31-00", .prefix = "A"});
  add({.call = "Y2K1", .date = "01-01-01", .prefix = "B"});
  ASSERT_EQ(GetDXCCDetailsDLL(nullptr, 202, task_, 306, 0), 1);
  EXPECT_EQ(markers(), std::vector<std::string>{"*B"});
  ASSERT_EQ(GetDXCCDetailsDLL(nullptr, 206, task_, 306, 0), 1);
  EXPECT_EQ(markers(), std::vector<std::string>{"*B"});
  ASSERT_EQ(GetCQZoneDetailsDLL(nullptr, 206, task_, 306), 1);
  EXPECT_EQ(markers(), std::vector<std::string>{});  // CQ satellite counts from 1989

  ASSERT_EQ(GetDXCCDetailsDLL(nullptr, 200, task_, 309, 0), 1);
  EXPECT_EQ(title(), "DXCC 2000 - Full Report");
  EXPECT_EQ(markers(), (std::vector<std::string>{"*A", "-B"}));
  EXPECT_EQ(fieldText(row(0).call), "Y2K");
  EXPECT_EQ(total(), "Total: 1");
  // The mode awards with 309 keep to the year 2000.
  ASSERT_EQ(GetDXCCDetailsDLL(nullptr, 201, task_, 309, 0), 1);
  EXPECT_EQ(markers(), (std::vector<std::string>{"*A", " B"}));
}

TEST_F(Award, BandWalksStopAtTheNextBandAndPrefix) {
  country("A", "Alpha");
  country("B", "Bravo");
  add({.call = "A15", .prefix = "A", .band = 15});
  add({.call = "A20", .prefix = "A", .band = 20});
  add({.call = "B15", .prefix = "B", .band = 15});
  add({.call = "B40", .prefix = "B", .band = 40});
  ASSERT_EQ(GetDXCCBandDetailDLL(nullptr, 215, task_, 301, 0), 1);
  EXPECT_EQ(title(), "15 Meter DXCC - Full Report");
  EXPECT_EQ(fieldText(row(0).call), "A15");
  EXPECT_EQ(fieldText(row(1).call), "B15");
  EXPECT_EQ(fieldText(row(1).band), " 15");
  ASSERT_EQ(GetDXCCBandDetailDLL(nullptr, 220, task_, 306, 0), 1);
  EXPECT_EQ(markers(), std::vector<std::string>{"*A"});
  EXPECT_EQ(GetDXCCBandDetailDLL(nullptr, 211, task_, 301, 0), 0);  // no 11 m band
}

TEST_F(Award, NeededListsComeFromTheTalliesAndListActiveCountriesOnly) {
  country("Z", "Zulu");
  country("A", "Alpha");
  country("D", "Gone", "D");
  country("W", "Worked");
  for (const char* p : {"Z", "A", "D", "W"}) {
    CountryTally t{};
    testlog::putField(t.prefix, p);
    ASSERT_EQ(dbRecordCreate(kCountryTallyType, &t, task_, 0), RECDB_OK);
  }
  add({.mode = "CW", .prefix = "W", .state = "", .band = 40});
  ASSERT_EQ(kstally::recomputeTallies(task_), 0);
  ASSERT_EQ(GetDXCCDetailsDLL(nullptr, 200, task_, 302, 0), 1);
  EXPECT_EQ(title(), "DXCC Mixed - Needed");
  EXPECT_EQ(markers(), (std::vector<std::string>{" A", " Z"}));  // sorted by prefix
  ASSERT_EQ(GetDXCCDetailsDLL(nullptr, 201, task_, 302, 0), 1);  // phone: W still needed
  EXPECT_EQ(markers(), (std::vector<std::string>{" A", " W", " Z"}));
  ASSERT_EQ(GetDXCCBandDetailDLL(nullptr, 240, task_, 302, 0), 1);
  EXPECT_EQ(markers(), (std::vector<std::string>{" A", " Z"}));
  EXPECT_EQ(total(), "Total: 2");
}

TEST_F(Award, WasAndCqRowsNeededListsAndVariant309) {
  add({.call = "W1AW", .prefix = "K", .state = "CT", .zone = 5, .tag = 1});
  add({.call = "K6X", .mode = "CW", .prefix = "K", .state = "CA", .band = 40, .zone = 3});
  add({.call = "VE1", .prefix = "VE", .state = "NS", .zone = 5});
  ASSERT_EQ(kstally::recomputeTallies(task_), 0);

  ASSERT_EQ(GetWASDetailsDLL(nullptr, 200, task_, 301), 1);
  EXPECT_EQ(title(), "WAS Mixed - Full Report");
  EXPECT_EQ(GetDetailTableCount(), 52);
  EXPECT_EQ(fieldText(row(4).state), "CA");
  EXPECT_EQ(fieldText(row(4).marker), "*");
  EXPECT_EQ(fieldText(row(6).marker), "x");  // CT, tagged
  EXPECT_EQ(lines()[6], "x CT W1AW           06-15-99 12:00  20 SSB  59   ");
  ASSERT_EQ(GetWASDetailsDLL(nullptr, 202, task_, 306), 1);
  EXPECT_EQ(markers(), std::vector<std::string>{"*CA"});
  ASSERT_EQ(GetWASDetailsDLL(nullptr, 200, task_, 302), 1);
  EXPECT_EQ(GetDetailTableCount(), 48 + 2);  // every state but CA and CT
  ASSERT_EQ(GetWASBandDetailDLL(nullptr, 240, task_, 302), 1);
  EXPECT_EQ(title(), "40 Meter WAS - Needed");
  EXPECT_EQ(GetDetailTableCount(), 49 + 2);
  ASSERT_EQ(GetWASDetailsDLL(nullptr, 200, task_, 309), 1);
  EXPECT_EQ(GetDetailTableCount(), 2);

  ASSERT_EQ(GetCQZoneDetailsDLL(nullptr, 200, task_, 306), 1);
  EXPECT_EQ(markers(), (std::vector<std::string>{"*3", "x5"}));
  EXPECT_EQ(lines()[0], "*  3       Somewhere        K6X         06-15-99 12:00  40 CW   59   ");
  ASSERT_EQ(GetCQBandDetailsDLL(nullptr, 220, task_, 302), 1);
  EXPECT_EQ(title(), "20 Meter CQ Band Zones - Needed");
  EXPECT_EQ(GetDetailTableCount(), 39 + 2);  // zone 5 was worked on 20 m
  ASSERT_EQ(GetCQZoneDetailsDLL(nullptr, 200, task_, 309), 1);
  EXPECT_EQ(GetDetailTableCount(), 2);
  EXPECT_EQ(GetCQZoneDetailsDLL(nullptr, 204, task_, 301), 0);
}

TEST_F(Award, VuccGivesRowsOnlyForGridsWorkedOnTheBand) {
  grid("FN31");
  grid("EM12");
  add({.call = "SIX", .prefix = "K", .grid = "FN31", .band = 6});
  add({.call = "TWO", .prefix = "K", .grid = "EM12", .band = 2});
  ASSERT_EQ(GetVUCCDetailsDLL(nullptr, 0, task_, 301), 1);
  EXPECT_EQ(title(), "50 MHz VUCC - Full Report");
  EXPECT_EQ(markers(), std::vector<std::string>{"*FN31"});
  EXPECT_EQ(lines()[0], "* FN31 SIX            06-15-99 12:00   50  SSB  59   ");
  ASSERT_EQ(GetVUCCDetailsDLL(nullptr, 1, task_, 301), 1);
  EXPECT_EQ(markers(), std::vector<std::string>{"*EM12"});
  ASSERT_EQ(GetVUCCDetailsDLL(nullptr, 2, task_, 301), 1);
  EXPECT_EQ(GetDetailTableCount(), 2);
}

TEST_F(Award, UscaFullAndNeeded) {
  const DB_ADDR middlesex = county("MA", "MIDDLESEX");
  county("CT", "HARTFORD");
  add({.call = "W1X", .prefix = "K", .state = "MA", .county = middlesex});
  ASSERT_EQ(GetUSCADetailsDLL(nullptr, 200, task_, 301), 1);
  EXPECT_EQ(title(), "USCA Counties - Full Report");
  const auto full = lines();
  ASSERT_EQ(full.size(), 4u);
  EXPECT_EQ(full[0], "* MA            MIDDLESEX W1X          06-15-99 12:00  20 SSB  59   ");
  EXPECT_EQ(full[1].substr(0, 26), "  CT             HARTFORD ");
  ASSERT_EQ(GetUSCADetailsDLL(nullptr, 200, task_, 302), 1);
  EXPECT_EQ(markers(), std::vector<std::string>{" CT"});
  EXPECT_EQ(GetUSCADetailsDLL(nullptr, 201, task_, 301), 0);
  EXPECT_EQ(GetDetailTableCount(), 0);
}

TEST_F(Award, IotaListsEveryIslandSortedByReference) {
  EXPECT_EQ(iotaCode("EU-005", 'A'), 4 * 4096 + 1024 + 5);
  EXPECT_EQ(iotaCode("SA-100", 'w'), 7 * 4096 + 3072 + 100);
  EXPECT_EQ(iotaCode("XX-007", 'Q'), 7);
  island("EU-005", "A", "G", "Isle of Wight");
  island("AF-004", "", "EA8", "Canary Islands");
  add({.call = "G0W", .prefix = "G", .iota = static_cast<std::int16_t>(iotaCode("EU-005", 'A'))});
  ASSERT_EQ(GetIOTADetailsDLL(nullptr, 0, task_, 0, 0), 1);
  EXPECT_EQ(title(), "IOTA");
  ASSERT_EQ(GetDetailTableCount(), 4);
  EXPECT_EQ(fieldText(row(0).iota, 6), "AF-004");
  EXPECT_EQ(fieldText(row(1).iota, 6), "EU-005");
  EXPECT_EQ(lines()[1], "* G     Isle of Wight     G0W          06-15-99 12:00  20 SSB  59   ");
  EXPECT_EQ(total(), "Total: 2");
}

TEST_F(Award, LineLayoutsAndTheSubmissionLine) {
  country("F", "France");
  add({.call = "F1AAA", .date = "06-15-99", .prefix = "F", .qslSent = "Y", .qslDate = "07-01-99"});
  ASSERT_EQ(GetDXCCDetailsDLL(nullptr, 200, task_, 301, 0), 1);
  char line[200];
  ASSERT_EQ(GetDetailTableLine(0, line), 79);
  EXPECT_STREQ(line, "* F     France            F1AAA        06-15-99 12:00  20 SSB  59  Snt 07-01-99");
  GetDXCCReportDetailTableLine(0, line);
  EXPECT_STREQ(line, "         1     F1AAA         15/06/99   20   SSB    France           ");
  GetDXCCReportDetailTableLine(2, line);  // the total row keeps its empty date
  EXPECT_STREQ(line, "         3                                          Total: 1         ");
}

TEST_F(Award, SortOrders) {
  country("B", "Bravo", "D");
  country("A", "Alpha");
  add({.call = "B1", .mode = "CW", .prefix = "B", .band = 40});
  add({.call = "A1", .mode = "SSB", .prefix = "A", .band = 80});
  ASSERT_EQ(GetDXCCDetailsDLL(nullptr, 200, task_, 301, 5001), 1);
  EXPECT_EQ(markers(), (std::vector<std::string>{"*A", "*B"}));  // A before D
  ASSERT_EQ(GetDXCCDetailsDLL(nullptr, 200, task_, 301, 5000), 1);
  EXPECT_EQ(markers(), (std::vector<std::string>{"*B", "*A"}));  // " 40" before " 80"
  ASSERT_EQ(GetDXCCDetailsDLL(nullptr, 200, task_, 301, 0), 1);
  EXPECT_EQ(markers(), (std::vector<std::string>{"*B", "*A"}));  // record order
}

// Contacts of several countries and zones interleaved in the log: each row
// takes its own contacts, in log order, whatever lies between them.
TEST_F(Award, InterleavedContactsReachTheirOwnRowsInLogOrder) {
  country("A", "Alpha");
  country("B", "Bravo");
  add({.call = "A1", .prefix = "A", .zone = 5});
  add({.call = "B1", .prefix = "B", .zone = 7});
  add({.call = "A2", .mode = "CW", .prefix = "A", .zone = 5});
  add({.call = "B2", .prefix = "B", .zone = 7, .tag = 2});
  add({.call = "B3", .mode = "CW", .prefix = "B", .zone = 7});
  add({.call = "C1", .prefix = "C", .zone = 41});  // no such country or zone
  ASSERT_EQ(GetDXCCDetailsDLL(nullptr, 200, task_, 301, 0), 1);
  EXPECT_EQ(markers(), (std::vector<std::string>{"*A", "-B"}));
  EXPECT_EQ(fieldText(row(0).call), "A1");
  EXPECT_EQ(fieldText(row(1).call), "B2");
  ASSERT_EQ(GetDXCCDetailsDLL(nullptr, 202, task_, 301, 0), 1);
  EXPECT_EQ(fieldText(row(0).call), "A2");
  EXPECT_EQ(fieldText(row(1).call), "B3");
  ASSERT_EQ(GetCQZoneDetailsDLL(nullptr, 200, task_, 306), 1);
  EXPECT_EQ(markers(), (std::vector<std::string>{"*5", "-7"}));
  EXPECT_EQ(fieldText(row(0).call), "A1");
  EXPECT_EQ(fieldText(row(1).call), "B2");
  ASSERT_EQ(GetCQZoneDetailsDLL(nullptr, 202, task_, 306), 1);
  EXPECT_EQ(fieldText(row(0).call), "A2");
  EXPECT_EQ(fieldText(row(1).call), "B3");
  EXPECT_EQ(total(), "Total: 2");
}

TEST_F(Award, CancelKeepsTheTotalsAndReturnsZero) {
  country("A", "Alpha");
  for (int i = 0; i < 5; ++i) add({.prefix = "A"});
  host_.onDialog("REPORTDLG", [](HWND dialog) { PostMessage(dialog, WM_COMMAND, IDCANCEL, 0); });
  EXPECT_EQ(GetDXCCDetailsDLL(nullptr, 200, task_, 301, 0), 0);
  EXPECT_EQ(GetDetailTableCount(), 2);
  EXPECT_EQ(total(), "Total: 0");
  EXPECT_EQ(GetDXCCDetailsDLL(nullptr, 200, task_, 301, 0), 1);  // the next one runs
}

}  // namespace
}  // namespace ksdetail

namespace ksdetail {
namespace {

std::string ini(const char* section, const char* key) {
  char value[64] = {};
  GetPrivateProfileString(section, key, "", value, sizeof value, "KESTREL.INI");
  return value;
}

void setIni(const char* section, const char* key, const char* value) {
  ASSERT_TRUE(WritePrivateProfileString(section, key, value, "KESTREL.INI"));
}

TEST_F(Award, WithoutSavedPlacementTheWindowIs80CharactersBy30Lines) {
  RECT r{};
  GetWindowRect(window_, &r);
  EXPECT_EQ(r.right - r.left, 80 * 8 + 3);
  EXPECT_EQ(r.bottom - r.top, 30 * 16);
  RECT client{}, table{};
  GetClientRect(window_, &client);
  GetWindowRect(state().table, &table);
  EXPECT_EQ(table.right - table.left, client.right);  // the table fills the window
  const auto view = kswin::dataTableView(state().table);
  EXPECT_EQ(view.background, RGB(255, 251, 191));
  EXPECT_EQ(view.text, RGB(0, 0, 0));
}

TEST_F(Award, PlacementRoundTripsThroughTheSettingsLimitedToTheDesktop) {
  DestroyWindow(window_);
  setIni("Detail", "Left", "100");
  setIni("Detail", "Top", "50");
  setIni("Detail", "Width", "3000");  // right edge beyond the desktop
  setIni("Detail", "Height", "450");
  window_ = CreateDetailWnd(8, 16);
  ASSERT_NE(window_, nullptr);
  RECT r{};
  GetWindowRect(window_, &r);
  EXPECT_EQ(r.left, 100);
  EXPECT_EQ(r.top, 50);
  EXPECT_EQ(r.right, 1280);
  EXPECT_EQ(r.bottom, 450);
  MoveWindow(window_, 200, 60, 500, 300, FALSE);
  SendMessage(window_, WM_CLOSE, 0, 0);  // hides, keeps the window
  EXPECT_TRUE(IsWindow(window_));
  EXPECT_FALSE(IsWindowVisible(window_));
  DestroyWindow(window_);
  EXPECT_EQ(ini("Detail", "Left"), "200");
  EXPECT_EQ(ini("Detail", "Top"), "60");
  EXPECT_EQ(ini("Detail", "Width"), "700");
  EXPECT_EQ(ini("Detail", "Height"), "360");
}

TEST_F(Award, ColoursNeedAllThreeKeysAndAreReadAgainOn1106) {
  DestroyWindow(window_);
  setIni("Browser", "Bkr", "1");
  setIni("Browser", "Bkg", "2");
  setIni("Browser", "Bkb", "3");
  setIni("Browser", "Textr", "10");
  setIni("Browser", "Textg", "20");
  window_ = CreateDetailWnd(8, 16);
  ASSERT_NE(window_, nullptr);
  auto view = kswin::dataTableView(state().table);
  EXPECT_EQ(view.background, static_cast<COLORREF>(1 + 2 * 256 + 3 * 65536));
  EXPECT_EQ(view.text, RGB(0, 0, 0));  // Textb is missing
  setIni("Browser", "Textb", "30");
  SendMessage(window_, KSD_COLOURS_CHANGED, 0, 0);
  view = kswin::dataTableView(state().table);
  EXPECT_EQ(view.text, static_cast<COLORREF>(10 + 20 * 256 + 30 * 65536));
}

TEST_F(Award, TitleSuffixes) {
  char title[64] = "DXCC Mixed";
  EXPECT_STREQ(SetWindowTitleOptions(title, 301), "DXCC Mixed - Full Report");
  char other[64] = "X";
  EXPECT_STREQ(SetWindowTitleOptions(other, 900), "X - Submitted");
  char year[64] = "X";
  EXPECT_STREQ(SetWindowTitleOptions(year, 309), "X - Full Report");
}

std::vector<LPARAM> shown;
LRESULT CALLBACK mainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == 1097) shown.push_back(lParam);
  return DefWindowProc(window, message, wParam, lParam);
}

TEST_F(Award, DoubleClickShowsTheContactInTheMainWindow) {
  country("F", "France");
  const DB_ADDR address = add({.prefix = "F"});
  ASSERT_EQ(GetDXCCDetailsDLL(nullptr, 200, task_, 301, 0), 1);
  HWND table = state().table;
  // Without the main window: the library's message.
  ASSERT_TRUE(kswin::doubleClickItem(table, 0));
  ASSERT_EQ(host_.boxes().size(), 1u);
  EXPECT_EQ(host_.boxes()[0].text, "Error retrieving KESTREL window handle.");

  WNDCLASS wc{};
  wc.lpfnWndProc = mainProc;
  wc.lpszClassName = KESTREL_MAIN_CLASS;
  RegisterClass(&wc);
  HWND main = CreateWindow(KESTREL_MAIN_CLASS, "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                           nullptr, nullptr, nullptr);
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(kswin::doubleClickItem(table, 0));
  ASSERT_TRUE(kswin::doubleClickItem(table, 2));  // the total row: nothing
  kswin::pumpMessages();
  EXPECT_EQ(shown, std::vector<LPARAM>{address});
  EXPECT_EQ(host_.boxes().size(), 1u);
  DestroyWindow(main);
}

}  // namespace
}  // namespace ksdetail
