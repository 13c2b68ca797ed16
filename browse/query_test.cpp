// The query dialog's checks and a query run over the logbook.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "testlog.h"

namespace {

using kstest::BrowserTest;

class QueryTest : public BrowserTest {
 protected:
  void SetUp() override {
    BrowserTest::SetUp();
    open();
  }
  // Opens Query > Define, clears every criterion, lets `fill` set the
  // query and presses OK. True when the dialog accepted it.
  bool query(const std::function<void(HWND)>& fill) {
    headless.onDialog("QUERY", [fill](HWND dialog) {
      for (int id : {KSB_Q_DATE, KSB_Q_PREFIX, KSB_Q_ZONE, KSB_Q_STATE, KSB_Q_BAND, KSB_Q_MODE,
                     KSB_Q_QSL, KSB_Q_EXCLUDE})
        CheckDlgButton(dialog, id, BST_UNCHECKED);
      fill(dialog);
      kswin::press(dialog, IDOK);
    });
    const size_t before = headless.boxes().size();
    EXPECT_TRUE(kswin::chooseMenuItem(browser, KSB_CMD_QUERY));
    // Refused: a warning was shown while the dialog was up and nothing ran.
    for (size_t i = before; i < headless.boxes().size(); ++i)
      if (headless.boxes()[i].text != "No records found!") return false;
    return true;
  }
  static void check(HWND dialog, int id) { ASSERT_TRUE(kswin::press(dialog, id)); }
  static void text(HWND dialog, int id, const char* value) { SetDlgItemText(dialog, id, value); }
  static int bandIndex(int band) {
    for (int i = 0; i < ksbrowse::kQueryBandCount; ++i)
      if (ksbrowse::kQueryBands[i] == band) return i;
    return -1;
  }
  static int modeIndex(const std::string& word) {
    for (int i = 0; i < ksbrowse::kQueryModeCount; ++i)
      if (word == ksbrowse::kQueryModes[i]) return i;
    return -1;
  }
  std::string lastBox() const { return boxes().empty() ? "" : boxes().back(); }
};

TEST_F(QueryTest, ADateRangeWithoutItsEndIsOneDay) {
  add("A", "12-31-98", "23:59", "CW", 20);
  add("B", "01-01-99", "00:00", "CW", 20);
  add("C", "01-01-99", "23:59", "CW", 40);
  add("D", "01-02-99", "00:00", "CW", 20);
  ASSERT_TRUE(query([](HWND d) {
    check(d, KSB_Q_DATE);
    text(d, KSB_Q_DATE_FROM, "01-01-99");
    text(d, KSB_Q_DATE_TO, "");
  }));
  EXPECT_EQ(calls(), (std::vector<std::string>{"B", "C"}));

  // A range over days in the other date forms, ends included.
  ASSERT_TRUE(query([](HWND d) {
    check(d, KSB_Q_DATE);
    text(d, KSB_Q_DATE_FROM, "31/12/98");
    text(d, KSB_Q_DATE_TO, "99.01.02");
  }));
  EXPECT_EQ(calls(), (std::vector<std::string>{"A", "B", "C", "D"}));
}

TEST_F(QueryTest, TheChecksRefuseInOrderAndKeepTheDialogOpen) {
  add("A", "01-01-99", "00:00", "CW", 20);
  struct Case {
    std::function<void(HWND)> fill;
    const char* message;
  };
  const Case cases[] = {
      {[](HWND d) {
         check(d, KSB_Q_DATE);
         text(d, KSB_Q_DATE_FROM, "12-31-99");
         text(d, KSB_Q_DATE_TO, "01-01-99");
       },
       "Query 'from' date must be less than 'to' date."},
      {[](HWND d) { check(d, KSB_Q_DATE); text(d, KSB_Q_DATE_FROM, ""); },
       "Query 'from' date is blank."},
      {[](HWND d) { check(d, KSB_Q_DATE); text(d, KSB_Q_DATE_FROM, "13-45-99"); },
       "Query 'from' date must be \nMM-DD-YY, DD/MM/YY, or YY.MM.DD"},
      {[](HWND d) {
         check(d, KSB_Q_DATE);
         text(d, KSB_Q_DATE_FROM, "01-01-99");
         text(d, KSB_Q_DATE_TO, "junk");
       },
       "Query 'to' date must be \nMM-DD-YY, DD/MM/YY, or YY.MM.DD"},
      {[](HWND d) { check(d, KSB_Q_PREFIX); text(d, KSB_Q_PREFIX_TEXT, ""); },
       "Query prefix is blank."},
      {[](HWND d) { check(d, KSB_Q_PREFIX); text(d, KSB_Q_PREFIX_TEXT, "XX"); },
       "Illegal or unknown query prefix."},
      {[](HWND d) { check(d, KSB_Q_ZONE); text(d, KSB_Q_ZONE_TEXT, "41"); },
       "CQ Zone must be between 1 and 40."},
      {[](HWND d) { check(d, KSB_Q_STATE); text(d, KSB_Q_STATE_TEXT, ""); },
       "Query state is blank."},
      {[](HWND d) { check(d, KSB_Q_STATE); text(d, KSB_Q_STATE_TEXT, "ZZ"); },
       "Illegal or unknown query state code.   "},
      {[](HWND d) { check(d, KSB_Q_BAND); SendDlgItemMessage(d, KSB_Q_BAND_LIST, CB_SETCURSEL, static_cast<WPARAM>(-1), 0); },
       "Query band has not been selected."},
      {[](HWND d) { check(d, KSB_Q_MODE); SendDlgItemMessage(d, KSB_Q_MODE_LIST, CB_SETCURSEL, static_cast<WPARAM>(-1), 0); },
       "Query mode has not been selected."},
      {[](HWND d) {
         check(d, KSB_Q_QSL);
         for (int id = KSB_Q_QSL_NOT_SENT; id <= KSB_Q_QSL_NOT_SENT_CFM; ++id)
           CheckDlgButton(d, id, BST_UNCHECKED);
       },
       "Query QSL type has not been selected."},
      {[](HWND d) { check(d, KSB_Q_EXCLUDE); }, "No query defined."},
  };
  // The list from an earlier query stays when a query is refused.
  ASSERT_TRUE(query([](HWND d) { check(d, KSB_Q_BAND); kswin::selectItem(d, KSB_Q_BAND_LIST, 4); }));
  ASSERT_EQ(rows(), 1);
  for (const Case& c : cases) {
    EXPECT_FALSE(query(c.fill)) << c.message;
    EXPECT_EQ(lastBox(), c.message);
    EXPECT_EQ(rows(), 1);
  }
  // Equal ends are a range of one day.
  EXPECT_TRUE(query([](HWND d) {
    check(d, KSB_Q_DATE);
    text(d, KSB_Q_DATE_FROM, "01-01-99");
    text(d, KSB_Q_DATE_TO, "01-01-99");
  }));
  EXPECT_EQ(rows(), 1);
}

TEST_F(QueryTest, PrefixZoneAndStateExcludeOneAnother) {
  bool prefixLeft = true, zoneLeft = true;
  headless.onDialog("QUERY", [&](HWND d) {
    check(d, KSB_Q_PREFIX);
    check(d, KSB_Q_ZONE);
    prefixLeft = IsDlgButtonChecked(d, KSB_Q_PREFIX) != 0;
    check(d, KSB_Q_STATE);
    zoneLeft = IsDlgButtonChecked(d, KSB_Q_ZONE) != 0;
    // The QSL buttons follow their check box.
    if (IsDlgButtonChecked(d, KSB_Q_QSL)) check(d, KSB_Q_QSL);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, KSB_Q_QSL_CFM)));
    check(d, KSB_Q_QSL);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d, KSB_Q_QSL_CFM)));
    kswin::press(d, IDCANCEL);
  });
  kswin::chooseMenuItem(browser, KSB_CMD_QUERY);
  EXPECT_FALSE(prefixLeft);
  EXPECT_FALSE(zoneLeft);
}

