#include "dbfwrite.h"

#include <cstring>
#include <ctime>

namespace ksdbf::writer {
namespace {

void put16(unsigned char* p, unsigned value) {
  p[0] = static_cast<unsigned char>(value & 0xFF);
  p[1] = static_cast<unsigned char>((value >> 8) & 0xFF);
}

void put32(unsigned char* p, unsigned long value) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>((value >> (8 * i)) & 0xFF);
}

}  // namespace

DbfWriter::DbfWriter(std::vector<DbfColumn> columns) : columns_(std::move(columns)) {
  for (const DbfColumn& column : columns_) recordLength_ += column.length;
  record_.reserve(static_cast<size_t>(recordLength_));
}

DbfWriter::~DbfWriter() {
  if (file_) std::fclose(file_);
}

bool DbfWriter::open(const std::string& path) {
  file_ = std::fopen(path.c_str(), "wb");
  if (!file_) return false;
  std::setvbuf(file_, nullptr, _IOFBF, 1 << 16);
  // Room for the header; it is written again once the count is known.
  const size_t headerLength = 32 + 32 * columns_.size() + 1;
  const std::string blank(headerLength, '\0');
  ok_ = std::fwrite(blank.data(), 1, blank.size(), file_) == blank.size();
  return ok_;
}

bool DbfWriter::add(const std::vector<std::string>& values, bool deleted) {
  if (!file_) return false;
  record_.assign(1, deleted ? '*' : ' ');
  for (size_t i = 0; i < columns_.size(); ++i) {
    const DbfColumn& column = columns_[i];
    const size_t width = static_cast<size_t>(column.length);
    std::string_view value = i < values.size() ? std::string_view(values[i]) : "";
    if (value.size() > width) value = value.substr(0, width);
    const std::string pad(width - value.size(), ' ');
    if (column.type == 'N' || column.type == 'F') {
      record_ += pad;
      record_ += value;
    } else {
      record_ += value;
      record_ += pad;
    }
  }
  ok_ = ok_ && std::fwrite(record_.data(), 1, record_.size(), file_) == record_.size();
  ++count_;
  return ok_;
}

bool DbfWriter::finish() {
  if (!file_) return false;
  ok_ = ok_ && std::fputc(0x1A, file_) != EOF;
  unsigned char header[32] = {};
  header[0] = 3;
  const std::time_t now = std::time(nullptr);
  std::tm day{};
  gmtime_r(&now, &day);
  header[1] = static_cast<unsigned char>(day.tm_year % 100);
  header[2] = static_cast<unsigned char>(day.tm_mon + 1);
  header[3] = static_cast<unsigned char>(day.tm_mday);
  put32(header + 4, count_);
  put16(header + 8, static_cast<unsigned>(32 + 32 * columns_.size() + 1));
  put16(header + 10, static_cast<unsigned>(recordLength_));
  ok_ = ok_ && std::fseek(file_, 0, SEEK_SET) == 0 &&
        std::fwrite(header, 1, sizeof header, file_) == sizeof header;
  for (const DbfColumn& column : columns_) {
    unsigned char d[32] = {};
    std::memcpy(d, column.name.data(), column.name.size() < 10 ? column.name.size() : 10);
    d[11] = static_cast<unsigned char>(column.type);
    d[16] = static_cast<unsigned char>(column.length);
    d[17] = static_cast<unsigned char>(column.decimals);
    ok_ = ok_ && std::fwrite(d, 1, sizeof d, file_) == sizeof d;
  }
  ok_ = ok_ && std::fputc(0x0D, file_) != EOF;
  ok_ = std::fclose(file_) == 0 && ok_;
  file_ = nullptr;
  return ok_;
}

}  // namespace ksdbf::writer
