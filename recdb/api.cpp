// The engine's C interface: tasks, database numbers and the operations of
// recdb/dbengine.h. No exception leaves here.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "base/cabi.h"
#include "base/paths.h"
#include "dbengine.h"
#include "engine.h"
#include "recdb.h"

struct DB_TASK {
  std::vector<std::unique_ptr<recdb::Database>> databases;
  int selected = 0;
};

namespace recdb {
namespace {

// Every live task, so that what is pending is committed when the process
// exits normally.
std::mutex& tasksLock() {
  static std::mutex lock;
  return lock;
}
std::set<DB_TASK*>& liveTasks() {
  static auto* tasks = new std::set<DB_TASK*>;  // outlives every exit handler
  return *tasks;
}

void commitAtExit() {
  std::lock_guard<std::mutex> guard(tasksLock());
  for (DB_TASK* task : liveTasks())
    for (auto& db : task->databases)
      if (db) db->commit();
}

Database* pick(DB_TASK* task, int db) {
  if (task == nullptr) return nullptr;
  if (db == DB_CURRENT) db = task->selected;
  if (db < 0 || db >= static_cast<int>(task->databases.size())) return nullptr;
  return task->databases[db].get();
}

// Memory running out (the only exception the engine meets) fails the call.
template <class Op>
int guarded(Op op) {
  return ksbase::guarded(RECDB_E_IO, op);
}

template <class Op>
int onDatabase(DB_TASK* task, int db, Op op) {
  return guarded([&] {
    Database* database = pick(task, db);
    return database == nullptr ? RECDB_E_NODB : op(*database);
  });
}

// A write: outside bulk work it is committed before the call returns.
template <class Op>
int writing(DB_TASK* task, int db, Op op) {
  return onDatabase(task, db, [&](Database& d) { return d.settle(op(d)); });
}

int openInto(const char* name, DB_TASK* task) {
  std::unique_ptr<Database> db;
  std::string error;
  int rc = Database::open(name, db, error);
  if (rc != RECDB_OK) {
    setLastError(error);
    // The callers of the engine show no message of their own for a failed
    // open; say why on standard error so the user is not left guessing.
    if (std::getenv("KESTREL_QUIET_DB") == nullptr)
      std::fprintf(stderr, "recdb: %s\n", error.c_str());
    return rc;
  }
  task->databases.push_back(std::move(db));
  return RECDB_OK;
}

}  // namespace
}  // namespace recdb

using recdb::Database;
using recdb::guarded;
using recdb::onDatabase;
using recdb::writing;

