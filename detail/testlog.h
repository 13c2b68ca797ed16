// Test helpers of the award details: a logbook with its country, county
// and IOTA databases in a temporary folder, opened as a host opens them,
// and contacts made to order.
#ifndef KESTREL_DETAIL_TESTLOG_H
#define KESTREL_DETAIL_TESTLOG_H

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "testing/tempdir.h"
#include "base/fields.h"
#include "funct/ksfunct.h"
#include "schema/logschema.h"
#include "recdb/recdb.h"

namespace ksdetail::testlog {

namespace fs = std::filesystem;

using ksbase::putField;

// One contact as the tests describe it.
struct Contact {
  std::string call = "X1ABC", date = "06-15-99", mode = "SSB", prefix = "", qslRcvd = "N",
              qslSent = "N", qslDate = "", satId = "", state = "", grid = "", qth = "Somewhere";
  int band = 20, zone = 0;
  std::uint8_t tag = 0;  // every award flag
  std::int16_t iota = 0;
  std::int32_t county = 0;
};

// Logbook (0), COUNTRY (1), USCOUNTY (2), QSLMGR twice (3, 4), IOTA (5).
class Logbook : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("KESTREL_QUIET_DB", "1", 1);
    ASSERT_FALSE(dir_.empty());
    ::setenv("KESTREL_HOME", dir_.c_str(), 1);
    std::string error;
    const std::string d = dir_.string();
    ASSERT_EQ(logschema::writeLogbookSkeletons(d, error), RECDB_OK) << error;
    ASSERT_EQ(logschema::writeReferenceDatabase(logschema::country(), d, "COUNTRY", error), 0);
    ASSERT_EQ(logschema::writeReferenceDatabase(logschema::county(), d, "USCOUNTY", error), 0);
    ASSERT_EQ(logschema::writeReferenceDatabase(logschema::qslManager(), d, "QSLMGR", error), 0);
    ASSERT_EQ(logschema::writeReferenceDatabase(logschema::iota(), d, "IOTA", error), 0);
    const std::string base = (dir_ / "LOG").string();
    for (int i = 0; i < 6; ++i) fs::copy_file(dir_ / kLogSkeletons[i], base + kLogExtensions[i]);
    ASSERT_EQ(dbOpenTask(&task_), RECDB_OK);
    ASSERT_EQ(dbOpen(base.c_str(), "o", task_), RECDB_OK);
    for (int file : kLogInitOrder) ASSERT_EQ(dbInitFile(file, task_, 0), RECDB_OK);
    for (const char* name : {"COUNTRY", "USCOUNTY", "QSLMGR", "QSLMGR", "IOTA"})
      ASSERT_EQ(dbOpenAdd((dir_ / name).c_str(), task_), RECDB_OK) << name;
  }
  void TearDown() override {
    if (task_ != nullptr) dbCloseTask(task_);
  }

  void country(const std::string& prefix, const std::string& name, const char* status = "A") {
    CountryRecord r{};
    putField(r.prefix, prefix);
    putField(r.name, name);
    putField(r.status, status);
    putField(r.date, "01-01-01");
    ASSERT_EQ(dbRecordCreate(kCountryRecordType, &r, task_, 1), RECDB_OK);
  }

  // A county; returns its database address.
  DB_ADDR county(const std::string& state, const std::string& name) {
    CountyRecord r{};
    std::memcpy(r.state, state.data(), 2);
    putField(r.county, name);
    DB_ADDR address = 0;
    EXPECT_EQ(dbRecordCreate(kCountyRecordType, &r, task_, 2), RECDB_OK);
    dbCurrentGet(&address, task_, 2);
    return address;
  }

  void island(const std::string& reference, const std::string& group, const std::string& prefix,
              const std::string& name) {
    IotaRecord r{};
    putField(r.prefix, prefix);
    putField(r.name, name);
    putField(r.status, "A");
    putField(r.iotaNumber, reference);
    putField(r.groupFlag, group);
    ASSERT_EQ(dbRecordCreate(kIotaRecordType, &r, task_, 5), RECDB_OK);
  }

  void grid(const std::string& text) {
    GridTally t{};
    std::memcpy(t.grid, text.data(), std::min<std::size_t>(text.size(), 6));
    ASSERT_EQ(dbRecordCreate(kGridTallyType, &t, task_, 0), RECDB_OK);
  }

  // Stores the contact with its automatic and optional keys; returns its
  // database address.
  DB_ADDR add(const Contact& c) {
    LogRecord r{};
    putField(r.call, c.call);
    putField(r.date, c.date);
    r.julianDay = CalcJulianDate(c.date.c_str());
    putField(r.time, "12:00");
    putField(r.mode, c.mode);
    putField(r.rstRcvd, "59");
    putField(r.qth, c.qth);
    putField(r.qslRcvd, c.qslRcvd);
    putField(r.qslSent, c.qslSent);
    putField(r.qslDate, c.qslDate);
    putField(r.satId, c.satId);
    putField(r.prefix, c.prefix);
    putField(r.state, c.state);
    putField(r.grid, c.grid);
    r.band = static_cast<std::uint16_t>(c.band);
    r.cqZone = static_cast<std::uint16_t>(c.zone);
    r.dxccFlag = r.dxccModeFlag = r.dxccBandFlag = r.cqFlag = r.cqModeFlag = r.cqBandFlag =
        r.wasFlag = r.wasModeFlag = r.wasBandFlag = r.vuccFlag = r.uscaFlag = r.iotaFlag = c.tag;
    r.iotaCode = c.iota;
    r.countyNumber = c.county;
    EXPECT_EQ(dbRecordCreate(kLogRecordType, &r, task_, 0), RECDB_OK);
    if (isUSA(c.prefix.c_str()) && isState(c.state.c_str())) {
      for (long key : {logfield::kState, logfield::kBandState, logfield::kStateMode}) {
        EXPECT_EQ(dbKeyStore(key, task_, 0), RECDB_OK);
      }
    }
    if (!c.grid.empty() && isVHFUHF(c.band)) {
      for (long key : {logfield::kGrid, logfield::kBandGrid}) {
        EXPECT_EQ(dbKeyStore(key, task_, 0), RECDB_OK);
      }
    }
    if (c.county > 0) {
      EXPECT_EQ(dbKeyStore(logfield::kCountyNumber, task_, 0), RECDB_OK);
    }
    DB_ADDR address = 0;
    dbCurrentGet(&address, task_, 0);
    return address;
  }

  kstest::TempDir temp_;
  fs::path dir_ = temp_.path();
  DB_TASK* task_ = nullptr;
};

}  // namespace ksdetail::testlog

#endif
