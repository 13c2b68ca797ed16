// The import program on the desktop host (Qt's offscreen platform), driven
// by synthetic clicks and keys as a person would: a new logbook through the
// menu and the file dialog, an import with its questions answered, and a
// second import cancelled from its progress dialog.
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>
#include <string>

#include "import/program.h"
#include "recdb/dbengine.h"
#include "recdb/recdb.h"
#include "schema/countrydb.h"
#include "schema/countyfile.h"
#include "schema/logschema.h"
#include "testing/tempdir.h"
#include "winlayer/qt/qthost.h"

namespace {

namespace fs = std::filesystem;
using ksimport::ImportEnd;

long contactsIn(const std::string& base) {
  DB_TASK* task = nullptr;
  long count = -1;
  if (dbOpenTask(&task) == RECDB_OK && dbOpen(base.c_str(), "o", task) == RECDB_OK) {
    count = 0;
    for (int rc = dbRecordFirst(kLogRecordType, task, 0); rc == RECDB_OK; rc = dbRecordNext(task, 0))
      ++count;
    dbClose(task);
  }
  if (task) dbCloseTask(task);
  return count;
}

std::string adif(const std::string& path, int contacts) {
  std::string text = "Test log\n<ADIF_VER:5>3.1.4 <EOH>\n";
  for (int i = 0; i < contacts; ++i)
    text += "<CALL:5>DL1AB <QSO_DATE:8>20240315 <TIME_ON:4>1200 <BAND:3>20M <MODE:2>CW <EOR>\n";
  kstest::writeFile(path, text);
  return path;
}

// Steps a person takes, each once what it waits for is on the screen.
class Person {
 public:
  using Step = std::function<bool()>;  // true: done, go on to the next
  void then(Step step) { steps_.push_back(std::move(step)); }
  bool done() const { return steps_.empty(); }
  void start() {
    timer_.setInterval(30);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      if (busy_ || steps_.empty()) return;
      busy_ = true;
      // A step may open a modal box whose own loop runs the next ones.
      Step step = steps_.front();
      if (step()) {
        steps_.pop_front();
        ++finished;
        if (std::getenv("KESTREL_TRACE_STEPS")) std::fprintf(stderr, "step %d done\n", finished);
      }
      busy_ = false;
    });
    timer_.start();
  }
  // Every message box is answered with its default button, and its text kept.
  std::vector<std::string> boxes;
  bool answerBoxes() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return false;
    boxes.push_back(box->text().toStdString());
    QTest::keyClick(box, Qt::Key_Return);
    return true;
  }

 private:
  std::deque<Step> steps_;
  QTimer timer_;
  bool busy_ = false;
  int finished = 0;
};

QAction* menuAction(QWidget* window, UINT id) {
  auto* bar = window->findChild<QMenuBar*>();
  if (bar == nullptr) return nullptr;
  for (QMenu* menu : bar->findChildren<QMenu*>())
    for (QAction* action : menu->actions())
      if (action->data().toUInt() == id && action->menu() == nullptr) return action;
  return nullptr;
}

// Types a path into the open file dialog and presses Return.
bool answerFileDialog(const std::string& path) {
  auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
  if (dialog == nullptr) return false;
  auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
  if (name == nullptr) return false;
  name->clear();
  // Without the completion list, which would take the first Return.
  name->setCompleter(nullptr);
  QTest::keyClicks(name, QString::fromStdString(path));
  // The dialog may still be filling itself in (and its proposed name with
  // it): typed again at the next look then.
  QApplication::processEvents();
  if (name->text() != QString::fromStdString(path)) return false;
  QTest::keyClick(name, Qt::Key_Return);
  return QApplication::activeModalWidget() != dialog;
}

