// Finding the data set's directory and opening its files.
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "kit.h"
#include "strings.h"

extern char** environ;

namespace kitapi {
namespace {

constexpr std::size_t kLongestDirectory = 52;

std::string upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

bool endsWithKit(const std::string& entry) {
  if (entry.size() < 4) return false;
  const std::string tail = upper(entry.substr(entry.size() - 4));
  return tail == "\\KIT" || tail == "/KIT";
}

// The directory `name` stands for when KITDB1.DAT can be opened in it.
bool qualifies(const std::string& name, std::string& directory) {
  if (name.empty() || name.size() >= kLongestDirectory) return false;
  std::string candidate = upper(name);
  if (candidate.size() > 1 && (candidate.back() == '\\' || candidate.back() == '/'))
    candidate.pop_back();
  DataFile probe;
  if (!probe.open(candidate + "\\KITDB1.DAT", false)) return false;
  directory = candidate;
  return true;
}

// The value of the last entry of the environment that starts with one of
// `names` (each with its "="); false when there is none.
bool lastEnvironmentValue(std::initializer_list<const char*> names, std::string& value) {
  bool any = false;
  for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
    for (const char* name : names) {
      const std::size_t n = std::strlen(name);
      if (std::strncmp(*entry, name, n) == 0) {
        value = *entry + n;
        any = true;
      }
    }
  }
  return any;
}

std::vector<std::string> pathEntries() {
  std::vector<std::string> entries;
  std::string path;
  if (!lastEnvironmentValue({"PATH="}, path)) return entries;
  std::size_t start = 0;
  while (start <= path.size()) {
    // "C:\KIT" keeps its drive letter: the colon after a single letter at
    // the start of an entry, before a separator, is no separator.
    std::size_t from = start;
    if (from + 2 < path.size() && std::isalpha(static_cast<unsigned char>(path[from])) &&
        path[from + 1] == ':' && (path[from + 2] == '\\' || path[from + 2] == '/'))
      from += 2;
    std::size_t end = path.find_first_of(":;", from);
    if (end == std::string::npos) end = path.size();
    entries.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return entries;
}

std::string format(int id, const std::string& text) {
  const char* pattern = message(id);
  std::string out;
  for (const char* p = pattern; *p; ++p) {
    if (p[0] == '%' && p[1] == 's') {
      out += text;
      ++p;
    } else {
      out += *p;
    }
  }
  return out;
}

std::string versionMessage(int version, bool ve) {
  if (version > 2) return message(ve ? kNewerSoftwareVe : kNewerSoftware);
  if (version == 0) return message(ve ? kNewerDatabaseVe : kNewerDatabase);
  return {};
}

void takeFields(const std::uint8_t* at, std::array<FieldPlace, kFields>& fields) {
  for (std::size_t i = 0; i < kFields; ++i)
    fields[i] = {at[4 * i], at[4 * i + 1], at[4 * i + 2]};
}

// The second line of the header text: up to 24 characters, ending at the
// first control character.
std::string titleOf(const std::uint8_t* header, std::size_t size) {
  std::size_t i = 11;
  while (i < size && header[i] != '\n') ++i;
  std::string title;
  for (++i; i < size && title.size() < kTitleSize && header[i] >= 0x20; ++i)
    title += static_cast<char>(header[i]);
  return title;
}

bool openCountyFile(Module& m) {
  const std::string root = driveRootOf(m.directory);
  const std::string root3 = root.substr(0, 3);
  const std::string names[] = {m.directory + "\\KITDBZ.DAT", root3 + "KITCDDAT\\KITCD5.DAT",
                               root3 + "KITCDDAT\\KITDBZ.DAT"};
  for (const std::string& name : names) {
    if (!m.counties.open(name, m.keepFiles)) continue;
    std::uint8_t header[kZipHeaderSize];
    if (m.counties.readAll(0, header, sizeof header) && le16(header + 100) <= 600 &&
        le16(header + 104) <= 31)
      return true;
    m.counties.forget();
  }
  return false;
}

}  // namespace

Module& module() {
  static Module state;
  return state;
}

void closeFiles() {
  Module& m = module();
  for (DataFile* f : {&m.db1, &m.db2, &m.db3, &m.births, &m.counties, &m.veFile}) f->close();
}

void resetModule() {
  Module& m = module();
  const bool keep = m.keepFiles;
  for (DataFile* f : {&m.db1, &m.db2, &m.db3, &m.births, &m.counties, &m.veFile}) f->forget();
  m.watch.stop();
  m.found = false;
  m.directory.clear();
  m.title.clear();
  m.identity = {};
  m.us = {};
  m.ve = {};
  m.birthDays = m.countiesUsable = false;
  m.current = 0;
  m.caches = {};
  m.zipCached = false;
  m.lastZip = -1;
  m.lastCounty.clear();
  m.keepFiles = keep;
}

std::string openDataSet(const std::string& directory) {
  Module& m = module();
  const bool keep = m.keepFiles;
  // Watched from before the first file is read, so that no change slips
  // in between.
  if (keep) m.watch.start(directory);
  for (const char* name : {"1", "2", "3"}) {
    DataFile& file = name[0] == '1' ? m.db1 : name[0] == '2' ? m.db2 : m.db3;
    const std::string path = directory + "\\KITDB" + name + ".DAT";
    if (!file.open(path, keep)) return format(kCannotOpenFile, path);
  }

  std::uint8_t h1[kDb1HeaderSize];
  if (!m.db1.readAll(0, h1, sizeof h1)) return format(kCannotReadDb1, directory);
  RecordSet& us = m.us;
  us = {};
  us.recordSize = h1[144];
  takeFields(h1 + 148, us.fields);
  us.version = h1[132];
  if (std::string text = versionMessage(us.version, false); !text.empty()) return text;

  std::uint8_t h2[kDb2HeaderSize];
  if (!m.db2.readAll(0, h2, sizeof h2)) return format(kCannotReadDb2, directory);
  if (std::memcmp(h1, h2, kIdentitySize) != 0) return message(kOtherSetDb2);
  for (std::size_t i = 0; i < kFields; ++i) {
    us.base[i] = le32(h2 + 144 + 8 * i);
    us.split[i] = le32(h2 + 148 + 8 * i);
  }
  us.extended = h2[134] != 0;
  if (us.extended) {
    std::uint8_t table[kExtendedTableSize];
    if (!m.db2.readAll(us.base[0], table, sizeof table)) return format(kCannotReadDb2, directory);
    for (std::size_t i = 0; i < kFields; ++i) {
      us.base[i] = le32(table + 8 * i);
      us.split[i] = le32(table + 4 + 8 * i);
      us.alternate[i] = le32(table + 40 + 8 * i);
    }
  }
  std::uint8_t h3[kIdentitySize];
  if (!m.db3.readAll(0, h3, sizeof h3)) return format(kCannotReadDb3, directory);
  if (std::memcmp(h1, h3, kIdentitySize) != 0) return message(kOtherSetDb3);

  std::memcpy(m.identity.data(), h1, kIdentitySize);
  m.title = titleOf(h1, 128);
  us.records = &m.db1;
  us.dictionaries = &m.db2;
  us.districts = &m.db3;
  us.recordStart = kDb1HeaderSize;
  us.districtStart = kIdentitySize;
  us.available = true;

  m.birthDays = false;
  if (m.births.open(directory + "\\KITDBB.DAT", keep)) {
    std::uint8_t hb[kIdentitySize];
    m.birthDays = m.births.readAll(0, hb, sizeof hb) && std::memcmp(hb, h1, kSerialSize) == 0;
    if (!m.birthDays) m.births.forget();
  }

  m.directory = directory;
  m.countiesUsable = openCountyFile(m);

  m.ve = {};
  if (m.veFile.open(directory + "\\KITDBVE.DAT", keep)) {
    std::uint8_t hv[kVeHeaderSize];
    if (!m.veFile.readAll(0, hv, sizeof hv)) return format(kCannotReadVe, directory);
    RecordSet& ve = m.ve;
    ve.version = hv[132];
    if (std::string text = versionMessage(ve.version, true); !text.empty()) return text;
    ve.ve = true;
    ve.recordSize = hv[144];
    ve.dictionaryArea = le32(hv + 148);
    ve.districtStart = le32(hv + 152);
    takeFields(hv + 160, ve.fields);
    for (std::size_t i = 0; i < kFields; ++i) {
      ve.base[i] = le32(hv + 180 + 8 * i);
      ve.split[i] = le32(hv + 184 + 8 * i);
    }
    ve.records = ve.dictionaries = ve.districts = &m.veFile;
    ve.recordStart = kVeHeaderSize;
    ve.available = true;
  }
  return {};
}

std::string locateDataSet() {
  Module& m = module();
  std::string directory, value;
  bool qualified = false;
  if (lastEnvironmentValue({"KITDIR=", "WKITDIR="}, value)) qualified = qualifies(value, directory);
  const std::vector<std::string> entries = qualified ? std::vector<std::string>{} : pathEntries();
  for (const std::string& entry : entries)
    if (!qualified && endsWithKit(entry)) qualified = qualifies(entry, directory);
  for (const std::string& entry : entries)
    if (!qualified) qualified = qualifies(entry, directory);
  for (char letter = 'C'; letter <= 'Z' && !qualified; ++letter) {
    const std::string drive(1, letter);
    qualified = qualifies(drive + ":\\KIT", directory) || qualifies(drive + ":\\KITHD", directory);
  }
  if (!qualified) return message(kCannotFind);

  std::string problem = openDataSet(directory);
  if (!problem.empty()) {
    resetModule();
    return problem;
  }
  m.found = true;
  m.current = 0;
  m.caches = {};
  if (!m.keepFiles) closeFiles();
  return {};
}

}  // namespace kitapi
