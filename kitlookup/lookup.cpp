// One lookup: the callsign's six positions, its call-district group, the
// binary search in the group's D records, and the decoding of the record
// found, its texts pulled from the dictionaries.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "kit.h"
#include "strings.h"

namespace kitapi {

std::uint32_t bitsAt(std::span<const std::uint8_t> bytes, std::size_t bit, unsigned width) {
  std::uint64_t value = 0;
  const std::size_t first = bit / 8;
  if (first + 8 <= bytes.size()) {
    for (std::size_t i = 0; i < 8; ++i) value |= static_cast<std::uint64_t>(bytes[first + i]) << (8 * i);
  } else {
    for (std::size_t i = 0; i < 5; ++i)
      if (first + i < bytes.size()) value |= static_cast<std::uint64_t>(bytes[first + i]) << (8 * i);
  }
  value >>= bit % 8;
  if (width >= 32) return static_cast<std::uint32_t>(value);
  return static_cast<std::uint32_t>(value & ((std::uint64_t{1} << width) - 1));
}

namespace {

bool isLetter(char c) { return c >= 'A' && c <= 'Z'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Letter code: blank 0, A-Z 1-26.
int letterCode(char c, int& fault) {
  if (c == ' ') return 0;
  if (isLetter(c)) return c - 'A' + 1;
  fault = kFatalLetterCode;
  return 0;
}

// Largest D record and the furthest a field reference can reach past it.
constexpr std::size_t kRecordBuffer = 256 + 40;

int readRecord(const RecordSet& set, std::uint32_t number, std::uint8_t (&record)[kRecordBuffer]) {
  std::memset(record, 0, sizeof record);
  const std::uint64_t at = set.recordStart + std::uint64_t{number} * set.recordSize;
  if (!set.records->readAll(at, record, set.recordSize)) return kFatalLoadRecord;
  return 0;
}

// Entries g and g + 1 of the Cx table: 20 bits each from bit 20 g.
int readDistrict(const RecordSet& set, int group, std::uint32_t& first, std::uint32_t& end) {
  const std::uint64_t bit = std::uint64_t{20} * static_cast<std::uint64_t>(group);
  const std::uint64_t from = bit / 8, to = (bit + 40 + 7) / 8;
  std::uint8_t bytes[8] = {};
  const std::size_t size = static_cast<std::size_t>(to - from);
  if (!set.districts->readAll(set.districtStart + from, bytes, size)) return kFatalCxEntries;
  const std::size_t offset = static_cast<std::size_t>(bit % 8);
  first = bitsAt(bytes, offset, 20);
  end = bitsAt(bytes, offset + 20, 20);
  return 0;
}

// The text of entry `entry` of dictionary `field`.
int extract(const RecordSet& set, std::size_t field, std::uint32_t entry, std::string& text) {
  DictionaryCache& cache = module().caches[field];
  if (cache.valid && cache.entry == entry) {
    text = cache.text;
    return 0;
  }
  std::uint64_t base = set.base[field];
  std::uint64_t e = entry;
  const std::uint64_t split = set.split[field];
  if (set.extended && 2 * e >= split) {
    e = (2 * e - split) / 2;
    base = set.alternate[field];
  }
  base += set.dictionaryArea;
  const std::uint64_t start = base + (3 * e) / 2;
  std::uint64_t windowAt = start / kBlock * kBlock;
  std::uint8_t scratch[kWindow];
  std::span<const std::uint8_t> window = set.dictionaries->view(windowAt, kWindow, scratch);
  if (window.size() != kWindow) return kFatalWindowRead;
  std::size_t bit = static_cast<std::size_t>(start - windowAt) * 8 + (e % 2 ? 4 : 0);

  char c = 0;
  auto next = [&]() -> int {
    if (bit + 6 > kWindow * 8) return kFatalPastWindow;
    // Six bits span at most two bytes.
    const std::size_t at = bit / 8;
    const unsigned pair =
        window[at] | (at + 1 < window.size() ? static_cast<unsigned>(window[at + 1]) << 8 : 0u);
    c = static_cast<char>(((pair >> (bit % 8)) & 63u) + 32);
    bit += 6;
    return 0;
  };

  if (field == kStateField) {
    char state[2];
    for (char& s : state) {
      if (int fault = next()) return fault;
      s = c;
    }
    text.assign(state, 2);
  } else {
    const std::size_t longest = kLongest[field];
    if (int fault = next()) return fault;
    if (c == kEndOfEntry && bit / 8 > kBlock - 1) {
      windowAt += kBlock;
      window = set.dictionaries->view(windowAt, kWindow, scratch);
      if (window.size() != kWindow) return kFatalWindowMove;
      bit -= kBlock * 8;
      if (int fault = next()) return fault;
    }
    std::size_t shared = static_cast<std::size_t>(c - 32);
    if (shared > longest) return kFatalTooLong;
    char out[64] = {};
    std::size_t length = shared;
    for (;;) {
      if (int fault = next()) return fault;
      if (c == kEndOfEntry) break;
      if (length >= longest) return kFatalTooLong;
      out[length++] = c;
    }
    // The leading characters come from the entries after this one: each
    // gives those of its own that this text shares and it does not share
    // with the entry after it.
    while (shared > 0) {
      if (int fault = next()) return fault;
      const std::size_t own = static_cast<std::size_t>(c - 32);
      if (own < shared) {
        for (std::size_t p = own; p < shared; ++p) {
          if (int fault = next()) return fault;
          out[p] = c;
        }
        shared = own;
        if (shared == 0) break;
      }
      do {
        if (int fault = next()) return fault;
      } while (c != kEndOfEntry);
    }
    text.assign(out, strnlen(out, length));
  }
  cache.valid = true;
  cache.entry = entry;
  cache.text = text;
  return 0;
}

}  // namespace

bool normalise(const char* callsign, char positions[6]) {
  std::memset(positions, ' ', 6);
  bool valid = true;
  const std::size_t length = std::strlen(callsign);
  std::size_t to = length >= 2 && isDigit(callsign[1]) ? 1 : 0;
  for (std::size_t i = 0; i < length; ++i, ++to) {
    if (to > 5) {
      valid = false;
      break;
    }
    positions[to] = static_cast<char>(std::toupper(static_cast<unsigned char>(callsign[i])));
  }
  auto repair = [&](int at, bool ok, char with) {
    if (ok) return;
    positions[at] = with;
    valid = false;
  };
  repair(0, isLetter(positions[0]) || positions[0] == ' ', ' ');
  repair(1, isLetter(positions[1]), 'A');
  repair(2, isDigit(positions[2]), '0');
  repair(3, isLetter(positions[3]), 'A');
  repair(4, isLetter(positions[4]) || positions[4] == ' ', ' ');
  repair(5, isLetter(positions[5]) || positions[5] == ' ', ' ');
  return valid;
}

int lookUp(RecordSet& set, const char positions[6], bool& found, Decoded& out) {
  found = false;
  int fault = 0;
  const int p0 = letterCode(positions[0], fault), p1 = letterCode(positions[1], fault);
  const int p3 = letterCode(positions[3], fault), p4 = letterCode(positions[4], fault);
  const int p5 = letterCode(positions[5], fault);
  if (fault) return fault;
  if (!isDigit(positions[2]) || p3 < 1) return kFatalCallDistrict;
  const int group = (positions[2] - '0') * 702 + (p3 - 1) * 27 + p4;
  if (group >= kGroups) return kFatalCallDistrict;
  const std::uint32_t key = static_cast<std::uint32_t>(p1 + 32 * p0 + 1024 * p5);

  std::uint32_t first = 0, end = 0;
  if ((fault = readDistrict(set, group, first, end))) return fault;
  std::uint8_t record[kRecordBuffer];
  std::int64_t low = first, high = static_cast<std::int64_t>(end) - 1;
  std::uint32_t number = 0;
  while (low <= high) {
    const std::int64_t middle = low + (high - low) / 2;
    number = static_cast<std::uint32_t>(middle);
    if ((fault = readRecord(set, number, record))) return fault;
    const std::uint32_t probe = bitsAt(record, 0, 15);
    if (probe == key) {
      found = true;
      break;
    }
    if (probe < key) low = middle + 1;
    else high = middle - 1;
  }
  if (!found) return 0;

  Module& m = module();
  out = Decoded{};
  out.ve = set.ve;
  out.recordNumber = number;
  std::memcpy(out.call, positions, 6);
  out.call[6] = '\0';
  if (set.ve) {
    // Postal code: positions 5 down to 0 from bit 16, digits in 4 bits at
    // the odd positions and letters in 5 bits at the even ones.
    char postal[7] = {};
    std::size_t bit = 16;
    for (int p = 5; p >= 0; --p) {
      const unsigned width = p % 2 ? 4 : 5;
      postal[p] = static_cast<char>((p % 2 ? '0' : 'A') + bitsAt(record, bit, width));
      bit += width;
    }
    out.zip = static_cast<long>(bitsAt(record, 16, 27));
    out.zipText.assign(postal, 6);
  } else {
    out.zip = std::min<long>(bitsAt(record, 16, 17), 99999);
    char zip[24];
    std::snprintf(zip, sizeof zip, "%05ld", out.zip);
    out.zipText = zip;
    out.birthYear = static_cast<int>(std::min<std::uint32_t>(bitsAt(record, 33, 7), 99));
    out.licenceClass = kClassLetters[bitsAt(record, 40, 3)];
    if (m.birthDays) {
      const std::uint64_t bit = std::uint64_t{9} * number;
      std::uint8_t two[2] = {};
      if (!m.births.readAll(kIdentitySize + bit / 8, two, 2)) return kFatalBirthDays;
      out.birthDay = static_cast<int>(bitsAt(two, bit % 8, 9));
    }
  }
  const std::uint32_t middleCode = bitsAt(record, 43, 5);
  out.middle = middleCode >= 1 && middleCode <= 26 ? static_cast<char>('A' + middleCode - 1) : 0;

  std::string* texts[kFields] = {&out.lastName, &out.firstName, &out.street, &out.city, &out.state};
  for (std::size_t i = 0; i < kFields; ++i) {
    const FieldPlace& place = set.fields[i];
    const std::uint32_t entry =
        bitsAt(record, std::size_t{place.byte} * 8 + place.shift, std::min<unsigned>(place.width, 32));
    if ((fault = extract(set, i, entry, *texts[i]))) return fault;
  }
  return 0;
}

std::string countyOf(const std::string& zipText) {
  Module& m = module();
  if (!m.countiesUsable || zipText.size() != 5 ||
      !std::all_of(zipText.begin(), zipText.end(), [](char c) { return isDigit(c); }))
    return {};
  const long zip = std::strtol(zipText.c_str(), nullptr, 10);
  if (m.zipCached && zip == m.lastZip) return m.lastCounty;
  if (m.counties.refresh()) m.zipCached = false;

  std::string county;
  std::uint8_t header[kZipHeaderSize];
  if (m.counties.readAll(0, header, sizeof header)) {
    const std::uint32_t table = le32(header + 92);
    std::int64_t low = 0, high = static_cast<std::int64_t>(le16(header + 96)) - 1;
    while (low <= high) {
      const std::int64_t middle = low + (high - low) / 2;
      std::uint8_t entry[6];
      if (!m.counties.readAll(table + 6 * static_cast<std::uint64_t>(middle), entry, 6)) break;
      const long key = static_cast<long>(entry[0] | entry[1] << 8 | (entry[2] & 0x0F) << 16);
      if (key < zip) {
        low = middle + 1;
        continue;
      }
      if (key > zip) {
        high = middle - 1;
        continue;
      }
      const std::uint32_t offset =
          static_cast<std::uint32_t>((entry[2] >> 4) << 16 | entry[4] | entry[5] << 8);
      std::uint8_t text[38] = {};
      if (offset <= 0xFFFFE && m.counties.readAll(offset, text, sizeof text) &&
          text[0] == 0xFF && text[1] == 0xFF && text[2] == 0xFF && text[3] <= 33 && text[3] >= 3)
        county.assign(reinterpret_cast<const char*>(text) + 7,
                      strnlen(reinterpret_cast<const char*>(text) + 7, text[3] - 2u));
      break;
    }
  }
  m.zipCached = true;
  m.lastZip = zip;
  m.lastCounty = county;
  if (!m.keepFiles) m.counties.close();
  return county;
}

}  // namespace kitapi
