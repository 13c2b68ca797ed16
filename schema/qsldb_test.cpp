// The QSL manager list into a database and out again; a file that repeats
// call signs already stored adds only the new ones.
#include "qsldb.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "schema/countrydb.h"
#include "recdb/recdb.h"
#include "testing/testdb.h"

namespace qsltext {
namespace {

struct Closer {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

class QslDatabase : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("KESTREL_QUIET_DB", "1", 1);
    kstest::makeDatabase(logschema::qslManager(), dir / "QSLMGR");
    ASSERT_EQ(dbOpenTask(&task), RECDB_OK);
    ASSERT_EQ(dbOpen((dir / "QSLMGR").c_str(), "o", task), RECDB_OK);
  }
  void TearDown() override { dbCloseTask(task); }

  ImportResult import(const std::string& text) {
    kstest::writeFile(dir / "in.txt", text);
    std::unique_ptr<std::FILE, Closer> file(countrytext::openTextFile((dir / "in.txt").c_str()));
    EXPECT_TRUE(file);
    return importQslLines(file.get(), task, 0);
  }
  std::vector<QslLine> records() {
    std::vector<QslLine> out;
    for (int rc = dbRecordFirst(kQslManagerRecordType, task, 0); rc == 0; rc = dbRecordNext(task, 0)) {
      QslManagerRecord r{};
      EXPECT_EQ(dbRecordRead(&r, task, 0), RECDB_OK);
      out.push_back(fromQslRecord(r));
    }
    return out;
  }

  kstest::TempDir dir;
  DB_TASK* task = nullptr;
};

TEST_F(QslDatabase, FullWidthFieldsReadBackAsWritten) {
  QslLine line{"VP8/LZ1UQ", "LZ1UQ", "Name, with \"quotes\" and ^", "Address 1",
               "", "Address 3", std::string(77, 'c')};
  line.address2 = std::string(39, 'b');
  const ImportResult in = import(formatQslLine(line) + "\r\n");
  EXPECT_EQ(in.stored, 1);
  const auto stored = records();
  ASSERT_EQ(stored.size(), 1u);
  EXPECT_EQ(stored[0].name, line.name);
  EXPECT_EQ(stored[0].address2, line.address2);  // 39 characters, the record's width
  EXPECT_EQ(stored[0].comment, line.comment);    // 77, all the 78 bytes hold
  EXPECT_EQ(formatQslLine(stored[0]), formatQslLine(line));
}

TEST_F(QslDatabase, RepeatedCallsAreSkippedAndBlankLinesPassedOver) {
  EXPECT_EQ(import("\"3B7A\",\"F5CWU\",\"first\",\"\",\"\",\"\",\"\"\r\n").stored, 1);
  const ImportResult again = import(
      "\"3B7A\",\"XX1XX\",\"second\",\"\",\"\",\"\",\"\"\r\n"
      "   \r\n"
      "\"ZZ4A\",\"PY2RMZ\",\"\",\"\",\"\",\"\",\"\"\r\n");
  EXPECT_EQ(again.stored, 1);
  EXPECT_EQ(again.skipped, 1);
  EXPECT_EQ(again.failedLine, 0);
  const auto stored = records();
  ASSERT_EQ(stored.size(), 2u);
  EXPECT_EQ(stored[0].via, "F5CWU");  // the existing record kept as it was
  EXPECT_EQ(stored[0].name, "first");
  EXPECT_EQ(stored[1].call, "ZZ4A");
}

TEST(QslText, OpenTextFileRefusesADirectory) {
  kstest::TempDir dir;
  EXPECT_EQ(countrytext::openTextFile(dir.path().c_str()), nullptr);
  EXPECT_EQ(countrytext::openTextFile((dir / "none.txt").c_str()), nullptr);
}

}  // namespace
}  // namespace qsltext
