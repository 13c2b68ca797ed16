#include "engine.h"

#include <sys/stat.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace recdb {

std::string schemaName(int file) { return file == 0 ? "main" : "f" + std::to_string(file); }

bool isFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
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

namespace {

std::int64_t nowMs() {
  // The coarse clock costs a few nanoseconds, which matters on every read.
  timespec now {};
  ::clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
  return std::int64_t{now.tv_sec} * 1000 + now.tv_nsec / 1000000;
}

thread_local std::string lastErrorText;

}  // namespace

void setLastError(const std::string& text) { lastErrorText = text; }
const std::string& lastError() { return lastErrorText; }

int Database::beginRead() {
  if (db_ == nullptr) return RECDB_E_NODB;
  if (inTransaction_) return RECDB_OK;  // reads see the write transaction
  if (reading_) {
    if (nowMs() - readSince_ < kSnapshotMs) return RECDB_OK;
    release();
  }
  Use use(begin_);
  int rc = sqlite3_step(*use);
  if (rc != SQLITE_DONE) return fail(rc);
  reading_ = true;
  readSince_ = nowMs();
  return RECDB_OK;
}

void Database::release() {
  if (!reading_ || db_ == nullptr) return;
  // Every statement still standing on a row holds the snapshot: cursors
  // step again from where they stood.
  for (DataFile& d : data_) resetCursor(d.scan.get());
  scanLive_ = false;
  for (Key& k : keys_) resetKey(k);
  currentRow_ = nullptr;
  Use use(commit_);
  sqlite3_step(*use);  // a read-only transaction has nothing to lose
  reading_ = false;
}

std::uint64_t Database::changeStamp() {
  if (db_ == nullptr) return 0;
  if (!inTransaction_ && (!reading_ || nowMs() - readSince_ >= kSnapshotMs)) {
    // A fresh snapshot reads the file's change counter anew.
    release();
    if (beginRead() == RECDB_OK) {
      Use use(probe_);
      sqlite3_step(*use);
    }
    sqlite3_file_control(db_, "main", SQLITE_FCNTL_DATA_VERSION, &dataVersion_);
  }
  return (std::uint64_t{dataVersion_} << 32) + (generation_ & 0xFFFFFFFFu);
}

void Database::rollback() {
  if (!sqlite3_get_autocommit(db_)) {
    Use use(rollback_);
    sqlite3_step(*use);
  }
  inTransaction_ = false;
  dropPending();
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
  release();
  if (!lock_->writer()) {
    std::string error;
    if (lock_->acquireWriter(kWriterWaitMs, error) != RECDB_OK) {
      error = paths_[0] + ": " + error;
      setLastError(error);
      if (std::getenv("KESTREL_QUIET_DB") == nullptr) std::fprintf(stderr, "recdb: %s\n", error.c_str());
      return RECDB_E_BUSY;
    }
  }
  Use use(beginImmediate_);
  int rc = sqlite3_step(*use);
  if (rc != SQLITE_DONE) return fail(rc);
  inTransaction_ = true;
  pendingWrites_ = 0;
  // A batch runs from the start of the commit before it, but for at least
  // half its time however slow that commit was.
  const auto now = std::chrono::steady_clock::now();
  batchStart_ = std::max(commitStarted_, now - batchTime_ / 2);
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
  // The next batch's time runs from here: the commit's own time counts
  // toward it, so that batches follow about once a second however long
  // the file system takes.
  commitStarted_ = std::chrono::steady_clock::now();
  int rc = flushKeys();
  if (rc == RECDB_OK) {
    // Outside this transaction another connection may change the record.
    forgetCreated();
    Use use(commit_);
    int step = sqlite3_step(*use);
    if (step != SQLITE_DONE) rc = fail(step);
  }
  if (rc != RECDB_OK) {
    // Nothing of a batch that could not be committed is kept: what the
    // caller was told is stored stays true.
    rollback();
    setLastError(paths_[0] + ": the changes could not be saved (" + dbResultText(rc) + ")");
    return rc;
  }
  inTransaction_ = false;
  committedCreates_ += createdInBatch_;
  createdInBatch_ = 0;
  return RECDB_OK;
}

