// The engine's own view of a schema: compiled from a SchemaDef, written to
// and read from the dictionary file, and the encoding of key values.
#ifndef KESTREL_RECDB_SCHEMA_H
#define KESTREL_RECDB_SCHEMA_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "recdb.h"

namespace recdb {

inline constexpr std::size_t kMaxKeyWidth = 255;
inline constexpr std::size_t kMaxKeyBytes = kMaxKeyWidth;

// Dictionary file: header, five file-name slots, then the schema.
inline constexpr std::size_t kDictHeaderSize = 22;
inline constexpr std::size_t kSlotSize = 60;
inline constexpr std::size_t kSlotOffsets[kFileSlots] = {22, 82, 142, 202, 262};
inline constexpr std::size_t kDictSchemaOffset = 322;

struct Field {
  long number = 0;
  std::string name;
  std::uint16_t offset = 0;
  std::uint16_t width = 0;
  FieldType type = FieldType::Binary;
  KeyKind key = KeyKind::None;
  bool optional = false;
  std::uint8_t keyFile = 0;
  long parts[2] = {-1, -1};
  int record = 0;    // index of its record
  int keySlot = -1;  // index into Schema::keys when it is a key
};

struct Record {
  int type = 0;
  std::string name;
  std::uint16_t size = 0;
  std::uint8_t file = 0;
  std::vector<int> keys;  // indices into Schema::fields of its keys
};

struct Schema {
  std::string name;
  std::vector<Record> records;
  std::vector<Field> fields;  // in number order
  std::vector<int> keys;      // indices into fields of every key
  std::array<bool, kFileSlots> dataFile{};  // which files hold records
  std::array<bool, kFileSlots> keyFile{};   // which files hold key entries

  const Record* record(int type) const;
  const Field* field(long number) const;
  int recordIndex(int type) const { return type - 10000; }
};

// Builds the engine's schema from its C++ description; empty `error` when
// the description is sound.
Schema compileSchema(const SchemaDef& def, std::string& error);

// Dictionary bytes for `schema` naming `fileNames` in its slots.
std::vector<std::uint8_t> encodeDictionary(const Schema& schema,
                                           const std::array<std::string, kFileSlots>& fileNames);

// Reads a dictionary; returns RECDB_OK or RECDB_E_DICT with `error` set.
int decodeDictionary(std::span<const std::uint8_t> bytes, Schema& schema,
                     std::array<std::string, kFileSlots>& fileNames, std::string& error);

// The stored key value of `field` taken from a whole record.
std::size_t keyFromRecord(const Schema& schema, const Field& field, const std::uint8_t* record,
                          std::uint8_t* out);
// The stored key value of `field` from a caller's value in record form. A text at
// the end of the value is read up to its NUL, never past the field's width.
std::size_t keyFromValue(const Schema& schema, const Field& field, const std::uint8_t* value,
                         std::uint8_t* out);

// SQL that makes the tables of file `file` in the attached schema `as`.
std::string fileTablesSql(const Schema& schema, int file, const std::string& as);
// The names of the tables of file `file`.
std::vector<std::string> fileTables(const Schema& schema, int file);

}  // namespace recdb

#endif
