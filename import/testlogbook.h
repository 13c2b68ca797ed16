// Test helpers of the import: a frame that records what it is told, and a
// new logbook with its country and county databases in a temporary folder.
#ifndef KESTREL_IMPORT_TESTLOGBOOK_H
#define KESTREL_IMPORT_TESTLOGBOOK_H

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "funct/ksfunct.h"
#include "schema/countyfile.h"
#include "session.h"
#include "recdb/recdb.h"
#include "testing/tempdir.h"
#include "winlayer/host.h"

namespace ksimport::testlog {

namespace fs = std::filesystem;

class FakeFrame : public ImportFrame {
 public:
  void console(const std::string& text) override { text_ += text; }
  void showProgress(bool on) override { progressShown.push_back(on); }
  void progress(long records) override { lastProgress = records; }
  bool cancelled() override { return cancelAt > 0 && lastProgress >= cancelAt; }
  void rebuildKeys() override { ++rebuilds; }
  bool reopenDatabases() override { return reopenWorks; }
  bool showReport(const std::string& path) override {
    shownReport = path;
    return true;
  }
  const std::string& text() const { return text_; }

  std::vector<bool> progressShown;
  long lastProgress = 0;
  long cancelAt = 0;  // Cancel pressed once this many records are read
  int rebuilds = 0;
  bool reopenWorks = true;
  std::string shownReport;

 private:
  std::string text_;
};

// In a new temporary folder `dir`: the logbook skeletons, empty "COUNTRY"
// and "USCOUNTY" databases, and a new logbook "LOG" made from the skeletons
// as the import program makes one, open as database 0 of a new `task`.
inline void makeLogbook(const fs::path& dir, DB_TASK*& task) {
  ::setenv("KESTREL_QUIET_DB", "1", 1);
  ASSERT_FALSE(dir.empty());
  std::string error;
  ASSERT_EQ(logschema::writeLogbookSkeletons(dir.string(), error), RECDB_OK) << error;
  ASSERT_EQ(logschema::writeReferenceDatabase(logschema::country(), dir.string(), "COUNTRY", error),
            RECDB_OK);
  ASSERT_EQ(logschema::writeReferenceDatabase(logschema::county(), dir.string(), "USCOUNTY", error),
            RECDB_OK);
  const std::string base = (dir / "LOG").string();
  for (int i = 0; i < 6; ++i) fs::copy_file(dir / kLogSkeletons[i], base + kLogExtensions[i]);
  ASSERT_EQ(dbOpenTask(&task), RECDB_OK);
  ASSERT_EQ(dbOpen(base.c_str(), "o", task), RECDB_OK);
  for (int file : kLogInitOrder) ASSERT_EQ(dbInitFile(file, task, 0), RECDB_OK);
  LogHeader header = newLogHeader();
  ASSERT_EQ(dbRecordCreate(kLogHeaderType, &header, task, 0), RECDB_OK);
}

// A new logbook with the country and county databases beside it as
// databases 1 and 2.
class LogbookTest : public ::testing::Test {
 protected:
  void SetUp() override {
    makeLogbook(dir_, task_);
    if (HasFatalFailure()) return;
    header_ = newLogHeader();
    std::string error;
    ASSERT_EQ(dbOpenAdd((dir_ / "COUNTRY").c_str(), task_), RECDB_OK);
    ASSERT_EQ(dbOpenAdd((dir_ / "USCOUNTY").c_str(), task_), RECDB_OK);
    std::ofstream counties(dir_ / "counties.txt");
    counties << "# test\nMA,MIDDLESEX\nMA,ESSEX\n";
    counties.close();
    ASSERT_TRUE(ksschema::loadCountyFile((dir_ / "counties.txt").string(), task_, 2, error)) << error;
    adif_ = (dir_ / "contest.adi").string();
    std::ofstream(adif_) << "<EOH>\n";
  }
  void TearDown() override {
    if (task_) dbCloseTask(task_);
  }

  static LogRecord contact(const char* call, int band, const char* state = "",
                           const char* grid = "") {
    LogRecord r{};
    std::strcpy(r.call, call);
    std::strcpy(r.date, "03-15-24");
    r.julianDay = CalcJulianDate(r.date);
    std::strcpy(r.mode, "CW");
    std::strcpy(r.prefix, call[0] == 'W' ? "K" : "DL");
    std::strcpy(r.state, state);
    std::strcpy(r.grid, grid);
    std::strcpy(r.qslSent, "N");
    std::strcpy(r.qslRcvd, "N");
    r.band = static_cast<uint16_t>(band);
    r.cqZone = 5;
    return r;
  }

  static std::string read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  kstest::TempDir temp_;
  fs::path dir_ = temp_.path();
  DB_TASK* task_ = nullptr;
  LogHeader header_{};
  std::string adif_;
  kswin::HeadlessHost host_;
  kswin::ScopedHost scoped_{host_};
  FakeFrame frame_;
  const ImporterTexts texts_{116, 117, 118, 119};
};

}  // namespace ksimport::testlog

#endif
