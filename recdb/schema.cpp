#include "schema.h"

#include <algorithm>
#include <cstring>

namespace recdb {

namespace {

constexpr char kMagic[12] = "KSRECDB DBD";  // 11 characters and the NUL
constexpr std::uint16_t kVersion = 1;
constexpr std::size_t kNameSize = 32;
constexpr std::size_t kRecordEntry = 4 + 2 + 1 + kNameSize;
constexpr std::size_t kFieldEntry = 4 + 2 + 2 + 1 + 1 + 1 + 1 + 4 + 4 + kNameSize;

std::uint32_t fnv1a(std::span<const std::uint8_t> bytes) {
  std::uint32_t hash = 2166136261u;
  for (std::uint8_t byte : bytes) hash = (hash ^ byte) * 16777619u;
  return hash;
}

class Writer {
 public:
  explicit Writer(std::vector<std::uint8_t>& out) : out_(out) {}
  void u8(unsigned v) { out_.push_back(static_cast<std::uint8_t>(v)); }
  void u16(unsigned v) { u8(v & 0xFF), u8(v >> 8 & 0xFF); }
  void u32(std::uint32_t v) { u16(v & 0xFFFF), u16(v >> 16); }
  void text(const std::string& s, std::size_t width) {
    for (std::size_t i = 0; i < width; ++i) u8(i < s.size() && i + 1 < width ? s[i] : 0);
  }

 private:
  std::vector<std::uint8_t>& out_;
};

class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> in) : in_(in) {}
  bool ok() const { return ok_; }
  unsigned u8() {
    if (pos_ >= in_.size()) {
      ok_ = false;
      return 0;
    }
    return in_[pos_++];
  }
  unsigned u16() { return u8() | u8() << 8; }
  std::uint32_t u32() { return u16() | static_cast<std::uint32_t>(u16()) << 16; }
  std::string text(std::size_t width) {
    std::string s;
    for (std::size_t i = 0; i < width; ++i) {
      char c = static_cast<char>(u8());
      if (c == 0) {
        pos_ += width - i - 1;
        break;
      }
      s.push_back(c);
    }
    if (pos_ > in_.size()) ok_ = false;
    return s;
  }

 private:
  std::span<const std::uint8_t> in_;
  std::size_t pos_ = 0;
  bool ok_ = true;
};

// Links fields to records and keys, and checks everything a dictionary
// could get wrong. Returns an empty text when the schema is sound.
std::string finish(Schema& schema) {
  schema.keys.clear();
  schema.dataFile = {};
  schema.keyFile = {};
  if (schema.records.empty()) return "no record types";
  if (schema.records.size() > 100) return "too many record types";
  for (std::size_t i = 0; i < schema.records.size(); ++i) {
    Record& record = schema.records[i];
    record.keys.clear();
    if (record.type != static_cast<int>(10000 + i))
      return "record " + record.name + " is not numbered 10000 + its position";
    if (record.size == 0) return "record " + record.name + " has no size";
    if (record.file >= kFileSlots) return "record " + record.name + " names no file";
    schema.dataFile[record.file] = true;
  }
  if (!schema.dataFile[0]) return "file 0 holds no records";
  for (std::size_t i = 1; i < schema.fields.size(); ++i)
    if (schema.fields[i].number <= schema.fields[i - 1].number)
      return "field " + std::to_string(schema.fields[i].number) + " is out of order";
  long previous = -1;
  for (std::size_t i = 0; i < schema.fields.size(); ++i) {
    Field& field = schema.fields[i];
    const std::string what = "field " + std::to_string(field.number) + " (" + field.name + ")";
    if (field.number < 0 || field.number > 0xFFFF ||
        field.number / 1000 >= static_cast<long>(schema.records.size()))
      return what + " belongs to no record";
    bool newRecord = previous < 0 || field.number / 1000 != previous / 1000;
    long expected = newRecord ? field.number / 1000 * 1000 : previous + 1;
    if (field.number != expected) return what + " is out of order";
    previous = field.number;
    field.record = static_cast<int>(field.number / 1000);
    Record& record = schema.records[field.record];
    if (field.type == FieldType::Compound) {
      unsigned width = 0;
      for (long part : field.parts) {
        const Field* p = schema.field(part);
        if (p == nullptr || p->type == FieldType::Compound || p->record != field.record ||
            p->number >= field.number)
          return what + " is made of fields it cannot use";
        width += p->width;
      }
      if (width != field.width) return what + " is not as wide as its parts";
      if (field.key == KeyKind::None) return what + " is compound but no key";
    } else {
      if (field.width == 0 || field.offset + field.width > record.size)
        return what + " lies outside its record";
      if ((field.type == FieldType::Int16 || field.type == FieldType::UInt16) && field.width != 2)
        return what + " is a 16-bit integer of another width";
      if (field.type == FieldType::Int32 && field.width != 4)
        return what + " is a 32-bit integer of another width";
      if (field.type == FieldType::Byte && field.width != 1) return what + " is a byte of another width";
    }
    field.keySlot = -1;
    if (field.key != KeyKind::None) {
      if (field.width > kMaxKeyWidth) return what + " is too wide for a key";
      if (field.keyFile >= kFileSlots) return what + " names no key file";
      field.keySlot = static_cast<int>(schema.keys.size());
      schema.keys.push_back(static_cast<int>(i));
      record.keys.push_back(static_cast<int>(i));
      schema.keyFile[field.keyFile] = true;
    }
  }
  for (int file = 0; file < kFileSlots; ++file)
    if (schema.dataFile[file] && schema.keyFile[file])
      return "file " + std::to_string(file) + " holds both records and keys";
  return {};
}

