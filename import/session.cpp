#include "session.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "base/fields.h"
#include "detail/tally.h"
#include "funct/ksfunct.h"
#include "strings.h"
#include "recdb/recdb.h"
#include "winlayer/winlayer.h"

namespace ksimport {
namespace {

std::string fileBeside(const std::string& path, const char* extension) {
  char name[KS_MAKEFILENAME_MAX + 1] = {};
  MakeFileName(path.c_str(), extension, name);
  return name;
}

bool ask(HWND window, int id, const char* caption) {
  return MessageBox(window, message(id), caption,
                    MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

}  // namespace

template <class Tally, class Key>
const Tally* LogbookTallies::find(std::map<Key, std::optional<Tally>>& cache, const Key& key,
                                  long field, const void* value) {
  auto [at, added] = cache.try_emplace(key);
  if (added) {
    Tally tally{};
    if (dbKeyFind(field, value, task_, 0) == RECDB_OK && dbRecordRead(&tally, task_, 0) == RECDB_OK)
      at->second = tally;
  }
  return at->second ? &*at->second : nullptr;
}

const CountryTally* LogbookTallies::country(const char* prefix) {
  char key[sizeof CountryTally::prefix];
  ksbase::putField(key, prefix);
  return find(countries_, std::string(key), logfield::kCountryTallyPrefix, key);
}

const ZoneTally* LogbookTallies::zone(int cqZone) {
  const int16_t key = static_cast<int16_t>(cqZone);
  return find(zones_, cqZone, logfield::kZoneTallyZone, &key);
}

const StateTally* LogbookTallies::state(const char* state) {
  char key[sizeof StateTally::state];
  ksbase::putField(key, state);
  return find(states_, std::string(key), logfield::kStateTallyState, key);
}

const GridTally* LogbookTallies::grid(const char* grid) {
  char key[sizeof GridTally::grid] = {};
  std::memcpy(key, grid, std::min(std::strlen(grid), sizeof key));
  return find(grids_, std::string(key, sizeof key), logfield::kGridTallyGrid, key);
}

ImportSession::ImportSession(HWND window, DB_TASK* task, ImportFrame& frame, Importer importer,
                             const ImporterTexts& texts)
    : window_(window), task_(task), frame_(frame), importer_(importer), texts_(texts),
      tallies_(task) {}

ImportSession::~ImportSession() { closeFiles(); }

void ImportSession::warn(int id, const std::string& file, const char* caption) {
  MessageBox(window_, messageWith(id, file).c_str(), caption, MB_OK | MB_ICONWARNING);
}

void ImportSession::closeFiles() {
  if (errorLog_) std::fclose(errorLog_);
  if (report_) std::fclose(report_);
  errorLog_ = report_ = nullptr;
}

bool ImportSession::begin(const std::string& importedFile) {
  errorLogName_ = fileBeside(importedFile, "ERR");
  errorLog_ = errorLogName_.empty() ? nullptr : std::fopen(errorLogName_.c_str(), "wb");
  if (!errorLog_) {
    warn(16, errorLogName_, "Error Log");
    return false;
  }
  bool wantReport = false;
  switch (importer_) {
    case Importer::Adif:
      wantReport = reportAsked_ = ask(window_, 123, "Value Report");
      break;
    case Importer::Ct:
    case Importer::Rtty:
      wantReport = true;
      break;
    case Importer::Other:
      break;
  }
  if (wantReport) {
    reportName_ = fileBeside(importedFile, "VAL");
    report_ = reportName_.empty() ? nullptr : std::fopen(reportName_.c_str(), "wb");
    if (!report_) {
      warn(16, reportName_, "Award Value File");
      closeFiles();
      return false;
    }
    // A few hundred bytes a contact: written in large blocks.
    std::setvbuf(report_, nullptr, _IOFBF, 1 << 16);
  }
  switch (importer_) {
    case Importer::Adif: tagForLabels_ = ask(window_, 77, "Tags for Labels"); break;
    case Importer::Ct: tagForLabels_ = ask(window_, 47, "Tags for Labels"); break;
    case Importer::Rtty: tagForLabels_ = ask(window_, 72, "Tags for Labels"); break;
    case Importer::Other: break;
  }
  // The contacts go in batches committed at least once a second; what a
  // kill loses is at most the last of them.
  if (dbBulkBegin(task_, 0) != RECDB_OK) {
    dbFailure();
    closeFiles();
    MessageBox(window_, message(21), "Import", MB_OK);
    return false;
  }
  storedBefore_ = dbStoredCount(task_, 0);
  frame_.showProgress(true);
  frame_.console(message(texts_.beginning));
  return true;
}

long ImportSession::stored() const {
  const long now = dbStoredCount(task_, 0);
  return now < 0 || storedBefore_ < 0 ? 0 : now - storedBefore_;
}

void ImportSession::dbFailure() {
  const std::string why = dbLastError();
  if (!why.empty()) frame_.console(why + "\n");
}

void ImportSession::reportStored() {
  char line[128];
  std::snprintf(line, sizeof line, message(kStoredMessage), stored());
  frame_.console(line);
}

bool ImportSession::storeKeys(const LogRecord& r) {
  long keys[7];
  int count = 0;
  if (isUSA(r.prefix) && isState(r.state)) {
    keys[count++] = logfield::kState;
    keys[count++] = logfield::kStateMode;
    keys[count++] = logfield::kBandState;
  }
  if (r.tagged) keys[count++] = logfield::kTagged;
  if (r.grid[0] != '\0' && isVHFUHF(r.band)) {
    keys[count++] = logfield::kGrid;
    keys[count++] = logfield::kBandGrid;
  }
  if (r.countyNumber > 0) keys[count++] = logfield::kCountyNumber;
  for (int i = 0; i < count; ++i)
    if (dbKeyStore(keys[i], task_, 0) != RECDB_OK) return false;
  return true;
}

bool ImportSession::complete(const LogRecord& record, std::span<const int> errors,
                             const std::string* errorLine) {
  ++recordsRead_;
  frame_.progress(recordsRead_);
  if (!errors.empty()) {
    ++recordsInError_;
    const std::string entry =
        errorLine ? errorLogEntry(*errorLine, errors) : errorLogEntry(record, errors);
    if (std::fwrite(entry.data(), 1, entry.size(), errorLog_) != entry.size() ||
        std::fflush(errorLog_) != 0) {
      warn(18, errorLogName_, nullptr);
      return false;
    }
    return true;
  }
  if (report_) {
    const std::string lines = rateContact(record, tallies_);
    std::fwrite(lines.data(), 1, lines.size(), report_);  // a failed rating ends silently
  }
  if (dbRecordCreate(kLogRecordType, &record, task_, 0) != RECDB_OK || !storeKeys(record)) {
    frame_.console(message(texts_.error));
    dbFailure();
    closeFiles();
    MessageBox(window_, message(21), "Import", MB_OK);
    return false;
  }
  return true;
}

void ImportSession::abandon() {
  closeFiles();
  frame_.showProgress(false);
  // What went in before the failure is kept, and said.
  if (dbBulkEnd(task_, 0) != RECDB_OK) dbFailure();
  reportStored();
}

bool ImportSession::end(bool cancelled, const LogHeader* header, bool cutShort) {
  const bool reportWritten = report_ != nullptr;
  closeFiles();
  frame_.showProgress(false);
  // Nothing is said stored before it is.
  if (dbBulkEnd(task_, 0) != RECDB_OK) {
    frame_.console(message(texts_.error));
    dbFailure();
    reportStored();
    MessageBox(window_, message(21), "Import", MB_OK);
    return false;
  }
  if (cancelled) {
    frame_.console(message(texts_.cancelled));
    reportStored();
    MessageBox(window_, message(15), "Import Aborted", MB_OK | MB_ICONWARNING);
    return true;
  }
  const long imported = stored();
  frame_.rebuildKeys();
  if (header) {
    LogHeader found{};
    const char marker[4] = {'X', 'X', 'X', '\0'};
    if (dbKeyFind(logfield::kHeaderMarker, marker, task_, 0) == RECDB_OK &&
        dbRecordRead(&found, task_, 0) == RECDB_OK &&
        dbRecordWrite(header, task_, 0) != RECDB_OK) {
      frame_.console(message(texts_.error));
      dbFailure();
      reportStored();
      MessageBox(window_, message(21), "Import", MB_OK);
      return false;
    }
  }
  // The main program brings the award tallies up to date once an import
  // is in; each contact was rated above against the tallies as they were.
  kstally::recomputeTallies(task_);
  frame_.console(message(cutShort ? texts_.error : texts_.complete));
  if (!frame_.reopenDatabases()) return false;

  char summary[512];
  if (recordsInError_ > 0) {
    std::snprintf(summary, sizeof summary, message(20), imported, recordsInError_,
                  errorLogName_.c_str());
  } else {
    std::snprintf(summary, sizeof summary, message(19), imported);
    KSDeleteFile(errorLogName_.c_str());
  }
  frame_.console(summary);

  const bool asked = importer_ != Importer::Adif || reportAsked_;
  if (reportWritten && imported > 0 && asked &&
      MessageBox(window_, message(48), "Value Report", MB_YESNO | MB_ICONQUESTION) == IDYES)
    frame_.showReport(reportName_);
  return true;
}

long FindCounty(DB_TASK* task, const char* state, const char* county) {
  CountyRecord key{};
  std::memcpy(key.state, state, std::min<size_t>(std::strlen(state), sizeof key.state));
  for (size_t i = 0; i < sizeof key.county - 1 && county[i] != '\0'; ++i)
    key.county[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(county[i])));
  dbSelect(2, task);
  DB_ADDR address = -1;
  const bool found = dbKeyFind(reffield::kCountyKey, &key, task, 2) == RECDB_OK &&
                     dbCurrentGet(&address, task, 2) == RECDB_OK;
  dbSelect(0, task);
  return found ? address : -1;
}

}  // namespace ksimport
