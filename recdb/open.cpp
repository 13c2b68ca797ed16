// Opening a database: reading its dictionary, attaching its files on one
// connection, preparing the statements; and closing it.
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "base/paths.h"
#include "engine.h"

namespace recdb {

namespace {

constexpr std::size_t kMaxDictionary = 4 << 20;
// Page cache per attached file, in KiB: enough for the hot pages of every
// key while inserting, small enough that a process stays well under 64 MiB.
constexpr int kDataCacheKiB = 4096;
constexpr int kKeyCacheKiB = 32768;

constexpr sqlite3_int64 kHeapLimit = 44ll << 20;

std::atomic<std::uint64_t> nextSerial{1};

}  // namespace

int readDictionary(const std::string& dictionary, Schema& schema,
                   std::array<std::string, kFileSlots>& names, std::string& error) {
  std::ifstream in(dictionary, std::ios::binary);
  if (!in) {
    error = "cannot read " + dictionary;
    return RECDB_E_DICT;
  }
  std::vector<std::uint8_t> bytes;
  bytes.reserve(4096);
  char chunk[4096];
  while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
    bytes.insert(bytes.end(), chunk, chunk + in.gcount());
    if (bytes.size() > kMaxDictionary) {
      error = dictionary + " is too large for a dictionary";
      return RECDB_E_DICT;
    }
  }
  int rc = decodeDictionary(bytes, schema, names, error);
  if (rc != RECDB_OK) error = dictionary + ": " + error;
  return rc;
}