std::size_t encodePart(const Field& field, const std::uint8_t* in, bool readToNul,
                       std::uint8_t* out) {
  switch (field.type) {
    case FieldType::Text: {
      std::size_t n = readToNul ? strnlen(reinterpret_cast<const char*>(in), field.width)
                                : std::find(in, in + field.width, 0) - in;
      std::memcpy(out, in, n);
      std::memset(out + n, 0, field.width - n);
      break;
    }
    case FieldType::Int16:
      out[0] = static_cast<std::uint8_t>(in[1] ^ 0x80);
      out[1] = in[0];
      break;
    case FieldType::UInt16:
      out[0] = in[1];
      out[1] = in[0];
      break;
    case FieldType::Int32:
      out[0] = static_cast<std::uint8_t>(in[3] ^ 0x80);
      out[1] = in[2];
      out[2] = in[1];
      out[3] = in[0];
      break;
    default:
      std::memcpy(out, in, field.width);
      break;
  }
  return field.width;
}

}  // namespace

const Record* Schema::record(int type) const {
  int index = recordIndex(type);
  if (index < 0 || index >= static_cast<int>(records.size())) return nullptr;
  return &records[index];
}

const Field* Schema::field(long number) const {
  if (number < 0) return nullptr;
  // Fields are in number order; records' fields are consecutive.
  auto it = std::lower_bound(fields.begin(), fields.end(), number,
                             [](const Field& f, long n) { return f.number < n; });
  return it != fields.end() && it->number == number ? &*it : nullptr;
}

Schema compileSchema(const SchemaDef& def, std::string& error) {
  Schema schema;
  schema.name = def.name ? def.name : "";
  for (const RecordDef& r : def.records)
    schema.records.push_back({r.type, r.name ? r.name : "", r.size, r.file, {}});
  for (const FieldDef& f : def.fields) {
    Field field;
    field.number = f.number;
    field.name = f.name ? f.name : "";
    field.offset = f.offset;
    field.width = f.width;
    field.type = f.type;
    field.key = f.key;
    field.optional = f.optional;
    field.keyFile = f.keyFile;
    field.parts[0] = f.parts[0];
    field.parts[1] = f.parts[1];
    schema.fields.push_back(field);
  }
  error = finish(schema);
  for (std::size_t i = 0; error.empty() && i < kFileSlots; ++i) {
    bool used = def.extensions[i] != nullptr && def.extensions[i][0] != '\0';
    if ((schema.dataFile[i] || schema.keyFile[i]) && !used)
      error = "file " + std::to_string(i) + " is used but has no extension";
  }
  return schema;
}

