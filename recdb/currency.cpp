// Currency: the current record, setting it by address, and the blocks
// that save and restore the whole currency of a database.
#include <cstdlib>
#include <cstring>

#include "engine.h"

namespace recdb {

namespace {

constexpr std::uint32_t kCurrencyMagic = 0x4B534342;  // "KSCB"

struct CurrencyHeader {
  std::uint32_t magic;
  std::uint32_t size;
  std::uint64_t serial;
  std::int32_t current;
  std::int32_t currentType;
  std::int32_t scanType;
  std::int32_t scanAddress;
  std::uint32_t keys;
};

struct CurrencyKey {
  std::uint32_t slot;
  std::int32_t address;
  std::uint32_t length;
};

}  // namespace

bool isCurrencyBlock(const void* block) {
  CurrencyHeader header;
  std::memcpy(&header, block, sizeof header);
  return header.magic == kCurrencyMagic;
}

int Database::currentGet(DB_ADDR* address) const {
  if (address == nullptr) return RECDB_E_ARG;
  if (current_ == 0) return RECDB_NOCURRENT;
  *address = current_;
  return RECDB_OK;
}

int Database::currentSet(DB_ADDR address) {
  if (db_ == nullptr) return RECDB_E_NODB;
  int file = addressFile(address);
  if (address <= 0 || file >= kFileSlots || !schema_.dataFile[file]) return RECDB_E_ADDR;
  if (int rc = beginRead(); rc != RECDB_OK) return rc;
  Use use(data_[file].read);
  sqlite3_bind_int64(*use, 1, addressRow(address));
  int rc = sqlite3_step(*use);
  if (rc == SQLITE_DONE) return RECDB_E_ADDR;
  if (rc != SQLITE_ROW) return fail(rc);
  int type = sqlite3_column_int(*use, 0);
  const Record* rec = schema_.record(type);
  if (rec == nullptr || rec->file != file) return RECDB_E_ADDR;
  setCurrent(address, type);
  return RECDB_OK;
}

int Database::currencySave(void** block, int* size) const {
  if (block == nullptr || size == nullptr) return RECDB_E_ARG;
  std::size_t total = sizeof(CurrencyHeader);
  std::uint32_t count = 0;
  for (const Key& k : keys_)
    if (k.positioned) total += sizeof(CurrencyKey) + k.length, ++count;
  auto* out = static_cast<std::uint8_t*>(std::malloc(total));
  if (out == nullptr) return RECDB_E_IO;
  CurrencyHeader header{kCurrencyMagic, static_cast<std::uint32_t>(total), serial_, current_,
                        currentType_, scanType_, scanAddress_, count};
  std::memcpy(out, &header, sizeof header);
  std::size_t at = sizeof header;
  for (std::size_t i = 0; i < keys_.size(); ++i) {
    const Key& k = keys_[i];
    if (!k.positioned) continue;
    CurrencyKey entry{static_cast<std::uint32_t>(i), k.address, k.length};
    std::memcpy(out + at, &entry, sizeof entry);
    std::memcpy(out + at + sizeof entry, k.value, k.length);
    at += sizeof entry + k.length;
  }
  *block = out;
  *size = static_cast<int>(total);
  return RECDB_OK;
}

int Database::currencyRestore(const void* block) {
  if (block == nullptr) return RECDB_E_ARG;
  CurrencyHeader header;
  std::memcpy(&header, block, sizeof header);
  if (header.magic != kCurrencyMagic || header.size < sizeof header) return RECDB_E_CURRENCY;
  if (header.serial != serial_) return RECDB_E_CURRENCY;
  const auto* bytes = static_cast<const std::uint8_t*>(block);
  // Check the whole block before taking anything from it.
  std::size_t at = sizeof header;
  for (std::uint32_t i = 0; i < header.keys; ++i) {
    CurrencyKey entry;
    if (at + sizeof entry > header.size) return RECDB_E_CURRENCY;
    std::memcpy(&entry, bytes + at, sizeof entry);
    if (entry.slot >= keys_.size() || entry.length > kMaxKeyWidth ||
        at + sizeof entry + entry.length > header.size)
      return RECDB_E_CURRENCY;
    at += sizeof entry + entry.length;
  }
  if ((header.currentType != 0 && checkType(header.currentType) != RECDB_OK) ||
      (header.scanType != 0 && checkType(header.scanType) != RECDB_OK))
    return RECDB_E_CURRENCY;
  setCurrent(header.current, header.currentType);
  scanType_ = header.scanType;
  scanAddress_ = header.scanAddress;
  scanLive_ = false;
  for (Key& k : keys_) k.positioned = k.live = false;
  at = sizeof header;
  for (std::uint32_t i = 0; i < header.keys; ++i) {
    CurrencyKey entry;
    std::memcpy(&entry, bytes + at, sizeof entry);
    Key& k = keys_[entry.slot];
    k.positioned = true;
    k.address = entry.address;
    k.length = static_cast<std::uint16_t>(entry.length);
    std::memcpy(k.value, bytes + at + sizeof entry, entry.length);
    at += sizeof entry + entry.length;
  }
  return RECDB_OK;
}

}  // namespace recdb
