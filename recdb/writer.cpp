// Compiles a schema into its dictionary and creates the database's empty files.
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "base/paths.h"
#include "engine.h"
#include "lock.h"
#include "recdb.h"
#include "schema.h"

namespace recdb {

namespace {

bool exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

std::string directoryOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

// Creates `path` as a database holding the (empty) tables of file `file`.
int createFile(const Schema& schema, int file, const std::string& path, std::string& error) {
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                           nullptr);
  if (rc == SQLITE_OK) {
    // Key files take small pages: inserts land all over a key, and small
    // pages keep the pages they touch in less memory.
    std::string sql = schema.keyFile[file] ? "PRAGMA page_size=4096;" : "";
    sql += "BEGIN;" + fileTablesSql(schema, file, "main") + "COMMIT;";
    rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
  }
  if (rc != SQLITE_OK) error = "cannot create " + path + ": " + sqlite3_errmsg(db);
  sqlite3_close(db);
  return rc == SQLITE_OK ? RECDB_OK : RECDB_E_IO;
}

// Whether `path` is a database holding every table of file `file`.
bool isWhole(const Schema& schema, int file, const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size == 0) return false;
  sqlite3* db = nullptr;
  bool whole = false;
  // Read-write, as the engine opens it: a killed writer's journal is rolled
  // back first, where a read-only look would take the file for damaged.
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
    whole = true;
    for (const std::string& table : fileTables(schema, file)) {
      sqlite3_stmt* stmt = nullptr;
      const std::string sql = "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1";
      whole = whole && sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK &&
              sqlite3_bind_text(stmt, 1, table.c_str(), -1, SQLITE_TRANSIENT) == SQLITE_OK &&
              sqlite3_step(stmt) == SQLITE_ROW;
      sqlite3_finalize(stmt);
    }
  }
  sqlite3_close(db);
  return whole;
}

}  // namespace

int repairKeyFiles(const std::string& name, std::vector<std::string>& repaired,
                   std::string& error) {
  const std::string dictionary = ksbase::mapPath(name + ".DBD");
  Schema schema;
  std::array<std::string, kFileSlots> names;
  if (int rc = readDictionary(dictionary, schema, names, error); rc != RECDB_OK) return rc;
  const std::string dir = directoryOf(dictionary);
  for (int i = 0; i < kFileSlots; ++i) {
    if (names[i].empty() || !schema.keyFile[i] || schema.dataFile[i]) continue;
    const std::string path = ksbase::mapPath(dir + names[i]);
    if (isWhole(schema, i, path)) continue;
    // A file another program has open is never replaced under it.
    if (long holder = lockHolder(dictionary, false); holder != 0) {
      error = dictionary + " is open in " +
              (holder > 0 ? describeProcess(holder) : std::string("another program"));
      return RECDB_E_BUSY;
    }
    // Made whole under another name, then put in place.
    const std::string temporary = path + ".new";
    ::unlink(temporary.c_str());
    ::unlink((temporary + "-journal").c_str());
    if (int rc = createFile(schema, i, temporary, error); rc != RECDB_OK) {
      ::unlink(temporary.c_str());
      return rc;
    }
    ::unlink((path + "-journal").c_str());
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
      error = "cannot replace " + path;
      ::unlink(temporary.c_str());
      return RECDB_E_IO;
    }
    repaired.push_back(path);
  }
  return RECDB_OK;
}

int writeDatabase(const SchemaDef& def, const std::string& dictionaryPath,
                  const std::array<std::string, kFileSlots>& fileNames, bool replace,
                  std::string& error) {
  Schema schema = compileSchema(def, error);
  if (!error.empty()) {
    error = std::string(def.name ? def.name : "schema") + ": " + error;
    return RECDB_E_DICT;
  }
  const std::string dir = directoryOf(dictionaryPath);
  std::array<std::string, kFileSlots> paths;
  for (int i = 0; i < kFileSlots; ++i) {
    bool used = schema.dataFile[i] || schema.keyFile[i];
    if (used != !fileNames[i].empty() || fileNames[i].find('/') != std::string::npos ||
        fileNames[i].size() >= kSlotSize) {
      error = "file " + std::to_string(i) + " is not named as the schema needs";
      return RECDB_E_ARG;
    }
    if (used) paths[i] = dir + fileNames[i];
  }
  if (!replace) {
    for (const std::string& path : paths) {
      if (path.empty() || !exists(path)) continue;
      error = path + " exists";
      return RECDB_E_BUSY;
    }
    if (exists(dictionaryPath)) {
      error = dictionaryPath + " exists";
      return RECDB_E_BUSY;
    }
  }
  for (int i = 0; i < kFileSlots; ++i) {
    if (paths[i].empty()) continue;
    ::unlink(paths[i].c_str());
    ::unlink((paths[i] + "-journal").c_str());
    int rc = createFile(schema, i, paths[i], error);
    if (rc != RECDB_OK) return rc;
  }
  // The dictionary goes in last and whole, so a database without one was
  // never finished.
  std::vector<std::uint8_t> bytes = encodeDictionary(schema, fileNames);
  std::string temporary = dictionaryPath + ".new";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) {
      error = "cannot write " + temporary;
      ::unlink(temporary.c_str());
      return RECDB_E_IO;
    }
  }
  if (std::rename(temporary.c_str(), dictionaryPath.c_str()) != 0) {
    error = "cannot write " + dictionaryPath;
    ::unlink(temporary.c_str());
    return RECDB_E_IO;
  }
  return RECDB_OK;
}

}  // namespace recdb
