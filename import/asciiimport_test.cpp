#include "asciiimport.h"

#include <gtest/gtest.h>

#include "foreigntest.h"

namespace ksimport {
namespace {

using Calls = std::vector<std::string>;

class AsciiImportTest : public testlog::ForeignImportTest {
 protected:
  // The columns by their names in the dialog's list.
  static AsciiColumns columns(std::vector<std::string> names, int order = 0) {
    AsciiColumns chosen;
    chosen.map.fill(-1);
    const auto all = asciiColumnNames();
    for (size_t i = 0; i < names.size(); ++i)
      for (size_t n = 0; n < all.size(); ++n)
        if (names[i] == all[n]) chosen.map[i] = static_cast<int>(n);
    chosen.dateOrder = order;
    return chosen;
  }
  ImportEnd run(const std::string& text, const AsciiColumns& chosen) {
    path_ = (dir_ / "log.asc").string();
    std::ofstream(path_, std::ios::binary) << text;
    return importAsciiFile(context_, chosen, path_);
  }
  std::string errorLog() { return read((dir_ / "log.ERR").string()); }

  std::string path_;
};

TEST_F(AsciiImportTest, CommentLineThenOneContactOnBandFourteen) {
  EXPECT_EQ(run("; Call,Date,Mode,Band\nW1AW,12-31-99,CW,14\n",
                columns({"Call", "Date", "Mode", "Band"})),
            ImportEnd::Completed);
  const auto records = stored();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_STREQ(records[0].call, "W1AW");
  EXPECT_STREQ(records[0].date, "12-31-99");
  EXPECT_EQ(records[0].band, 20);
  EXPECT_STREQ(records[0].freq, "14.000.00");  // from the band
  EXPECT_STREQ(records[0].qth, "United States");
  EXPECT_EQ(records[0].cqZone, 5);
  EXPECT_EQ(frame_.text(),
            "Beginning ASCII File Import.\nASCII File Import Complete.\nNo Errors.\n"
            "1 records imported.\n");
}

TEST_F(AsciiImportTest, FieldsQuotesAndDateOrders) {
  context_.dateFormat = 1;  // stored DD/MM/YY
  EXPECT_EQ(run("DL1AB,\"Bob, the elder\",31/12/1999,14.025,PSK31,599,579,\"a, b\"\n"
                "W1AW,Ann,01/02/24,7.010,USB,59,57,\r\n"  // empty last field, CR LF
                "K1ABC,Cy,15/3/2024,50.1,CW,599,599,last line without LF",
                columns({"Call", "Name", "Date", "Freq", "Mode", "RST Sent", "RST Rcv", "Remarks"},
                        1)),
            ImportEnd::Completed);
  const auto records = stored();
  ASSERT_EQ(records.size(), 3u) << errorLog();
  EXPECT_STREQ(records[0].name, "Bob, the e");  // quoted, cut to the field
  EXPECT_STREQ(records[0].date, "31/12/99");     // the four-digit year read whole
  EXPECT_STREQ(records[0].mode, "PSK");
  EXPECT_STREQ(records[0].remarks, "a, b");
  EXPECT_EQ(records[0].band, 20);
  EXPECT_STREQ(records[1].date, "01/02/24");
  EXPECT_EQ(records[1].band, 40);
  EXPECT_STREQ(records[1].remarks, "");
  EXPECT_STREQ(records[2].remarks, "last line without LF");
  EXPECT_STREQ(records[2].date, "15/03/24");
  EXPECT_EQ(records[2].band, 6);
}

TEST_F(AsciiImportTest, BadLinesGoToTheErrorLogAsRead) {
  EXPECT_EQ(run("W1AW,2024.01.05,CW,14.025\n"
                ",2024.01.05,CW,14.025\n"
                "QA1A,2024.01.05,XYZ,3.5\n"
                "W2AW,1939.01.05,CW,14.025\n",
                columns({"Call", "Date", "Mode", "Freq"}, 2)),
            ImportEnd::Completed);
  EXPECT_EQ(storedCalls(), (Calls{"W1AW"}));
  EXPECT_EQ(errorLog(),
            ",2024.01.05,CW,14.025\n; Missing call sign\n"
            "QA1A,2024.01.05,XYZ,3.5\n; Cannot determine prefix from callsign\n"
            "; Missing or unsupported frequency\n; Missing or unsupported mode\n"
            "W2AW,1939.01.05,CW,14.025\n; Missing day or unsupported format\n");
  EXPECT_NE(frame_.text().find("1 records imported.\n3 records not imported.\nSee "),
            std::string::npos);
}

TEST_F(AsciiImportTest, TooFewFieldsStopTheImport) {
  EXPECT_EQ(run("W1AW,12-31-99,CW,14\n;note\nW2AW,12-31-99,CW\nW3AW,12-31-99,CW,14\n",
                columns({"Call", "Date", "Mode", "Band"})),
            ImportEnd::Failed);
  EXPECT_EQ(storedCalls(), (Calls{"W1AW"}));
  ASSERT_FALSE(host_.boxes().empty());
  EXPECT_EQ(host_.boxes().back().text, "Not enough fields to complete at line 3");
  EXPECT_EQ(host_.boxes().back().caption, "ASCII Import");
  EXPECT_EQ(host_.boxes().back().icon(), static_cast<UINT>(MB_ICONWARNING));
  EXPECT_NE(frame_.text().find("ASCII Import terminated due to an error.\n"), std::string::npos);
}

TEST_F(AsciiImportTest, EmptyZoneAndContinentKeepTheCountrys) {
  EXPECT_EQ(run("DL1AB,01-05-24,CW,14,,,\nDL2AB,01-05-24,CW,14,16,41,AS\n",
                columns({"Call", "Date", "Mode", "Band", "CQ Zone", "ITU Zone", "Continent"})),
            ImportEnd::Completed);
  const auto records = stored();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].cqZone, 14);
  EXPECT_EQ(records[0].ituZone, 28);
  EXPECT_STREQ(records[0].continent, "EU");
  EXPECT_EQ(records[1].cqZone, 16);
  EXPECT_EQ(records[1].ituZone, 41);
  EXPECT_STREQ(records[1].continent, "AS");
}