TEST_F(QueryTest, CriteriaCombineWhateverKeyReadsTheContacts) {
  add("K-20", "01-01-99", "00:00", "CW", 20, "K", 5);
  add("DL-20", "01-01-99", "00:01", "CW", 20, "DL", 14);
  add("K-40", "01-01-99", "00:02", "CW", 40, "K", 5);
  add("K-20-SSB", "01-01-99", "00:03", "SSB", 20, "K", 4);
  // Prefix and band: read by band, kept by prefix.
  ASSERT_TRUE(query([](HWND d) {
    check(d, KSB_Q_PREFIX);
    text(d, KSB_Q_PREFIX_TEXT, "K");
    check(d, KSB_Q_BAND);
    kswin::selectItem(d, KSB_Q_BAND_LIST, bandIndex(20));
  }));
  EXPECT_EQ(calls(), (std::vector<std::string>{"K-20", "K-20-SSB"}));
  // Zone and mode.
  ASSERT_TRUE(query([](HWND d) {
    check(d, KSB_Q_ZONE);
    text(d, KSB_Q_ZONE_TEXT, "5");
    check(d, KSB_Q_MODE);
    kswin::selectItem(d, KSB_Q_MODE_LIST, modeIndex("CW"));
  }));
  EXPECT_EQ(calls(), (std::vector<std::string>{"K-20", "K-40"}));
  // An exact mode word alone reads by the mode key.
  ASSERT_TRUE(query([](HWND d) {
    check(d, KSB_Q_MODE);
    kswin::selectItem(d, KSB_Q_MODE_LIST, modeIndex("SSB"));
  }));
  EXPECT_EQ(calls(), (std::vector<std::string>{"K-20-SSB"}));
}

