// Test helpers of the importers of other loggers' files: country and band
// answers that need no country tables, and an import context around the
// test logbook.
#ifndef KESTREL_IMPORT_FOREIGNTEST_H
#define KESTREL_IMPORT_FOREIGNTEST_H

#include <cstring>
#include <string>
#include <vector>

#include "importers.h"
#include "testlogbook.h"

namespace ksimport::testlog {

// Calls starting with K, N or W are in the USA (zone 5, ITU 8); calls
// starting with Q have no country; the rest are in Germany (zone 14, ITU
// 28). 7, 14, 50 and 144 MHz are 40, 20, 6 and 2 m.
class FakeServices : public RecordServices {
 public:
  explicit FakeServices(DB_TASK* task) : task_(task) {}
  bool resolveCountry(LogRecord& record) override {
    const char c = record.call[0];
    const bool usa = c == 'K' || c == 'N' || c == 'W';
    if (c == 'Q') {
      record.prefix[0] = '\0';
      return false;
    }
    std::strcpy(record.prefix, usa ? "K" : "DL");
    std::strcpy(record.qth, usa ? "United States" : "Germany");
    std::strcpy(record.continent, usa ? "NA" : "EU");
    record.cqZone = usa ? 5 : 14;
    record.ituZone = usa ? 8 : 28;
    return true;
  }
  int bandOf(double mhz) override {
    if (mhz >= 7.0 && mhz <= 7.3) return 40;
    if (mhz >= 14.0 && mhz <= 14.35) return 20;
    if (mhz >= 50.0 && mhz <= 54.0) return 6;
    if (mhz >= 144.0 && mhz <= 148.0) return 2;
    return 0;
  }
  long findCounty(const char* state, const char* county) override {
    return FindCounty(task_, state, county);
  }

 private:
  DB_TASK* task_;
};

class ForeignImportTest : public LogbookTest {
 protected:
  void SetUp() override {
    LogbookTest::SetUp();
    services_ = FakeServices(task_);
    context_.task = task_;
    context_.frame = &frame_;
    context_.services = &services_;
  }
  std::vector<LogRecord> stored() {
    std::vector<LogRecord> records;
    for (int r = dbRecordFirst(kLogRecordType, task_, 0); r == RECDB_OK;
         r = dbRecordNext(task_, 0)) {
      LogRecord record{};
      dbRecordRead(&record, task_, 0);
      records.push_back(record);
    }
    return records;
  }
  std::vector<std::string> storedCalls() {
    std::vector<std::string> calls;
    for (const LogRecord& record : stored()) calls.emplace_back(record.call);
    return calls;
  }

  FakeServices services_{nullptr};
  ImportContext context_;
};

}  // namespace ksimport::testlog

#endif
