// The country and IOTA editors: the form's checks in their order, Save,
// Find and Delete against the database and the list, import, export and
// printing.
#include <string>
#include <vector>

#include "testeditor.h"

namespace kseditor::test {
namespace {

class CountryEditor : public EditorTest {
 protected:
  void fillValid() {
    set("prefix", "k");
    set("country", "United States");
    set("cont", "na");
    set("latitude", "40.45N");
    set("longitude", "73.58W");
    set("cq", "5");
    set("itu", "8");
    set("status", "a");
    set("date", "01-01-01");
    set("table", "K,W,N");
  }
};

struct Check {
  const char* field;
  const char* value;
  const char* message;   // empty: the save goes through
  const char* focus;
};

TEST_F(CountryEditor, SaveChecksEachFieldInOrderWithItsMessageAndFocus) {
  ASSERT_NE(start(countryEditor()), nullptr);
  const Check checks[] = {
      {"country", "", "You must supply a country name.", "country"},
      {"cont", "XX", "Illegal Continent field.", "cont"},
      {"latitude", "40.59N", "", ""},
      {"latitude", "40.60N", "Minutes Out of Range (0 to 59).", "latitude"},
      {"latitude", "91.00N", "Latitude Out of Range (90N to 90S).", "latitude"},
      {"latitude", "40.30X", "Latitude must be either 'N' or 'S'.", "latitude"},
      {"longitude", "179.59E", "", ""},
      {"longitude", "180.30W", "Longitude Out of Range (180W to 180E).", "longitude"},
      {"longitude", "", "Longitude must be either 'E' or 'W'.", "longitude"},
      {"cq", "41", "CQ Zone must be between 1 and 40.", "cq"},
      {"itu", "0", "ITU Zone must be between 1 and 90.", "itu"},
      {"status", "I", "Status must be either\nA (Active), or D (Deleted).", "status"},
      {"date", "13-45-99", "Illegal Date\nor Format (MM-DD-YY).", "date"},
      {"date", "31/12/99", "", ""},  // the DD/MM/YY form
      {"date", "99.12.31", "", ""},
      {"table", "", "Prefix table must containt at least one prefix.", "table"},
  };
  for (const Check& check : checks) {
    SCOPED_TRACE(std::string(check.field) + "=" + check.value);
    fillValid();
    set(check.field, check.value);
    headless.clear();
    choose(cmd::kSave);
    if (check.message[0] == '\0') {
      EXPECT_EQ(lastOutcome(), Outcome::Done) << lastBox();
      continue;
    }
    EXPECT_EQ(lastBox(), check.message);
    EXPECT_EQ(lastCaption(), "Data Error");
    EXPECT_EQ(GetFocus(), field(check.focus));
    EXPECT_EQ(lastOutcome(), Outcome::Failed);
  }
}

TEST_F(CountryEditor, SaveStoresThenUpdatesWithoutAskingAndTheListFollows) {
  ASSERT_NE(start(countryEditor()), nullptr);
  set("prefix", "");
  choose(cmd::kSave);
  EXPECT_EQ(lastBox(), "Nothing to save!");
  EXPECT_EQ(lastCaption(), "Error");  // no caption of its own

  fillValid();
  choose(cmd::kSave);
  EXPECT_EQ(lastBox(), "Record stored sucessfully!");
  EXPECT_EQ(lastCaption(), "Atlas/W");
  EXPECT_EQ(listLines(), std::vector<std::string>{"K      United States"});

  set("country", "USA");
  const size_t boxes = headless.boxes().size();
  choose(cmd::kSave);
  EXPECT_EQ(headless.boxes().size(), boxes + 1);  // no question before the update
  EXPECT_EQ(lastBox(), "Record updated sucessfully!");
  EXPECT_EQ(listLines(), std::vector<std::string>{"K      USA"});

  choose(cmd::kClear);
  EXPECT_EQ(value("country"), "");
  EXPECT_EQ(GetFocus(), field("prefix"));
  set("prefix", "k");
  choose(cmd::kFind);
  EXPECT_EQ(value("country"), "USA");
  EXPECT_EQ(value("status"), "A");  // typed "a": the field takes capitals only
  EXPECT_EQ(value("cont"), "NA");
  EXPECT_EQ(value("cq"), "5");
  EXPECT_EQ(value("table"), "K,W,N");

  set("prefix", "ZZ");
  choose(cmd::kFind);
  EXPECT_EQ(lastBox(), "Prefix not found!");
  set("prefix", "");
  choose(cmd::kFind);
  EXPECT_EQ(lastBox(), "Nothing to find!");
}

TEST_F(CountryEditor, DeleteAsksFirstAndTheListIsRefilled) {
  ASSERT_NE(start(countryEditor()), nullptr);
  fillValid();
  choose(cmd::kSave);
  set("prefix", "K");
  headless.queueAnswer(IDNO);
  choose(cmd::kDelete);
  EXPECT_EQ(lastBox(), "Do you wish to delete K?");
  EXPECT_EQ(lastCaption(), "Delete Record");
  EXPECT_EQ(listLines().size(), 1u);

  headless.queueAnswer(IDYES);
  choose(cmd::kDelete);
  EXPECT_EQ(lastOutcome(), Outcome::Done);
  EXPECT_TRUE(listLines().empty());
  EXPECT_EQ(value("prefix"), "");

  set("prefix", "K");
  headless.queueAnswer(IDYES);
  choose(cmd::kDelete);
  EXPECT_EQ(lastBox(), "Prefix not found!");
}

TEST_F(CountryEditor, ADoubleClickedLineFillsTheForm) {
  ASSERT_NE(start(countryEditor()), nullptr);
  fillValid();
  choose(cmd::kSave);
  choose(cmd::kClear);
  HWND list = GetDlgItem(editorWindow(), 7);
  ASSERT_TRUE(kswin::doubleClickItem(list, 0));
  EXPECT_EQ(value("prefix"), "K");
  EXPECT_EQ(value("country"), "United States");
}

const char* kThreeCountries =
    "\"1A\",\"Sov Mil Order of Malta\",\"EU\",\"41.54N\",\"12.26E\",\"15\",\"28\",\"A\","
    "\"01-01-01\",\"1A\",\"\",\"\"\r\n"
    "\r\n"
    "\"VP2EXX\",\"Anguilla\",\"NA\",\"18.15N\",\"63.05W\",\"8\",\"11\",\"A\",\"01-01-01\","
    "\"VP2E\",\"\",\"\"\r\n"
    "\"Y2\",\"East Germany\",\"EU\",\"52.31N\",\"13.24E\",\"14\",\"28\",\"D\",\"10-03-90\","
    "\"Y2,Y3,Y4,Y5,Y6,Y7,Y8,Y9\",\"\",\"\"\r\n";

TEST_F(CountryEditor, ExportThenImportGivesTheSameRecords) {
  ASSERT_NE(start(countryEditor()), nullptr);
  kstest::writeFile(home / "in.txt", kThreeCountries);
  headless.queueFile(home / "in.txt");
  choose(cmd::kImport);
  EXPECT_EQ(lastBox(), "Import Done.");
  EXPECT_EQ(listLines().size(), 3u);
  EXPECT_EQ(listLines()[1], "VP2EXX Anguilla");  // all six characters of the prefix

  headless.queueFile(home / "out.txt");
  choose(cmd::kExport);
  EXPECT_EQ(lastBox(), "3 records written.");
  EXPECT_EQ(lastCaption(), "Export Complete");
  const std::string first = kstest::readFile(home / "out.txt");
  EXPECT_EQ(first.substr(first.size() - 4), "\r\n\r\n");

  headless.queueFile(home / "out.txt");
  choose(cmd::kImport);
  EXPECT_EQ(lastBox(), "Import Done.");
  headless.queueFile(home / "again.txt");
  choose(cmd::kExport);
  EXPECT_EQ(kstest::readFile(home / "again.txt"), first);
}

TEST_F(CountryEditor, ImportStopsAtAnEmptyPrefixKeepingTheLinesBefore) {
  ASSERT_NE(start(countryEditor()), nullptr);
  kstest::writeFile(home / "in.txt",
                    std::string(kThreeCountries) +
                        "\"\",\"Name\",\"EU\",\"1.00N\",\"1.00E\",\"1\",\"1\",\"A\",\"01-01-01\","
                        "\"X\",\"\",\"\"\r\n"
                        "\"ZZ\",\"After\",\"EU\",\"1.00N\",\"1.00E\",\"1\",\"1\",\"A\","
                        "\"01-01-01\",\"ZZ\",\"\",\"\"\r\n");
  headless.queueFile(home / "in.txt");
  choose(cmd::kImport);
  EXPECT_EQ(lastBox(), "Illegal or null prefix at line 5.");
  EXPECT_EQ(headless.boxes().back().icon(), static_cast<UINT>(MB_ICONERROR));
  EXPECT_EQ(listLines().size(), 3u);
  EXPECT_EQ(lastOutcome(), Outcome::Failed);
}

TEST_F(CountryEditor, ARefusedRecordEndsTheImportWithoutSayingItIsDone) {
  ASSERT_NE(start(countryEditor()), nullptr);
  kstest::writeFile(home / "in.txt", std::string(kThreeCountries) + kThreeCountries);
  headless.queueFile(home / "in.txt");
  choose(cmd::kImport);
  EXPECT_EQ(lastBox(), "Error storing record!");  // the second 1A: the prefix is taken
  EXPECT_EQ(lastOutcome(), Outcome::Failed);
  EXPECT_EQ(listLines().size(), 3u);
}

TEST_F(CountryEditor, AnImportFileThatCannotBeReadLeavesTheDatabaseAsItWas) {
  ASSERT_NE(start(countryEditor()), nullptr);
  fillValid();
  choose(cmd::kSave);
  for (const std::string& path : {home / "missing.txt", home / "dict"}) {
    headless.queueFile(path);
    choose(cmd::kImport);
    EXPECT_EQ(lastBox(), "Error opening " + path + ".");
    EXPECT_EQ(listLines().size(), 1u);
    EXPECT_TRUE(databaseOpen());
  }
}

TEST_F(CountryEditor, ExportOfAnEmptyDatabaseWritesOneEmptyLine) {
  ASSERT_NE(start(countryEditor()), nullptr);
  kstest::writeFile(home / "out.txt", "old");
  headless.queueFile(home / "out.txt");
  headless.queueAnswer(IDNO);
  choose(cmd::kExport);
  EXPECT_EQ(lastBox(), "Do you wish to overwrite " + home / "out.txt" + "?");
  EXPECT_EQ(kstest::readFile(home / "out.txt"), "old");

  headless.queueFile(home / "out.txt");
  headless.queueAnswer(IDYES);
  choose(cmd::kExport);
  EXPECT_EQ(lastBox(), "0 records written.");
  EXPECT_EQ(kstest::readFile(home / "out.txt"), "\r\n");
}

TEST_F(CountryEditor, PrintingFillsPagesWithHeadersAndStopsOnCancel) {
  ASSERT_NE(start(countryEditor()), nullptr);
  std::string lines;
  for (int i = 0; i < 70; ++i)
    lines += "\"P" + std::to_string(i) +
             "\",\"Country\",\"EU\",\"1.00N\",\"1.00E\",\"14\",\"28\",\"A\",\"01-01-01\",\"X\","
             "\"\",\"\"\r\n";
  kstest::writeFile(home / "in.txt", lines);
  headless.queueFile(home / "in.txt");
  choose(cmd::kImport);

  choose(cmd::kPrint);  // no printer chosen and none by default
  EXPECT_EQ(lastBox(), "Error initializing printer.");

  headless.queuePrintFile(home / "countries.pdf");
  choose(cmd::kPrinterSetup);
  choose(cmd::kPrint);
  EXPECT_EQ(lastOutcome(), Outcome::Done);
  auto documents = kswin::printedDocuments();
  ASSERT_EQ(documents.size(), 1u);
  const kswin::PrintedDocument& doc = documents[0];
  EXPECT_TRUE(doc.ended);
  EXPECT_EQ(doc.name, databasePath().substr(0, 31));
  // 66 lines a page: the header, a blank line, then records up to the last
  // line but one.
  ASSERT_EQ(doc.pages.size(), 2u);
  EXPECT_EQ(doc.pages[0].texts.size(), 2u + 63u);
  EXPECT_EQ(doc.pages[0].texts[0].text, "Country Database: " + databasePath());
  EXPECT_EQ(doc.pages[0].texts[0].x, 16 * 30);
  EXPECT_EQ(doc.pages[0].texts[1].text, "Page:   1");
  EXPECT_EQ(doc.pages[1].texts[1].text, "Page:   2");
  EXPECT_EQ(doc.pages[0].texts[2].text,
            "    P0              Country EU    1.00N    1.00E 14 28 A 01-01-01");
  EXPECT_EQ(doc.pages[1].texts.size(), 2u + 7u);
  EXPECT_TRUE(IsWindowEnabled(editorWindow()));

  headless.onDialog("PRINTLOG", [](HWND dialog) { kswin::press(dialog, IDCANCEL); });
  choose(cmd::kPrint);
  documents = kswin::printedDocuments();
  ASSERT_EQ(documents.size(), 2u);
  EXPECT_TRUE(documents[1].aborted);
  EXPECT_LE(documents[1].pages.size(), 1u);
  EXPECT_TRUE(IsWindowEnabled(editorWindow()));
}

class IotaEditor : public EditorTest {};

TEST_F(IotaEditor, TheIotaNumberNeedsFiveCharactersAndIsTheKey) {
  ASSERT_NE(start(iotaEditor()), nullptr);
  for (const auto& [name, text] : std::vector<std::pair<const char*, const char*>>{
           {"prefix", "G"}, {"country", "England"}, {"cont", "EU"}, {"latitude", "52.00N"},
           {"longitude", "1.00W"}, {"cq", "14"}, {"itu", "27"}, {"status", "A"},
           {"date", "01-01-01"}, {"table", "G"}, {"iota", "eu-5"}, {"grp", "y"}})
    set(name, text);
  choose(cmd::kSave);
  EXPECT_EQ(lastBox(), "Invalid IOTA NUM");
  EXPECT_EQ(lastCaption(), "Data Error");
  EXPECT_EQ(GetFocus(), field("table"));

  set("iota", "eu-005");
  choose(cmd::kSave);
  EXPECT_EQ(lastBox(), "Record stored sucessfully!");
  EXPECT_EQ(lastCaption(), "Atlas/W");
  EXPECT_EQ(listLines(), std::vector<std::string>{"EU-005 G      England"});

  choose(cmd::kClear);
  set("iota", "EU-005");
  choose(cmd::kFind);
  EXPECT_EQ(value("country"), "England");
  EXPECT_EQ(value("grp"), "Y");
  set("iota", "");
  choose(cmd::kFind);
  EXPECT_EQ(lastBox(), "Nothing to find!");
}

TEST_F(IotaEditor, EmptyIotaFieldsTakeTheirDefaultsAndExportReadsBack) {
  ASSERT_NE(start(iotaEditor()), nullptr);
  kstest::writeFile(home / "in.txt",
                    "\"GM\",\"Scotland\",\"EU\",\"56.00N\",\"4.00W\",\"14\",\"27\",\"A\","
                    "\"01-01-01\",\"GM\",\"\",\"\"\r\n"
                    "\"G\",\"Wight\",\"EU\",\"50.40N\",\"1.20W\",\"14\",\"27\",\"A\",\"01-01-01\","
                    "\"G\",\"EU-005\",\"Y\"\r\n");
  headless.queueFile(home / "in.txt");
  choose(cmd::kImport);
  EXPECT_EQ(lastBox(), "Import Done.");
  EXPECT_EQ(lastCaption(), "Isles/W");
  EXPECT_EQ(listLines(), (std::vector<std::string>{"00000 GM     Scotland", "EU-005 G      Wight"}));

  headless.queueFile(home / "out.txt");
  choose(cmd::kExport);
  const std::string first = kstest::readFile(home / "out.txt");
  EXPECT_NE(first.find("\"00000\",\"N\"\r\n"), std::string::npos);
  headless.queueFile(home / "out.txt");
  choose(cmd::kImport);
  headless.queueFile(home / "again.txt");
  choose(cmd::kExport);
  EXPECT_EQ(kstest::readFile(home / "again.txt"), first);

  kstest::writeFile(home / "bad.txt", "\"G\",\"X\"\r\n\"\",\"Y\"\r\n");
  headless.queueFile(home / "bad.txt");
  choose(cmd::kImport);
  EXPECT_EQ(lastBox(), "Illegal or null IOTA number at line 2.");
}

}  // namespace
}  // namespace kseditor::test