TEST_F(QueryTest, ModeWordsOfAFamilyListTheFamily) {
  for (const char* mode : {"USB", "LSB", "AM", "FM", "SSB", "CW", "RTTY", "FT8"})
    add(mode, "01-01-99", "00:00", mode, 20);
  ASSERT_TRUE(query([](HWND d) {
    check(d, KSB_Q_MODE);
    kswin::selectItem(d, KSB_Q_MODE_LIST, modeIndex("Phone"));
  }));
  EXPECT_EQ(calls(), (std::vector<std::string>{"USB", "LSB", "AM", "FM", "SSB"}));
  ASSERT_TRUE(query([](HWND d) {
    check(d, KSB_Q_MODE);
    kswin::selectItem(d, KSB_Q_MODE_LIST, modeIndex("FSK"));
  }));
  EXPECT_EQ(calls(), (std::vector<std::string>{"RTTY", "FT8"}));
}

TEST_F(QueryTest, QslStatesTestSentAndReceived) {
  struct Q { const char* call; const char* sent; const char* rcvd; };
  for (const Q& q : {Q{"NN", "N", "N"}, Q{"NY", "N", "Y"}, Q{"YN", "Y", "N"}, Q{"YY", "Y", "Y"}}) {
    LogRecord r = kstest::contact(q.call, 35000, "CW", "K", 20, 5);
    KS_SET(r.qslSent, q.sent);
    KS_SET(r.qslRcvd, q.rcvd);
    store(r);
  }
  auto qsl = [&](int button) {
    EXPECT_TRUE(query([&](HWND d) {
      check(d, KSB_Q_QSL);
      check(d, button);
    }));
    return calls();
  };
  EXPECT_EQ(qsl(KSB_Q_QSL_CFM), (std::vector<std::string>{"NY", "YY"}));
  EXPECT_EQ(qsl(KSB_Q_QSL_NOT_SENT), (std::vector<std::string>{"NN", "NY"}));
  EXPECT_EQ(qsl(KSB_Q_QSL_SENT_NOT_CFM), (std::vector<std::string>{"YN"}));
  EXPECT_EQ(qsl(KSB_Q_QSL_NOT_SENT_CFM), (std::vector<std::string>{"NY"}));
}

