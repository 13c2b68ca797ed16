// Searching the data set: the callsign key, the line tests of the five
// search types, locating the block through the index, following
// cross-references, the next match, counting and browsing.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "base/cabi.h"
#include "cbx32.h"
#include "internal.h"
#include "strings.h"

namespace kscbx {

namespace {

constexpr int kCountStep = 100;    // lines a counting call reads
constexpr int64_t kPage = 8400;    // bytes a page moves
constexpr int64_t kEndMargin = 126;

// strncmp and strcmp over views, a view's end reading as a terminator.
int compareN(std::string_view a, std::string_view b, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    const int ca = i < a.size() ? static_cast<unsigned char>(a[i]) : 0;
    const int cb = i < b.size() ? static_cast<unsigned char>(b[i]) : 0;
    if (ca != cb) return ca - cb;
    if (ca == 0) return 0;
  }
  return 0;
}

int compareWhole(std::string_view a, std::string_view b) {
  return compareN(a, b, std::max(a.size(), b.size()) + 1);
}

int sign(int value) { return value < 0 ? -1 : value > 0 ? 1 : 0; }

// The six stored characters of a line's field 0, blank-padded.
void storedKey(std::string_view line, char* stored) {
  const std::string_view field = lineField(line, 0);
  for (size_t i = 0; i < 6; ++i) stored[i] = i < field.size() ? field[i] : ' ';
}

int testCallsign(std::string_view line) {
  const Session& s = session();
  char stored[6], compare[6];
  storedKey(line, stored);
  rearrange(stored, compare);
  return compareN(s.key, std::string_view(compare, 6), static_cast<size_t>(s.compareLength));
}

int testName(std::string_view line) {
  const Session& s = session();
  const std::string_view last = lineField(line, 1);
  const int c = s.wildcard ? compareN(s.first, last, s.first.size()) : compareWhole(s.first, last);
  if (c < 0) return -1;
  if (c > 0) return 1;
  if (s.second.empty()) return 0;
  return compareN(s.second, lineField(line, 3), s.second.size()) == 0 ? 0 : 1;
}

int testCity(std::string_view line) {
  const Session& s = session();
  const int c = compareWhole(s.first, lineField(line, 10));
  if (c != 0 || s.second.empty()) return sign(c);
  const std::string_view city = lineField(line, 9);
  return sign(s.wildcard ? compareN(s.second, city, s.second.size()) : compareWhole(s.second, city));
}

int testZip(std::string_view line) {
  const Session& s = session();
  const std::string_view zip = lineField(line, 11);
  const size_t n = static_cast<size_t>(s.compareLength);
  const int low = compareN(s.first, zip, n);
  if (s.second.empty()) return sign(low);
  if (low > 0) return 1;
  if (compareN(s.second, zip, n) < 0) return -1;
  return 0;
}

// A line of another city before the one searched is read past, not taken
// as the end: the scan enters the data file a block before the city.
int testStreet(std::string_view line) {
  const Session& s = session();
  const int city = testCity(line);
  if (city != 0) return city;
  const std::string_view street = lineField(line, 8);
  return street.find(s.street) != std::string_view::npos ? 0 : 1;
}

std::string upperStripped(const char* text) {
  std::string value(text, strnlen(text, 127));
  for (char& c : value) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  while (!value.empty() && value.back() == ' ') value.pop_back();
  return value;
}

// Cuts `text` at its first '*'; true when there was one.
bool cutWildcard(std::string& text) {
  const size_t star = text.find('*');
  if (star == std::string::npos) return false;
  text.erase(star);
  return true;
}

void setKey(std::string_view text) {
  Session& s = session();
  const size_t n = std::min<size_t>(text.size(), kMaxCompare);
  std::memset(s.key, 0, sizeof s.key);
  std::memcpy(s.key, text.data(), n);
}

// The number of index entries that sort before the key over the compare
// length (never longer than an entry).
int64_t entriesBefore(const IndexDescriptor& index) {
  const Session& s = session();
  const int keyLength = index.keyLength;
  if (!index.firstEntry || keyLength <= 0) return 0;
  const size_t length =
      static_cast<size_t>(std::min({s.compareLength, keyLength, static_cast<int>(kMaxCompare)}));
  const std::string_view key(s.key, strnlen(s.key, sizeof s.key));
  for (int64_t k = 0; k < index.entryCount; ++k) {
    const char* entry = reinterpret_cast<const char*>(index.firstEntry) + k * keyLength;
    int c;
    if (index.number == 0) {
      char stored[6], compare[6];
      for (int i = 0; i < 6; ++i) stored[i] = i < keyLength ? entry[i] : ' ';
      rearrange(stored, compare);
      c = compareN(std::string_view(compare, 6), key, std::min<size_t>(length, 6));
    } else {
      c = compareN(std::string_view(entry, strnlen(entry, static_cast<size_t>(keyLength))), key,
                   length);
    }
    if (c >= 0) return k;
  }
  return index.entryCount;
}

// Locates the block and reads from it to the first line that passes the
// search's test; false when none does.
bool scan(IndexDescriptor& index) {
  Session& s = session();
  const int64_t passed = entriesBefore(index);
  const int64_t block = passed >= 2 ? passed - 1 : 0;
  int64_t offset = 0;  // a block size of 0 puts every block at the start
  if (block > 0 && index.blockSize > 0)
    offset = block <= INT64_MAX / index.blockSize ? block * index.blockSize : -1;
  if (!seekTo(index, offset)) {
    showMessage(kFileIoError);
    return false;
  }
  char dropped[kLineSize];
  int64_t ignored;
  if (offset > 0) readLine(index, dropped, ignored);
  bool passedOnce = false;
  while (readLine(index, s.line, s.lineStart)) {
    const int result = lineTest(s.line);
    if (result == 0) return true;
    if (result < 0) {
      if (passedOnce) return false;
      passedOnce = true;
    }
  }
  return false;
}

// What follows the first comma of a cross-reference line, as a callsign.
std::string crossReferenceTarget(std::string_view line) {
  const size_t comma = line.find(',');
  if (comma == std::string_view::npos) return {};
  std::string target(line.substr(comma + 1));
  while (!target.empty() && (target.back() == '\n' || target.back() == '\r' ||
                             target.back() == ' '))
    target.pop_back();
  for (char& c : target) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return target;
}

void noteFirstMatch(const IndexDescriptor& index) {
  Session& s = session();
  s.firstMatchStart = s.lineStart;
  s.firstMatchPosition = index.position;
  std::memcpy(s.firstMatchLine, s.line, sizeof s.firstMatchLine);
  s.matchCount = 1;
  s.counting = false;
}

void restoreFirstMatch(IndexDescriptor& index) {
  Session& s = session();
  seekTo(index, s.firstMatchPosition);
  std::memcpy(s.line, s.firstMatchLine, sizeof s.line);
  s.lineStart = s.firstMatchStart;
  s.split = false;
  s.counting = false;
}

int selectFormat(int format) { return format >= 1 && format <= 6 ? format : 4; }

// Formats the line a browse move reached; a move leaves the record counter
// as it was.
int showBrowsed(char* out) {
  Session& s = session();
  if (s.line[0] == '\0') return 0;
  const int counter = s.recordCount;
  formatCurrent(s.format);
  s.recordCount = counter;
  return copyText(out);
}

// Reads the line at `offset` after the remainder of the line it cuts; at
// the end of the file, the last line.
bool readFrom(IndexDescriptor& index, int64_t offset) {
  Session& s = session();
  offset = std::max<int64_t>(0, offset);
  if (!seekTo(index, offset)) return false;
  char dropped[kLineSize];
  int64_t ignored;
  if (offset > 0) readLine(index, dropped, ignored);
  if (readLine(index, s.line, s.lineStart)) return true;
  const int64_t last = previousLineStart(index, index.dataSize);
  return last >= 0 && seekTo(index, last) && readLine(index, s.line, s.lineStart);
}

IndexDescriptor* selectedIndex() {
  Session& s = session();
  if (s.selected < 0 || !openIndex(s.selected)) return nullptr;
  return &s.indexes[s.selected];
}

}  // namespace

