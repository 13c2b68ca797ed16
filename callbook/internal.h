// Internals of the callbook library: the process's lookup state, the data
// set's files, the callsign key and the record formatting. Tests reach them
// directly.
#ifndef KESTREL_CALLBOOK_INTERNAL_H
#define KESTREL_CALLBOOK_INTERNAL_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace kscbx {

inline constexpr int kLineSize = 256;   // a line: up to 255 characters and its terminator
inline constexpr int kTextSize = 1024;  // formatted text, with its terminator
inline constexpr int kMaxFields = 20;
inline constexpr int kMaxCompare = 64;  // longest compare key

// The head of an index file. Numbers are decimal text, read like atoi
// within their field; the entries follow it.
#pragma pack(push, 1)
struct IndexHeader {
  char unread[16];
  char blockSize[8];   // data-file bytes an entry stands for
  char entryCount[8];
  char keyLength[8];
  char version[8];     // NUL-terminated within the field
};
#pragma pack(pop)
static_assert(sizeof(IndexHeader) == 48);
static_assert(offsetof(IndexHeader, unread) == 0);
static_assert(offsetof(IndexHeader, blockSize) == 16);
static_assert(offsetof(IndexHeader, entryCount) == 24);
static_assert(offsetof(IndexHeader, keyLength) == 32);
static_assert(offsetof(IndexHeader, version) == 40);
inline constexpr int kHeaderSize = sizeof(IndexHeader);

// A record of the plain e-mail address file: the callsign upper-cased and
// padded with NULs, then the address padded with NULs.
#pragma pack(push, 1)
struct EmailRecord {
  char key[10];
  char address[50];
};
#pragma pack(pop)
static_assert(sizeof(EmailRecord) == 60);
static_assert(offsetof(EmailRecord, key) == 0);
static_assert(offsetof(EmailRecord, address) == 10);

// One of the four indexes: its mapped index file and its open data file.
struct IndexDescriptor {
  int number = 0;
  int keyLength = 0;
  int64_t blockSize = 0;
  int64_t dataSize = 0;
  int64_t entryCount = 0;  // never more than the mapped file holds
  std::FILE* data = nullptr;
  int64_t position = 0;    // read position in `data`
  const unsigned char* mapped = nullptr;
  size_t mappedSize = 0;
  const unsigned char* firstEntry = nullptr;
  bool open = false;
  char drive = 0;
  char letter = 0;
  char version[9] = {};
};

// The values a formatted record derives from its fields.
struct Derived {
  std::string fullName, cityLine;
  std::string birthDate, licenceDate, expiryDate;
  std::string classDescription;
  std::string previousLabel, birthLabel, licenceLabel, expiryLabel;
};

// The lookup state of the process.
struct Session {
  bool found = false;
  char drive = 0;
  IndexDescriptor indexes[4];
  int selected = -1;
  std::FILE* email = nullptr;
  int64_t emailSize = 0;

  // The last search.
  int searchType = 0;
  char key[kMaxCompare + 1] = {};  // compare key for locating the block
  int compareLength = 0;
  std::string first, second, street;  // as the line test needs them
  bool wildcard = false;

  // The current line and the first match of the last search.
  char line[kLineSize] = {};
  int64_t lineStart = 0;
  bool split = false;
  int64_t firstMatchPosition = 0, firstMatchStart = 0;
  char firstMatchLine[kLineSize] = {};
  int matchCount = 0;
  bool counting = false;
  int recordCount = 0;

  int format = 4;
  bool textMode = false;
  char text[kTextSize] = {};

  // The current line split into fields (after formatting in any layout but
  // 4), and what was derived from them.
  std::array<std::string, kMaxFields> fields;
  Derived derived;
};

Session& session();

// Back to the state of a freshly loaded library: files closed, views
// unmapped, nothing found. For tests and the fuzzer.
void resetSession();

// ---- the data set (dataset.cpp)

// The host path of a name written the Windows way.
std::string hostPath(std::string_view name);

// The host path of a file of the data set on `drive`, e.g. "callbkc.idx".
std::string dataSetPath(char drive, std::string_view name);

// Finds the data set from drive `start` (a letter; C when 0 or A).
bool findDataSet(char start);

// Maps the index file and opens the data file of index `number` when they
// are not yet; false (after the message) when either fails.
bool openIndex(int number);

// Reads up to 255 characters or through the line end (CR LF read as LF)
// into `out`, noting where the line starts. False at the end of the file
// (the line is then empty).
bool readLine(IndexDescriptor& index, char* out, int64_t& start);

// Moves the read position; false when the position cannot be taken.
bool seekTo(IndexDescriptor& index, int64_t offset);

// Where the line before the one that starts at `start` starts, as
// readLine would read it (a piece of a long line counts as a line);
// -1 when `start` is the first.
int64_t previousLineStart(IndexDescriptor& index, int64_t start);

// Reads a decimal number from bytes the way atoi does.
int64_t readNumber(const unsigned char* bytes, size_t size);

// ---- keys and line tests (search.cpp)

// The compare layout of a searched callsign; returns the compare length
// (6, 4 or 3). `key` gets 7 bytes.
int callsignKey(std::string_view callsign, char* key);

// A stored 6-character key (prefix, digit, suffix) in compare layout.
void rearrange(const char* stored, char* out);

// Field `number` of a data line, without the line end.
std::string_view lineField(std::string_view line, int number);

// A line with fewer than two commas lists a callsign under another.
bool isCrossReference(std::string_view line);

// The test of the last search on `line`: below 0 the line sorts after what
// is searched, 0 it matches, above 0 keep reading.
int lineTest(const char* line);

// ---- formatting (format.cpp)

// Formats the current line in `format` into the session's text (nothing
// changes for an empty line).
void formatCurrent(int format);

// Copies the formatted text into the caller's buffer; returns its length.
int copyText(char* out);

// A YYDDD date as M/D/YY ("" for day 0 or a day past the year's end).
std::string yyddd(std::string_view field);

// `text` as RTF paragraphs, at most 1023 characters.
std::string toRtf(std::string_view text);

}  // namespace kscbx

#endif