std::string checkSchema(const SchemaDef& def) {
  std::string error;
  compileSchema(def, error);
  return error;
}

std::array<std::string, kFileSlots> fileNamesFor(const SchemaDef& def, const std::string& base) {
  std::array<std::string, kFileSlots> names;
  for (int i = 0; i < kFileSlots; ++i)
    if (def.extensions[i] != nullptr && def.extensions[i][0] != '\0')
      names[i] = base + def.extensions[i];
  return names;
}

std::vector<std::uint8_t> encodeDictionary(const Schema& schema,
                                           const std::array<std::string, kFileSlots>& names) {
  std::vector<std::uint8_t> body;
  Writer w(body);
  w.text(schema.name, kNameSize);
  w.u16(static_cast<unsigned>(schema.records.size()));
  w.u16(static_cast<unsigned>(schema.fields.size()));
  for (const Record& r : schema.records) {
    w.u32(static_cast<std::uint32_t>(r.type));
    w.u16(r.size);
    w.u8(r.file);
    w.text(r.name, kNameSize);
  }
  for (const Field& f : schema.fields) {
    w.u32(static_cast<std::uint32_t>(f.number));
    w.u16(f.offset);
    w.u16(f.width);
    w.u8(static_cast<unsigned>(f.type));
    w.u8(static_cast<unsigned>(f.key));
    w.u8(f.optional);
    w.u8(f.keyFile);
    w.u32(static_cast<std::uint32_t>(f.parts[0]));
    w.u32(static_cast<std::uint32_t>(f.parts[1]));
    w.text(f.name, kNameSize);
  }

  std::vector<std::uint8_t> out;
  Writer h(out);
  for (char c : kMagic) h.u8(static_cast<unsigned char>(c));
  h.u16(kVersion);
  h.u32(static_cast<std::uint32_t>(body.size()));
  h.u32(fnv1a(body));
  for (const std::string& name : names) h.text(name, kSlotSize);
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

int decodeDictionary(std::span<const std::uint8_t> bytes, Schema& schema,
                     std::array<std::string, kFileSlots>& names, std::string& error) {
  if (bytes.size() < kDictSchemaOffset) {
    error = "the dictionary is truncated";
    return RECDB_E_DICT;
  }
  if (std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0) {
    error = "not a dictionary";
    return RECDB_E_DICT;
  }
  Reader header(bytes.subspan(sizeof kMagic, kDictHeaderSize - sizeof kMagic));
  unsigned version = header.u16();
  std::uint32_t size = header.u32();
  std::uint32_t sum = header.u32();
  if (version != kVersion) {
    error = "dictionary version " + std::to_string(version) + " is not known";
    return RECDB_E_DICT;
  }
  if (bytes.size() - kDictSchemaOffset < size) {
    error = "the dictionary is truncated";
    return RECDB_E_DICT;
  }
  auto body = bytes.subspan(kDictSchemaOffset, size);
  if (fnv1a(body) != sum) {
    error = "the dictionary is damaged";
    return RECDB_E_DICT;
  }
  for (int i = 0; i < kFileSlots; ++i) {
    Reader slot(bytes.subspan(kSlotOffsets[i], kSlotSize));
    names[i] = slot.text(kSlotSize);
  }
  Reader r(body);
  schema = Schema{};
  schema.name = r.text(kNameSize);
  unsigned records = r.u16();
  unsigned fields = r.u16();
  if (body.size() < kNameSize + 4 + records * kRecordEntry + fields * kFieldEntry) {
    error = "the dictionary is damaged";
    return RECDB_E_DICT;
  }
  for (unsigned i = 0; i < records; ++i) {
    Record rec;
    rec.type = static_cast<int>(r.u32());
    rec.size = static_cast<std::uint16_t>(r.u16());
    rec.file = static_cast<std::uint8_t>(r.u8());
    rec.name = r.text(kNameSize);
    schema.records.push_back(rec);
  }
  for (unsigned i = 0; i < fields; ++i) {
    Field f;
    f.number = static_cast<std::int32_t>(r.u32());
    f.offset = static_cast<std::uint16_t>(r.u16());
    f.width = static_cast<std::uint16_t>(r.u16());
    unsigned type = r.u8(), key = r.u8();
    if (type < 1 || type > static_cast<unsigned>(FieldType::Compound) || key > 2) {
      error = "the dictionary is damaged";
      return RECDB_E_DICT;
    }
    f.type = static_cast<FieldType>(type);
    f.key = static_cast<KeyKind>(key);
    f.optional = r.u8() != 0;
    f.keyFile = static_cast<std::uint8_t>(r.u8());
    f.parts[0] = static_cast<std::int32_t>(r.u32());
    f.parts[1] = static_cast<std::int32_t>(r.u32());
    f.name = r.text(kNameSize);
    schema.fields.push_back(f);
  }
  if (!r.ok()) {
    error = "the dictionary is truncated";
    return RECDB_E_DICT;
  }
  error = finish(schema);
  for (int i = 0; error.empty() && i < kFileSlots; ++i) {
    if ((schema.dataFile[i] || schema.keyFile[i]) && names[i].empty())
      error = "the dictionary names no file " + std::to_string(i);
    for (int j = 0; error.empty() && j < i; ++j)
      if (!names[i].empty() && names[i] == names[j]) error = "the dictionary names a file twice";
  }
  if (!error.empty()) {
    error = "the dictionary is damaged: " + error;
    return RECDB_E_DICT;
  }
  return RECDB_OK;
}

std::size_t keyFromRecord(const Schema& schema, const Field& field, const std::uint8_t* record,
                          std::uint8_t* out) {
  if (field.type != FieldType::Compound) return encodePart(field, record + field.offset, false, out);
  std::size_t n = 0;
  for (long part : field.parts) {
    const Field& p = *schema.field(part);
    n += encodePart(p, record + p.offset, false, out + n);
  }
  return n;
}

std::size_t keyFromValue(const Schema& schema, const Field& field, const std::uint8_t* value,
                         std::uint8_t* out) {
  if (field.type != FieldType::Compound) return encodePart(field, value, true, out);
  const Field& first = *schema.field(field.parts[0]);
  const Field& second = *schema.field(field.parts[1]);
  std::size_t n = encodePart(first, value, false, out);
  return n + encodePart(second, value + first.width, true, out + n);
}

std::string fileTablesSql(const Schema& schema, int file, const std::string& as) {
  std::string sql;
  if (schema.dataFile[file]) {
    sql += "CREATE TABLE IF NOT EXISTS " + as +
           ".records(id INTEGER PRIMARY KEY, type INTEGER NOT NULL, data BLOB NOT NULL);";
    int types = 0;
    for (const Record& r : schema.records) types += r.file == file;
    if (types > 1)
      sql += "CREATE INDEX IF NOT EXISTS " + as + ".records_by_type ON records(type, id);";
  }
  // One table per key: its entries in key order, equal values by address.
  for (int index : schema.keys) {
    const Field& f = schema.fields[index];
    if (f.keyFile != file) continue;
    sql += "CREATE TABLE IF NOT EXISTS " + as + ".key_" + std::to_string(f.number) +
           "(value BLOB NOT NULL, addr INTEGER NOT NULL, PRIMARY KEY(value, addr)) WITHOUT ROWID;";
  }
  return sql;
}

std::vector<std::string> fileTables(const Schema& schema, int file) {
  std::vector<std::string> tables;
  if (schema.dataFile[file]) tables.push_back("records");
  for (int index : schema.keys)
    if (schema.fields[index].keyFile == file)
      tables.push_back("key_" + std::to_string(schema.fields[index].number));
  return tables;
}

}  // namespace recdb