void rearrange(const char* stored, char* out) {
  out[0] = stored[3];
  out[1] = stored[4];
  out[2] = stored[5];
  out[3] = stored[2];
  out[4] = stored[0];
  out[5] = stored[1];
}

int callsignKey(std::string_view callsign, char* key) {
  callsign = callsign.substr(0, 9);
  std::memset(key, ' ', 6);
  key[6] = '\0';
  size_t digit = std::string_view::npos;
  for (size_t i = callsign.size(); i-- > 0;) {
    if (callsign[i] >= '0' && callsign[i] <= '9') {
      digit = i;
      break;
    }
  }
  if (digit == std::string_view::npos) {
    for (size_t i = 0; i < 3 && i < callsign.size(); ++i) key[i] = callsign[i];
    return 3;
  }
  const std::string_view suffix = callsign.substr(digit + 1, 3);
  for (size_t i = 0; i < suffix.size(); ++i) key[i] = suffix[i];
  key[3] = callsign[digit];
  if (digit == 0) return 4;
  if (digit == 1) {
    key[4] = callsign[0];
  } else {
    key[4] = callsign[digit - 2];
    key[5] = callsign[digit - 1];
  }
  return 6;
}

std::string_view lineField(std::string_view line, int number) {
  size_t start = 0;
  for (int n = 0; n < number; ++n) {
    const size_t comma = line.find(',', start);
    if (comma == std::string_view::npos) return {};
    start = comma + 1;
  }
  size_t end = number == kMaxFields - 1 ? std::string_view::npos : line.find(',', start);
  if (end == std::string_view::npos) end = line.size();
  std::string_view field = line.substr(start, end - start);
  while (!field.empty() && (field.back() == '\n' || field.back() == '\r')) field.remove_suffix(1);
  return field;
}

