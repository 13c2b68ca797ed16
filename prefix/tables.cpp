#include "tables.h"

#include <algorithm>
#include <cstring>

namespace ksprefix {

std::string_view recordText(const char* record, std::size_t offset, std::size_t size) {
  const char* field = record + offset;
  const void* nul = std::memchr(field, '\0', size);
  return {field, nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - field) : size};
}

int16_t recordInt16(const char* record, std::size_t offset) {
  const auto* b = reinterpret_cast<const unsigned char*>(record + offset);
  return static_cast<int16_t>(static_cast<uint16_t>(b[0] | (b[1] << 8)));
}

void putInt16(char* record, std::size_t offset, int value) {
  const auto v = static_cast<uint16_t>(value);
  record[offset] = static_cast<char>(v & 0xff);
  record[offset + 1] = static_cast<char>(v >> 8);
}

bool PrefixTable::add(std::string_view text, std::string_view key) {
  if (textUsed_ + text.size() + 1 > textCapacity_ || slotUsed_ + kSlotSize > slotCapacity_)
    return false;
  const auto entry = static_cast<uint32_t>(texts_.size());
  texts_.emplace_back(text);
  keys_.emplace_back(key.substr(0, kSlotSize - 1));
  textUsed_ += text.size() + 1;
  longest_ = std::max(longest_, text.size());
  slotUsed_ += kSlotSize;
  auto at = index_.find(text);
  if (at == index_.end()) at = index_.emplace(std::string(text), std::vector<uint32_t>{}).first;
  at->second.push_back(entry);
  return true;
}

void PrefixTable::clear() {
  texts_.clear();
  keys_.clear();
  index_.clear();
  textUsed_ = slotUsed_ = longest_ = 0;
}

void PrefixTable::release() {
  clear();
  texts_.shrink_to_fit();
  keys_.shrink_to_fit();
}

const std::vector<uint32_t>& PrefixTable::find(std::string_view text) const {
  static const std::vector<uint32_t> none;
  const auto at = index_.find(text);
  return at == index_.end() ? none : at->second;
}

std::vector<std::string_view> splitTokens(std::string_view list) {
  std::vector<std::string_view> tokens;
  std::size_t cursor = 0;
  while (!list.empty() && cursor <= list.size()) {
    const std::size_t comma = list.find(',', cursor);
    const std::size_t end = comma == std::string_view::npos ? list.size() : comma;
    tokens.push_back(list.substr(cursor, end - cursor));
    if (comma == std::string_view::npos) break;
    cursor = comma + 1;
  }
  return tokens;
}

std::string_view stripBlanks(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

void CountryTables::clear() {
  plain.clear();
  shared.clear();
  deleted.clear();
  sharedCondition.clear();
  sharedDay.clear();
  activeCount = deletedCount = 0;
}

void CountryTables::release() {
  clear();
  plain.release();
  shared.release();
  deleted.release();
  sharedCondition.shrink_to_fit();
  sharedDay.shrink_to_fit();
}

void CountryTables::addRecord(const char* record, int (*julian)(const char*)) {
  const std::string_view key = recordText(record, kPrefixOffset, kPrefixSize);
  const std::string_view status = recordText(record, kStatusOffset, kStatusSize);
  const auto tokens = splitTokens(recordText(record, kListOffset, kListSize));

  if (status == "A" || status == "I") {
    if (status == "A") ++activeCount;
    if (!plain.open() || !shared.open()) return;
    // A token that would cross a capacity drops the rest of the record.
    for (std::string_view token : tokens) {
      std::size_t cut = token.find('<');
      if (cut == std::string_view::npos) cut = token.find('>');
      if (cut == std::string_view::npos) {
        if (!plain.add(token, key)) return;
        continue;
      }
      if (sharedCondition.size() >= kMaxSharedEntries) return;
      if (!shared.add(stripBlanks(token.substr(0, cut)), key)) return;
      std::string date(token.substr(cut + 1));
      date.erase(0, date.find_first_not_of(' '));
      sharedCondition.push_back(token[cut]);
      sharedDay.push_back(julian(date.c_str()));
    }
  } else if (status == "D") {
    ++deletedCount;
    if (!deleted.open()) return;
    for (std::string_view token : tokens)
      if (!deleted.add(token, key)) return;
  }
}

}  // namespace ksprefix