TEST_F(QueryTest, ExcludedPrefixesAreLeftOutAndTheTableHoldsAHundred) {
  add("K1", "01-01-99", "00:00", "CW", 20, "K");
  add("DL1", "01-01-99", "00:00", "CW", 20, "DL");
  add("JA1", "01-01-99", "00:00", "CW", 20, "JA");
  ASSERT_TRUE(query([](HWND d) {
    check(d, KSB_Q_BAND);
    kswin::selectItem(d, KSB_Q_BAND_LIST, bandIndex(20));
    check(d, KSB_Q_EXCLUDE);
    text(d, KSB_Q_EXCLUDE_TEXT, "DL,\r\n \"JA\"");
  }));
  EXPECT_EQ(calls(), (std::vector<std::string>{"K1"}));
  // A host's line without the exclusion test is always added.
  LogRecord dl = kstest::contact("DL2", 35000, "CW", "DL", 20, 14);
  FillBrowserLine(0, &dl, 9, 1);
  FillBrowserLine(0, &dl, 9, 0);
  EXPECT_EQ(calls(), (std::vector<std::string>{"K1", "DL2"}));

  // 150 prefixes: the first 100 are kept.
  std::string many;
  for (int i = 0; i < 150; ++i) many += "P" + std::to_string(i) + ",";
  ksbrowse::buildIgnoreTable(many);
  EXPECT_EQ(ksbrowse::state().ignoreCount, 100);
  EXPECT_TRUE(ksbrowse::excluded("P99"));
  EXPECT_FALSE(ksbrowse::excluded("P100"));
  // Prefixes longer than five characters keep their first five.
  ksbrowse::buildIgnoreTable("ABCDEFG");
  EXPECT_TRUE(ksbrowse::excluded("ABCDE"));
}

TEST_F(QueryTest, NothingFoundLeavesTheTableEmpty) {
  add("K1", "01-01-99", "00:00", "CW", 20, "K");
  ASSERT_TRUE(query([](HWND d) {
    check(d, KSB_Q_STATE);
    text(d, KSB_Q_STATE_TEXT, "MA");
  }));
  EXPECT_EQ(rows(), 0);
  EXPECT_EQ(lastBox(), "No records found!");
}

TEST_F(QueryTest, TheQueryIsKeptInTheSettingsFileAndOffered) {
  ASSERT_TRUE(query([](HWND d) {
    check(d, KSB_Q_ZONE);
    text(d, KSB_Q_ZONE_TEXT, "14");
    check(d, KSB_Q_BAND);
    kswin::selectItem(d, KSB_Q_BAND_LIST, bandIndex(2));
    check(d, KSB_Q_QSL);
    check(d, KSB_Q_QSL_CFM);
    check(d, KSB_Q_EXCLUDE);
    text(d, KSB_Q_EXCLUDE_TEXT, "DL\r\nJA");
  }));
  const ksbrowse::Query q = ksbrowse::readQuery();
  EXPECT_TRUE(q.zone);
  EXPECT_EQ(q.zoneValue, 14);
  EXPECT_TRUE(q.band);
  EXPECT_EQ(ksbrowse::kQueryBands[q.bandIndex], 2);
  EXPECT_EQ(q.qslButton, KSB_Q_QSL_CFM);
  EXPECT_FALSE(q.date);
  EXPECT_EQ(q.ignoreText, "DL,JA");  // one line in the settings file

  int band = -1;
  bool cfm = false, zone = false;
  std::string exclude;
  headless.onDialog("QUERY", [&](HWND d) {
    band = static_cast<int>(SendDlgItemMessage(d, KSB_Q_BAND_LIST, CB_GETCURSEL, 0, 0));
    cfm = IsDlgButtonChecked(d, KSB_Q_QSL_CFM) != 0;
    zone = IsDlgButtonChecked(d, KSB_Q_ZONE) != 0;
    char t[64] = {};
    GetDlgItemText(d, KSB_Q_EXCLUDE_TEXT, t, sizeof t);
    exclude = t;
    kswin::press(d, IDCANCEL);
  });
  kswin::chooseMenuItem(browser, KSB_CMD_QUERY);
  EXPECT_EQ(band, bandIndex(2));
  EXPECT_TRUE(cfm);
  EXPECT_TRUE(zone);
  EXPECT_EQ(exclude, "DL,JA");
}

}  // namespace
