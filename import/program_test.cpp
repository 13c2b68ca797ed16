// The import program as its user drives it: start checks, menus, logbook
// management, an import with its progress and Cancel, the pending formats
// and the report viewer, run headless.
#include "program.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "schema/countrydb.h"
#include "schema/countyfile.h"
#include "schema/logschema.h"
#include "programstate.h"
#include "foreign.h"
#include "writers/foreignwrite.h"
#include "keybld/kskeybld.h"
#include "recdb/recdb.h"
#include "testing/tempdir.h"
#include "winlayer/host.h"

namespace ksimport {
namespace {

namespace fs = std::filesystem;
using kstest::readFile;
using kstest::writeFile;

constexpr const char* kContact =
    "<CALL:5>DL1AB <QSO_DATE:8>20240315 <TIME_ON:4>1200 <BAND:3>20M <MODE:2>CW <EOR>\n";

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("KESTREL_QUIET_DB", "1", 1);
    dict_ = home_.path() + "/dict/";
    fs::create_directories(dict_);
    std::string error;
    ASSERT_EQ(logschema::writeLogbookSkeletons(dict_, error), RECDB_OK) << error;
    ASSERT_EQ(logschema::writeReferenceDatabase(logschema::country(), dict_, "COUNTRY", error), 0);
    ASSERT_TRUE(countrytext::fillCountryDatabase(
        dict_ + "COUNTRY", std::string(KESTREL_DATA_DIR) + "/COUNTRY.TXT", error))
        << error;
    ASSERT_EQ(logschema::writeReferenceDatabase(logschema::county(), dict_, "USCOUNTY", error), 0);
    writeFile(home_.file("counties.txt"), "MA,MIDDLESEX\n");
    ASSERT_TRUE(ksschema::fillCountyDatabase(dict_, home_.file("counties.txt"), error)) << error;
    WritePrivateProfileString("Database", "DictPath", dict_.c_str(), "KESTREL.INI");
    log_ = home_.file("LOG");
  }

  // Starts the program; every step after runs against its window.
  HWND start(ProgramOptions options = {}) {
    HWND window = startImportProgram(options);
    EXPECT_NE(window, nullptr);
    return window;
  }
  int finish(HWND window) {
    SendMessage(window, WM_CLOSE, 0, 0);
    return runImportProgram();
  }
  void newLogbook(HWND window, const std::string& path) {
    host_.queueFile(path);
    ASSERT_TRUE(kswin::chooseMenuItem(window, menu::kNewLogbook));
  }
  std::string adif(int contacts) {
    std::string text = "Test log\n<ADIF_VER:5>3.1.4 <EOH>\n";
    for (int i = 0; i < contacts; ++i) text += kContact;
    const std::string path = home_.file("contest.adi");
    writeFile(path, text);
    return path;
  }
  std::vector<std::string> boxTexts() const {
    std::vector<std::string> texts;
    for (const kswin::BoxRecord& box : host_.boxes()) texts.push_back(box.text);
    return texts;
  }

  // Contacts stored in the logbook at `base`, after a key check that must
  // find nothing to repair.
  static long contactsIn(const std::string& base, bool* keysWhole = nullptr) {
    DB_TASK* task = nullptr;
    long count = -1;
    if (dbOpenTask(&task) == RECDB_OK && dbOpen(base.c_str(), "o", task) == RECDB_OK) {
      if (keysWhole) *keysWhole = !kskeybld::rebuild(task, {}).rebuilt;
      count = 0;
      for (int rc = dbRecordFirst(kLogRecordType, task, 0); rc == RECDB_OK;
           rc = dbRecordNext(task, 0))
        ++count;
      dbClose(task);
    }
    if (task) dbCloseTask(task);
    return count;
  }

  kstest::TempHome home_;
  kswin::HeadlessHost host_;
  kswin::ScopedHost scoped_{host_};
  std::string dict_, log_;
};

