// A process killed while it creates contacts leaves a logbook that opens,
// whose every key entry points at a record and whose every contact carries
// its automatic keys and the optional keys it was stored in right after it
// was made; only the last uncommitted batch may be missing.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "engine.h"
#include "testing/testdb.h"

namespace {

using namespace kstest;

// Creates contacts until killed, telling the parent how many are made.
[[noreturn]] void createForever(const std::string& base, int report) {
  DB_TASK* task = nullptr;
  if (dbOpenTask(&task) != RECDB_OK || dbOpen(base.c_str(), "o", task) != RECDB_OK) _exit(2);
  for (long i = 1;; ++i) {
    LogRecord r = contact(("K" + std::to_string(i % 9973)).c_str(), static_cast<int>(i / 7),
                          i % 3 ? "CW" : "SSB", i % 5 ? "K" : "VE", i % 2 ? 20 : 40,
                          static_cast<int>(i % 40 + 1));
    if (i % 2 == 0) KS_SET(r.state, "MA");
    if (dbRecordCreate(kLogRecordType, &r, task, 0) != RECDB_OK) _exit(3);
    if (i % 2 == 0 && dbKeyStore(logfield::kState, task, 0) != RECDB_OK) _exit(4);
    if (i % 500 == 0 && write(report, &i, sizeof i) != sizeof i) _exit(5);
  }
}

std::int64_t single(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) return -1;
  std::int64_t n = sqlite3_step(stmt) == SQLITE_ROW ? sqlite3_column_int64(stmt, 0) : -1;
  sqlite3_finalize(stmt);
  return n;
}

std::string fileName(int file) { return file == 0 ? "main" : "f" + std::to_string(file); }

TEST(EngineCrash, KilledWriterLeavesAWholeLogbook) {
  ::setenv("KESTREL_QUIET_DB", "1", 1);
  // Short batches, so that a few seconds see several commits.
  constexpr long kBatch = 2999;  // not a multiple of the 3 writes of 2 contacts
  ::setenv("RECDB_BATCH", "2999,400", 1);
  for (int round = 0; round < 2; ++round) {
    TempDir dir;
    const std::string base = dir / "LOG";
    makeDatabase(logschema::logbook(), base);
    int pipes[2];
    ASSERT_EQ(pipe(pipes), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      close(pipes[0]);
      createForever(base, pipes[1]);
    }
    close(pipes[1]);
    // Let it run past a time-batched commit or two, then kill it mid-batch.
    auto until = std::chrono::steady_clock::now() +
                 std::chrono::milliseconds(round == 0 ? 1300 : 2100);
    long reported = 0;
    while (std::chrono::steady_clock::now() < until) {
      long n = 0;
      if (read(pipes[0], &n, sizeof n) != sizeof n) break;
      reported = n;
    }
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    close(pipes[0]);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself: " << status;
    ASSERT_GT(reported, 0);

    std::unique_ptr<recdb::Database> db;
    std::string error;
    ASSERT_EQ(recdb::Database::open(base, db, error), RECDB_OK) << error;
    sqlite3* c = db->connection();
    std::int64_t records = single(c, "SELECT count(*) FROM main.records");
    EXPECT_GT(records, 0);
    EXPECT_GE(records, reported - kBatch);
    EXPECT_LE(records, reported + 500);
    const recdb::Schema& schema = db->schema();
    for (int index : schema.keys) {
      const recdb::Field& f = schema.fields[index];
      if (f.record != 0) continue;
      std::string table = fileName(f.keyFile) + ".key_" + std::to_string(f.number);
      EXPECT_EQ(single(c, "SELECT count(*) FROM " + table +
                              " WHERE (addr & 16777215) NOT IN (SELECT id FROM main.records)"),
                0)
          << table << " points at records that are not there";
      if (f.optional) continue;
      EXPECT_EQ(single(c, "SELECT count(DISTINCT addr) FROM " + table), records)
          << table << " misses records";
    }
    // Every second contact was stored in the state key right after it was
    // made: no commit may fall between the two.
    EXPECT_EQ(single(c, "SELECT count(*) FROM " +
                            fileName(schema.field(logfield::kState)->keyFile) + ".key_" +
                            std::to_string(logfield::kState)),
              records / 2);
    // The engine still finds and reads through the keys it left.
    EXPECT_EQ(dbOpenTask(nullptr), RECDB_E_ARG);
    DB_TASK* task = nullptr;
    ASSERT_EQ(dbOpenTask(&task), RECDB_OK);
    db.reset();
    ASSERT_EQ(dbOpen(base.c_str(), "o", task), RECDB_OK);
    ASSERT_EQ(dbKeyFind(logfield::kState, "MA", task, 0), RECDB_OK);
    LogRecord r{};
    EXPECT_EQ(dbRecordRead(&r, task, 0), RECDB_OK);
    EXPECT_STREQ(r.state, "MA");
    EXPECT_EQ(dbCloseTask(task), RECDB_OK);
  }
  ::unsetenv("RECDB_BATCH");
}

}  // namespace
