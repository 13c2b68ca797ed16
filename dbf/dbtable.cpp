#include "dbtable.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "base/cabi.h"

namespace ksdbf {
namespace {

constexpr int kHeaderSize = 32;
constexpr int kDescriptorSize = 32;
constexpr unsigned char kDescriptorEnd = 0x0D;
constexpr unsigned char kDeletedMark = '*';
// Handles kept back from the count TableInit is given.
constexpr int kReservedHandles = 5;

struct Field {
  char name[11] = {};
  char type = '\0';
  int length = 0;
  int decimals = 0;
  int offset = 0;  // within the record, after the deletion byte
};

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

struct Table {
  std::unique_ptr<std::FILE, FileCloser> file;
  unsigned char version = 0;
  std::uint32_t declaredCount = 0;  // as the header says
  long count = 0;                   // records the file holds whole
  int headerLength = 0;
  int recordLength = 0;
  std::vector<Field> fields;
  std::vector<char> record;
  long current = 0;
  long long filePosition = -1;  // where the next read starts, -1 unknown
};

struct State {
  std::vector<std::unique_ptr<Table>> tables;
  int dateFormat = 2;
  int lastError = TABLE_OK;
};

State& state() {
  static State instance;
  return instance;
}

int result(int code) {
  state().lastError = code;
  return code;
}

Table* tableOf(int handle) {
  State& s = state();
  if (handle < 0 || static_cast<size_t>(handle) >= s.tables.size()) return nullptr;
  return s.tables[static_cast<size_t>(handle)].get();
}

unsigned readU16(const unsigned char* p) { return p[0] | (p[1] << 8); }
std::uint32_t readU32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

bool acceptedVersion(unsigned char version) {
  return version == 3 || version == 48 || version == 131 || version == 139 || version == 245;
}

// Reads the header and the descriptors of `table`; the table's result code.
int readHeader(Table& table) {
  unsigned char header[kHeaderSize];
  std::FILE* file = table.file.get();
  const size_t got = std::fread(header, 1, sizeof header, file);
  if (got == 0) return std::ferror(file) ? TABLE_READ_ERROR : TABLE_BAD_LAYOUT;
  table.version = header[0];
  if (!acceptedVersion(table.version)) return TABLE_BAD_VERSION;
  if (got < sizeof header) return TABLE_BAD_LAYOUT;
  table.declaredCount = readU32(header + 4);
  table.headerLength = static_cast<int>(readU16(header + 8));
  table.recordLength = static_cast<int>(readU16(header + 10));
  if (table.headerLength < kHeaderSize + 1 || table.recordLength < 2) return TABLE_BAD_LAYOUT;

  // The descriptors end with a 0x0D byte; some writers put more after it
  // (a back link) inside the header length.
  const int slots = (table.headerLength - kHeaderSize) / kDescriptorSize;
  int sum = 1;  // the deletion byte
  for (int i = 0; i < slots; ++i) {
    unsigned char d[kDescriptorSize];
    const size_t n = std::fread(d, 1, 1, file);
    if (n == 1 && d[0] == kDescriptorEnd) break;
    if (n != 1 || std::fread(d + 1, 1, kDescriptorSize - 1, file) != kDescriptorSize - 1)
      return std::ferror(file) ? TABLE_READ_ERROR : TABLE_BAD_LAYOUT;
    Field field;
    std::memcpy(field.name, d, 10);
    field.name[10] = '\0';
    field.type = static_cast<char>(d[11]);
    field.length = d[16];
    field.decimals = d[17];
    field.offset = sum;
    sum += field.length;
    table.fields.push_back(field);
  }
  if (table.fields.empty() || sum != table.recordLength) return TABLE_BAD_LAYOUT;
  return TABLE_OK;
}

int openTable(int* handle, const char* fileName) {
  State& s = state();
  *handle = -1;
  if (fileName == nullptr) return TABLE_READ_ERROR;
  size_t slot = 0;
  while (slot < s.tables.size() && s.tables[slot]) ++slot;
  if (slot == s.tables.size()) return TABLE_NO_HANDLES;

  auto table = std::make_unique<Table>();
  table->file.reset(std::fopen(fileName, "rb"));
  struct stat st {};
  if (!table->file || ::fstat(fileno(table->file.get()), &st) != 0 || !S_ISREG(st.st_mode))
    return TABLE_READ_ERROR;
  const int code = readHeader(*table);
  if (code != TABLE_OK) return code;

  // The records the file holds whole: never more than the header says,
  // never past the end of the file.
  const long long size = st.st_size;
  const long long body = size > table->headerLength ? size - table->headerLength : 0;
  const long long whole = body / table->recordLength;
  const long long declared = table->declaredCount;
  table->count = static_cast<long>(whole < declared ? whole : declared);
  const long long expected = table->headerLength + declared * table->recordLength;
  const int outcome = size == expected || size == expected + 1 ? TABLE_OK : TABLE_SIZE_WARNING;

  table->record.assign(static_cast<size_t>(table->recordLength), ' ');
  s.tables[slot] = std::move(table);
  *handle = static_cast<int>(slot);
  return outcome;
}

int gotoRecord(int handle, long n) {
  Table* table = tableOf(handle);
  if (table == nullptr || n < 1 || n > table->count) return TABLE_OUT_OF_RANGE;
  const long long at =
      table->headerLength + static_cast<long long>(n - 1) * table->recordLength;
  std::FILE* file = table->file.get();
  // Reading on from where the last record ended keeps the stream's buffer.
  if (at != table->filePosition && fseeko(file, static_cast<off_t>(at), SEEK_SET) != 0) {
    table->filePosition = -1;
    return TABLE_READ_ERROR;
  }
  const size_t length = table->record.size();
  if (std::fread(table->record.data(), 1, length, file) != length) {
    table->filePosition = -1;
    std::fill(table->record.begin(), table->record.end(), ' ');
    return TABLE_READ_ERROR;
  }
  table->filePosition = at + static_cast<long long>(length);
  table->current = n;
  return TABLE_OK;
}

const Field* fieldOf(const Table* table, int field) {
  if (table == nullptr || field < 0 || static_cast<size_t>(field) >= table->fields.size())
    return nullptr;
  return &table->fields[static_cast<size_t>(field)];
}

int digits(const char* text, int count) {
  int value = 0;
  for (int i = 0; i < count; ++i) {
    if (text[i] < '0' || text[i] > '9') return -1;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

}  // namespace
}  // namespace ksdbf

using namespace ksdbf;

extern "C" int TableInit(int handles, int dateFormat) {
  return ksbase::guarded(TABLE_NO_HANDLES, [&] {
    State& s = state();
    s.tables.clear();
    s.dateFormat = dateFormat >= 2 && dateFormat <= 5 ? dateFormat : 2;
    if (handles < kReservedHandles) return result(TABLE_NO_HANDLES);
    s.tables.resize(static_cast<size_t>(handles - kReservedHandles));
    return result(TABLE_OK);
  });
}

extern "C" int TableOpen(int* handle, const char* fileName, int) {
  if (handle == nullptr) return result(TABLE_OUT_OF_RANGE);
  *handle = -1;
  return result(ksbase::guarded(TABLE_READ_ERROR, [&] { return openTable(handle, fileName); }));
}

extern "C" int TableGoto(int handle, long n) {
  return result(ksbase::guarded(TABLE_READ_ERROR, [&] { return gotoRecord(handle, n); }));
}

extern "C" int TableAtEnd(int handle) {
  const Table* table = tableOf(handle);
  if (table == nullptr) {
    result(TABLE_OUT_OF_RANGE);
    return 0;
  }
  result(TABLE_OK);
  return table->current >= table->count ? 1 : 0;
}

extern "C" int FieldText(int handle, int field, char* text, int size) {
  if (text == nullptr || size <= 0) return result(TABLE_OUT_OF_RANGE);
  text[0] = '\0';
  const Table* table = tableOf(handle);
  const Field* f = fieldOf(table, field);
  if (f == nullptr) return result(TABLE_OUT_OF_RANGE);
  const int kept = f->length < size - 1 ? f->length : size - 1;
  const char* bytes = table->record.data() + f->offset;
  const size_t length = strnlen(bytes, static_cast<size_t>(kept));
  std::memcpy(text, bytes, length);
  text[length] = '\0';
  return result(TABLE_OK);
}

extern "C" int FieldDate(int handle, int field, int* year, int* month, int* day) {
  if (year == nullptr || month == nullptr || day == nullptr) return result(TABLE_OUT_OF_RANGE);
  *year = *month = *day = 0;
  const Table* table = tableOf(handle);
  const Field* f = fieldOf(table, field);
  if (f == nullptr) return result(TABLE_OUT_OF_RANGE);
  if (f->length < 8) return result(TABLE_OK);
  const char* bytes = table->record.data() + f->offset;
  const int y = digits(bytes, 4), m = digits(bytes + 4, 2), d = digits(bytes + 6, 2);
  if (y < 0 || m < 0 || d < 0) return result(TABLE_OK);
  *year = y;
  *month = m;
  *day = d;
  return result(TABLE_OK);
}

extern "C" int TableClose(int handle) {
  State& s = state();
  if (tableOf(handle) == nullptr) return result(TABLE_OUT_OF_RANGE);
  s.tables[static_cast<size_t>(handle)].reset();
  return result(TABLE_OK);
}

extern "C" int TableLastError(void) { return state().lastError; }

extern "C" long TableRecordCount(int handle) {
  const Table* table = tableOf(handle);
  return table == nullptr ? -1 : table->count;
}

extern "C" int TableRecordDeleted(int handle) {
  const Table* table = tableOf(handle);
  if (table == nullptr) return -1;
  return table->current > 0 && static_cast<unsigned char>(table->record[0]) == kDeletedMark ? 1
                                                                                           : 0;
}

extern "C" int TableFieldCount(int handle) {
  const Table* table = tableOf(handle);
  return table == nullptr ? -1 : static_cast<int>(table->fields.size());
}

extern "C" int TableFieldInfo(int handle, int field, char* name, char* type, int* length,
                              int* decimals) {
  const Field* f = fieldOf(tableOf(handle), field);
  if (f == nullptr) return result(TABLE_OUT_OF_RANGE);
  if (name != nullptr) std::memcpy(name, f->name, sizeof f->name);
  if (type != nullptr) *type = f->type;
  if (length != nullptr) *length = f->length;
  if (decimals != nullptr) *decimals = f->decimals;
  return result(TABLE_OK);
}
