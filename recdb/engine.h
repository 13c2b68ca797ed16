// One open database: its schema, its SQLite connection with every file
// attached, the prepared statements, the write batch and the currency.
#ifndef KESTREL_RECDB_ENGINE_H
#define KESTREL_RECDB_ENGINE_H

#include <sqlite3.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dbengine.h"
#include "lock.h"
#include "schema.h"

namespace recdb {

class Statement {
 public:
  Statement() = default;
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(Statement&& other) noexcept : stmt_(other.stmt_) { other.stmt_ = nullptr; }
  Statement& operator=(Statement&& other) noexcept {
    std::swap(stmt_, other.stmt_);
    return *this;
  }
  int prepare(sqlite3* db, const std::string& sql) {
    sqlite3_finalize(stmt_);
    stmt_ = nullptr;
    return sqlite3_prepare_v3(db, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &stmt_, nullptr);
  }
  sqlite3_stmt* get() const { return stmt_; }

 private:
  sqlite3_stmt* stmt_ = nullptr;
};

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

// The name file `file` is attached under on the connection.
std::string schemaName(int file);
// Whether `path` names a regular file.
bool isFile(const std::string& path);

// Outside bulk work every write is committed before it returns. Bulk work
// (importers, the key rebuild) asks for batches: a batch is committed once
// it holds this many operations or is this old, whichever comes first,
// before the next write. A commit writes every page the batch touched, and
// inserts land all over the keys, so batches are as long as a killed
// import may lose.
// RECDB_BATCH="writes,milliseconds" in the environment overrides both.
inline constexpr int kBatchWrites = 200000;
inline constexpr std::chrono::milliseconds kBatchTime{1000};

// Reads share one snapshot of the files for at most this long, so that
// other programs' commits are seen and never wait long on this one.
inline constexpr std::int64_t kSnapshotMs = 100;

// How long a second writer waits for the first to let the database go.
inline constexpr int kWriterWaitMs = 5000;

// The text of the last failure that has more to say than its result code
// (which file, which process), for the caller's message. Per thread.
void setLastError(const std::string& text);
const std::string& lastError();

// Entries of new records in keys that allow duplicates wait in memory and go
// in sorted, key by key, before anything reads that key and before every
// commit (so in the same transaction), or when they reach this many bytes.
// Sorted, they touch each key page once instead of once per record.
inline constexpr std::size_t kPendingBytes = 6u << 20;
// Queued entries go in this many to a statement.
inline constexpr int kFlushRows = 32;

// Records of one data file hold row numbers below 2^24.
inline constexpr std::int64_t kMaxRow = 0xFFFFFF;

inline DB_ADDR makeAddress(int file, std::int64_t row) {
  return static_cast<DB_ADDR>(static_cast<std::uint32_t>(file) << 24 |
                              static_cast<std::uint32_t>(row));
}
inline int addressFile(DB_ADDR address) { return static_cast<std::uint32_t>(address) >> 24; }
inline std::int64_t addressRow(DB_ADDR address) { return address & kMaxRow; }

class Database {
 public:
  // Opens the database `name` (path without extension; its dictionary is
  // name + ".DBD").
  static int open(const std::string& name, std::unique_ptr<Database>& out, std::string& error);
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  // Commits what is pending; the database stays open. A commit that fails
  // takes the whole batch back.
  int commit();
  // Bulk work on (batches) or off (the batch is committed when the
  // outermost bulk work ends).
  int setBatching(bool on);
  // Outside bulk work: commits the write just made (or takes back a write
  // that failed half way). Returns `result`, or the commit's failure.
  int settle(int result);
  // Records created through this database that are committed.
  long committedCreates() const { return committedCreates_; }
  // Ends the read snapshot, if any: the next read sees the files as they
  // are then.
  void release();
  // A number that changes whenever the records of the first data file may
  // have changed: through this connection at once, through others (other
  // programs) from the next read snapshot, so within 100 ms.
  std::uint64_t changeStamp();
  // Commits and releases everything; later calls fail.
  int close();

  int create(int type, const void* record);
  int read(void* record);
  int write(const void* record);
  int remove();
  int first(int type);
  int next();
  int keyFind(long field, const void* value);
  int keyNext(long field);
  int keyStore(long field);
  int keyExists(long field);
  int keyDelete(long field);
  int keyAddresses(long field, const std::function<void(DB_ADDR)>& each);
  int currentGet(DB_ADDR* address) const;
  int currentSet(DB_ADDR address);
  int currencySave(void** block, int* size) const;
  int currencyRestore(const void* block);
  int initFile(int file);
  int checkType(int type) const;
  int afterFind() const { return current_ != 0 ? RECDB_OK : RECDB_NOCURRENT; }

  const Schema& schema() const { return schema_; }
  sqlite3* connection() const { return db_; }

 private:
  struct DataFile {
    Statement insert, read, update, remove, scan;
  };

