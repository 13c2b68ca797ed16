#include "schema/iotadb.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "testing/tempdir.h"
#include "schema/logschema.h"
#include "recdb/recdb.h"

namespace iotatext {
namespace {

TEST(IotaText, ExportedLinesReadBackAndEmptyFieldsGetTheirStoredValues) {
  IotaLine island;
  island.country.prefix = "EA8";
  island.country.name = "Canary Islands";
  island.country.continent = "AF";
  island.country.status = "A";
  island.country.date = "01-01-01";
  island.iotaNumber = "AF-004";
  island.group = "A";
  const std::string text = formatIotaLine(island);
  EXPECT_TRUE(text.ends_with(",\"AF-004\",\"A\"\r\n")) << text;
  const IotaLine back = parseIotaLine(text.substr(0, text.size() - 2));
  EXPECT_EQ(back.country.name, "Canary Islands");
  EXPECT_EQ(back.iotaNumber, "AF-004");
  EXPECT_EQ(back.group, "A");

  const IotaRecord bare = toIotaRecord(parseIotaLine("\"G\",\"Wight\",\"EU\""));
  EXPECT_STREQ(bare.prefix, "G");
  EXPECT_STREQ(bare.iotaNumber, "00000");
  EXPECT_STREQ(bare.groupFlag, "N");
}

TEST(IotaText, FillsAnIotaDatabaseAndStopsAtAnEmptyFirstField) {
  ::setenv("KESTREL_QUIET_DB", "1", 1);
  const kstest::TempDir temp;
  const std::filesystem::path dir = temp.path();
  std::string error;
  ASSERT_EQ(logschema::writeReferenceDatabase(logschema::iota(), dir.string(), "IOTA", error), 0);
  const std::string file = (dir / "IOTA.TXT").string();
  std::ofstream(file) << "\"EA8\",\"Canary Islands\",\"AF\",\"28.08N\",\"15.26W\",\"33\",\"36\","
                         "\"A\",\"01-01-01\",\"\",\"AF-004\",\"\"\r\n"
                      << "\r\n"
                      << "\"G\",\"Isle of Wight\",\"EU\",\"\",\"\",\"14\",\"27\",\"A\","
                         "\"01-01-01\",\"\",\"EU-005\",\"\"\r\n"
                      << ",\"nothing\"\r\n"
                      << "\"F\",\"never read\"\r\n";
  std::string message;
  EXPECT_FALSE(fillIotaDatabase((dir / "IOTA").string(), file, message));
  EXPECT_EQ(message, file + " line 4: no prefix");

  DB_TASK* task = nullptr;
  ASSERT_EQ(dbOpenTask(&task), 0);
  ASSERT_EQ(dbOpen((dir / "IOTA").c_str(), "o", task), 0);
  int count = 0;
  IotaRecord r{};
  for (int rc = dbRecordFirst(kIotaRecordType, task, 0); rc == 0; rc = dbRecordNext(task, 0)) {
    ASSERT_EQ(dbRecordRead(&r, task, 0), 0);
    ++count;
  }
  EXPECT_EQ(count, 2);  // the two before the faulty line stay
  EXPECT_STREQ(r.iotaNumber, "EU-005");
  EXPECT_EQ(r.cqZone, 14);
  EXPECT_STREQ(r.groupFlag, "N");
  dbCloseTask(task);
}

}  // namespace
}  // namespace iotatext