bool isCrossReference(std::string_view line) {
  return std::count(line.begin(), line.end(), ',') < 2;
}

int lineTest(const char* line) {
  const std::string_view text(line);
  switch (session().searchType) {
    case 1: return testCallsign(text);
    case 2: return testName(text);
    case 3: return testCity(text);
    case 4: return testZip(text);
    case 5: return testStreet(text);
    default: return -1;
  }
}

// ---- the search

namespace {

int search(int type, const char* a, const char* b, const char* c, char* out, int format) {
  Session& s = session();
  const char* given[3] = {a, b, c};
  std::string strings[3];
  bool present[3] = {};
  int count = 0;
  for (int i = 0; i < 3; ++i) {
    if (!given[i]) continue;
    strings[i].assign(given[i], strnlen(given[i], 127));
    present[i] = true;
    ++count;
  }
  if (count == 0) return -1;
  if (!s.found && !findDataSet(0)) return -1;
  s.format = selectFormat(format);
  for (const std::string& text : strings)
    if (text.size() > 32) return 0;
  for (int i = 0; i < 3; ++i)
    if (present[i]) strings[i] = upperStripped(strings[i].c_str());
  s.wildcard = false;
  if (type < 1 || type > 5 || strings[0].empty()) return 0;

  static constexpr int kIndexOf[6] = {0, 0, 1, 2, 3, 2};
  const int number = kIndexOf[type];
  if (!openIndex(number)) return 0;
  s.selected = number;
  IndexDescriptor& index = s.indexes[number];
  s.searchType = type;
  s.first.clear();
  s.second.clear();
  s.street.clear();

  switch (type) {
    case 1:
      s.compareLength = callsignKey(strings[0], s.key);
      break;
    case 2:
      s.first = strings[0];
      s.wildcard = cutWildcard(s.first);
      s.second = strings[1];
      cutWildcard(s.second);
      setKey(std::string_view(s.first).substr(0, kMaxCompare));
      s.compareLength = static_cast<int>(strnlen(s.key, sizeof s.key));
      break;
    case 3:
    case 5: {
      s.first = strings[0].substr(0, 2);
      s.second = strings[1];
      s.wildcard = cutWildcard(s.second);
      s.street = strings[2].substr(0, 31);
      const std::string key = s.first + s.second.substr(0, 61);
      setKey(key);
      s.compareLength = std::min(index.keyLength, static_cast<int>(key.size()));
      break;
    }
    case 4:
      s.first = strings[0].substr(0, kMaxCompare);
      s.second = strings[1] == strings[0] ? std::string() : strings[1];
      if (!s.second.empty() && s.first > s.second) return 0;
      setKey(s.first);
      s.compareLength = std::min(index.keyLength, static_cast<int>(kMaxCompare));
      break;
  }

  // A callsign listed under another leads to that one's record; a chain of
  // them is followed to its end, and one that comes round again to a call
  // already visited leads nowhere.
  std::vector<std::string> visited{std::string(s.key, 6)};
  for (;;) {
    if (!scan(index)) return 0;
    if (type != 1 || s.compareLength != 6 || !isCrossReference(s.line)) break;
    const std::string target = crossReferenceTarget(s.line);
    if (target.empty()) return 0;
    s.compareLength = callsignKey(target, s.key);
    const std::string key(s.key, 6);
    if (std::find(visited.begin(), visited.end(), key) != visited.end()) return 0;
    visited.push_back(key);
  }

  noteFirstMatch(index);
  s.recordCount = 0;
  formatCurrent(s.format);
  return copyText(out);
}

int nextMatch(char* out, int format) {
  Session& s = session();
  IndexDescriptor* index = selectedIndex();
  if (!index) return -1;
  if (s.counting) restoreFirstMatch(*index);
  s.format = selectFormat(format);
  if (s.searchType == 5) {
    while (readLine(*index, s.line, s.lineStart)) {
      const int result = lineTest(s.line);
      if (result < 0) return 0;
      if (result == 0) {
        formatCurrent(s.format);
        return copyText(out);
      }
    }
    return 0;
  }
  do {
    if (!readLine(*index, s.line, s.lineStart)) return -1;
  } while (index->number == 0 && isCrossReference(s.line));
  if (lineTest(s.line) != 0) return 0;
  formatCurrent(s.format);
  return copyText(out);
}

int countMatches(int* more) {
  Session& s = session();
  if (more) *more = 0;
  IndexDescriptor* index = s.selected >= 0 && s.indexes[s.selected].data ? &s.indexes[s.selected]
                                                                          : nullptr;
  if (!index) return 0;
  s.counting = true;
  if (s.searchType == 5) {
    while (readLine(*index, s.line, s.lineStart)) {
      const int result = lineTest(s.line);
      if (result < 0) break;
      if (result == 0) {
        ++s.matchCount;
        if (more) *more = -1;
        return s.matchCount;
      }
    }
    restoreFirstMatch(*index);
    return s.matchCount;
  }
  for (int n = 0; n < kCountStep; ++n) {
    if (!readLine(*index, s.line, s.lineStart)) {
      restoreFirstMatch(*index);
      return s.matchCount;
    }
    if (index->number == 0 && isCrossReference(s.line)) continue;
    const int result = lineTest(s.line);
    if (result == 0) ++s.matchCount;
    if (result < 0) {
      restoreFirstMatch(*index);
      return s.matchCount;
    }
  }
  if (more) *more = -1;
  return s.matchCount;
}

int selectIndex(int number) {
  Session& s = session();
  if (number < 0 || number > 3) return -1;
  if (!s.found && !findDataSet(0)) return 1;
  if (!openIndex(number)) return 1;
  s.selected = number;
  s.recordCount = 0;
  s.counting = false;  // a count of another file's matches ends here
  s.line[0] = '\0';
  s.split = false;
  s.lineStart = s.indexes[number].position;
  return 0;
}

int advance(int step, char* out, int format) {
  Session& s = session();
  s.format = selectFormat(format);
  IndexDescriptor* index = selectedIndex();
  if (!index) return 0;
  if (step <= 1) {
    do {
      if (!readLine(*index, s.line, s.lineStart)) return 0;
    } while (index->number == 0 && isCrossReference(s.line));
    return showBrowsed(out);
  }
  const int64_t target = std::min(s.lineStart + kPage, index->dataSize - kEndMargin);
  if (!readFrom(*index, target)) return 0;
  return showBrowsed(out);
}

int advanceTo(int thousandths, char* out) {
  Session& s = session();
  IndexDescriptor* index = selectedIndex();
  if (!index) return 0;
  const int64_t at = index->dataSize * std::clamp(thousandths, 0, 1000) / 1000;
  if (!readFrom(*index, std::min(at, index->dataSize - kEndMargin))) {
    s.line[0] = '\0';
    return 0;
  }
  return showBrowsed(out);
}

int back(int step, char* out) {
  Session& s = session();
  IndexDescriptor* index = selectedIndex();
  if (!index) return 0;
  if (step > 1) {
    if (!readFrom(*index, s.lineStart >= kPage + 84 ? s.lineStart - kPage : 0)) return 0;
    return showBrowsed(out);
  }
  // One record back: the line before the current one, whatever its
  // length; in the callsign file cross-references are passed over as
  // going forward does. At the first record, it stays.
  const int64_t current = s.lineStart;
  int64_t at = current;
  for (;;) {
    const int64_t before = previousLineStart(*index, at);
    if (before < 0) break;
    if (!seekTo(*index, before) || !readLine(*index, s.line, s.lineStart)) return 0;
    if (index->number != 0 || !isCrossReference(s.line)) return showBrowsed(out);
    at = before;
  }
  if (!seekTo(*index, current)) return 0;
  if (!readLine(*index, s.line, s.lineStart)) return 0;
  return showBrowsed(out);
}

}  // namespace

}  // namespace kscbx