  struct Key {
    const Field* field = nullptr;
    Statement insert, remove, exists, holder, addresses;
    Statement insertMany;  // kFlushRows entries at once
    // Walking the key: `run` steps through the entries of one value from an
    // address on, `after` through every entry past that value. Each seeks
    // exactly, so stepping costs no comparison of the value and address
    // with the start on every entry.
    Statement run, after;
    sqlite3_stmt* stepping = nullptr;  // the one of the two that steps
    // Currency: the entry last found on this key.
    bool positioned = false;
    bool live = false;  // `stepping` stands on that entry
    std::uint64_t generation = 0;
    DB_ADDR address = 0;
    std::uint16_t length = 0;
    std::uint16_t seekLength = 0;
    std::uint8_t value[kMaxKeyBytes];
    std::uint8_t seek[kMaxKeyBytes];  // the value bound to `run` or `after`
    // Entries waiting to be inserted (keys that allow duplicates only):
    // each is a length byte, the encoded value and the address.
    bool deferred = false;
    std::vector<std::uint8_t> pending;
    std::vector<std::uint32_t> order;  // offsets into `pending`, sorted at flush
  };

  Database() = default;
  int prepareAll();
  // Opens the write transaction, committing the batch first when it is full
  // and `mayCommit` (not between a new record and its optional keys).
  int beginWrite(bool mayCommit = true);
  // Opens the read snapshot, or a new one when it is too old.
  int beginRead();
  void rollback();
  int endWrite(int result);
  int fail(int sqliteResult);
  // Reads the current record's bytes into `buffer` (record size); sets `type`.
  int loadCurrent(std::uint8_t* buffer, const Record*& record);
  // The current record's value in key `number` (which must be a key of its
  // type), and that key.
  int currentEntry(long number, Key*& key, std::uint8_t* value, std::size_t& length);
  // Whether the current record is in `key` under `value`.
  int entryExists(Key& key, const std::uint8_t* value, std::size_t length);
  int insertKey(Key& key, const std::uint8_t* value, std::size_t length, DB_ADDR address);
  // A new record's entry: queued when the key allows duplicates.
  int addKey(Key& key, const std::uint8_t* value, std::size_t length, DB_ADDR address);
  // Inserts a key's queued entries in key order.
  int flushKey(Key& key);
  int flushKeys();
  void dropPending();
  int deleteKey(Key& key, const std::uint8_t* value, std::size_t length, DB_ADDR address,
                bool& removed);
  bool holdsValue(Key& key, const std::uint8_t* value, std::size_t length, DB_ADDR except,
                  int& result);
  int stepKey(Key& key, bool reseek);
  // Takes the entry `cursor` stands on as the key's and the task's current.
  int takeEntry(Key& key, sqlite3_stmt* cursor);
  // Resets a key or scan cursor, forgetting it as the current record's row.
  void resetCursor(sqlite3_stmt* cursor);
  // Resets both walking statements of a key.
  void resetKey(Key& key);
  void setCurrent(DB_ADDR address, int type, sqlite3_stmt* row = nullptr, int column = 0);
  // Forgets the record created last (it changed, went, or was taken back).
  void forgetCreated() { created_ = 0; }
  Key& keyOf(const Field& field) { return keys_[field.keySlot]; }

  Schema schema_;
  std::vector<std::uint8_t> scratch_;  // a stored record, as large as the largest
  std::array<std::string, kFileSlots> paths_;
  sqlite3* db_ = nullptr;
  std::array<DataFile, kFileSlots> data_;
  std::vector<Key> keys_;
  Statement begin_, beginImmediate_, commit_, rollback_, probe_;
  std::uint32_t dataVersion_ = 0;
  std::unique_ptr<DatabaseLock> lock_;
  bool inTransaction_ = false;  // a write transaction
  bool reading_ = false;        // a read snapshot
  std::int64_t readSince_ = 0;
  int batchDepth_ = 0;  // bulk work on when above 0
  long createdInBatch_ = 0;
  long committedCreates_ = 0;
  int pendingWrites_ = 0;
  std::size_t pendingBytes_ = 0;  // queued in every key
  int batchWrites_ = kBatchWrites;
  std::chrono::milliseconds batchTime_ = kBatchTime;
  std::chrono::steady_clock::time_point batchStart_;
  std::chrono::steady_clock::time_point commitStarted_;
  std::uint64_t generation_ = 1;  // moves on with every write
  std::uint64_t serial_ = 0;      // tells this open database's currency blocks

  // The record created last, as stored, and the optional keys it has been
  // stored in since: a new record is in no optional key, so storing it there
  // needs no look-up and its entry can wait in the queue like the automatic
  // ones (an import stores every contact in a few). Kept only until the
  // transaction ends.
  DB_ADDR created_ = 0;
  std::vector<std::uint8_t> createdBytes_;
  std::vector<bool> createdKeys_;  // by key slot

  // Currency.
  DB_ADDR current_ = 0;
  int currentType_ = 0;
  int scanType_ = 0;
  DB_ADDR scanAddress_ = 0;
  bool scanLive_ = false;
  std::uint64_t scanGeneration_ = 0;
  // The statement standing on the current record with its data, if any, so
  // that reading it right after a find, next or scan costs no lookup.
  sqlite3_stmt* currentRow_ = nullptr;
  int currentColumn_ = 0;
  std::uint64_t currentGeneration_ = 0;
};

// Reads and decodes the dictionary file `dictionary`.
int readDictionary(const std::string& dictionary, Schema& schema,
                   std::array<std::string, kFileSlots>& names, std::string& error);

// Whether `block` starts as the engine's currency blocks do.
bool isCurrencyBlock(const void* block);


}  // namespace recdb

#endif
