#include "logschema.h"
#include "recdb/dbengine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

namespace {

using recdb::FieldType;
using recdb::KeyKind;

std::vector<recdb::FieldDef> fieldsOf(const recdb::SchemaDef& schema, int type) {
  std::vector<recdb::FieldDef> out;
  for (const auto& field : schema.fields)
    if (10000 + field.number / 1000 == type) out.push_back(field);
  return out;
}

// Data fields of every record, in number order, tile the record exactly:
// no gap, no overlap, nothing past the end.
TEST(LogSchema, DataFieldsTileEveryRecord) {
  for (const auto* schema : {&logschema::logbook(), &logschema::country(), &logschema::iota(),
                             &logschema::qslManager(), &logschema::county()}) {
    for (const auto& record : schema->records) {
      unsigned next = 0;
      long expected = (record.type - 10000) * 1000L;
      for (const auto& field : fieldsOf(*schema, record.type)) {
        EXPECT_EQ(field.number, expected++) << schema->name << " " << field.name;
        if (field.type == FieldType::Compound) continue;
        EXPECT_EQ(field.offset, next) << schema->name << " " << field.name;
        next = field.offset + field.width;
      }
      EXPECT_EQ(next, record.size) << schema->name << " " << record.name;
    }
  }
}

TEST(LogSchema, ContactKeysAreTheAutomaticAndOptionalOnes) {
  std::map<long, recdb::FieldDef> byNumber;
  for (const auto& field : fieldsOf(logschema::logbook(), kLogRecordType))
    byNumber.emplace(field.number, field);
  ASSERT_EQ(byNumber.size(), 49u);
  for (long number : logfield::kAutomaticKeys) {
    EXPECT_EQ(byNumber[number].key, KeyKind::Duplicate) << number;
    EXPECT_FALSE(byNumber[number].optional) << number;
  }
  for (long number : logfield::kOptionalKeys) {
    EXPECT_EQ(byNumber[number].key, KeyKind::Duplicate) << number;
    EXPECT_TRUE(byNumber[number].optional) << number;
  }
  int keys = 0;
  for (const auto& [number, field] : byNumber) keys += field.key != KeyKind::None;
  EXPECT_EQ(keys, 17);

  // Compound keys: parts and widths as the award searches build them.
  struct Expect { long key, first, second; unsigned width; };
  for (Expect e : {Expect{42, 24, 17, 8}, {43, 24, 22, 4}, {44, 24, 19, 5}, {45, 24, 20, 9},
                   {46, 17, 5, 11}, {47, 22, 5, 7}, {48, 19, 5, 8}}) {
    const auto& field = byNumber[e.key];
    EXPECT_EQ(field.type, FieldType::Compound);
    EXPECT_EQ(field.parts[0], e.first);
    EXPECT_EQ(field.parts[1], e.second);
    EXPECT_EQ(field.width, e.width) << e.key;
  }
}

TEST(LogSchema, NewHeaderHasItsCreationValues) {
  LogHeader header = newLogHeader();
  EXPECT_STREQ(header.marker, "XXX");
  EXPECT_EQ(header.value1, 3);
  EXPECT_EQ(header.value4, 2);
  EXPECT_EQ(header.value2 | header.value3 | header.value5 | header.value6 | header.value7 |
                header.value8,
            0);
  EXPECT_TRUE(std::all_of(header.text1, header.text4 + sizeof header.text4,
                          [](char c) { return c == 0; }));
}

}  // namespace