// ---- the exports

using namespace kscbx;

extern "C" int CBXInit(const char* path) {
  return ksbase::guarded(0, [&] {
    Session& s = session();
    if (s.found) return static_cast<int>(s.drive);
    return findDataSet(path ? path[0] : 0) ? static_cast<int>(s.drive) : 0;
  });
}

extern "C" int CBXSearch(int type, const char* first, const char* second, const char* third,
                         char* out, int format) {
  return ksbase::guarded(0, [&] { return search(type, first, second, third, out, format); });
}

extern "C" int CBXGetNext(char* out, int format) {
  return ksbase::guarded(-1, [&] { return nextMatch(out, format); });
}

extern "C" int CBXCount(int* more) {
  return ksbase::guarded(0, [&] { return countMatches(more); });
}

extern "C" int CBXGetCount(void) { return session().recordCount; }

extern "C" int CBXGetIndex(int index) {
  return ksbase::guarded(1, [&] { return selectIndex(index); });
}

extern "C" int CBXAdvance(int step, char* out, int format) {
  return ksbase::guarded(0, [&] { return advance(step, out, format); });
}

extern "C" int CBXAdvanceTo(int thousandths, char* out, int) {
  return ksbase::guarded(0, [&] { return advanceTo(thousandths, out); });
}

