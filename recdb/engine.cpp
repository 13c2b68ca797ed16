#include "engine.h"

#include <sys/stat.h>

#include "base/paths.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

namespace recdb {

namespace {

constexpr std::uint32_t kCurrencyMagic = 0x4B534342;  // "KSCB"
constexpr std::size_t kMaxDictionary = 4 << 20;
// Page cache per attached file, in KiB: enough for the hot pages of every
// key while inserting, small enough that a process stays well under 64 MiB.
constexpr int kDataCacheKiB = 4096;
constexpr int kKeyCacheKiB = 32768;

constexpr sqlite3_int64 kHeapLimit = 44ll << 20;

std::atomic<std::uint64_t> nextSerial{1};

std::string schemaName(int file) { return file == 0 ? "main" : "f" + std::to_string(file); }

bool isFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// A statement that is reset when the scope ends, whatever happens inside.
class Use {
 public:
  explicit Use(const Statement& s) : stmt_(s.get()) {}
  ~Use() { sqlite3_reset(stmt_); }
  Use(const Use&) = delete;
  Use& operator=(const Use&) = delete;
  sqlite3_stmt* operator*() const { return stmt_; }

 private:
  sqlite3_stmt* stmt_;
};

struct CurrencyHeader {
  std::uint32_t magic;
  std::uint32_t size;
  std::uint64_t serial;
  std::int32_t current;
  std::int32_t currentType;
  std::int32_t scanType;
  std::int32_t scanAddress;
  std::uint32_t keys;
};

struct CurrencyKey {
  std::uint32_t slot;
  std::int32_t address;
  std::uint32_t length;
};

}  // namespace

bool isCurrencyBlock(const void* block) {
  CurrencyHeader header;
  std::memcpy(&header, block, sizeof header);
  return header.magic == kCurrencyMagic;
}

int Database::open(const std::string& name, std::unique_ptr<Database>& out, std::string& error) {
  std::string dictionary = ksbase::mapPath(name + ".DBD");
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
  std::unique_ptr<Database> db(new Database);
  std::array<std::string, kFileSlots> names;
  int rc = decodeDictionary(bytes, db->schema_, names, error);
  if (rc != RECDB_OK) {
    error = dictionary + ": " + error;
    return rc;
  }
  std::size_t slash = dictionary.rfind('/');
  std::string dir = slash == std::string::npos ? "" : dictionary.substr(0, slash + 1);
  for (int i = 0; i < kFileSlots; ++i) {
    if (names[i].empty()) continue;
    db->paths_[i] = ksbase::mapPath(dir + names[i]);
    if (!isFile(db->paths_[i])) {
      error = "missing file " + db->paths_[i];
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
  // A file that is not a database shows itself at the first read.
  for (int i = 0; i < kFileSlots; ++i) {
    if (names[i].empty()) continue;
    std::string sql = setup + "BEGIN;" + fileTablesSql(db->schema_, i, schemaName(i)) + "COMMIT;";
    setup.clear();
    rc = sqlite3_exec(db->db_, sql.c_str(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
      sqlite3_exec(db->db_, "ROLLBACK", nullptr, nullptr, nullptr);
      error = db->paths_[i] + ": " + sqlite3_errmsg(db->db_);
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
        k.cursor.prepare(db_, "SELECT k.value, k.addr, r.data FROM " + t + " AS k LEFT JOIN " + r +
                                  " AS r ON r.id = (k.addr & 16777215)"
                                  " WHERE (k.value, k.addr) > (?1, ?2) ORDER BY k.value, k.addr"))
      return RECDB_E_FILE;
  }
  if (begin_.prepare(db_, "BEGIN") || commit_.prepare(db_, "COMMIT")) return RECDB_E_FILE;
  return RECDB_OK;
}

Database::~Database() { close(); }

int Database::close() {
  if (db_ == nullptr) return RECDB_OK;
  int rc = commit();
  for (DataFile& d : data_) d = DataFile{};
  keys_.clear();
  currentRow_ = nullptr;
  begin_ = Statement{};
  commit_ = Statement{};
  sqlite3_close_v2(db_);  // rolls back whatever could not be committed
  db_ = nullptr;
  return rc;
}

int Database::fail(int sqliteResult) {
  switch (sqliteResult & 0xFF) {
    case SQLITE_CONSTRAINT:
      return RECDB_DUPLICATE;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return RECDB_E_BUSY;
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
      return RECDB_E_FILE;
    default:
      return RECDB_E_IO;
  }
}

int Database::beginWrite(bool mayCommit) {
  if (db_ == nullptr) return RECDB_E_NODB;
  // A full batch is committed before the next write rather than after the
  // last, so that a caller's optional keys of a new record go in with it.
  if (inTransaction_ && mayCommit &&
      (pendingWrites_ >= batchWrites_ ||
       std::chrono::steady_clock::now() - batchStart_ >= batchTime_))
    if (int rc = commit(); rc != RECDB_OK) return rc;
  if (inTransaction_) return RECDB_OK;
  Use use(begin_);
  int rc = sqlite3_step(*use);
  if (rc != SQLITE_DONE) return fail(rc);
  inTransaction_ = true;
  pendingWrites_ = 0;
  batchStart_ = std::chrono::steady_clock::now();
  return RECDB_OK;
}

int Database::endWrite(int result) {
  ++generation_;
  ++pendingWrites_;
  if (inTransaction_ && sqlite3_get_autocommit(db_)) {
    // A failed statement made SQLite take the batch back.
    inTransaction_ = false;
    dropPending();
  }
  return result;
}

int Database::commit() {
  if (!inTransaction_) return RECDB_OK;
  if (int rc = flushKeys(); rc != RECDB_OK) return rc;
  // Outside this transaction another connection may change the record.
  forgetCreated();
  Use use(commit_);
  int rc = sqlite3_step(*use);
  if (rc == SQLITE_DONE || sqlite3_get_autocommit(db_)) inTransaction_ = false;
  return rc == SQLITE_DONE ? RECDB_OK : fail(rc);
}

int Database::checkType(int type) const {
  return schema_.record(type) != nullptr ? RECDB_OK : RECDB_E_TYPE;
}

int Database::addKey(Key& key, const std::uint8_t* value, std::size_t length, DB_ADDR address) {
  if (!key.deferred) return insertKey(key, value, length, address);
  // Make room first, so that a failure leaves this entry out altogether.
  std::size_t need = 1 + length + sizeof address + sizeof(std::uint32_t);
  if (pendingBytes_ + need > kPendingBytes)
    if (int rc = flushKeys(); rc != RECDB_OK) return rc;
  std::size_t at = key.pending.size();
  key.order.push_back(static_cast<std::uint32_t>(at));
  key.pending.resize(at + 1 + length + sizeof address);
  key.pending[at] = static_cast<std::uint8_t>(length);
  std::memcpy(&key.pending[at + 1], value, length);
  std::memcpy(&key.pending[at + 1 + length], &address, sizeof address);
  pendingBytes_ += need;
  return RECDB_OK;
}

int Database::flushKey(Key& key) {
  if (key.order.empty()) return RECDB_OK;
  const std::uint8_t* base = key.pending.data();
  // Value order as SQLite compares blobs, equal values by address. Each
  // entry is sorted with its first eight bytes as a number beside it, so
  // that most comparisons need no look into the queue.
  std::vector<std::pair<std::uint64_t, std::uint32_t>> sorted(key.order.size());
  for (std::size_t i = 0; i < sorted.size(); ++i) {
    const std::uint8_t* entry = base + key.order[i];
    std::uint64_t head = 0;
    for (std::size_t b = 0; b < 8; ++b) head = head << 8 | (b < entry[0] ? entry[1 + b] : 0);
    sorted[i] = {head, key.order[i]};
  }
  std::sort(sorted.begin(), sorted.end(), [base](const auto& p, const auto& q) {
    if (p.first != q.first) return p.first < q.first;
    const std::uint8_t* a = base + p.second;
    const std::uint8_t* b = base + q.second;
    std::size_t la = a[0], lb = b[0];
    int c = std::memcmp(a + 1, b + 1, std::min(la, lb));
    if (c != 0) return c < 0;
    if (la != lb) return la < lb;
    DB_ADDR x, y;
    std::memcpy(&x, a + 1 + la, sizeof x);
    std::memcpy(&y, b + 1 + lb, sizeof y);
    return x < y;
  });
  for (std::size_t i = 0; i < sorted.size(); ++i) key.order[i] = sorted[i].second;
  sorted = {};
  ++generation_;  // cursors on this key step from where they stood again
  int rc = RECDB_OK;
  std::size_t done = 0;
  // Whole statements first: a queued entry is of a new record, so none is
  // in the key already; a statement that fails stores none of its rows.
  for (; rc == RECDB_OK && key.order.size() - done >= kFlushRows; done += kFlushRows) {
    Use use(key.insertMany);
    for (int row = 0; row < kFlushRows; ++row) {
      const std::uint8_t* entry = base + key.order[done + row];
      DB_ADDR address;
      std::memcpy(&address, entry + 1 + entry[0], sizeof address);
      sqlite3_bind_blob(*use, 2 * row + 1, entry + 1, entry[0], SQLITE_STATIC);
      sqlite3_bind_int64(*use, 2 * row + 2, address);
    }
    const int step = sqlite3_step(*use);
    if (step != SQLITE_DONE) rc = fail(step);
  }
  if (rc != RECDB_OK) done -= kFlushRows;
  for (; rc == RECDB_OK && done < key.order.size(); ++done) {
    const std::uint8_t* entry = base + key.order[done];
    DB_ADDR address;
    std::memcpy(&address, entry + 1 + entry[0], sizeof address);
    rc = insertKey(key, entry + 1, entry[0], address);
    if (rc != RECDB_OK) break;
  }
  if (rc != RECDB_OK && !sqlite3_get_autocommit(db_)) {
    // Keep what did not go in for the next attempt.
    std::vector<std::uint8_t> rest;
    std::vector<std::uint32_t> order;
    for (std::size_t i = done; i < key.order.size(); ++i) {
      const std::uint8_t* entry = base + key.order[i];
      order.push_back(static_cast<std::uint32_t>(rest.size()));
      rest.insert(rest.end(), entry, entry + 1 + entry[0] + sizeof(DB_ADDR));
    }
    pendingBytes_ -= key.pending.size() - rest.size() +
                     (key.order.size() - order.size()) * sizeof(std::uint32_t);
    key.pending.swap(rest);
    key.order.swap(order);
    return rc;
  }
  if (rc != RECDB_OK) {
    // SQLite took the whole batch back; its queued entries go with it.
    inTransaction_ = false;
    dropPending();
    return rc;
  }
  pendingBytes_ -= key.pending.size() + key.order.size() * sizeof(std::uint32_t);
  key.pending.clear();
  key.order.clear();
  return RECDB_OK;
}

int Database::flushKeys() {
  for (Key& k : keys_)
    if (int rc = flushKey(k); rc != RECDB_OK) return rc;
  pendingBytes_ = 0;
  return RECDB_OK;
}

void Database::dropPending() {
  forgetCreated();  // the batch that made it was taken back
  for (Key& k : keys_) {
    k.pending.clear();
    k.order.clear();
  }
  pendingBytes_ = 0;
}

int Database::insertKey(Key& key, const std::uint8_t* value, std::size_t length,
                        DB_ADDR address) {
  Use use(key.insert);
  sqlite3_bind_blob(*use, 1, value, static_cast<int>(length), SQLITE_STATIC);
  sqlite3_bind_int64(*use, 2, address);
  int rc = sqlite3_step(*use);
  return rc == SQLITE_DONE ? RECDB_OK : fail(rc);
}

int Database::deleteKey(Key& key, const std::uint8_t* value, std::size_t length,
                        DB_ADDR address, bool& removed) {
  removed = false;
  if (int rc = flushKey(key); rc != RECDB_OK) return rc;
  Use use(key.remove);
  sqlite3_bind_blob(*use, 1, value, static_cast<int>(length), SQLITE_STATIC);
  sqlite3_bind_int64(*use, 2, address);
  int rc = sqlite3_step(*use);
  removed = rc == SQLITE_DONE && sqlite3_changes(db_) > 0;
  return rc == SQLITE_DONE ? RECDB_OK : fail(rc);
}

bool Database::holdsValue(Key& key, const std::uint8_t* value, std::size_t length, DB_ADDR except,
                          int& result) {
  result = flushKey(key);
  if (result != RECDB_OK) return false;
  Use use(key.holder);
  sqlite3_bind_blob(*use, 1, value, static_cast<int>(length), SQLITE_STATIC);
  sqlite3_bind_int64(*use, 2, except);
  int rc = sqlite3_step(*use);
  result = rc == SQLITE_ROW || rc == SQLITE_DONE ? RECDB_OK : fail(rc);
  return rc == SQLITE_ROW;
}

int Database::loadCurrent(std::uint8_t* buffer, const Record*& record) {
  if (db_ == nullptr) return RECDB_E_NODB;
  if (current_ == 0) return RECDB_NOCURRENT;
  record = schema_.record(currentType_);
  if (current_ == created_) {
    std::memcpy(buffer, createdBytes_.data(), record->size);
    return RECDB_OK;
  }
  if (currentRow_ != nullptr && currentGeneration_ == generation_ &&
      sqlite3_column_type(currentRow_, currentColumn_) == SQLITE_BLOB) {
    std::size_t size = static_cast<std::size_t>(sqlite3_column_bytes(currentRow_, currentColumn_));
    std::size_t n = std::min<std::size_t>(size, record->size);
    std::memcpy(buffer, sqlite3_column_blob(currentRow_, currentColumn_), n);
    std::memset(buffer + n, 0, record->size - n);
    return RECDB_OK;
  }
  Use use(data_[addressFile(current_)].read);
  sqlite3_bind_int64(*use, 1, addressRow(current_));
  int rc = sqlite3_step(*use);
  if (rc == SQLITE_DONE) return RECDB_NOCURRENT;  // deleted behind a saved position
  if (rc != SQLITE_ROW) return fail(rc);
  const void* data = sqlite3_column_blob(*use, 1);
  std::size_t size = static_cast<std::size_t>(sqlite3_column_bytes(*use, 1));
  std::size_t n = std::min<std::size_t>(size, record->size);
  if (n > 0) std::memcpy(buffer, data, n);
  std::memset(buffer + n, 0, record->size - n);
  return RECDB_OK;
}

int Database::create(int type, const void* record) {
  const Record* rec = schema_.record(type);
  if (rec == nullptr) return RECDB_E_TYPE;
  if (record == nullptr) return RECDB_E_ARG;
  const auto* bytes = static_cast<const std::uint8_t*>(record);
  std::uint8_t value[kMaxKeyBytes];
  int rc = beginWrite();
  if (rc != RECDB_OK) return rc;
  // Unique values are tested first, so a refused record leaves nothing behind.
  for (int index : rec->keys) {
    const Field& f = schema_.fields[index];
    if (f.key != KeyKind::Unique || f.optional) continue;
    std::size_t n = keyFromRecord(schema_, f, bytes, value);
    if (holdsValue(keyOf(f), value, n, 0, rc)) return RECDB_DUPLICATE;
    if (rc != RECDB_OK) return rc;
  }
  DataFile& d = data_[rec->file];
  std::int64_t row = 0;
  {
    Use use(d.insert);
    sqlite3_bind_int(*use, 1, type);
    sqlite3_bind_blob(*use, 2, record, rec->size, SQLITE_STATIC);
    rc = sqlite3_step(*use);
    if (rc != SQLITE_DONE) return endWrite(fail(rc));
    row = sqlite3_last_insert_rowid(db_);
  }
  DB_ADDR address = makeAddress(rec->file, row);
  std::size_t stored = 0;
  rc = row > kMaxRow ? RECDB_E_FULL : RECDB_OK;
  for (; rc == RECDB_OK && stored < rec->keys.size(); ++stored) {
    const Field& f = schema_.fields[rec->keys[stored]];
    if (f.optional) continue;
    std::size_t n = keyFromRecord(schema_, f, bytes, value);
    rc = addKey(keyOf(f), value, n, address);
  }
  if (rc != RECDB_OK) {
    // Take back what was stored so no key points at a half-made record.
    bool removed = false;
    for (std::size_t i = 0; i + 1 < stored; ++i) {
      const Field& f = schema_.fields[rec->keys[i]];
      if (f.optional) continue;
      std::size_t n = keyFromRecord(schema_, f, bytes, value);
      deleteKey(keyOf(f), value, n, address, removed);
    }
    Use use(d.remove);
    sqlite3_bind_int64(*use, 1, row);
    sqlite3_step(*use);
    return endWrite(rc);
  }
  setCurrent(address, type);
  created_ = address;
  std::memcpy(createdBytes_.data(), record, rec->size);
  createdKeys_.assign(keys_.size(), false);
  return endWrite(RECDB_OK);
}

void Database::setCurrent(DB_ADDR address, int type, sqlite3_stmt* row, int column) {
  current_ = address;
  currentType_ = type;
  currentRow_ = row;
  currentColumn_ = column;
  currentGeneration_ = generation_;
}

int Database::read(void* record) {
  if (record == nullptr) return RECDB_E_ARG;
  const Record* rec = nullptr;
  return loadCurrent(static_cast<std::uint8_t*>(record), rec);
}

int Database::write(const void* record) {
  if (record == nullptr) return RECDB_E_ARG;
  const Record* rec = nullptr;
  int rc = loadCurrent(scratch_.data(), rec);
  if (rc != RECDB_OK) return rc;
  const auto* bytes = static_cast<const std::uint8_t*>(record);
  std::uint8_t before[kMaxKeyBytes], after[kMaxKeyBytes];
  rc = beginWrite();
  if (rc != RECDB_OK) return rc;
  if (current_ == created_) forgetCreated();
  for (int index : rec->keys) {
    const Field& f = schema_.fields[index];
    if (f.key != KeyKind::Unique) continue;
    std::size_t n = keyFromRecord(schema_, f, bytes, after);
    if (keyFromRecord(schema_, f, scratch_.data(), before) == n &&
        std::memcmp(before, after, n) == 0)
      continue;
    if (holdsValue(keyOf(f), after, n, current_, rc)) return RECDB_DUPLICATE;
    if (rc != RECDB_OK) return rc;
  }
  {
    Use use(data_[addressFile(current_)].update);
    sqlite3_bind_int64(*use, 1, addressRow(current_));
    sqlite3_bind_blob(*use, 2, record, rec->size, SQLITE_STATIC);
    rc = sqlite3_step(*use);
    if (rc != SQLITE_DONE) return endWrite(fail(rc));
  }
  // Every key the record is in follows its field: automatic keys always,
  // optional keys when the record was stored in them.
  for (int index : rec->keys) {
    const Field& f = schema_.fields[index];
    std::size_t n = keyFromRecord(schema_, f, scratch_.data(), before);
    std::size_t m = keyFromRecord(schema_, f, bytes, after);
    if (n == m && std::memcmp(before, after, n) == 0) continue;
    bool removed = false;
    rc = deleteKey(keyOf(f), before, n, current_, removed);
    if (rc == RECDB_OK && (removed || !f.optional)) rc = insertKey(keyOf(f), after, m, current_);
    if (rc != RECDB_OK) return endWrite(rc);
  }
  return endWrite(RECDB_OK);
}

int Database::remove() {
  const Record* rec = nullptr;
  int rc = loadCurrent(scratch_.data(), rec);
  if (rc != RECDB_OK) return rc;
  rc = beginWrite();
  if (rc != RECDB_OK) return rc;
  if (current_ == created_) forgetCreated();
  std::uint8_t value[kMaxKeyBytes];
  for (int index : rec->keys) {
    const Field& f = schema_.fields[index];
    std::size_t n = keyFromRecord(schema_, f, scratch_.data(), value);
    bool removed = false;
    rc = deleteKey(keyOf(f), value, n, current_, removed);
    if (rc != RECDB_OK) return endWrite(rc);
  }
  Use use(data_[addressFile(current_)].remove);
  sqlite3_bind_int64(*use, 1, addressRow(current_));
  rc = sqlite3_step(*use);
  if (rc != SQLITE_DONE) return endWrite(fail(rc));
  setCurrent(0, 0);
  return endWrite(RECDB_OK);
}

int Database::first(int type) {
  const Record* rec = schema_.record(type);
  if (rec == nullptr) return RECDB_E_TYPE;
  scanType_ = type;
  scanAddress_ = makeAddress(rec->file, 0);
  scanLive_ = false;
  return next();
}

int Database::next() {
  if (db_ == nullptr) return RECDB_E_NODB;
  if (scanType_ == 0) return RECDB_NOCURRENT;
  const Record* rec = schema_.record(scanType_);
  sqlite3_stmt* scan = data_[rec->file].scan.get();
  if (!scanLive_ || scanGeneration_ != generation_) {
    resetCursor(scan);
    sqlite3_bind_int64(scan, 1, addressRow(scanAddress_));
    sqlite3_bind_int(scan, 2, scanType_);
  }
  int rc = sqlite3_step(scan);
  if (rc != SQLITE_ROW) {
    resetCursor(scan);
    scanLive_ = false;
    return rc == SQLITE_DONE ? RECDB_END : fail(rc);
  }
  scanAddress_ = makeAddress(rec->file, sqlite3_column_int64(scan, 0));
  scanLive_ = true;
  scanGeneration_ = generation_;
  setCurrent(scanAddress_, scanType_, scan, 1);
  return RECDB_OK;
}

void Database::resetCursor(sqlite3_stmt* cursor) {
  if (currentRow_ == cursor) currentRow_ = nullptr;
  sqlite3_reset(cursor);
}

int Database::takeEntry(Key& key, sqlite3_stmt* cursor) {
  std::size_t n = std::min<std::size_t>(sqlite3_column_bytes(cursor, 0), kMaxKeyBytes);
  const void* value = sqlite3_column_blob(cursor, 0);
  key.length = static_cast<std::uint16_t>(n);
  std::memcpy(key.value, value, n);
  key.address = static_cast<DB_ADDR>(sqlite3_column_int64(cursor, 1));
  key.positioned = true;
  key.live = true;
  key.generation = generation_;
  setCurrent(key.address, 10000 + key.field->record, cursor, 2);
  return RECDB_OK;
}

int Database::stepKey(Key& key, bool reseek) {
  sqlite3_stmt* cursor = key.cursor.get();
  if (reseek) {
    resetCursor(cursor);
    std::memcpy(key.seek, key.value, key.length);
    sqlite3_bind_blob(cursor, 1, key.seek, key.length, SQLITE_STATIC);
    sqlite3_bind_int64(cursor, 2, key.address);
  }
  int rc = sqlite3_step(cursor);
  if (rc != SQLITE_ROW) {
    resetCursor(cursor);
    key.live = false;
    return rc == SQLITE_DONE ? RECDB_END : fail(rc);
  }
  return takeEntry(key, cursor);
}

int Database::keyFind(long number, const void* value) {
  if (db_ == nullptr) return RECDB_E_NODB;
  const Field* f = schema_.field(number);
  if (f == nullptr || f->key == KeyKind::None) return RECDB_E_FIELD;
  if (value == nullptr) return RECDB_E_ARG;
  Key& key = keyOf(*f);
  if (int rc = flushKey(key); rc != RECDB_OK) return rc;
  sqlite3_stmt* cursor = key.cursor.get();
  resetCursor(cursor);
  key.live = false;
  // Seek from just before the value's first entry (addresses are positive).
  std::size_t n = keyFromValue(schema_, *f, static_cast<const std::uint8_t*>(value), key.seek);
  sqlite3_bind_blob(cursor, 1, key.seek, static_cast<int>(n), SQLITE_STATIC);
  sqlite3_bind_int64(cursor, 2, 0);
  int rc = sqlite3_step(cursor);
  bool found = rc == SQLITE_ROW && static_cast<std::size_t>(sqlite3_column_bytes(cursor, 0)) == n &&
               std::memcmp(sqlite3_column_blob(cursor, 0), key.seek, n) == 0;
  if (!found) {
    resetCursor(cursor);
    return rc == SQLITE_ROW || rc == SQLITE_DONE ? RECDB_NOTFOUND : fail(rc);
  }
  return takeEntry(key, cursor);
}

int Database::keyNext(long number) {
  if (db_ == nullptr) return RECDB_E_NODB;
  const Field* f = schema_.field(number);
  if (f == nullptr || f->key == KeyKind::None) return RECDB_E_FIELD;
  Key& key = keyOf(*f);
  if (!key.positioned) return RECDB_NOCURRENT;
  if (int rc = flushKey(key); rc != RECDB_OK) return rc;
  return stepKey(key, !key.live || key.generation != generation_);
}

int Database::currentEntry(long number, Key*& key, std::uint8_t* value, std::size_t& length) {
  if (db_ == nullptr) return RECDB_E_NODB;
  const Field* f = schema_.field(number);
  if (f == nullptr || f->key == KeyKind::None) return RECDB_E_FIELD;
  if (current_ == 0) return RECDB_NOCURRENT;
  if (10000 + f->record != currentType_) return RECDB_E_FIELD;
  key = &keyOf(*f);
  const Record* record = nullptr;
  int rc = loadCurrent(scratch_.data(), record);
  if (rc == RECDB_OK) length = keyFromRecord(schema_, *f, scratch_.data(), value);
  return rc;
}

int Database::entryExists(Key& key, const std::uint8_t* value, std::size_t length) {
  if (int rc = flushKey(key); rc != RECDB_OK) return rc;
  Use use(key.exists);
  sqlite3_bind_blob(*use, 1, value, static_cast<int>(length), SQLITE_STATIC);
  sqlite3_bind_int64(*use, 2, current_);
  int rc = sqlite3_step(*use);
  if (rc == SQLITE_ROW) return RECDB_OK;
  return rc == SQLITE_DONE ? RECDB_NOTFOUND : fail(rc);
}

int Database::keyStore(long number) {
  Key* key = nullptr;
  std::uint8_t value[kMaxKeyBytes];
  std::size_t n = 0;
  int rc = currentEntry(number, key, value, n);
  if (rc != RECDB_OK) return rc;
  const std::size_t slot = static_cast<std::size_t>(key - keys_.data());
  const bool fresh = current_ == created_;
  if (fresh && key->field->optional && key->deferred && !createdKeys_[slot]) {
    rc = beginWrite(false);
    if (rc != RECDB_OK) return rc;
    rc = addKey(*key, value, n, current_);
    if (rc == RECDB_OK) createdKeys_[slot] = true;
    return endWrite(rc);
  }
  if (key->field->key == KeyKind::Unique) {
    if (holdsValue(*key, value, n, current_, rc)) return RECDB_DUPLICATE;
    if (rc != RECDB_OK) return rc;
  }
  rc = entryExists(*key, value, n);
  if (rc != RECDB_NOTFOUND) return rc == RECDB_OK ? RECDB_DUPLICATE : rc;  // stored already
  rc = beginWrite(!fresh);
  if (rc != RECDB_OK) return rc;
  return endWrite(insertKey(*key, value, n, current_));
}

int Database::keyExists(long number) {
  Key* key = nullptr;
  std::uint8_t value[kMaxKeyBytes];
  std::size_t n = 0;
  int rc = currentEntry(number, key, value, n);
  return rc == RECDB_OK ? entryExists(*key, value, n) : rc;
}

int Database::keyDelete(long number) {
  Key* key = nullptr;
  std::uint8_t value[kMaxKeyBytes];
  std::size_t n = 0;
  int rc = currentEntry(number, key, value, n);
  if (rc != RECDB_OK) return rc;
  rc = beginWrite();
  if (rc != RECDB_OK) return rc;
  bool removed = false;
  rc = deleteKey(*key, value, n, current_, removed);
  return endWrite(rc == RECDB_OK && !removed ? RECDB_NOTFOUND : rc);
}

int Database::keyAddresses(long number, const std::function<void(DB_ADDR)>& each) {
  if (db_ == nullptr) return RECDB_E_NODB;
  const Field* f = schema_.field(number);
  if (f == nullptr || f->key == KeyKind::None) return RECDB_E_FIELD;
  Key& key = keyOf(*f);
  if (int rc = flushKey(key); rc != RECDB_OK) return rc;
  Use use(key.addresses);
  int rc;
  while ((rc = sqlite3_step(*use)) == SQLITE_ROW)
    each(static_cast<DB_ADDR>(sqlite3_column_int64(*use, 0)));
  return rc == SQLITE_DONE ? RECDB_OK : fail(rc);
}

int Database::currentGet(DB_ADDR* address) const {
  if (address == nullptr) return RECDB_E_ARG;
  if (current_ == 0) return RECDB_NOCURRENT;
  *address = current_;
  return RECDB_OK;
}

int Database::currentSet(DB_ADDR address) {
  if (db_ == nullptr) return RECDB_E_NODB;
  int file = addressFile(address);
  if (address <= 0 || file >= kFileSlots || !schema_.dataFile[file]) return RECDB_E_ADDR;
  Use use(data_[file].read);
  sqlite3_bind_int64(*use, 1, addressRow(address));
  int rc = sqlite3_step(*use);
  if (rc == SQLITE_DONE) return RECDB_E_ADDR;
  if (rc != SQLITE_ROW) return fail(rc);
  int type = sqlite3_column_int(*use, 0);
  const Record* rec = schema_.record(type);
  if (rec == nullptr || rec->file != file) return RECDB_E_ADDR;
  setCurrent(address, type);
  return RECDB_OK;
}

int Database::currencySave(void** block, int* size) const {
  if (block == nullptr || size == nullptr) return RECDB_E_ARG;
  std::size_t total = sizeof(CurrencyHeader);
  std::uint32_t count = 0;
  for (const Key& k : keys_)
    if (k.positioned) total += sizeof(CurrencyKey) + k.length, ++count;
  auto* out = static_cast<std::uint8_t*>(std::malloc(total));
  if (out == nullptr) return RECDB_E_IO;
  CurrencyHeader header{kCurrencyMagic, static_cast<std::uint32_t>(total), serial_, current_,
                        currentType_, scanType_, scanAddress_, count};
  std::memcpy(out, &header, sizeof header);
  std::size_t at = sizeof header;
  for (std::size_t i = 0; i < keys_.size(); ++i) {
    const Key& k = keys_[i];
    if (!k.positioned) continue;
    CurrencyKey entry{static_cast<std::uint32_t>(i), k.address, k.length};
    std::memcpy(out + at, &entry, sizeof entry);
    std::memcpy(out + at + sizeof entry, k.value, k.length);
    at += sizeof entry + k.length;
  }
  *block = out;
  *size = static_cast<int>(total);
  return RECDB_OK;
}

int Database::currencyRestore(const void* block) {
  if (block == nullptr) return RECDB_E_ARG;
  CurrencyHeader header;
  std::memcpy(&header, block, sizeof header);
  if (header.magic != kCurrencyMagic || header.size < sizeof header) return RECDB_E_CURRENCY;
  if (header.serial != serial_) return RECDB_E_CURRENCY;
  const auto* bytes = static_cast<const std::uint8_t*>(block);
  // Check the whole block before taking anything from it.
  std::size_t at = sizeof header;
  for (std::uint32_t i = 0; i < header.keys; ++i) {
    CurrencyKey entry;
    if (at + sizeof entry > header.size) return RECDB_E_CURRENCY;
    std::memcpy(&entry, bytes + at, sizeof entry);
    if (entry.slot >= keys_.size() || entry.length > kMaxKeyWidth ||
        at + sizeof entry + entry.length > header.size)
      return RECDB_E_CURRENCY;
    at += sizeof entry + entry.length;
  }
  if ((header.currentType != 0 && checkType(header.currentType) != RECDB_OK) ||
      (header.scanType != 0 && checkType(header.scanType) != RECDB_OK))
    return RECDB_E_CURRENCY;
  setCurrent(header.current, header.currentType);
  scanType_ = header.scanType;
  scanAddress_ = header.scanAddress;
  scanLive_ = false;
  for (Key& k : keys_) k.positioned = k.live = false;
  at = sizeof header;
  for (std::uint32_t i = 0; i < header.keys; ++i) {
    CurrencyKey entry;
    std::memcpy(&entry, bytes + at, sizeof entry);
    Key& k = keys_[entry.slot];
    k.positioned = true;
    k.address = entry.address;
    k.length = static_cast<std::uint16_t>(entry.length);
    std::memcpy(k.value, bytes + at + sizeof entry, entry.length);
    at += sizeof entry + entry.length;
  }
  return RECDB_OK;
}

int Database::initFile(int file) {
  if (db_ == nullptr) return RECDB_E_NODB;
  if (file < 0 || file >= kFileSlots || (!schema_.dataFile[file] && !schema_.keyFile[file]))
    return RECDB_E_ARG;
  // No reader may stand in a table while it is emptied.
  for (DataFile& d : data_) resetCursor(d.scan.get());
  scanLive_ = false;
  for (Key& k : keys_) {
    resetCursor(k.cursor.get());
    k.live = false;
  }
  int rc = beginWrite();
  if (rc == RECDB_OK) rc = flushKeys();
  if (rc != RECDB_OK) return rc;
  forgetCreated();
  std::string sql;
  if (schema_.dataFile[file]) {
    sql += "DELETE FROM " + schemaName(file) + ".records;";
    if (current_ != 0 && addressFile(current_) == file) setCurrent(0, 0);
  }
  for (Key& k : keys_) {
    if (k.field->keyFile != file) continue;
    sql += "DELETE FROM " + schemaName(file) + ".key_" + std::to_string(k.field->number) + ";";
    k.positioned = false;
  }
  rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr);
  ++generation_;
  if (rc != SQLITE_OK) return fail(rc);
  return commit();
}

}  // namespace recdb
