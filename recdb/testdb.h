// Test helpers: temporary directories holding freshly written databases.
#ifndef KESTREL_RECDB_TESTDB_H
#define KESTREL_RECDB_TESTDB_H

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "import/dbengine.h"
#include "import/logschema.h"
#include "recdb/recdb.h"

namespace recdb::testing {

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "recdb-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
  }
  ~TempDir() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Writes database `base` (path without extension) of `schema`.
inline void makeDatabase(const recdb::SchemaDef& schema, const std::string& base) {
  std::string name = base.substr(base.rfind('/') + 1);
  std::string error;
  ASSERT_EQ(recdb::writeDatabase(schema, base + ".DBD", recdb::fileNamesFor(schema, name), false,
                                 error),
            RECDB_OK)
      << error;
}

inline void setText(char* field, std::size_t width, const char* text) {
  std::memset(field, 0, width);
  std::memcpy(field, text, strnlen(text, width - 1));
}
#define KS_SET(field, text) ::recdb::testing::setText(field, sizeof(field), text)

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

}  // namespace recdb::testing

#endif
