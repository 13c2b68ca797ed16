// The import program's logbook management: new, open, close, rename, the
// upgrade of old logbooks, and reopening after an import.
#include <limits.h>
#include <strings.h>
#include <unistd.h>

#include <array>
#include <cctype>
#include <cstdio>
#include <string>

#include "funct/ksfunct.h"
#include "schema/logschema.h"
#include "programstate.h"
#include "strings.h"
#include "prefix/ksprefix.h"
#include "recdb/recdb.h"
#include "winlayer/winlayer.h"

namespace ksimport::app {
namespace {

constexpr int kDat = 1;  // position of ".DAT" among the six files

// A logbook's path without its extension, its upper-case name and its six
// files. Paths keep the case the user gave: on this system it names another
// file otherwise.
struct LogbookNames {
  std::string base, name;
  std::array<std::string, 6> files;
};

LogbookNames namesOf(const std::string& path) {
  LogbookNames names;
  const size_t slash = path.find_last_of("/\\");
  const size_t start = slash == std::string::npos ? 0 : slash + 1;
  const size_t dot = path.rfind('.');
  names.base = dot != std::string::npos && dot > start ? path.substr(0, dot) : path;
  names.name = names.base.substr(start);
  for (char& c : names.name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (size_t i = 0; i < names.files.size(); ++i) names.files[i] = names.base + kLogExtensions[i];
  return names;
}

std::string directoryOf(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? "." : path.substr(0, slash + 1);
}

std::string skeleton(int which) { return state().settings.dictPath + kLogSkeletons[which]; }

bool ask(int id, const std::string& file, const char* caption, UINT extra = 0) {
  return MessageBox(state().window, messageWith(id, file).c_str(), caption,
                    MB_YESNO | MB_ICONQUESTION | extra) == IDYES;
}

// Whether another program has the logbook `base` open: then its files are
// neither replaced nor removed (the user is told who has it).
bool inUse(const std::string& base) {
  const long holder = dbInUse(base.c_str());
  if (holder <= 0) return false;
  char text[512];
  std::snprintf(text, sizeof text, message(kInUseMessage), base.c_str(), holder);
  MessageBox(state().window, text, nullptr, MB_OK | MB_ICONWARNING);
  return true;
}

void refuseReference() {
  MessageBox(state().window, message(115), nullptr, MB_OK | MB_ICONWARNING);
}

// The reference databases beside the open logbook (database 0): the
// country database, loaded into the prefix library, as 1 and the county
// database as 2. Without them the logbook is closed again.
bool openReferences() {
  ProgramState& s = state();
  int active = 0, deleted = 0;
  s.countryDb = OpenCountryDb(s.window, (s.settings.dictPath + "COUNTRY").c_str(), s.task, &active,
                              &deleted, s.countryHead);
  // Without the country database the county database would take its
  // number, and every contact would fail its prefix.
  if (s.countryDb == 0 || dbOpenAdd((s.settings.dictPath + "USCOUNTY").c_str(), s.task) != 0) {
    CloseCountryDb(s.task);
    s.countryDb = 0;
    dbClose(s.task);
    return false;
  }
  return true;
}

void forget() {
  ProgramState& s = state();
  s.logbookOpen = false;
  s.basePath.clear();
  s.baseName.clear();
  s.files = {};
}

// Makes the six files of a new logbook from the skeletons. The dictionary
// goes first and comes back last: a logbook whose making was cut short has
// none, so it is never taken for a whole one.
bool copySkeletons(const LogbookNames& names) {
  HWND window = state().window;
  if (FileExists(names.files[0].c_str()) && !KSDeleteFile(names.files[0].c_str())) return false;
  for (size_t i = 1; i < names.files.size(); ++i)
    if (!KSCopyFile(window, skeleton(static_cast<int>(i)).c_str(), names.files[i].c_str()))
      return false;
  return CopyDictionary(window, skeleton(0).c_str(), names.files[0].c_str()) != 0;
}

// The key builder: beside this program, else wherever the shell finds it.
std::string keyBuilder() {
  char self[PATH_MAX] = {};
  const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
  if (length > 0) {
    std::string beside = directoryOf(std::string(self, static_cast<size_t>(length))) + "keybuild";
    if (::access(beside.c_str(), X_OK) == 0) return beside;
  }
  return "keybuild";
}

// A logbook from before version 2 has a larger dictionary than the
// skeleton's. True when it was one (and the upgrade was offered).
bool offeredUpgrade(const LogbookNames& names) {
  HWND window = state().window;
  if (FileSize(window, names.files[0].c_str()) <= FileSize(window, skeleton(0).c_str()))
    return false;
  if (!ask(113, "", "V1.0 Database")) return true;
  MessageBox(window, message(114), "V2.0 Upgrade", MB_OK | MB_ICONWARNING);
  if (CopyDictionary(window, skeleton(0).c_str(), names.files[0].c_str()))
    startProgram(keyBuilder(), names.base, false);
  return true;
}

}  // namespace

bool isReferenceName(const std::string& path) {
  const std::string name = namesOf(path).name;
  return name == "USCOUNTY" || name == "QSLMGR" || name == "COUNTRY";
}

void openLogbook(const std::string& path, bool isNew) {
  ProgramState& s = state();
  if (isReferenceName(path)) {
    refuseReference();
    return;
  }
  const LogbookNames names = namesOf(path);
  if (s.logbookOpen && names.files[kDat] == s.files[kDat]) {
    reopenDatabases();
    return;
  }
  if (s.logbookOpen) {
    if (s.baseName == "NONAME") {
      if (renameLogbook() == 2) return;
      if (s.logbookOpen) closeLogbook();
    } else {
      if (!ask(1, s.baseName, "Logbook Open")) return;
      closeLogbook();
    }
  }
  if (isNew && inUse(names.base)) return;
  if (isNew && FileExists(names.files[kDat].c_str()) &&
      !ask(2, names.files[kDat], "Logbook Exists", MB_DEFBUTTON2))
    return;
  if (isNew && !copySkeletons(names)) return;
  dbSetPages(256, 8, s.task);
  if (offeredUpgrade(names)) return;

  if (dbOpen(names.base.c_str(), "o", s.task) != RECDB_OK) return;
  // An opened logbook's header is read by each import as it starts. It goes
  // in with the emptying, in one commit, so no logbook is ever without it.
  if (isNew) {
    bool made = dbBulkBegin(s.task, 0) == RECDB_OK;
    for (int file : kLogInitOrder) made = made && dbInitFile(file, s.task, 0) == RECDB_OK;
    LogHeader header = newLogHeader();
    made = made && dbRecordCreate(kLogHeaderType, &header, s.task, 0) == RECDB_OK;
    made = dbBulkEnd(s.task, 0) == RECDB_OK && made;
    if (!made) {
      const std::string why = dbLastError();
      MessageBox(s.window, (std::string(message(21)) + (why.empty() ? "" : "\n" + why)).c_str(),
                 nullptr, MB_OK | MB_ICONWARNING);
      dbClose(s.task);
      return;
    }
  }
  if (!openReferences()) return;
  s.logbookOpen = true;
  s.basePath = names.base;
  s.baseName = names.name;
  s.files = names.files;
  enableLogbookItems(true);
  SendMessage(s.window, kSetTitleMessage, 1, 0);
}

void closeLogbook() {
  ProgramState& s = state();
  forget();
  dbClose(s.task);
  CloseCountryDb(s.task);
  s.countryDb = 0;
  enableLogbookItems(false);
  SendMessage(s.window, kSetTitleMessage, 0, 0);
}

bool reopenDatabases() {
  ProgramState& s = state();
  if (!s.logbookOpen) return false;
  dbClose(s.task);
  CloseCountryDb(s.task);
  if (dbOpen(s.basePath.c_str(), "o", s.task) == RECDB_OK && openReferences()) return true;
  closeLogbook();
  return false;
}

int renameLogbook() {
  ProgramState& s = state();
  if (!ask(5, s.baseName, "Rename Logbook")) {
    if (s.baseName == "NONAME") closeLogbook();
    return 0;
  }
  std::string file;
  if (!askFile(true, "Rename Logbook", kLogbookFilter, "DAT", "", file)) return 2;
  if (isReferenceName(file)) {
    refuseReference();
    return 2;
  }
  const LogbookNames to = namesOf(file);
  if (to.files[kDat] == s.files[kDat]) {
    MessageBox(s.window, message(4), nullptr, MB_OK | MB_ICONWARNING);
    return 2;
  }
  if (inUse(s.basePath) || inUse(to.base)) return 2;
  const std::array<std::string, 6> from = s.files;
  closeLogbook();

  long needed = 0;
  for (const std::string& name : from) needed += FileSize(s.window, name.c_str());
  if (FreeDiskSpace(directoryOf(to.files[kDat]).c_str()) < needed) {
    MessageBox(s.window, message(3), nullptr, MB_OK | MB_ICONWARNING);
    return 2;
  }
  if (FileExists(to.files[kDat].c_str()) &&
      !ask(2, to.files[kDat], "Logbook Exists", MB_DEFBUTTON2))
    return 2;

  // The old files go only once every new one is whole; a copy that fails
  // takes back the new files it made and leaves the old logbook as it was.
  std::array<bool, 6> existed{};
  for (size_t i = 0; i < to.files.size(); ++i) existed[i] = FileExists(to.files[i].c_str()) != 0;
  bool copied = CopyDictionary(s.window, skeleton(0).c_str(), to.files[0].c_str()) != 0;
  for (size_t i = 1; copied && i < to.files.size(); ++i)
    copied = KSCopyFile(s.window, from[i].c_str(), to.files[i].c_str()) != 0;
  if (!copied) {
    for (size_t i = 0; i < to.files.size(); ++i)
      if (!existed[i]) KSDeleteFile(to.files[i].c_str());
    return 2;
  }
  for (const std::string& name : from) KSDeleteFile(name.c_str());
  s.files = to.files;
  s.basePath = to.base;
  s.baseName = to.name;
  return 1;
}

bool closeBeforeExit() {
  ProgramState& s = state();
  if (!s.logbookOpen) return true;
  if (s.baseName == "NONAME" && renameLogbook() == 2 && s.logbookOpen) return false;
  if (s.logbookOpen) closeLogbook();
  return true;
}

}  // namespace ksimport::app
