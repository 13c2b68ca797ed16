// kestrel setup: makes the settings and dictionary directories, the logbook
// skeletons, the reference databases and the settings file's defaults.
// Safe to run again: nothing the user made or changed is replaced.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "base/paths.h"
#include "commands.h"
#include "schema/countrydb.h"
#include "schema/countyfile.h"
#include "schema/iotadb.h"
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

const ReferenceDatabase referenceDatabases[] = {
    {"COUNTRY", logschema::country, fillCountry},
    {"USCOUNTY", logschema::county, fillCounties},
    {"QSLMGR", logschema::qslManager, nullptr},
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

  std::string error;
  if (logschema::writeLogbookSkeletons(dict, error) != RECDB_OK) return fail(error);
  std::printf("  wrote the logbook skeletons LOGDBD.SKL ... LOGK02.SKL\n");

  for (const ReferenceDatabase& ref : referenceDatabases) {
    if (referenceExists(dict, ref.name)) {
      std::printf("  kept %s (already there)\n", ref.name);
      continue;
    }
    if (logschema::writeReferenceDatabase(ref.schema(), dict, ref.name, error) != RECDB_OK)
      return fail(error);
    std::string message = "empty";
    if (ref.fill != nullptr && !ref.fill(dict, message))
      return fail(std::string(ref.name) + ": " + message);
    std::printf("  made %s (%s)\n", ref.name, message.c_str());
  }

  const std::string ini = ksbase::profilePath(kIni);
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
