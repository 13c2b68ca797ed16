// The path every importer's contacts take: the questions before an import,
// the error log, the award value report, storage with the optional keys, and
// the closing steps and messages.
#ifndef KESTREL_IMPORT_SESSION_H
#define KESTREL_IMPORT_SESSION_H

#include <cstdio>
#include <map>
#include <optional>
#include <span>
#include <string>

#include "recdb/dbengine.h"
#include "schema/logschema.h"
#include "import/valuereport.h"
#include "winlayer/wintypes.h"

namespace ksimport {

// What the import program around a session does for it.
class ImportFrame {
 public:
  virtual ~ImportFrame() = default;
  // Appends text to the program's console.
  virtual void console(const std::string& text) = 0;
  // Shows or removes the progress dialog (the main window is disabled while
  // it shows).
  virtual void showProgress(bool on) = 0;
  // Shows the running record count and lets pending messages through.
  virtual void progress(long records) = 0;
  // Whether the user pressed Cancel in the progress dialog.
  virtual bool cancelled() = 0;
  // Rebuilds the keys of the logbook.
  virtual void rebuildKeys() = 0;
  // Closes and reopens the logbook and the reference databases.
  virtual bool reopenDatabases() = 0;
  // Opens the value report in the user's editor; false (message 49 shown)
  // when it could not be started.
  virtual bool showReport(const std::string& path) = 0;
};

// Which importer runs: it decides the questions and the console lines.
enum class Importer { Adif, Ct, Rtty, Other };

struct ImporterTexts {
  int beginning, complete, error, cancelled;  // console message numbers
};

// Logbook tallies read through the engine (database 0 of the task). An
// import does not change them, so each is read once and kept.
class LogbookTallies : public TallySource {
 public:
  explicit LogbookTallies(DB_TASK* task) : task_(task) {}
  const CountryTally* country(const char* prefix) override;
  const ZoneTally* zone(int cqZone) override;
  const StateTally* state(const char* state) override;
  const GridTally* grid(const char* grid) override;

 private:
  template <class Tally, class Key>
  const Tally* find(std::map<Key, std::optional<Tally>>& cache, const Key& key, long field,
                    const void* value);

  DB_TASK* task_;
  std::map<std::string, std::optional<CountryTally>> countries_;
  std::map<int, std::optional<ZoneTally>> zones_;
  std::map<std::string, std::optional<StateTally>> states_;
  std::map<std::string, std::optional<GridTally>> grids_;
};

class ImportSession {
 public:
  ImportSession(HWND window, DB_TASK* task, ImportFrame& frame, Importer importer,
                const ImporterTexts& texts);
  ~ImportSession();
  ImportSession(const ImportSession&) = delete;
  ImportSession& operator=(const ImportSession&) = delete;

  // Creates the error log beside `importedFile`, asks the importer's
  // questions, creates the report when wanted, shows the progress dialog and
  // the start line. False when the import cannot go on (the message shown).
  bool begin(const std::string& importedFile);

  bool tagForLabels() const { return tagForLabels_; }

  // One finished contact: logged with its reasons when `errors` is not
  // empty, else rated (when a report is open) and stored with its keys.
  // False when the import must end (the message shown). `errorLine` is the
  // importer's own first line of a rejected contact's entry (the line as
  // read, or its fields); null for the ADIF line.
  bool complete(const LogRecord& record, std::span<const int> errors,
                const std::string* errorLine = nullptr);

  // Closes the files and finishes: `cancelled` by the user, or completed.
  // `header` is the logbook header read at the start (null when there was
  // none: then it is not written back). `cutShort` says the input could not
  // be read to its end: what was stored is kept and closed as usual, but the
  // console says the import ended on an error. False when what was read
  // could not all be stored (the console says how many contacts were).
  bool end(bool cancelled, const LogHeader* header, bool cutShort = false);

  // After complete() refused to go on: closes the files, removes the
  // progress dialog and says how many contacts are stored.
  void abandon();

  // Contacts of this import committed to the logbook so far.
  long stored() const;

  long recordsRead() const { return recordsRead_; }
  long recordsInError() const { return recordsInError_; }
  const std::string& errorLogName() const { return errorLogName_; }
  const std::string& reportName() const { return reportName_; }

 private:
  bool storeKeys(const LogRecord& record);
  void closeFiles();
  void warn(int message, const std::string& file, const char* caption);
  // Shows on the console what the engine said about its last failure.
  void dbFailure();
  void reportStored();

  HWND window_;
  DB_TASK* task_;
  ImportFrame& frame_;
  Importer importer_;
  ImporterTexts texts_;
  LogbookTallies tallies_;
  std::FILE* errorLog_ = nullptr;
  std::FILE* report_ = nullptr;
  std::string errorLogName_;
  std::string reportName_;
  bool reportAsked_ = false;
  bool tagForLabels_ = false;
  long recordsRead_ = 0;
  long recordsInError_ = 0;
  long storedBefore_ = -1;
};

// The database address of a county of the county database (database 2), or
// -1 when it is not there. Database 0 is selected again afterwards.
long FindCounty(DB_TASK* task, const char* state, const char* county);

}  // namespace ksimport

#endif
