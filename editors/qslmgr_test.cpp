// The QSL manager editor: its data table, the call sign from the command
// line, saving without checks, importing with or without emptying first,
// printing three lines a record and the table's colours.
#include <string>
#include <vector>

#include "testeditor.h"
#include "winlayer/datatable.h"

namespace kseditor::test {
namespace {

class QslEditor : public EditorTest {
 protected:
  void importText(const std::string& text, int answer) {
    kstest::writeFile(home / "in.txt", text);
    headless.queueFile(home / "in.txt");
    headless.queueAnswer(answer);
    choose(cmd::kImport);
  }
  HWND table() { return GetDlgItem(editorWindow(), 7); }
};

const char* kManagers =
    "\"ZZ4A\",\"PY2RMZ\",\"\",\"\",\"\",\"\",\"\"\r\n"
    "\"3B7A\",\"F5CWU\",\"Jean\",\"1 rue\",\"Paris\",\"France\",\"since 2018-04\"\r\n";

TEST_F(QslEditor, TheTableIsSortedByCallSignAndKeepsEachRecordsAddress) {
  ASSERT_NE(start(qslEditor()), nullptr);
  const kswin::DataTableView view = kswin::dataTableView(table());
  ASSERT_EQ(view.columns.size(), 8u);
  EXPECT_EQ(view.recordSize, 276u);
  EXPECT_EQ(view.columns[6].title, "Comment");
  EXPECT_EQ(view.columns[7].flags, DT_FLAG_HIDDEN);
  EXPECT_EQ(view.background, RGB(255, 251, 240));

  importText(kManagers, IDYES);
  EXPECT_EQ(lastBox(), "Import Done.");
  EXPECT_EQ(lastCaption(), "QSL Manager");
  const auto lines = listLines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "3B7A\tF5CWU\tJean\t1 rue\tParis\tFrance\tsince 2018-04");
  EXPECT_EQ(lines[1], "ZZ4A\tPY2RMZ\t\t\t\t\t");

  ASSERT_TRUE(kswin::doubleClickItem(table(), 1));
  EXPECT_EQ(value("call"), "ZZ4A");
  EXPECT_EQ(value("via"), "PY2RMZ");
}

TEST_F(QslEditor, ImportAsksWhetherToEmptyFirstAndAppendKeepsExistingCalls) {
  ASSERT_NE(start(qslEditor()), nullptr);
  importText(kManagers, IDYES);
  importText("\"3B7A\",\"XX9XX\",\"Other\",\"\",\"\",\"\",\"\"\r\n"
             "\"VP8/LZ1UQ\",\"LZ1UQ\",\"\",\"\",\"\",\"\",\"\"\r\n",
             IDNO);
  EXPECT_EQ(headless.boxes()[headless.boxes().size() - 2].caption, "Restore Logbook");
  auto lines = listLines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].substr(0, 11), "3B7A\tF5CWU\t");  // the existing record kept

  importText(kManagers, IDCANCEL);
  EXPECT_EQ(lastOutcome(), Outcome::Declined);
  EXPECT_EQ(listLines().size(), 3u);

  importText("\"K1ABC\",\"W1AW\",\"\",\"\",\"\",\"\",\"\"\r\n", IDYES);
  EXPECT_EQ(listLines(), std::vector<std::string>{"K1ABC\tW1AW\t\t\t\t\t"});
}

TEST_F(QslEditor, SavingStripsTrailingBlanksAndTheTableFollows) {
  ASSERT_NE(start(qslEditor()), nullptr);
  set("call", "k1abc  ");
  set("via", "W1AW ");
  set("name", "Hiram   ");
  choose(cmd::kSave);
  EXPECT_EQ(lastBox(), "Record stored sucessfully!");
  EXPECT_EQ(value("call"), "");  // the form is cleared after a new record
  EXPECT_EQ(listLines(), std::vector<std::string>{"K1ABC\tW1AW\tHiram\t\t\t\t"});
  EXPECT_EQ(kswin::dataTableView(table()).marked, 0);

  set("call", "K1ABC");
  set("via", "N1XX");
  choose(cmd::kSave);
  EXPECT_EQ(lastBox(), "Record updated sucessfully!");
  EXPECT_EQ(value("via"), "N1XX");  // the form keeps its contents
  EXPECT_EQ(listLines(), std::vector<std::string>{"K1ABC\tN1XX\t\t\t\t\t"});

  headless.queueAnswer(IDYES);
  choose(cmd::kDelete);
  EXPECT_TRUE(listLines().empty());
  set("call", "K1ABC");
  choose(cmd::kFind);
  EXPECT_EQ(lastBox(), "Callsign not found!");
}

TEST_F(QslEditor, TheCommandLineCallIsLookedUpSilently) {
  ASSERT_NE(start(qslEditor()), nullptr);
  importText(kManagers, IDYES);
  close();
  headless.clear();
  ASSERT_NE(start(qslEditor(), "3B7A"), nullptr);
  EXPECT_EQ(value("name"), "Jean");
  close();
  ASSERT_NE(start(qslEditor(), "N0NE"), nullptr);
  EXPECT_EQ(value("name"), "");
  EXPECT_TRUE(headless.boxes().empty());
}

TEST_F(QslEditor, ALongCommentPrintsInFullAfterTheAddressColumn) {
  ASSERT_NE(start(qslEditor()), nullptr);
  const std::string comment(77, 'c');
  set("call", "K1ABC");
  set("address3", std::string(40, 'a'));  // the field takes 39
  set("comment", comment + "dropped");
  EXPECT_EQ(value("comment"), comment);
  choose(cmd::kSave);
  headless.queuePrintFile(home / "qsl.pdf");
  choose(cmd::kPrinterSetup);
  choose(cmd::kPrint);
  const auto documents = kswin::printedDocuments();
  ASSERT_EQ(documents.size(), 1u);
  const auto& texts = documents[0].pages.at(0).texts;
  ASSERT_EQ(texts.size(), 5u);
  EXPECT_EQ(texts[0].text, "QSL Manager Database: " + databasePath());
  EXPECT_EQ(texts[2].text.substr(0, 15), "K1ABC          ");
  EXPECT_EQ(texts[4].text, std::string(39, 'a') + "  " + comment);
}

TEST_F(QslEditor, AChosenColourGoesToTheTableAndTheSettings) {
  ASSERT_NE(start(qslEditor()), nullptr);
  headless.queueColor(RGB(1, 2, 3));
  choose(cmd::kBackground);
  EXPECT_EQ(kswin::dataTableView(table()).background, RGB(1, 2, 3));
  EXPECT_EQ(GetPrivateProfileInt("Program", "Bkg", -1, "KSQSLMGR.INI"), 2u);
  close();
  ASSERT_NE(start(qslEditor()), nullptr);
  EXPECT_EQ(kswin::dataTableView(table()).background, RGB(1, 2, 3));
}

TEST_F(QslEditor, WithoutTheDataTableLibraryTheProgramEnds) {
  kswin::setLibraryMissing("PVDTBL.DLL", true);
  EXPECT_EQ(start(qslEditor()), nullptr);
  kswin::setLibraryMissing("PVDTBL.DLL", false);
  EXPECT_EQ(lastBox(), "Unable to Load DataTable DLL");
  EXPECT_EQ(lastCaption(), "System Error");
}

}  // namespace
}  // namespace kseditor::test
