// kestrel setup: makes the settings and dictionary directories, the logbook
// skeletons, the reference databases and the settings file's defaults.
// Safe to run again: nothing the user made or changed is replaced.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "base/paths.h"
#include "commands.h"
#include "schema/countrydb.h"
#include "schema/countyfile.h"
#include "schema/iotadb.h"
#include "schema/qsldb.h"
#include "schema/logschema.h"
#include "recdb/recdb.h"
#include "winlayer/host.h"

namespace kcli {
namespace {

namespace fs = std::filesystem;

constexpr const char* kIni = "KESTREL.INI";

// A reference database of the dictionary directory. `fill` loads a newly
// made (empty) one from the data shipped with the suite; null leaves it
// empty. A database that is already there is never touched.
struct ReferenceDatabase {
  const char* name;
  const recdb::SchemaDef& (*schema)();
  bool (*fill)(const std::string& dictDir, std::string& message);
};

// The shipped country list.
bool fillCountry(const std::string& dictDir, std::string& message) {
  const std::string file = ksbase::dataDirectory() + "/COUNTRY.TXT";
  return countrytext::fillCountryDatabase(dictDir + "/COUNTRY", file, message);
}

// The US counties.
bool fillCounties(const std::string& dictDir, std::string& message) {
  const std::string file = ksbase::dataDirectory() + "/uscounty.txt";
  if (!ksschema::fillCountyDatabase(dictDir, file, message)) return false;
  message = "the US counties of " + file;
  return true;
}

// The island groups.
bool fillIota(const std::string& dictDir, std::string& message) {
  const std::string file = ksbase::dataDirectory() + "/IOTA.TXT";
  return iotatext::fillIotaDatabase(dictDir + "/IOTA", file, message);
}

// The QSL managers of a public list (tools/qslconv).
bool fillQslManagers(const std::string& dictDir, std::string& message) {
  const std::string file = ksbase::dataDirectory() + "/QSLMGR.TXT";
  return qsltext::fillQslDatabase(dictDir + "/QSLMGR", file, message);
}

const ReferenceDatabase referenceDatabases[] = {
    {"COUNTRY", logschema::country, fillCountry},
    {"USCOUNTY", logschema::county, fillCounties},
    {"QSLMGR", logschema::qslManager, fillQslManagers},
    {"IOTA", logschema::iota, fillIota},
};

// The main program's settings that the suite reads, with their defaults.
struct Default {
  const char* section;
  const char* key;
  const char* value;
};
const Default settingDefaults[] = {
    {"Settings", "PowerLevel", "0"},
    {"Settings", "DateFormat", "0"},
    {"Settings", "TimeZone", "0"},
    {"Settings", "OtherZone", "15000"},
};

std::string readIni(const char* section, const char* key) {
  char value[1024] = {};
  GetPrivateProfileString(section, key, "", value, sizeof value, kIni);
  return value;
}

bool pathExists(const fs::path& path) {
  std::error_code ignored;
  return fs::exists(path, ignored);
}

bool referenceExists(const std::string& dir, const char* name) {
  for (const char* extension : {".DBD", ".DAT", ".KEY"})
    if (pathExists(fs::path(dir) / (std::string(name) + extension))) return true;
  return false;
}

// Whether the file `path`, when it is there, can be read to its end.
bool readable(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT;
  char block[4096];
  ssize_t n;
  while ((n = ::read(fd, block, sizeof block)) > 0 || (n < 0 && errno == EINTR)) {
  }
  ::close(fd);
  return n == 0;
}

// The records of database `base` (path without extension), or -1 with the
// reason when it cannot be opened or read.
long countRecords(const std::string& base, std::string& why) {
  DB_TASK* task = nullptr;
  if (dbOpenTask(&task) != RECDB_OK) return -1;
  long count = -1;
  if (int rc = dbOpen(base.c_str(), "o", task); rc != RECDB_OK) {
    why = dbLastError();
  } else {
    count = 0;
    int step = dbRecordFirst(10000, task, 0);
    for (; step == RECDB_OK; step = dbRecordNext(task, 0)) ++count;
    if (step != RECDB_END) {
      why = dbResultText(step);
      count = -1;
    }
  }
  dbCloseTask(task);
  return count;
}

// Moves the files `names` from `from` into `to`, in that order (the
// dictionary last: a database whose dictionary is missing was never
// finished), replacing what is there.
bool moveInto(const fs::path& from, const fs::path& to, const std::vector<std::string>& names,
              std::string& error) {
  for (const std::string& name : names) {
    if (!pathExists(from / name)) continue;
    if (std::rename((from / name).c_str(), (to / name).c_str()) != 0) {
      error = "cannot move " + name + " into " + to.string();
      return false;
    }
  }
  return true;
}

// A fresh directory inside the dictionary directory to make files in
// before they are whole.
fs::path workDirectory(const std::string& dict, const std::string& what) {
  fs::path work = fs::path(dict) / (".setup-" + what);
  std::error_code ignored;
  fs::remove_all(work, ignored);
  fs::create_directories(work, ignored);
  return work;
}

std::vector<std::string> filesOf(const std::string& name) {
  return {name + ".DAT", name + ".KEY", name + ".DBD"};
}

// Makes the reference database `ref` whole in a work directory, then moves
// it in. The files of a broken one are replaced.
bool makeReference(const std::string& dict, const ReferenceDatabase& ref, std::string& message) {
  const fs::path work = workDirectory(dict, ref.name);
  std::string error;
  message = "empty";
  bool made = logschema::writeReferenceDatabase(ref.schema(), work.string(), ref.name, error) ==
              RECDB_OK;
  if (!made) message = error;
  if (made && ref.fill != nullptr && !ref.fill(work.string(), message)) made = false;
  // The old dictionary goes first, so that no half-replaced database looks whole.
  if (made) {
    std::error_code ignored;
    fs::remove(fs::path(dict) / (std::string(ref.name) + ".DBD"), ignored);
    for (const char* extension : {".DAT-journal", ".KEY-journal"})
      fs::remove(fs::path(dict) / (std::string(ref.name) + extension), ignored);
    made = moveInto(work, dict, filesOf(ref.name), error);
    if (!made) message = error;
  }
  std::error_code ignored;
  fs::remove_all(work, ignored);
  return made;
}

int fail(const std::string& message) {
  std::fprintf(stderr, "kestrel setup: %s\n", message.c_str());
  return kFailed;
}

}  // namespace

int runSetup(std::span<char*> args) {
  const Command& command = *findCommand("setup");
  if (args.size() > 1) return usageError(command, "too many arguments");
  if (!args.empty() && args[0][0] == '-') return usageError(command, "unknown option");

  std::error_code ec;
  const fs::path settings = ksbase::settingsDirectory();
  fs::create_directories(settings, ec);
  if (ec) return fail("cannot make " + settings.string() + ": " + ec.message());
  // A settings file that cannot be read would look empty and be written
  // anew, losing the user's own sections.
  const std::string ini = ksbase::profilePath(kIni);
  if (!readable(ini))
    return fail("cannot read " + ini + "; it was left as it is. Make it readable (or move it "
                "away) and run kestrel setup again");

  // The dictionary directory: as given; else the one already configured;
  // else the default beside the settings.
  const std::string configured = readIni("Database", "DictPath");
  std::string dict;
  if (!args.empty())
    dict = fs::absolute(args[0], ec).lexically_normal().string();
  else if (!configured.empty() && configured != "Not Found")
    dict = configured;
  else
    dict = (settings / "dict").string();
  while (dict.size() > 1 && dict.back() == '/') dict.pop_back();
  fs::create_directories(dict, ec);
  if (ec) return fail("cannot make " + dict + ": " + ec.message());
  std::printf("dictionary directory %s\n", dict.c_str());

  // The skeletons are made whole aside and moved in, the dictionary last.
  std::string error;
  {
    const fs::path work = workDirectory(dict, "skeletons");
    std::vector<std::string> skeletons(std::begin(kLogSkeletons) + 1, std::end(kLogSkeletons));
    skeletons.push_back(kLogSkeletons[0]);
    const bool made = logschema::writeLogbookSkeletons(work.string(), error) == RECDB_OK &&
                      moveInto(work, dict, skeletons, error);
    fs::remove_all(work, ec);
    if (!made) return fail(error);
  }
  std::printf("  wrote the logbook skeletons LOGDBD.SKL ... LOGK02.SKL\n");

  for (const ReferenceDatabase& ref : referenceDatabases) {
    const std::string base = dict + "/" + ref.name;
    std::string why;
    if (referenceExists(dict, ref.name)) {
      // Kept only when it opens, reads to its end and, when it is one the
      // suite fills, holds records.
      const long records = countRecords(base, why);
      if (records > 0 || (records == 0 && ref.fill == nullptr)) {
        std::printf("  kept %s (already there, %ld records)\n", ref.name, records);
        continue;
      }
      if (records == 0) why = "no records";
      if (const long holder = dbInUse(base.c_str()); holder > 0)
        return fail(std::string(ref.name) + " is damaged (" + why + ") but open in process " +
                    std::to_string(holder) + "; close that program and run kestrel setup again");
    }
    std::string message;
    if (!makeReference(dict, ref, message)) return fail(std::string(ref.name) + ": " + message);
    if (why.empty())
      std::printf("  made %s (%s)\n", ref.name, message.c_str());
    else
      std::printf("  made %s anew (%s) in place of a damaged one (%s)\n", ref.name,
                  message.c_str(), why.c_str());
  }

  const std::string dictPath = dict + "/";
  if (configured != dictPath) {
    if (!WritePrivateProfileString("Database", "DictPath", dictPath.c_str(), kIni))
      return fail("cannot write " + ini);
    if (!configured.empty() && configured != "Not Found")
      std::printf("%s: DictPath was %s, now %s\n", ini.c_str(), configured.c_str(),
                  dictPath.c_str());
    else
      std::printf("%s: DictPath=%s\n", ini.c_str(), dictPath.c_str());
  }
  for (const Default& d : settingDefaults) {
    if (!readIni(d.section, d.key).empty()) continue;
    if (!WritePrivateProfileString(d.section, d.key, d.value, kIni))
      return fail("cannot write " + ini);
    std::printf("%s: %s=%s\n", ini.c_str(), d.key, d.value);
  }
  std::printf("ready: new logbooks are made from %s\n", dictPath.c_str());
  return kOk;
}

}  // namespace kcli
