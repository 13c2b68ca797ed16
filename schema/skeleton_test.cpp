// A new logbook made from the skeletons of a dictionary directory, the way
// the import program makes one, opens under its own name.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "funct/ksfunct.h"
#include "recdb/dbengine.h"
#include "logschema.h"
#include "testing/testdb.h"
#include "winlayer/host.h"

namespace {

using kstest::TempDir;

TEST(Skeletons, NewLogbookFromSkeletonsOpensUnderItsName) {
  ::setenv("KESTREL_QUIET_DB", "1", 1);
  kswin::HeadlessHost host;
  kswin::ScopedHost scoped(host);
  TempDir dict, logs;
  std::string error;
  ASSERT_EQ(logschema::writeLogbookSkeletons(dict.path(), error), RECDB_OK) << error;
  // Written again over the old ones: skeletons hold no data.
  ASSERT_EQ(logschema::writeLogbookSkeletons(dict.path() + "/", error), RECDB_OK) << error;

  const std::string base = logs / "MYLOG";
  for (int i = 0; i < 6; ++i) {
    std::string from = dict / kLogSkeletons[i], to = base + kLogExtensions[i];
    int copied = i == 0 ? CopyDictionary(nullptr, from.c_str(), to.c_str())
                        : KSCopyFile(nullptr, from.c_str(), to.c_str());
    ASSERT_EQ(copied, 1) << from;
  }
  // Same size as the skeleton: not taken for an old logbook.
  EXPECT_EQ(std::filesystem::file_size(base + ".DBD"),
            std::filesystem::file_size(dict / "LOGDBD.SKL"));

  DB_TASK* task = nullptr;
  ASSERT_EQ(dbOpenTask(&task), RECDB_OK);
  ASSERT_EQ(dbOpen(base.c_str(), "o", task), RECDB_OK);
  for (int file : kLogInitOrder) ASSERT_EQ(dbInitFile(file, task, 0), RECDB_OK) << file;
  LogHeader header = newLogHeader();
  ASSERT_EQ(dbRecordCreate(kLogHeaderType, &header, task, 0), RECDB_OK);
  LogRecord contact{};
  std::memcpy(contact.call, "W1AW", 4);
  std::memcpy(contact.mode, "CW", 2);
  ASSERT_EQ(dbRecordCreate(kLogRecordType, &contact, task, 0), RECDB_OK);
  ASSERT_EQ(dbClose(task), RECDB_OK);

  // The logbook's files are its own: the skeletons stay empty.
  ASSERT_EQ(dbOpen(base.c_str(), "o", task), RECDB_OK);
  ASSERT_EQ(dbKeyFind(logfield::kHeaderMarker, "XXX", task, 0), RECDB_OK);
  LogHeader read{};
  ASSERT_EQ(dbRecordRead(&read, task, 0), RECDB_OK);
  EXPECT_EQ(read.value1, 3);
  EXPECT_EQ(dbKeyFind(logfield::kMode, "CW", task, 0), RECDB_OK);
  ASSERT_EQ(dbClose(task), RECDB_OK);
  std::filesystem::copy_file(dict / "LOGDBD.SKL", dict / "SKEL.DBD");
  ASSERT_EQ(dbOpen((dict / "SKEL").c_str(), "o", task), RECDB_OK);
  EXPECT_EQ(dbRecordFirst(kLogRecordType, task, 0), RECDB_END);
  EXPECT_EQ(dbCloseTask(task), RECDB_OK);
}

TEST(Skeletons, ReferenceDatabasesAreNeverWrittenOver) {
  ::setenv("KESTREL_QUIET_DB", "1", 1);
  TempDir dict;
  std::string error;
  ASSERT_EQ(logschema::writeReferenceDatabase(logschema::country(), dict.path(), "COUNTRY", error),
            RECDB_OK)
      << error;
  DB_TASK* task = nullptr;
  ASSERT_EQ(dbOpenTask(&task), RECDB_OK);
  ASSERT_EQ(dbOpen((dict / "COUNTRY").c_str(), "o", task), RECDB_OK);
  CountryRecord country{};
  std::memcpy(country.prefix, "VP8", 3);
  ASSERT_EQ(dbRecordCreate(kCountryRecordType, &country, task, 0), RECDB_OK);
  ASSERT_EQ(dbClose(task), RECDB_OK);
  EXPECT_EQ(logschema::writeReferenceDatabase(logschema::country(), dict.path(), "COUNTRY", error),
            RECDB_E_BUSY);
  ASSERT_EQ(dbOpen((dict / "COUNTRY").c_str(), "o", task), RECDB_OK);
  EXPECT_EQ(dbKeyFind(reffield::kCountryPrefix, "VP8", task, 0), RECDB_OK);
  EXPECT_EQ(dbCloseTask(task), RECDB_OK);
}

}  // namespace
