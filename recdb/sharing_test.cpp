// The engine beside other connections and processes: when writes become
// visible, read snapshots that end, one writer at a time, and files that
// are not whole.
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "recdb/recdb.h"
#include "schema/logschema.h"
#include "testing/testdb.h"
#include "testing/tempdir.h"

namespace {

using namespace kstest;
using Sharing = LogbookTest;

// A second connection to the logbook's data file, as another program or the
// sqlite3 shell has it.
class Beside {
 public:
  explicit Beside(const std::string& file) {
    sqlite3_open_v2(file.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr);
  }
  ~Beside() { sqlite3_close(db_); }
  long contacts() {
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db_, "SELECT count(*) FROM records WHERE type = 10000", -1, &stmt, nullptr);
    long n = sqlite3_step(stmt) == SQLITE_ROW ? static_cast<long>(sqlite3_column_int64(stmt, 0)) : -1;
    sqlite3_finalize(stmt);
    return n;
  }
  int write() {
    return sqlite3_exec(db_, "INSERT INTO records(type, data) VALUES(10005, x'00')", nullptr,
                        nullptr, nullptr);
  }

 private:
  sqlite3* db_ = nullptr;
};

TEST_F(Sharing, WritesOutsideBulkWorkAreSeenAtOnceBulkWorkAtItsCommit) {
  Beside other(dir / "LOG.DAT");
  create(contact("W1AW", 1, "CW", "K", 20, 5));
  EXPECT_EQ(other.contacts(), 1);
  EXPECT_EQ(dbStoredCount(task, 0), 1);

  ASSERT_EQ(dbBulkBegin(task, 0), RECDB_OK);
  create(contact("K1ABC", 2, "CW", "K", 20, 5));
  create(contact("N1XYZ", 3, "SSB", "K", 40, 5));
  EXPECT_EQ(other.contacts(), 1);  // the batch is not committed yet
  EXPECT_EQ(dbStoredCount(task, 0), 1);
  ASSERT_EQ(dbBulkEnd(task, 0), RECDB_OK);
  EXPECT_EQ(other.contacts(), 3);
  EXPECT_EQ(dbStoredCount(task, 0), 3);

  // After the bulk work, writes are committed one by one again.
  ASSERT_EQ(dbKeyFind(logfield::kPrefix, "K", task, 0), RECDB_OK);
  ASSERT_EQ(dbDelete(task, 0), RECDB_OK);
  EXPECT_EQ(other.contacts(), 2);
}

TEST_F(Sharing, ABatchOlderThanASecondIsCommittedAtTheNextWrite) {
  Beside other(dir / "LOG.DAT");
  ASSERT_EQ(dbBulkBegin(task, 0), RECDB_OK);
  create(contact("W1AW", 1, "CW", "K", 20, 5));
  ::usleep(1100 * 1000);
  create(contact("K1ABC", 2, "CW", "K", 20, 5));
  EXPECT_EQ(other.contacts(), 1);
  EXPECT_EQ(dbStoredCount(task, 0), 1);
  EXPECT_EQ(dbBulkEnd(task, 0), RECDB_OK);
}

TEST_F(Sharing, ReadsShareASnapshotThatEndsWhenTheProgramWaits) {
  create(contact("W1AW", 1, "CW", "K", 20, 5));
  Beside other(dir / "LOG.DAT");
  ASSERT_EQ(dbKeyFind(logfield::kPrefix, "K", task, 0), RECDB_OK);
  // The snapshot holds the files: another writer cannot commit meanwhile.
  EXPECT_EQ(other.write(), SQLITE_BUSY);
  dbIdle();
  EXPECT_EQ(other.write(), SQLITE_OK);
  // Nor does a snapshot outlive its time: the next read starts a new one.
  ASSERT_EQ(dbKeyFind(logfield::kPrefix, "K", task, 0), RECDB_OK);
  ::usleep(150 * 1000);
  ASSERT_EQ(dbKeyFind(logfield::kPrefix, "K", task, 0), RECDB_OK);
  dbIdle();
  EXPECT_EQ(other.write(), SQLITE_OK);
  // Walks go on where they stood after a snapshot ends.
  create(contact("K1ABC", 2, "CW", "K", 20, 5));
  ASSERT_EQ(dbKeyFind(logfield::kPrefix, "K", task, 0), RECDB_OK);
  dbIdle();
  EXPECT_EQ(dbKeyNext(logfield::kPrefix, task, 0), RECDB_OK);
  EXPECT_EQ(dbKeyNext(logfield::kPrefix, task, 0), RECDB_END);
}