TEST_F(AsciiImportTest, BandsSixtyAndFourMetresTimesAndCounties) {
  EXPECT_EQ(run("W1AW,01-05-24,CW,5,MA,Middlesex,1423\nW2AW,01-05-24,SSB,70,MA,Nowhere,09:05\n",
                columns({"Call", "Date", "Mode", "Band", "State", "Remarks", "Time"})),
            ImportEnd::Completed);
  const auto records = stored();
  ASSERT_EQ(records.size(), 2u) << errorLog();
  EXPECT_STREQ(records[0].time, "14:23");
  EXPECT_STREQ(records[1].time, "09:05");
  EXPECT_EQ(records[0].band, 60);
  EXPECT_EQ(records[1].band, 4);
  EXPECT_EQ(records[0].countyNumber, FindCounty(task_, "MA", "MIDDLESEX"));
  EXPECT_EQ(records[0].uscaFlag, 1);
  EXPECT_EQ(records[1].uscaFlag, 0);
}

TEST_F(AsciiImportTest, BinaryGarbageIsLoggedNotStored) {
  std::string junk = "W1AW,01-05-24,CW,14\n";
  for (int i = 0; i < 600; ++i) junk += static_cast<char>((i * 37) % 256);
  junk += "\n";
  const ImportEnd end = run(junk, columns({"Call", "Date", "Mode", "Band"}));
  EXPECT_NE(end, ImportEnd::NotStarted);
  EXPECT_EQ(storedCalls(), (Calls{"W1AW"}));
}

// The dialog as a person uses it.
class AsciiDialogTest : public testlog::ForeignImportTest {};

TEST_F(AsciiDialogTest, ChosenColumnsMakeTheMap) {
  host_.onDialog("ASCIIFILE", [](HWND dialog) {
    EXPECT_EQ(IsDlgButtonChecked(dialog, 207), static_cast<UINT>(BST_CHECKED));  // DateFormat 1
    EXPECT_EQ(IsDlgButtonChecked(dialog, 211), static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(IsDlgButtonChecked(dialog, 213), static_cast<UINT>(BST_CHECKED));
    HWND all = GetDlgItem(dialog, 200);
    EXPECT_EQ(SendMessage(all, LB_GETCOUNT, 0, 0), kAsciiColumns);
    kswin::selectItem(dialog, 200, 0);  // Call
    kswin::press(dialog, 202);
    kswin::doubleClickItem(all, 34);  // Band
    kswin::selectItem(dialog, 200, 0);
    kswin::press(dialog, 202);  // already there: a beep
    kswin::selectItem(dialog, 200, 1);  // Date
    kswin::press(dialog, 202);
    kswin::selectItem(dialog, 201, 1);  // Band out again, and in at the end
    kswin::press(dialog, 203);
    kswin::doubleClickItem(all, 34);
    kswin::press(dialog, 208);
    kswin::press(dialog, IDOK);
  });
  AsciiColumns chosen;
  EXPECT_EQ(askAsciiColumns(nullptr, 1, chosen), 1);
  EXPECT_EQ(chosen.map[0], 0);
  EXPECT_EQ(chosen.map[1], 1);
  EXPECT_EQ(chosen.map[2], 34);
  EXPECT_EQ(chosen.map[3], -1);
  EXPECT_EQ(chosen.dateOrder, 2);
  EXPECT_NE(std::find(host_.log().begin(), host_.log().end(), "beep"), host_.log().end());
}

TEST_F(AsciiDialogTest, AddAllAndNothingChosen) {
  host_.onDialog("ASCIIFILE", [](HWND dialog) {
    kswin::press(dialog, 204);
    kswin::press(dialog, IDOK);
  });
  AsciiColumns chosen;
  EXPECT_EQ(askAsciiColumns(nullptr, 0, chosen), 1);
  EXPECT_EQ(chosen.map[34], 34);

  host_.onDialog("ASCIIFILE", [](HWND dialog) { kswin::press(dialog, IDOK); });
  const std::string path = (dir_ / "x.asc").string();
  std::ofstream(path) << "W1AW\n";
  EXPECT_EQ(importAscii(context_, path), ImportEnd::NotStarted);
  ASSERT_FALSE(host_.boxes().empty());
  EXPECT_EQ(host_.boxes().back().text, "No import fields\nhave been selected.");
  EXPECT_EQ(host_.boxes().back().caption, "ASCII Import");
  EXPECT_TRUE(storedCalls().empty());
}

}  // namespace
}  // namespace ksimport
