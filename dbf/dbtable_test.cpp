#include "dbtable.h"

#include <gtest/gtest.h>

#include <string>

#include "testing/tempdir.h"
#include "dbf/dbfwrite.h"

namespace {

using ksdbf::writer::DbfColumn;
using ksdbf::writer::DbfWriter;

class TableTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(TableInit(20, 0), TABLE_OK); }
  void TearDown() override { TableInit(20, 0); }

  // CALL C14, QDATE D8, FREQ N10.4, QSL L1: 34 bytes a record.
  std::string writeLog(const std::string& name) {
    const std::string path = temp_ / name;
    DbfWriter writer({{"CALL", 'C', 14}, {"QDATE", 'D', 8}, {"FREQ", 'N', 10, 4},
                      {"QSL", 'L', 1}});
    EXPECT_TRUE(writer.open(path));
    writer.add({"W1AW", "19991231", "14.0250", "T"});
    writer.add({"DL1AB", "", "7.0000", "F"}, true);
    writer.add({"VERYLONGCALLSIGN123", "20240229", "", "?"});
    EXPECT_TRUE(writer.finish());
    return path;
  }

  std::string text(int handle, int field, int size = 64) {
    char out[64] = {};
    EXPECT_EQ(FieldText(handle, field, out, size), TABLE_OK);
    return out;
  }

  kstest::TempDir temp_;
};

TEST_F(TableTest, ReadsFieldsDatesAndDeletionMarks) {
  const std::string path = writeLog("log.dbf");
  int handle = -1;
  ASSERT_EQ(TableOpen(&handle, path.c_str(), 0), TABLE_OK);
  ASSERT_GE(handle, 0);
  EXPECT_EQ(TableRecordCount(handle), 3);
  EXPECT_EQ(TableFieldCount(handle), 4);
  char name[11];
  char type = 0;
  int length = 0, decimals = 0;
  ASSERT_EQ(TableFieldInfo(handle, 2, name, &type, &length, &decimals), TABLE_OK);
  EXPECT_STREQ(name, "FREQ");
  EXPECT_EQ(type, 'N');
  EXPECT_EQ(length, 10);
  EXPECT_EQ(decimals, 4);

  EXPECT_EQ(TableAtEnd(handle), 0);
  ASSERT_EQ(TableGoto(handle, 1), TABLE_OK);
  EXPECT_EQ(text(handle, 0), "W1AW          ");
  EXPECT_EQ(text(handle, 2), "   14.0250");
  EXPECT_EQ(text(handle, 3), "T");
  int y = -1, m = -1, d = -1;
  ASSERT_EQ(FieldDate(handle, 1, &y, &m, &d), TABLE_OK);
  EXPECT_EQ(y * 10000 + m * 100 + d, 19991231);
  EXPECT_EQ(TableRecordDeleted(handle), 0);

  ASSERT_EQ(TableGoto(handle, 2), TABLE_OK);
  EXPECT_EQ(TableRecordDeleted(handle), 1);
  EXPECT_EQ(text(handle, 0), "DL1AB         ");
  ASSERT_EQ(FieldDate(handle, 1, &y, &m, &d), TABLE_OK);  // blank date
  EXPECT_EQ(y + m + d, 0);

  ASSERT_EQ(TableGoto(handle, 3), TABLE_OK);
  EXPECT_EQ(TableAtEnd(handle), 1);
  EXPECT_EQ(text(handle, 0), "VERYLONGCALLSI");  // the writer cut it to the field
  EXPECT_EQ(text(handle, 0, 5), "VERY");         // and the reader to the buffer
  ASSERT_EQ(FieldDate(handle, 1, &y, &m, &d), TABLE_OK);
  EXPECT_EQ(y * 10000 + m * 100 + d, 20240229);

  // Going back reads the earlier record again.
  ASSERT_EQ(TableGoto(handle, 1), TABLE_OK);
  EXPECT_EQ(text(handle, 3), "T");

  EXPECT_EQ(TableGoto(handle, 0), TABLE_OUT_OF_RANGE);
  EXPECT_EQ(TableGoto(handle, 4), TABLE_OUT_OF_RANGE);
  EXPECT_EQ(TableLastError(), TABLE_OUT_OF_RANGE);
  char out[8] = "x";
  EXPECT_EQ(FieldText(handle, 4, out, sizeof out), TABLE_OUT_OF_RANGE);
  EXPECT_STREQ(out, "");
  EXPECT_EQ(TableClose(handle), TABLE_OK);
  EXPECT_EQ(TableClose(handle), TABLE_OUT_OF_RANGE);
  EXPECT_EQ(TableGoto(handle, 1), TABLE_OUT_OF_RANGE);
}

TEST_F(TableTest, HandlesAreCountedAndReused) {
  EXPECT_EQ(TableInit(4, 0), TABLE_NO_HANDLES);
  const std::string path = writeLog("log.dbf");
  int handle = 7;
  EXPECT_EQ(TableOpen(&handle, path.c_str(), 0), TABLE_NO_HANDLES);
  EXPECT_EQ(handle, -1);

  ASSERT_EQ(TableInit(7, 9), TABLE_OK);  // room for two
  int a = -1, b = -1, c = -1;
  EXPECT_EQ(TableOpen(&a, path.c_str(), 0), TABLE_OK);
  EXPECT_EQ(TableOpen(&b, path.c_str(), 0), TABLE_OK);
  EXPECT_NE(a, b);
  EXPECT_EQ(TableOpen(&c, path.c_str(), 0), TABLE_NO_HANDLES);
  EXPECT_EQ(TableClose(a), TABLE_OK);
  EXPECT_EQ(TableOpen(&c, path.c_str(), 0), TABLE_OK);
  EXPECT_EQ(c, a);
}