TEST_F(Sharing, ASecondWriterWaitsAndIsToldWhichProcessHasTheLogbook) {
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    DB_TASK* other = nullptr;
    char done = dbOpenTask(&other) == RECDB_OK && dbOpen(base().c_str(), "o", other) == RECDB_OK;
    LogRecord r = contact("K1ABC", 2, "CW", "K", 20, 5);
    done = done && dbRecordCreate(kLogRecordType, &r, other, 0) == RECDB_OK;
    (void)!::write(ready[1], &done, 1);
    ::pause();
    ::_exit(0);
  }
  char done = 0;
  ASSERT_EQ(::read(ready[0], &done, 1), 1);
  ASSERT_EQ(done, 1);
  EXPECT_EQ(dbInUse(base().c_str()), child);
  LogRecord r = contact("W1AW", 1, "CW", "K", 20, 5);
  EXPECT_EQ(dbRecordCreate(kLogRecordType, &r, task, 0), RECDB_E_BUSY);
  EXPECT_NE(std::string(dbLastError()).find("process " + std::to_string(child)), std::string::npos)
      << dbLastError();
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  ::close(ready[0]);
  ::close(ready[1]);
  EXPECT_EQ(dbInUse(base().c_str()), 0);
  EXPECT_EQ(dbRecordCreate(kLogRecordType, &r, task, 0), RECDB_OK);
  EXPECT_EQ(Beside(dir / "LOG.DAT").contacts(), 2);  // the killed writer's contact is kept
}

TEST_F(Sharing, TasksOfOneProgramShareItsLocks) {
  DB_TASK* second = nullptr;
  ASSERT_EQ(dbOpenTask(&second), RECDB_OK);
  ASSERT_EQ(dbOpen(base().c_str(), "o", second), RECDB_OK);
  create(contact("W1AW", 1, "CW", "K", 20, 5));
  LogRecord r = contact("K1ABC", 2, "CW", "K", 20, 5);
  EXPECT_EQ(dbRecordCreate(kLogRecordType, &r, second, 0), RECDB_OK);
  EXPECT_EQ(dbInUse(base().c_str()), 0);  // no other program
  EXPECT_EQ(dbCloseTask(second), RECDB_OK);
}

TEST(SharingOpen, FilesThatAreNotWholeAreRefusedByName) {
  ::setenv("KESTREL_QUIET_DB", "1", 1);
  TempDir dir;
  makeDatabase(logschema::logbook(), dir / "LOG");
  DB_TASK* task = nullptr;
  ASSERT_EQ(dbOpenTask(&task), RECDB_OK);
  std::filesystem::resize_file(dir / "LOG.DAT", 0);
  EXPECT_EQ(dbOpen((dir / "LOG").c_str(), "o", task), RECDB_E_FILE);
  EXPECT_NE(std::string(dbLastError()).find("LOG.DAT is empty"), std::string::npos)
      << dbLastError();
  EXPECT_EQ(std::filesystem::file_size(dir / "LOG.DAT"), 0u);  // not made anew

  makeDatabase(logschema::country(), dir / "COUNTRY");
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open((dir / "COUNTRY.DAT").c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db, "DROP TABLE records", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(db);
  EXPECT_EQ(dbOpen((dir / "COUNTRY").c_str(), "o", task), RECDB_E_FILE);
  EXPECT_NE(std::string(dbLastError()).find("COUNTRY.DAT: tables missing"), std::string::npos)
      << dbLastError();
  EXPECT_EQ(dbCloseTask(task), RECDB_OK);
}

}  // namespace