int Database::setBatching(bool on) {
  if (db_ == nullptr) return RECDB_E_NODB;
  // Bulk work may hold other bulk work (a rebuild inside an import): the
  // outermost end commits.
  if (on) {
    ++batchDepth_;
    return RECDB_OK;
  }
  if (batchDepth_ > 0 && --batchDepth_ > 0) return RECDB_OK;
  return commit();
}

int Database::settle(int result) {
  if (batchDepth_ > 0 || !inTransaction_) return result;
  int rc = commit();
  return result == RECDB_OK ? rc : result;
}

int Database::checkType(int type) const {
  return schema_.record(type) != nullptr ? RECDB_OK : RECDB_E_TYPE;
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
  if (int rc = beginRead(); rc != RECDB_OK) return rc;
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
  ++createdInBatch_;
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
  if (int rc = beginRead(); rc != RECDB_OK) return rc;
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

void Database::resetKey(Key& key) {
  resetCursor(key.run.get());
  resetCursor(key.after.get());
  key.stepping = nullptr;
  key.live = false;
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
  if (reseek) {
    // On from the entry last found: the rest of its value's entries first.
    resetKey(key);
    std::memcpy(key.seek, key.value, key.length);
    key.seekLength = key.length;
    key.stepping = key.run.get();
    sqlite3_bind_blob(key.stepping, 1, key.seek, key.seekLength, SQLITE_STATIC);
    sqlite3_bind_int64(key.stepping, 2, key.address);
  }
  sqlite3_stmt* cursor = key.stepping;
  if (cursor == nullptr) return RECDB_NOCURRENT;
  int rc = sqlite3_step(cursor);
  if (rc == SQLITE_DONE && cursor == key.run.get()) {
    // The value's entries are done: every entry past the value follows.
    resetCursor(cursor);
    cursor = key.stepping = key.after.get();
    sqlite3_bind_blob(cursor, 1, key.seek, key.seekLength, SQLITE_STATIC);
    rc = sqlite3_step(cursor);
  }
  if (rc != SQLITE_ROW) {
    resetKey(key);
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
  if (int rc = beginRead(); rc != RECDB_OK) return rc;
  if (int rc = flushKey(key); rc != RECDB_OK) return rc;
  resetKey(key);
  // The value's first entry (addresses are positive).
  key.seekLength = static_cast<std::uint16_t>(
      keyFromValue(schema_, *f, static_cast<const std::uint8_t*>(value), key.seek));
  sqlite3_stmt* cursor = key.run.get();
  sqlite3_bind_blob(cursor, 1, key.seek, key.seekLength, SQLITE_STATIC);
  sqlite3_bind_int64(cursor, 2, 0);
  int rc = sqlite3_step(cursor);
  if (rc != SQLITE_ROW) {
    resetCursor(cursor);
    return rc == SQLITE_DONE ? RECDB_NOTFOUND : fail(rc);
  }
  key.stepping = cursor;
  return takeEntry(key, cursor);
}

int Database::keyNext(long number) {
  if (db_ == nullptr) return RECDB_E_NODB;
  const Field* f = schema_.field(number);
  if (f == nullptr || f->key == KeyKind::None) return RECDB_E_FIELD;
  Key& key = keyOf(*f);
  if (!key.positioned) return RECDB_NOCURRENT;
  if (int rc = beginRead(); rc != RECDB_OK) return rc;
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
  if (int rc = beginRead(); rc != RECDB_OK) return rc;
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
  if (int rc = beginRead(); rc != RECDB_OK) return rc;
  if (int rc = flushKey(key); rc != RECDB_OK) return rc;
  Use use(key.addresses);
  int rc;
  while ((rc = sqlite3_step(*use)) == SQLITE_ROW)
    each(static_cast<DB_ADDR>(sqlite3_column_int64(*use, 0)));
  return rc == SQLITE_DONE ? RECDB_OK : fail(rc);
}
int Database::initFile(int file) {
  if (db_ == nullptr) return RECDB_E_NODB;
  if (file < 0 || file >= kFileSlots || (!schema_.dataFile[file] && !schema_.keyFile[file]))
    return RECDB_E_ARG;
  // No reader may stand in a table while it is emptied.
  for (DataFile& d : data_) resetCursor(d.scan.get());
  scanLive_ = false;
  for (Key& k : keys_) resetKey(k);
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
  return endWrite(rc == SQLITE_OK ? RECDB_OK : fail(rc));
}

}  // namespace recdb