extern "C" {

const char* dbResultText(int result) {
  switch (result) {
    case RECDB_OK: return "success";
    case RECDB_NOTFOUND: return "not found";
    case RECDB_END: return "no more entries";
    case RECDB_DUPLICATE: return "duplicate value in a unique key";
    case RECDB_NOCURRENT: return "no current record";
    case RECDB_E_ARG: return "bad argument";
    case RECDB_E_NODB: return "no such database open";
    case RECDB_E_TYPE: return "unknown record type";
    case RECDB_E_FIELD: return "unknown field or not a key of the record";
    case RECDB_E_ADDR: return "address of no record";
    case RECDB_E_DICT: return "dictionary missing or damaged";
    case RECDB_E_FILE: return "database file missing or not a database";
    case RECDB_E_IO: return "read or write failed";
    case RECDB_E_CURRENCY: return "currency block of another database";
    case RECDB_E_BUSY: return "database busy";
    case RECDB_E_FULL: return "data file full";
    default: return "unknown result";
  }
}

int dbOpenTask(DB_TASK** task) {
  if (task == nullptr) return RECDB_E_ARG;
  return guarded([&] {
    static const bool registered = std::atexit(recdb::commitAtExit) == 0;
    (void)registered;
    auto* made = new DB_TASK;
    std::lock_guard<std::mutex> guard(recdb::tasksLock());
    recdb::liveTasks().insert(made);
    *task = made;
    return RECDB_OK;
  });
}

int dbCloseTask(DB_TASK* task) {
  if (task == nullptr) return RECDB_E_ARG;
  int rc = dbClose(task);
  {
    std::lock_guard<std::mutex> guard(recdb::tasksLock());
    recdb::liveTasks().erase(task);
  }
  delete task;
  return rc;
}

int dbOpen(const char* name, const char* mode, DB_TASK* task) {
  if (name == nullptr || task == nullptr) return RECDB_E_ARG;
  if (mode != nullptr && mode[0] != '\0' && mode[0] != 'o' && mode[0] != 's' && mode[0] != 'x')
    return RECDB_E_ARG;
  if (!task->databases.empty()) return RECDB_E_BUSY;
  return guarded([&] {
    task->selected = 0;
    return recdb::openInto(name, task);
  });
}

int dbOpenAdd(const char* name, DB_TASK* task) {
  if (name == nullptr || task == nullptr) return RECDB_E_ARG;
  return guarded([&] { return recdb::openInto(name, task); });
}

int dbClose(DB_TASK* task) {
  if (task == nullptr) return RECDB_E_ARG;
  return guarded([&] {
    int result = RECDB_OK;
    for (auto& db : task->databases) {
      int rc = db->close();
      if (result == RECDB_OK) result = rc;
    }
    task->databases.clear();
    task->selected = 0;
    return result;
  });
}

int dbSetPages(int pages, int keyPages, DB_TASK* task) {
  // The engine sizes its own page caches; the request is only checked.
  if (task == nullptr || pages <= 0 || keyPages <= 0) return RECDB_E_ARG;
  return RECDB_OK;
}

int dbInitFile(int fileNo, DB_TASK* task, int db) {
  return writing(task, db, [&](Database& d) { return d.initFile(fileNo); });
}

int dbSelect(int db, DB_TASK* task) {
  if (task == nullptr) return RECDB_E_ARG;
  if (db < 0 || db >= static_cast<int>(task->databases.size())) return RECDB_E_NODB;
  task->selected = db;
  return RECDB_OK;
}

int dbRecordCreate(int type, const void* record, DB_TASK* task, int db) {
  return writing(task, db, [&](Database& d) { return d.create(type, record); });
}

int dbRecordRead(void* record, DB_TASK* task, int db) {
  return onDatabase(task, db, [&](Database& d) { return d.read(record); });
}

int dbRecordWrite(const void* record, DB_TASK* task, int db) {
  return writing(task, db, [&](Database& d) { return d.write(record); });
}

int dbDelete(DB_TASK* task, int db) {
  return writing(task, db, [&](Database& d) { return d.remove(); });
}

int dbRecordFirst(int type, DB_TASK* task, int db) {
  return onDatabase(task, db, [&](Database& d) { return d.first(type); });
}

int dbRecordNext(DB_TASK* task, int db) {
  return onDatabase(task, db, [&](Database& d) { return d.next(); });
}

int dbKeyFind(long field, const void* value, DB_TASK* task, int db) {
  return onDatabase(task, db, [&](Database& d) { return d.keyFind(field, value); });
}

int dbKeyNext(long field, DB_TASK* task, int db) {
  return onDatabase(task, db, [&](Database& d) { return d.keyNext(field); });
}

int dbKeyStore(long field, DB_TASK* task, int db) {
  return writing(task, db, [&](Database& d) { return d.keyStore(field); });
}

int dbKeyExists(long field, DB_TASK* task, int db) {
  return onDatabase(task, db, [&](Database& d) { return d.keyExists(field); });
}

int dbKeyDelete(long field, DB_TASK* task, int db) {
  return writing(task, db, [&](Database& d) { return d.keyDelete(field); });
}

int dbCurrentGet(DB_ADDR* address, DB_TASK* task, int db) {
  return onDatabase(task, db, [&](Database& d) { return d.currentGet(address); });
}

int dbCurrentSet(const DB_ADDR* address, DB_TASK* task, int db) {
  if (address == nullptr) return RECDB_E_ARG;
  return onDatabase(task, db, [&](Database& d) { return d.currentSet(*address); });
}

int dbCurrencySave(void** block, int* size, DB_TASK* task, int db) {
  return onDatabase(task, db, [&](Database& d) { return d.currencySave(block, size); });
}

int dbCurrencyRestore(void* block, DB_TASK* task, int db) {
  return guarded([&] {
    Database* d = recdb::pick(task, db);
    int rc = d == nullptr ? RECDB_E_NODB : d->currencyRestore(block);
    // The block is ours to free once it is known to be one of ours.
    if (block != nullptr && recdb::isCurrencyBlock(block)) std::free(block);
    return rc;
  });
}

int dbBulkBegin(DB_TASK* task, int db) {
  return onDatabase(task, db, [](Database& d) { return d.setBatching(true); });
}

int dbBulkEnd(DB_TASK* task, int db) {
  return onDatabase(task, db, [](Database& d) { return d.setBatching(false); });
}

int dbCommit(DB_TASK* task, int db) {
  return onDatabase(task, db, [](Database& d) { return d.commit(); });
}

long dbStoredCount(DB_TASK* task, int db) {
  long count = -1;
  onDatabase(task, db, [&](Database& d) {
    count = d.committedCreates();
    return RECDB_OK;
  });
  return count;
}

void dbIdle(void) {
  try {
    std::lock_guard<std::mutex> guard(recdb::tasksLock());
    for (DB_TASK* task : recdb::liveTasks())
      for (auto& db : task->databases)
        if (db) db->release();
  } catch (...) {
  }
}

const char* dbLastError(void) { return recdb::lastError().c_str(); }

long dbInUse(const char* name) {
  if (name == nullptr) return -1;
  try {
    return recdb::lockHolder(ksbase::mapPath(std::string(name) + ".DBD"), false);
  } catch (...) {
    return -1;
  }
}

int dbRecordPrepare(int type, DB_TASK* task, int db) {
  return onDatabase(task, db, [&](Database& d) { return d.checkType(type); });
}

int dbAfterFind(DB_TASK* task, int db) {
  return onDatabase(task, db, [&](Database& d) { return d.afterFind(); });
}

}  // extern "C"

int recdb::keyAddresses(DB_TASK* task, int db, long field,
                        const std::function<void(DB_ADDR)>& each) {
  return onDatabase(task, db, [&](Database& d) { return d.keyAddresses(field, each); });
}

int recdb::describe(DB_TASK* task, int db, std::vector<RecordShape>& records,
                    std::vector<int>& keyFiles) {
  return onDatabase(task, db, [&](Database& d) {
    const Schema& schema = d.schema();
    records.clear();
    keyFiles.clear();
    for (const Record& r : schema.records) {
      RecordShape shape{r.type, r.size, {}};
      for (int index : r.keys) {
        const Field& f = schema.fields[index];
        shape.keys.push_back({f.number, f.optional, f.key == KeyKind::Unique});
      }
      records.push_back(std::move(shape));
    }
    for (int i = 0; i < kFileSlots; ++i)
      if (schema.keyFile[i] && !schema.dataFile[i]) keyFiles.push_back(i);
    return RECDB_OK;
  });
}

std::uint64_t recdb::changeStamp(DB_TASK* task, int db) {
  try {
    Database* database = pick(task, db);
    return database == nullptr ? 0 : database->changeStamp();
  } catch (...) {
    return 0;
  }
}