extern "C" int CBXBack(int step, char* out, int) {
  return ksbase::guarded(0, [&] { return back(step, out); });
}

extern "C" void CBXBrowseBackFix(void) {
  Session& s = session();
  if (s.selected < 0) return;
  IndexDescriptor& index = s.indexes[s.selected];
  if (s.lineStart > 104 && index.position >= 104) seekTo(index, index.position - 104);
}

extern "C" int CBXGetSbPos(void) {
  return ksbase::guarded(0, [] {
    Session& s = session();
    if (s.selected < 0 && selectIndex(0) != 0) return 0;
    const IndexDescriptor& index = s.indexes[s.selected];
    if (!index.data || index.dataSize <= 0) return 0;
    return static_cast<int>(std::min<int64_t>(1000, index.position * 1000 / index.dataSize));
  });
}

extern "C" int CBXGetCbInfo(char* out) {
  if (!out) return 0;
  const Session& s = session();
  if (s.selected < 0) {
    out[0] = '\0';
    return 0;
  }
  const IndexDescriptor& index = s.indexes[s.selected];
  const int length = std::snprintf(out, kTextSize,
                                   "Database: %c:\\callbk\\callbk%c.dat\r\n    Size: %ld bytes\r\n"
                                   " Version: %s",
                                   index.drive, index.letter, static_cast<long>(index.dataSize),
                                   index.version);
  return std::min(length, kTextSize - 1);
}

extern "C" int CBXVersion(void) { return 7; }

extern "C" int CBXExit(void) { return 0; }

extern "C" void CBXSetFilter(int) {}
