// The country list into a country database and out again: what an export
// writes, an import reads back into the same records.
#include "countrydb.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "recdb/recdb.h"
#include "testing/testdb.h"

namespace countrytext {
namespace {

class CountryDatabase : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("KESTREL_QUIET_DB", "1", 1);
    kstest::makeDatabase(logschema::country(), dir / "FIRST");
    kstest::makeDatabase(logschema::country(), dir / "SECOND");
    ASSERT_EQ(dbOpenTask(&task), RECDB_OK);
    ASSERT_EQ(dbOpen((dir / "FIRST").c_str(), "o", task), RECDB_OK);
    ASSERT_EQ(dbOpenAdd((dir / "SECOND").c_str(), task), RECDB_OK);
  }
  void TearDown() override { dbCloseTask(task); }

  std::vector<CountryLine> records(int db) {
    std::vector<CountryLine> out;
    for (int rc = dbRecordFirst(kCountryRecordType, task, db); rc == 0; rc = dbRecordNext(task, db)) {
      CountryRecord record{};
      EXPECT_EQ(dbRecordRead(&record, task, db), RECDB_OK);
      out.push_back(fromRecord(record));
    }
    return out;
  }

  kstest::TempDir dir;
  DB_TASK* task = nullptr;
};

TEST_F(CountryDatabase, AnExportReadsBackAsTheSameRecords) {
  kstest::writeFile(dir / "in.txt",
                    "\"1A\",\"Sov Mil Order of Malta\",\"EU\",\"41.54N\",\"12.26E\",\"15\",\"28\","
                    "\"A\",\"01-01-01\",\"1A\",\"\",\"\"\r\n"
                    "\r\n"
                    "\"VK9X\",\"Christmas I.\",\"OC\",\"10.29S\",\"105.38E\",\"29\",\"54\",\"A\","
                    "\"01-01-01\",\"VK9X\",\"\",\"\"\r\n"
                    "\"Y2\",\"East Germany\",\"EU\",\"52.31N\",\"13.24E\",\"14\",\"28\",\"D\","
                    "\"10-03-90\",\"Y2,Y3,Y4,Y5,Y6,Y7,Y8,Y9\",\"\",\"\"\r\n");
  const ImportResult in = importCountryFile((dir / "in.txt").c_str(), task, 0);
  EXPECT_TRUE(in.opened);
  EXPECT_EQ(in.stored, 3);

  const ExportResult out = exportCountryFile((dir / "out.txt").c_str(), task, 0);
  EXPECT_TRUE(out.created);
  EXPECT_TRUE(out.complete);
  EXPECT_EQ(out.written, 3);
  const std::string text = kstest::readFile(dir / "out.txt");
  EXPECT_EQ(text.substr(text.size() - 5), "\"\r\n\r\n");  // every line, then one empty line
  EXPECT_NE(text.find("\"Sov Mil Order of Mal\""), std::string::npos);  // the record's 20

  EXPECT_EQ(importCountryFile((dir / "out.txt").c_str(), task, 1).stored, 3);
  const std::vector<CountryLine> first = records(0), second = records(1);
  ASSERT_EQ(first.size(), second.size());
  for (size_t i = 0; i < first.size(); ++i) {
    EXPECT_EQ(formatCountryLine(first[i]), formatCountryLine(second[i]));
  }
  EXPECT_EQ(second[2].status, "D");
  EXPECT_EQ(second[2].prefixList, "Y2,Y3,Y4,Y5,Y6,Y7,Y8,Y9");
}

TEST_F(CountryDatabase, AnEmptyDatabaseExportsTheClosingLineAlone) {
  const ExportResult out = exportCountryFile((dir / "empty.txt").c_str(), task, 0);
  EXPECT_TRUE(out.complete);
  EXPECT_EQ(out.written, 0);
  EXPECT_EQ(kstest::readFile(dir / "empty.txt"), "\r\n");
  EXPECT_FALSE(exportCountryFile((dir.path() + "/missing/x.txt").c_str(), task, 0).created);
}

}  // namespace
}  // namespace countrytext