// Damaged and foreign files: each is refused with its code, or read as far
// as it holds whole records, and never read past.
TEST_F(TableTest, DamagedHeadersAreRefused) {
  const std::string good = kstest::readFile(writeLog("log.dbf"));
  ASSERT_EQ(good.size(), 32u + 4 * 32 + 1 + 3 * 34 + 1);
  auto open = [&](const std::string& bytes) {
    const std::string path = temp_ / "bad.dbf";
    kstest::writeFile(path, bytes);
    int handle = 5;
    const int code = TableOpen(&handle, path.c_str(), 0);
    if (handle >= 0) TableClose(handle);
    EXPECT_EQ(code < 0, handle == -1) << code;
    return code;
  };

  std::string bytes = good;
  bytes[0] = static_cast<char>(0x8B);  // dBASE IV with memo is accepted ...
  EXPECT_EQ(open(bytes), TABLE_OK);
  bytes[0] = 0x04;  // ... dBASE 7 is not
  EXPECT_EQ(open(bytes), TABLE_BAD_VERSION);

  bytes = good;
  bytes[32 + 16] = 15;  // CALL one byte longer than the records hold
  EXPECT_EQ(open(bytes), TABLE_BAD_LAYOUT);
  bytes = good;
  bytes[10] = 33;  // record length one short
  EXPECT_EQ(open(bytes), TABLE_BAD_LAYOUT);
  bytes = good;
  bytes[8] = 20;  // header shorter than its own first part
  bytes[9] = 0;
  EXPECT_EQ(open(bytes), TABLE_BAD_LAYOUT);

  EXPECT_EQ(open(""), TABLE_BAD_LAYOUT);
  EXPECT_EQ(open(good.substr(0, 20)), TABLE_BAD_LAYOUT);
  EXPECT_EQ(open(good.substr(0, 100)), TABLE_BAD_LAYOUT);  // descriptors cut off
  EXPECT_EQ(open("<ADIF_VER:5>3.1.4 <EOH>\n"), TABLE_BAD_VERSION);

  int handle = 0;
  EXPECT_EQ(TableOpen(&handle, (temp_ / "missing.dbf").c_str(), 0), TABLE_READ_ERROR);
  EXPECT_EQ(TableOpen(&handle, temp_.path().c_str(), 0), TABLE_READ_ERROR);
  EXPECT_EQ(handle, -1);
}

TEST_F(TableTest, CountsThatDoNotMatchTheFileWarn) {
  const std::string good = kstest::readFile(writeLog("log.dbf"));
  const std::string path = temp_ / "odd.dbf";
  auto openWith = [&](const std::string& bytes, long& count) {
    kstest::writeFile(path, bytes);
    int handle = -1;
    const int code = TableOpen(&handle, path.c_str(), 0);
    count = TableRecordCount(handle);
    if (handle >= 0) TableClose(handle);
    return code;
  };
  long count = 0;
  EXPECT_EQ(openWith(good.substr(0, good.size() - 1), count), TABLE_OK);  // no end mark
  EXPECT_EQ(count, 3);

  // A count far beyond the file: only the whole records there are read.
  std::string bytes = good;
  bytes[4] = static_cast<char>(0xFF);
  bytes[7] = 0x7F;
  EXPECT_EQ(openWith(bytes, count), TABLE_SIZE_WARNING);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(openWith(good.substr(0, good.size() - 20), count), TABLE_SIZE_WARNING);
  EXPECT_EQ(count, 2);  // the third record is cut short

  // A count below what the file holds reads only the counted ones.
  bytes = good;
  bytes[4] = 1;
  EXPECT_EQ(openWith(bytes, count), TABLE_SIZE_WARNING);
  EXPECT_EQ(count, 1);
}

// Visual FoxPro and some dBASE writers keep a block after the descriptors'
// end mark inside the header length.
TEST_F(TableTest, DescriptorsEndAtTheirMark) {
  std::string bytes = kstest::readFile(writeLog("log.dbf"));
  const size_t end = 32 + 4 * 32 + 1;
  bytes.insert(end, std::string(263, '\0'));
  const unsigned header = static_cast<unsigned>(end + 263);
  bytes[0] = 48;
  bytes[8] = static_cast<char>(header & 0xFF);
  bytes[9] = static_cast<char>(header >> 8);
  const std::string path = temp_ / "fox.dbf";
  kstest::writeFile(path, bytes);
  int handle = -1;
  ASSERT_EQ(TableOpen(&handle, path.c_str(), 0), TABLE_OK);
  EXPECT_EQ(TableFieldCount(handle), 4);
  ASSERT_EQ(TableGoto(handle, 2), TABLE_OK);
  EXPECT_EQ(text(handle, 0), "DL1AB         ");
}

}  // namespace