TEST(ImportOnTheDesktop, NewLogbookImportAndCancelByClicksAndKeys) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  setenv("KESTREL_QUIET_DB", "1", 1);
  kstest::TempHome home;
  const std::string dict = home.path() + "/dict/";
  fs::create_directories(dict);
  std::string error;
  ASSERT_EQ(logschema::writeLogbookSkeletons(dict, error), RECDB_OK) << error;
  ASSERT_EQ(logschema::writeReferenceDatabase(logschema::country(), dict, "COUNTRY", error), 0);
  ASSERT_TRUE(countrytext::fillCountryDatabase(dict + "COUNTRY",
                                               std::string(KESTREL_DATA_DIR) + "/COUNTRY.TXT", error))
      << error;
  ASSERT_EQ(logschema::writeReferenceDatabase(logschema::county(), dict, "USCOUNTY", error), 0);
  kstest::writeFile(home.file("counties.txt"), "MA,MIDDLESEX\n");
  ASSERT_TRUE(ksschema::fillCountyDatabase(dict, home.file("counties.txt"), error)) << error;
  WritePrivateProfileString("Database", "DictPath", dict.c_str(), "KESTREL.INI");
  const std::string log = home.file("LOG");
  const std::string small = adif(home.file("small.adi"), 3);
  const std::string large = adif(home.file("large.adi"), 20000);

  kswin::QtHost host;
  kswin::ScopedHost scoped(host);
  std::string console;  // what the program typed into its console window
  ksimport::ProgramOptions options;
  options.consoleCopy = [&console](std::string_view text) { console += text; };
  HWND program = ksimport::startImportProgram(options);
  ASSERT_NE(program, nullptr);
  host.settle();
  QWidget* window = host.widgetOf(program);
  ASSERT_NE(window, nullptr);

  Person person;
  bool sawProgress = false;
  // File > New Logbook, the name typed into the dialog.
  person.then([&] {
    QAction* action = menuAction(window, ksimport::menu::kNewLogbook);
    if (action == nullptr || !action->isEnabled()) return false;
    action->trigger();
    return true;
  });
  person.then([&] { return answerFileDialog(log); });
  // Import > ADIF: the small file, every question answered.
  person.then([&] {
    QAction* action = menuAction(window, ksimport::menu::kAdif);
    if (std::getenv("KESTREL_TRACE_STEPS"))
      std::fprintf(stderr, "open '%s' action %p enabled %d popup %p modal %s\n",
                   ksimport::openLogbookPath().c_str(), static_cast<void*>(action),
                   action ? int(action->isEnabled()) : -1,
                   static_cast<void*>(QApplication::activePopupWidget()),
                   QApplication::activeModalWidget()
                       ? qPrintable(QApplication::activeModalWidget()->windowTitle() + " " +
                                    QApplication::activeModalWidget()->metaObject()->className())
                       : "");
    if (ksimport::openLogbookPath().empty() || action == nullptr || !action->isEnabled()) return false;
    action->trigger();
    return true;
  });
  person.then([&] { return answerFileDialog(small); });
  person.then([&] {
    person.answerBoxes();
    return ksimport::lastImportEnd() == ImportEnd::Completed;
  });
  // The large one, cancelled with the progress dialog's button.
  person.then([&] {
    menuAction(window, ksimport::menu::kAdif)->trigger();
    return true;
  });
  person.then([&] { return answerFileDialog(large); });
  person.then([&] {
    if (person.answerBoxes()) return false;  // its questions first
    HWND progress = FindWindow("#32770", nullptr);
    if (std::getenv("KESTREL_TRACE_STEPS"))
      std::fprintf(stderr, "progress %p visible %d end %d modal %s\n", static_cast<void*>(progress),
                   progress ? IsWindowVisible(progress) : -1, int(ksimport::lastImportEnd()),
                   QApplication::activeModalWidget()
                       ? qPrintable(QApplication::activeModalWidget()->windowTitle() + " " +
                                    QApplication::activeModalWidget()->metaObject()->className())
                       : "");
    if (progress == nullptr || !IsWindowVisible(progress)) return false;
    auto* cancel = qobject_cast<QPushButton*>(host.widgetOf(GetDlgItem(progress, IDCANCEL)));
    if (cancel == nullptr || !cancel->isVisible()) return false;
    sawProgress = true;
    QTest::mouseClick(cancel, Qt::LeftButton);
    return true;
  });
  person.then([&] {
    person.answerBoxes();
    return ksimport::lastImportEnd() == ImportEnd::Cancelled;
  });
  // The window's close box; the question whether to close the logbook is
  // answered with its default.
  person.then([&] {
    window->close();
    return true;
  });
  person.then([&] {
    person.answerBoxes();
    return false;  // until the program ends
  });
  person.start();
  ksimport::runImportProgram();

  EXPECT_TRUE(sawProgress);
  // The questions came as Qt's boxes and were answered there.
  EXPECT_GE(person.boxes.size(), 2u);
  EXPECT_EQ(ksimport::lastImportEnd(), ImportEnd::Cancelled);
  EXPECT_NE(console.find("No Errors.\n3 records imported."), std::string::npos) << console;
  EXPECT_NE(console.find("ADIF Import terminated at user request."), std::string::npos) << console;
  const long stored = contactsIn(log);
  EXPECT_GT(stored, 3);
  EXPECT_LT(stored, 20003);
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
