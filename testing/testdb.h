// Test helpers: databases freshly written into temporary directories, and
// contacts to fill them with.
#ifndef KESTREL_TESTING_TESTDB_H
#define KESTREL_TESTING_TESTDB_H

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "base/fields.h"
#include "recdb/dbengine.h"
#include "schema/logschema.h"
#include "recdb/recdb.h"
#include "tempdir.h"

namespace kstest {

// Writes database `base` (path without extension) of `schema`.
inline void makeDatabase(const recdb::SchemaDef& schema, const std::string& base) {
  std::string name = base.substr(base.rfind('/') + 1);
  std::string error;
  ASSERT_EQ(recdb::writeDatabase(schema, base + ".DBD", recdb::fileNamesFor(schema, name), false,
                                 error),
            RECDB_OK)
      << error;
}

#define KS_SET(field, text) ::ksbase::putField(field, text)

inline LogRecord contact(const char* call, int day, const char* mode, const char* prefix,
                         int band, int zone) {
  LogRecord r{};
  KS_SET(r.call, call);
  r.julianDay = day;
  KS_SET(r.mode, mode);
  KS_SET(r.prefix, prefix);
  r.band = static_cast<std::uint16_t>(band);
  r.cqZone = static_cast<std::uint16_t>(zone);
  return r;
}

// A task with a new, empty logbook open as database 0.
class LogbookTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("KESTREL_QUIET_DB", "1", 1);
    makeDatabase(logschema::logbook(), base());
    ASSERT_EQ(dbOpenTask(&task), RECDB_OK);
    ASSERT_EQ(dbOpen(base().c_str(), "o", task), RECDB_OK);
  }
  void TearDown() override {
    if (task != nullptr) {
      EXPECT_EQ(dbCloseTask(task), RECDB_OK);
    }
  }
  std::string base() const { return dir / "LOG"; }
  DB_ADDR create(const LogRecord& r) {
    EXPECT_EQ(dbRecordCreate(kLogRecordType, &r, task, 0), RECDB_OK);
    DB_ADDR address = 0;
    EXPECT_EQ(dbCurrentGet(&address, task, 0), RECDB_OK);
    return address;
  }

  TempDir dir;
  DB_TASK* task = nullptr;
};

}  // namespace kstest

#endif