TEST_F(ProgramTest, RefusesToStartUnconfiguredOrBesideTheMainProgram) {
  WritePrivateProfileString("Database", "DictPath", nullptr, "KESTREL.INI");
  EXPECT_EQ(startImportProgram(), nullptr);
  WritePrivateProfileString("Database", "DictPath", dict_.c_str(), "KESTREL.INI");

  WNDCLASS main{};
  main.lpfnWndProc = DefWindowProc;
  main.lpszClassName = "Kestrel4WClass";
  RegisterClass(&main);
  HWND kestrel = CreateWindow("Kestrel4WClass", "Kestrel", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10,
                              nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(startImportProgram(), nullptr);
  DestroyWindow(kestrel);

  ASSERT_EQ(host_.boxes().size(), 2u);
  EXPECT_EQ(
      host_.boxes()[0].text,
      "Kestrel has not been run before.\n\nPlease run Kestrel so that\nKSIMPORT maybe configured.");
  EXPECT_EQ(host_.boxes()[1].text,
            "Kestrel is running.\nPlease exit Kestrel\nand restart this program.");
  EXPECT_EQ(host_.boxes()[1].icon(), static_cast<UINT>(MB_ICONERROR));
}

TEST_F(ProgramTest, MenusTitleAndAboutFollowTheOpenLogbook) {
  HWND window = start();
  const std::vector<kswin::MenuEntry> file = kswin::openMenu(window, 0);
  ASSERT_EQ(file.size(), 7u);
  EXPECT_EQ(file[0].text, "&New Logbook");
  EXPECT_EQ(file[4].text, "Rebuild &Keys");
  for (int i : {2, 3, 4}) EXPECT_TRUE(file[i].grayed) << file[i].text;
  EXPECT_FALSE(kswin::chooseMenuItem(window, menu::kAdif));  // the Import menu is greyed

  newLogbook(window, log_);
  EXPECT_TRUE(fs::exists(log_ + ".DAT"));
  char title[80];
  GetWindowText(window, title, sizeof title);
  EXPECT_STREQ(title, "Kestrel Import - LOG");
  SendMessage(window, kSetTitleMessage, 1, 5);
  GetWindowText(window, title, sizeof title);
  EXPECT_STREQ(title, "Kestrel Import - LOG [Record 4]");
  for (const kswin::MenuEntry& item : kswin::openMenu(window, 0))
    EXPECT_FALSE(item.grayed) << item.text;
  const std::vector<kswin::MenuEntry> imports = kswin::openMenu(window, 1);
  ASSERT_EQ(imports.size(), 14u);
  EXPECT_EQ(imports[0].id, menu::kAdif);
  EXPECT_EQ(imports[13].text, "&Q1QA");

  std::string version;
  host_.onDialog("AboutBox", [&](HWND dialog) {
    char text[16];
    GetDlgItemText(dialog, 1000, text, sizeof text);
    version = text;
    kswin::press(dialog, IDOK);
  });
  EXPECT_TRUE(kswin::chooseMenuItem(window, menu::kAbout));
  EXPECT_EQ(version, "V1.9");
  EXPECT_TRUE(kswin::chooseMenuItem(window, menu::kHelpCommands));

  EXPECT_TRUE(kswin::chooseMenuItem(window, menu::kCloseLogbook));
  GetWindowText(window, title, sizeof title);
  EXPECT_STREQ(title, "Kestrel Import");
  EXPECT_EQ(finish(window), 0);
  bool asked = false;
  for (const std::string& line : host_.log())
    asked |= line.find("KSIMPORT.HLP key Kestrel Import Commands") != std::string::npos;
  EXPECT_TRUE(asked);
}

TEST_F(ProgramTest, ReferenceNamesAreRefusedAndTheOpenLogbookReopensWithoutQuestions) {
  HWND window = start();
  newLogbook(window, dict_ + "COUNTRY.DAT");
  EXPECT_EQ(openLogbookPath(), "");
  newLogbook(window, log_ + ".DAT");
  const size_t boxes = host_.boxes().size();
  host_.queueFile(log_ + ".DAT");
  kswin::chooseMenuItem(window, menu::kOpenLogbook);
  EXPECT_EQ(host_.boxes().size(), boxes);  // nothing asked
  EXPECT_EQ(openLogbookPath(), log_);

  host_.queueAnswer(IDYES);  // rename? yes
  host_.queueFile(home_.file("QSLMGR.DAT"));
  kswin::chooseMenuItem(window, menu::kRename);
  EXPECT_EQ(openLogbookPath(), log_);
  EXPECT_TRUE(fs::exists(log_ + ".DAT"));
  EXPECT_FALSE(fs::exists(home_.file("QSLMGR.DAT")));
  finish(window);
  const std::string refused = "Database operations are not\nallowed on a reference database.";
  const std::vector<std::string> texts = boxTexts();
  EXPECT_EQ(std::count(texts.begin(), texts.end(), refused), 2);
}

TEST_F(ProgramTest, NewOverAnExistingLogbookAndOpenOfAnotherAsk) {
  HWND window = start();
  newLogbook(window, log_);
  host_.queueFile(adif(3));
  kswin::chooseMenuItem(window, menu::kAdif);
  ASSERT_EQ(contactsIn(log_), 3);  // readable beside the open program

  host_.queueAnswer(IDNO);  // close LOG? no
  newLogbook(window, home_.file("OTHER"));
  EXPECT_EQ(openLogbookPath(), log_);
  host_.queueAnswer(IDYES);  // close LOG? yes
  newLogbook(window, home_.file("OTHER"));
  EXPECT_EQ(openLogbookPath(), home_.file("OTHER"));
  host_.queueAnswer(IDYES);  // close OTHER? yes
  newLogbook(window, log_);  // overwrite? nobody answers: No
  EXPECT_EQ(openLogbookPath(), "");
  finish(window);
  EXPECT_EQ(contactsIn(log_), 3);
  const std::vector<std::string> texts = boxTexts();
  EXPECT_EQ(std::count(texts.begin(), texts.end(), "Do you wish to close LOG."), 2);
  EXPECT_EQ(texts.back(), "Do you wish to overwrite\n" + log_ + ".DAT?");
  EXPECT_EQ(host_.boxes().back().caption, "Logbook Exists");
}

TEST_F(ProgramTest, RenameMovesEverySixFilesAndRefusesTheSameName) {
  HWND window = start();
  newLogbook(window, log_);
  host_.queueFile(adif(2));
  kswin::chooseMenuItem(window, menu::kAdif);

  host_.queueAnswer(IDYES);
  host_.queueFile(log_ + ".DAT");
  kswin::chooseMenuItem(window, menu::kRename);
  EXPECT_EQ(boxTexts().back(), "The source and destination databases must be different.");

  const std::string moved = home_.file("MOVED");
  newLogbook(window, log_);  // the same logbook: reopened
  host_.queueAnswer(IDYES);
  host_.queueFile(moved + ".DAT");
  kswin::chooseMenuItem(window, menu::kRename);
  EXPECT_EQ(openLogbookPath(), moved);
  for (const char* extension : kLogExtensions) {
    EXPECT_FALSE(fs::exists(log_ + extension)) << extension;
    EXPECT_TRUE(fs::exists(moved + extension)) << extension;
  }
  finish(window);
  bool keysWhole = false;
  EXPECT_EQ(contactsIn(moved, &keysWhole), 2);
  EXPECT_TRUE(keysWhole);
}

TEST_F(ProgramTest, AnOldLogbookIsUpgradedByTheKeyBuilderAndNotOpened) {
  HWND window = start();
  newLogbook(window, log_);
  kswin::chooseMenuItem(window, menu::kCloseLogbook);
  const std::string dbd = log_ + ".DBD";
  writeFile(dbd, readFile(dbd) + std::string(512, '\0'));  // a larger, older dictionary

  host_.queueAnswer(IDNO);
  host_.queueFile(log_ + ".DAT");
  kswin::chooseMenuItem(window, menu::kOpenLogbook);
  EXPECT_EQ(boxTexts().back(), "V1.0 Database detected.\nDo you wish to upgrade it to V2.0?");
  host_.queueAnswer(IDYES);
  host_.queueFile(log_ + ".DAT");
  kswin::chooseMenuItem(window, menu::kOpenLogbook);
  EXPECT_EQ(host_.boxes().back().caption, "V2.0 Upgrade");
  EXPECT_EQ(openLogbookPath(), "");
  EXPECT_EQ(fs::file_size(dbd), fs::file_size(dict_ + "LOGDBD.SKL"));
  const pid_t builder = app::state().lastStarted;
  ASSERT_GT(builder, 0);
  int status = -1;
  ASSERT_EQ(waitpid(builder, &status, 0), builder);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  finish(window);
  EXPECT_EQ(contactsIn(log_), 0);
}

TEST_F(ProgramTest, CancelKeepsTheContactsStoredSoFar) {
  int asked = 0;
  ProgramOptions options;
  std::string copied;
  options.consoleCopy = [&](std::string_view text) { copied += text; };
  options.interrupted = [&] { return ++asked == 7; };
  HWND window = start(options);
  newLogbook(window, log_);
  host_.queueFile(adif(40));
  kswin::chooseMenuItem(window, menu::kAdif);
  EXPECT_EQ(lastImportEnd(), ImportEnd::Cancelled);
  // The count said is the count committed, which the logbook holds below.
  EXPECT_EQ(consoleText(),
            "Beginning ADIF File Import.\r\nADIF Import terminated at user request.\r\n"
            "7 records stored.\r\n");
  EXPECT_EQ(copied,
            "Beginning ADIF File Import.\nADIF Import terminated at user request.\n"
            "7 records stored.\n");
  EXPECT_EQ(host_.boxes().back().caption, "Import Aborted");
  EXPECT_TRUE(IsWindowEnabled(window));
  finish(window);
  bool keysWhole = false;
  EXPECT_EQ(contactsIn(log_, &keysWhole), 7);
  EXPECT_TRUE(keysWhole);
}

TEST_F(ProgramTest, ForeignFormatsAskTheirQuestionsThenImport) {
  HWND window = start();
  newLogbook(window, log_);
  // CT: the file, then the contest and power in "CONTESTINFO".
  writeFile(home_.file("contest.res"), writers::writeCt(writers::sampleContacts(3)));
  host_.queueFile(home_.file("contest.res"));
  host_.onDialog("CONTESTINFO", [](HWND dialog) {
    kswin::press(dialog, contest::kWpxCw);
    SetDlgItemText(dialog, 120, "5");
    kswin::press(dialog, IDOK);
  });
  host_.queueAnswer(IDNO);  // tags
  host_.queueAnswer(IDNO);  // view the report
  kswin::chooseMenuItem(window, menu::kCt);
  EXPECT_EQ(host_.fileRequests().back().title, "Import CT Results File");
  EXPECT_EQ(lastImportEnd(), ImportEnd::Completed);
  EXPECT_NE(consoleText().find("Beginning CT File Import.\r\nCT File Import Complete.\r\n"),
            std::string::npos);

  // DXBase names countries by the country database's keys.
  writeFile(home_.file("log.sdf"), writers::writeDxBase(writers::sampleContacts(4)));
  host_.queueFile(home_.file("log.sdf"));
  kswin::chooseMenuItem(window, menu::kDxBase);
  EXPECT_EQ(lastImportEnd(), ImportEnd::Completed);

  // Declining LogMaster's question or cancelling HyperLog's dialog ends the
  // command with nothing imported.
  host_.queueFile(home_.file("log.sdf"));
  host_.queueAnswer(IDNO);
  kswin::chooseMenuItem(window, menu::kLogMaster);
  EXPECT_EQ(host_.boxes().back().caption, "Warning");
  EXPECT_EQ(lastImportEnd(), ImportEnd::NotStarted);
  host_.queueFile(home_.file("log.sdf"));
  host_.onDialog("HYPERLOG", [](HWND dialog) { kswin::press(dialog, IDCANCEL); });
  kswin::chooseMenuItem(window, menu::kHyperlog);
  EXPECT_EQ(lastImportEnd(), ImportEnd::NotStarted);

  host_.queueFile(home_.file("tr.dat"));
  const size_t boxes = host_.boxes().size();
  SendMessage(window, WM_COMMAND, menu::kTrLog, 0);
  EXPECT_EQ(host_.fileRequests().back().title, "Import TR-LOG File");
  EXPECT_EQ(host_.boxes().size(), boxes);
  finish(window);
  EXPECT_EQ(contactsIn(log_), 7);
}

TEST_F(ProgramTest, TheReportOpensInTheConfiguredEditor) {
  const std::string viewer = home_.file("viewer.sh"), seen = home_.file("seen");
  writeFile(viewer, "#!/bin/sh\ncp \"$1\" " + seen + "\n");
  fs::permissions(viewer, fs::perms::owner_all);
  WritePrivateProfileString("Program", "Editor", viewer.c_str(), "KESTREL.INI");
  HWND window = start();
  newLogbook(window, log_);
  host_.queueAnswer(IDYES);  // report
  host_.queueAnswer(IDNO);   // tags
  host_.queueAnswer(IDYES);  // view it
  host_.queueFile(adif(1));
  kswin::chooseMenuItem(window, menu::kAdif);
  EXPECT_NE(readFile(seen).find("DL1AB"), std::string::npos);

  app::state().settings.editor = "no-such-editor-here";
  host_.queueAnswer(IDYES);
  host_.queueAnswer(IDNO);
  host_.queueAnswer(IDYES);
  host_.queueFile(adif(1));
  kswin::chooseMenuItem(window, menu::kAdif);
  EXPECT_EQ(boxTexts().back(), "Error starting no-such-editor-here.");
  finish(window);
}

}  // namespace
}  // namespace ksimport