int Database::open(const std::string& name, std::unique_ptr<Database>& out, std::string& error) {
  std::string dictionary = ksbase::mapPath(name + ".DBD");
  std::unique_ptr<Database> db(new Database);
  if (int rc = DatabaseLock::acquire(dictionary, db->lock_, error); rc != RECDB_OK) return rc;
  std::array<std::string, kFileSlots> names;
  int rc = readDictionary(dictionary, db->schema_, names, error);
  if (rc != RECDB_OK) return rc;
  std::size_t slash = dictionary.rfind('/');
  std::string dir = slash == std::string::npos ? "" : dictionary.substr(0, slash + 1);
  for (int i = 0; i < kFileSlots; ++i) {
    if (names[i].empty()) continue;
    db->paths_[i] = ksbase::mapPath(dir + names[i]);
    struct stat st {};
    if (::stat(db->paths_[i].c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
      error = "missing file " + db->paths_[i];
      return RECDB_E_FILE;
    }
    // SQLite would take an empty file for a new database and fill it with
    // empty tables: a file that lost its contents must not look whole.
    if (st.st_size == 0) {
      error = db->paths_[i] + " is empty";
      return RECDB_E_FILE;
    }
  }

  // One ceiling over every page cache of the process: each file may take
  // much of it while it is the busy one, and all together stay bounded.
  if (sqlite3_soft_heap_limit64(-1) == 0) sqlite3_soft_heap_limit64(kHeapLimit);
  rc = sqlite3_open_v2(db->paths_[0].c_str(), &db->db_,
                       SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    error = "cannot open " + db->paths_[0];
    return RECDB_E_FILE;
  }
  sqlite3_busy_timeout(db->db_, 5000);
  std::string setup;
  for (int i = 0; i < kFileSlots; ++i) {
    if (names[i].empty()) continue;
    std::string as = schemaName(i);
    if (i != 0) {
      char* sql = sqlite3_mprintf("ATTACH DATABASE %Q AS %s;", db->paths_[i].c_str(), as.c_str());
      rc = sqlite3_exec(db->db_, sql, nullptr, nullptr, nullptr);
      sqlite3_free(sql);
      if (rc != SQLITE_OK) {
        error = "cannot open " + db->paths_[i];
        return RECDB_E_FILE;
      }
    }
    int cache = db->schema_.keyFile[i] ? kKeyCacheKiB : kDataCacheKiB;
    setup += "PRAGMA " + as + ".cache_size=-" + std::to_string(cache) + ";PRAGMA " + as +
             ".synchronous=NORMAL;PRAGMA " + as + ".journal_mode=DELETE;";
  }
  rc = sqlite3_exec(db->db_, setup.c_str(), nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) {
    error = db->paths_[0] + ": " + sqlite3_errmsg(db->db_);
    return rc == SQLITE_BUSY || rc == SQLITE_LOCKED ? RECDB_E_BUSY : RECDB_E_FILE;
  }
  // Every table the schema puts in a file must be there: a file that is
  // not a database, or lost tables, is refused rather than made anew.
  for (int i = 0; i < kFileSlots; ++i) {
    if (names[i].empty()) continue;
    std::vector<std::string> tables = fileTables(db->schema_, i);
    std::string sql = "SELECT count(*) FROM " + schemaName(i) +
                      ".sqlite_master WHERE type = 'table' AND name IN (";
    for (std::size_t t = 0; t < tables.size(); ++t) sql += (t ? ",'" : "'") + tables[t] + "'";
    sql += ")";
    sqlite3_stmt* stmt = nullptr;
    rc = sqlite3_prepare_v2(db->db_, sql.c_str(), -1, &stmt, nullptr);
    if (rc == SQLITE_OK) rc = sqlite3_step(stmt);
    const bool whole =
        rc == SQLITE_ROW && sqlite3_column_int64(stmt, 0) == static_cast<sqlite3_int64>(tables.size());
    sqlite3_finalize(stmt);
    if (!whole) {
      error = db->paths_[i] + ": " +
              (rc == SQLITE_ROW ? std::string("tables missing") : sqlite3_errmsg(db->db_));
      return rc == SQLITE_BUSY || rc == SQLITE_LOCKED ? RECDB_E_BUSY : RECDB_E_FILE;
    }
  }
  rc = db->prepareAll();
  if (rc != RECDB_OK) {
    error = std::string("cannot prepare the database: ") + sqlite3_errmsg(db->db_);
    return rc;
  }
  if (const char* batch = std::getenv("RECDB_BATCH")) {
    int writes = 0, ms = 0;
    if (std::sscanf(batch, "%d,%d", &writes, &ms) == 2 && writes > 0 && ms > 0) {
      db->batchWrites_ = writes;
      db->batchTime_ = std::chrono::milliseconds(ms);
    }
  }
  db->serial_ = nextSerial.fetch_add(1);
  out = std::move(db);
  return RECDB_OK;
}

int Database::prepareAll() {
  std::size_t largest = 0;
  for (const Record& r : schema_.records) largest = std::max<std::size_t>(largest, r.size);
  scratch_.assign(largest, 0);
  createdBytes_.assign(largest, 0);
  for (int i = 0; i < kFileSlots; ++i) {
    if (!schema_.dataFile[i]) continue;
    const std::string t = schemaName(i) + ".records";
    DataFile& d = data_[i];
    if (d.insert.prepare(db_, "INSERT INTO " + t + "(type, data) VALUES(?1, ?2)") ||
        d.read.prepare(db_, "SELECT type, data FROM " + t + " WHERE id = ?1") ||
        d.update.prepare(db_, "UPDATE " + t + " SET data = ?2 WHERE id = ?1") ||
        d.remove.prepare(db_, "DELETE FROM " + t + " WHERE id = ?1") ||
        d.scan.prepare(db_, "SELECT id, data FROM " + t + " WHERE type = ?2 AND id > ?1 ORDER BY id"))
      return RECDB_E_FILE;
  }
  keys_ = std::vector<Key>(schema_.keys.size());
  createdKeys_.assign(keys_.size(), false);
  for (std::size_t i = 0; i < keys_.size(); ++i) {
    Key& k = keys_[i];
    k.field = &schema_.fields[schema_.keys[i]];
    k.deferred = k.field->key == KeyKind::Duplicate;
    const std::string t = schemaName(k.field->keyFile) + ".key_" + std::to_string(k.field->number);
    const std::string r = schemaName(schema_.records[k.field->record].file) + ".records";
    std::string many = "INSERT OR IGNORE INTO " + t + "(value, addr) VALUES(?,?)";
    for (int row = 1; row < kFlushRows; ++row) many += ",(?,?)";
    if (k.insert.prepare(db_, "INSERT INTO " + t + "(value, addr) VALUES(?1, ?2)") ||
        k.insertMany.prepare(db_, many) ||
        k.remove.prepare(db_, "DELETE FROM " + t + " WHERE value = ?1 AND addr = ?2") ||
        k.exists.prepare(db_, "SELECT 1 FROM " + t + " WHERE value = ?1 AND addr = ?2") ||
        k.holder.prepare(db_, "SELECT addr FROM " + t + " WHERE value = ?1 AND addr <> ?2 LIMIT 1") ||
        k.addresses.prepare(db_, "SELECT addr FROM " + t) ||
        k.run.prepare(db_, "SELECT k.value, k.addr, r.data FROM " + t + " AS k LEFT JOIN " + r +
                               " AS r ON r.id = (k.addr & 16777215)"
                               " WHERE k.value = ?1 AND k.addr > ?2 ORDER BY k.addr") ||
        k.after.prepare(db_, "SELECT k.value, k.addr, r.data FROM " + t + " AS k LEFT JOIN " + r +
                                 " AS r ON r.id = (k.addr & 16777215)"
                                 " WHERE k.value > ?1 ORDER BY k.value, k.addr"))
      return RECDB_E_FILE;
  }
  if (begin_.prepare(db_, "BEGIN") || beginImmediate_.prepare(db_, "BEGIN IMMEDIATE") ||
      commit_.prepare(db_, "COMMIT") || rollback_.prepare(db_, "ROLLBACK") ||
      probe_.prepare(db_, "SELECT 1 FROM main.sqlite_master LIMIT 1"))
    return RECDB_E_FILE;
  return RECDB_OK;
}

Database::~Database() { close(); }

int Database::close() {
  if (db_ == nullptr) return RECDB_OK;
  int rc = commit();
  release();
  for (DataFile& d : data_) d = DataFile{};
  keys_.clear();
  currentRow_ = nullptr;
  begin_ = Statement{};
  beginImmediate_ = Statement{};
  commit_ = Statement{};
  rollback_ = Statement{};
  probe_ = Statement{};
  sqlite3_close_v2(db_);  // rolls back whatever could not be committed
  db_ = nullptr;
  lock_.reset();
  return rc;
}
}  // namespace recdb
