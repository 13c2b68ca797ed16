// Tagging the listed contacts, saving the list and printing it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "testlog.h"

namespace {

using kstest::BrowserTest;

class OutputTest : public BrowserTest {
 protected:
  void SetUp() override {
    BrowserTest::SetUp();
    open();
  }
  // Lists every contact as the main program feeds them.
  void list() {
    SendMessage(browser, KM_BROWSER_EMPTY, 0, 0);
    if (dbRecordFirst(kLogRecordType, task, 0) != 0) return;
    do {
      LogRecord r{};
      DB_ADDR address = 0;
      dbRecordRead(&r, task, 0);
      dbCurrentGet(&address, task, 0);
      FillBrowserLine(0, &r, address, 1);
    } while (dbRecordNext(task, 0) == 0);
  }
  LogRecord read(DB_ADDR address) {
    LogRecord r{};
    dbCurrentSet(&address, task, 0);
    dbRecordRead(&r, task, 0);
    return r;
  }
  // Contacts in the tag key.
  int tagged() {
    const std::uint8_t one = 1;
    int n = 0;
    if (dbKeyFind(logfield::kTagged, &one, task, 0) != 0) return 0;
    do {
      LogRecord r{};
      if (dbRecordRead(&r, task, 0) != 0 || r.tagged != 1) break;
      ++n;
    } while (dbKeyNext(logfield::kTagged, task, 0) == 0);
    return n;
  }
  std::string listText() {
    std::string text;
    for (int i = 0; i < rows(); ++i) text += ksbrowse::textLine(row(i)) + "\r\n";
    return text;
  }
};

TEST_F(OutputTest, TaggingRewritesTheListedContactsAndTheirTagKey) {
  openMain();
  const DB_ADDR a = add("K1AA", "01-01-99", "00:00", "CW", 20);
  const DB_ADDR b = add("K1BB", "01-01-99", "00:00", "CW", 40);
  const DB_ADDR c = add("K1CC", "01-01-99", "00:00", "CW", 20);
  headless.onDialog("QUERY", [](HWND d) {
    kswin::press(d, KSB_Q_BAND);
    kswin::selectItem(d, KSB_Q_BAND_LIST, 4);  // 20 m
    kswin::press(d, IDOK);
  });
  ASSERT_TRUE(kswin::chooseMenuItem(browser, KSB_CMD_QUERY));
  ASSERT_EQ(rows(), 2);
  // A host may list a contact twice: each of its lines is tagged.
  LogRecord again = read(a);
  FillBrowserLine(0, &again, a, 0);

  headless.queueAnswer(IDNO);
  ASSERT_TRUE(kswin::chooseMenuItem(browser, KSB_CMD_TAG));
  EXPECT_EQ(boxes().back(), "Do you wish to tag all\nbroswer items for labels?");
  EXPECT_EQ(read(a).tagged, 0);
  EXPECT_TRUE(kstest::mainMessages().empty());

  char today[16] = {}, now[16] = {};
  GetDateTime(0, 0, today, now);
  for (int round = 0; round < 2; ++round) {  // tagged again: still once in the key
    headless.queueAnswer(IDYES);
    ASSERT_TRUE(kswin::chooseMenuItem(browser, KSB_CMD_TAG));
    EXPECT_EQ(tagged(), 2);
  }
  ASSERT_FALSE(kstest::mainMessages().empty());
  EXPECT_EQ(kstest::mainMessages()[0].message, static_cast<UINT>(KM_TAG_SETTINGS));
  for (DB_ADDR address : {a, c}) {
    const LogRecord r = read(address);
    EXPECT_EQ(r.tagged, 1);
    EXPECT_STREQ(r.qslSent, "Y");
    EXPECT_STREQ(r.qslDate, today);
  }
  EXPECT_EQ(read(b).tagged, 0);
  EXPECT_STREQ(read(b).qslSent, "N");
  // The lines show what was stored.
  for (int i = 0; i < 3; ++i) EXPECT_STREQ(row(i).qslSent, "Y") << "line " << i;
}

TEST_F(OutputTest, TheSavedListReadsBackLineByLine) {
  add("K1AA", "01-01-99", "00:00", "CW", 20);
  add("DL1ABC", "01-02-99", "12:30", "SSB", 40, "DL", 14);
  add("JA1XYZ", "01-03-99", "23:59", "RTTY", 10, "JA", 25);
  list();
  const std::string path = home / "BROWSER.TXT";
  headless.queueFile(path);
  ASSERT_TRUE(kswin::chooseMenuItem(browser, KSB_CMD_SAVE));
  ASSERT_EQ(headless.fileRequests().size(), 1u);
  EXPECT_EQ(headless.fileRequests()[0].proposedName, "BROWSER.TXT");
  EXPECT_EQ(headless.fileRequests()[0].defaultExtension, "TXT");
  const std::string saved = kstest::readFile(path);
  EXPECT_EQ(saved, listText());
  EXPECT_EQ(saved.substr(0, saved.find("\r\n")),
            "01-01-99 00:00 K1AA         CW    20         K              N N K      5 ");

  // An existing file is replaced only when the user says so.
  kstest::writeFile(path, "old");
  headless.queueFile(path);
  headless.queueAnswer(IDNO);
  kswin::chooseMenuItem(browser, KSB_CMD_SAVE);
  EXPECT_EQ(boxes().back(), "Do you wish to overwrite\n" + path + "?");
  EXPECT_EQ(kstest::readFile(path), "old");
  headless.queueFile(path);
  headless.queueAnswer(IDYES);
  kswin::chooseMenuItem(browser, KSB_CMD_SAVE);
  EXPECT_EQ(kstest::readFile(path), listText());
}

TEST_F(OutputTest, AFailedSaveSaysSoAndLeavesNoPartialList) {
  add("K1AA", "01-01-99", "00:00", "CW", 20);
  list();
  const std::string missing = home / "no-such-dir/BROWSER.TXT";
  headless.queueFile(missing);
  kswin::chooseMenuItem(browser, KSB_CMD_SAVE);
  EXPECT_EQ(boxes().back(), "Error Opening File " + missing + ".");

  // A directory in the way: the list cannot take its name.
  const std::string dir = home / "LIST.TXT";
  std::filesystem::create_directory(dir);
  headless.queueFile(dir);
  headless.queueAnswer(IDYES);
  kswin::chooseMenuItem(browser, KSB_CMD_SAVE);
  EXPECT_EQ(boxes().back(), "Error Writing File " + dir + ".");
  EXPECT_FALSE(std::filesystem::exists(dir + ".partial"));
}

// Presses Cancel in the printing dialog once it shows page `page`.
class CancellingHost : public kswin::HeadlessHost {
 public:
  std::string page;
  void dialogText(HWND dialog, int id, std::string_view text) override {
    HeadlessHost::dialogText(dialog, id, text);
    if (id == 602 && text == page) PostMessage(dialog, WM_COMMAND, IDCANCEL, 0);
  }
};

TEST_F(OutputTest, ThePrintedListReadsBackPageByPage) {
  for (int i = 0; i < 140; ++i)
    add(("K" + std::to_string(i)).c_str(), "01-01-99", "00:00", "CW", 20);
  list();
  kswin::clearPrintedDocuments();
  const std::string pdf = home / "browser.pdf";
  headless.queuePrintFile(pdf);
  ASSERT_TRUE(kswin::chooseMenuItem(browser, KSB_CMD_PRINT));
  const auto documents = kswin::printedDocuments();
  ASSERT_EQ(documents.size(), 1u);
  const kswin::PrintedDocument& doc = documents[0];
  EXPECT_EQ(doc.name, "Browser List");
  EXPECT_TRUE(doc.ended);
  // 3300 dots a page, 50 a line: 66 lines, of which the last stays empty.
  ASSERT_EQ(doc.pages.size(), 3u);
  EXPECT_EQ(doc.pages[0].texts.size(), 65u);
  EXPECT_EQ(doc.pages[1].texts.size(), 65u);
  EXPECT_EQ(doc.pages[2].texts.size(), 10u);
  EXPECT_EQ(doc.pages[0].texts[0].text, ksbrowse::textLine(row(0)));
  EXPECT_EQ(doc.pages[1].texts[0].text, ksbrowse::textLine(row(65)));
  EXPECT_EQ(doc.pages[2].texts[9].text, ksbrowse::textLine(row(139)));
  EXPECT_EQ(doc.pages[0].texts[1].y, 46);
  EXPECT_EQ(doc.pages[0].texts[1].x, 1);
  EXPECT_EQ(kstest::readFile(pdf).substr(0, 5), "%PDF-");
  const auto& log = headless.log();
  for (const char* page : {"dialog text 602: 1", "dialog text 602: 2", "dialog text 602: 3"})
    EXPECT_NE(std::find(log.begin(), log.end(), page), log.end()) << page;
  EXPECT_TRUE(IsWindowEnabled(browser));
}

TEST_F(OutputTest, CancelInThePrintingDialogAbortsTheDocument) {
  for (int i = 0; i < 140; ++i)
    add(("K" + std::to_string(i)).c_str(), "01-01-99", "00:00", "CW", 20);
  list();
  kswin::clearPrintedDocuments();
  CancellingHost cancelling;
  cancelling.page = "2";
  kswin::ScopedHost scoped(cancelling);
  const std::string pdf = home / "stopped.pdf";
  cancelling.queuePrintFile(pdf);
  ASSERT_TRUE(kswin::chooseMenuItem(browser, KSB_CMD_PRINT));
  const auto documents = kswin::printedDocuments();
  ASSERT_EQ(documents.size(), 1u);
  EXPECT_TRUE(documents[0].aborted);
  EXPECT_FALSE(documents[0].ended);
  EXPECT_LE(documents[0].pages.size(), 2u);
  EXPECT_EQ(kstest::readFile(pdf), "<missing>");
  EXPECT_TRUE(IsWindowEnabled(browser));
  EXPECT_EQ(ksbrowse::state().printDialog, nullptr);
}

TEST_F(OutputTest, PrinterRefusalsAreShown) {
  add("K1AA", "01-01-99", "00:00", "CW", 20);
  list();
  kswin::clearPrintedDocuments();
  kswin::chooseMenuItem(browser, KSB_CMD_PRINT);  // the print dialog cancelled
  EXPECT_TRUE(boxes().empty());
  headless.queuePrintFile(home / "a.pdf");
  kswin::failNextPrintStep("SetAbortProc");
  kswin::chooseMenuItem(browser, KSB_CMD_PRINT);
  EXPECT_EQ(boxes().back(), "Error setting printer abort process.");
  headless.queuePrintFile(home / "b.pdf");
  kswin::failNextPrintStep("StartDoc");
  kswin::chooseMenuItem(browser, KSB_CMD_PRINT);
  EXPECT_EQ(boxes().back(), "Error starting printer job Browser List.");
  EXPECT_TRUE(kswin::printedDocuments().empty());
  EXPECT_TRUE(IsWindowEnabled(browser));
}

}  // namespace
