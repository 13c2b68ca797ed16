// The data set on its drive: finding it, mapping an index file, and reading
// a data file line by line with its read position kept here.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

#include "internal.h"
#include "strings.h"
#include "base/paths.h"

namespace kscbx {

namespace {

Session state;

constexpr char kLetters[4] = {'c', 'n', 's', 'z'};

bool fileExists(const std::string& path) {
  struct stat info;
  return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// The header's numbers are decimal text in fields of eight bytes; a number
// is read only within its field and within the file.
int64_t headerNumber(const IndexDescriptor& index, size_t offset) {
  if (offset >= index.mappedSize) return 0;
  return readNumber(index.mapped + offset, std::min<size_t>(8, index.mappedSize - offset));
}

}  // namespace

Session& session() { return state; }

void resetSession() {
  for (IndexDescriptor& index : state.indexes) {
    if (index.data) std::fclose(index.data);
    if (index.mapped) ::munmap(const_cast<unsigned char*>(index.mapped), index.mappedSize);
  }
  if (state.email) std::fclose(state.email);
  state = Session{};
}

// Every name the library opens goes through here to the host's file
// system: drive letters, backslashes, names matched without regard to case.
std::string hostPath(std::string_view name) { return ksbase::mapPath(name); }

std::string dataSetPath(char drive, std::string_view name) {
  std::string windowsName;
  windowsName += drive;
  windowsName += ":\\callbk\\";
  windowsName += name;
  return hostPath(windowsName);
}

int64_t readNumber(const unsigned char* bytes, size_t size) {
  size_t at = 0;
  while (at < size && std::isspace(bytes[at])) ++at;
  bool negative = false;
  if (at < size && (bytes[at] == '+' || bytes[at] == '-')) negative = bytes[at++] == '-';
  int64_t value = 0;
  for (; at < size && bytes[at] >= '0' && bytes[at] <= '9'; ++at) {
    if (value > (INT64_MAX - 9) / 10) break;  // more digits than any file has bytes
    value = value * 10 + (bytes[at] - '0');
  }
  return negative ? -value : value;
}

bool findDataSet(char start) {
  char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(start)));
  if (letter < 'A' || letter > 'Z' || letter == 'A') letter = 'C';
  for (; letter <= 'Z'; ++letter)
    if (fileExists(dataSetPath(letter, "callbkc.idx"))) break;
  if (letter > 'Z') return false;

  for (IndexDescriptor& index : state.indexes) {
    if (index.data) std::fclose(index.data);
    if (index.mapped) ::munmap(const_cast<unsigned char*>(index.mapped), index.mappedSize);
    index = IndexDescriptor{};
  }
  for (int n = 0; n < 4; ++n) {
    state.indexes[n].number = n;
    state.indexes[n].letter = kLetters[n];
    state.indexes[n].drive = letter;
  }
  if (state.email) std::fclose(state.email);
  state.email = nullptr;
  state.emailSize = 0;
  const std::string emailPath = dataSetPath(letter, "netaddr.cbx");
  if (!emailPath.empty()) state.email = std::fopen(emailPath.c_str(), "rb");
  if (state.email && std::fseek(state.email, 0, SEEK_END) == 0) {
    state.emailSize = ::ftello(state.email);
    std::rewind(state.email);
  }
  state.drive = letter;
  state.found = true;
  return true;
}

bool openIndex(int number) {
  if (number < 0 || number > 3 || !state.found) return false;
  IndexDescriptor& index = state.indexes[number];
  if (!index.open) {
    const std::string name = std::string("callbk") + index.letter + ".idx";
    const std::string path = dataSetPath(index.drive, name);
    const int fd = path.empty() ? -1 : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
      showMessage(kIndexOpenError);
      return false;
    }
    struct stat info;
    // An empty file cannot be mapped: there is nothing to map.
    if (::fstat(fd, &info) != 0 || info.st_size <= 0) {
      ::close(fd);
      showMessage(kIndexMapError);
      return false;
    }
    const size_t size = static_cast<size_t>(info.st_size);
    void* view = ::mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0);
    ::close(fd);
    if (view == MAP_FAILED) {
      showMessage(kIndexViewError);
      return false;
    }
    index.mapped = static_cast<const unsigned char*>(view);
    index.mappedSize = size;
    index.blockSize = std::max<int64_t>(0, headerNumber(index, offsetof(IndexHeader, blockSize)));
    index.entryCount = std::max<int64_t>(0, headerNumber(index, offsetof(IndexHeader, entryCount)));
    index.keyLength = static_cast<int>(
        std::clamp<int64_t>(headerNumber(index, offsetof(IndexHeader, keyLength)), 0, 4096));
    // Only the entries the file holds whole are ever read.
    const int64_t room = size > kHeaderSize ? static_cast<int64_t>(size - kHeaderSize) : 0;
    const int64_t fits = index.keyLength > 0 ? room / index.keyLength : 0;
    index.entryCount = std::min(index.entryCount, fits);
    index.firstEntry = size > kHeaderSize ? index.mapped + kHeaderSize : nullptr;
    const size_t version = offsetof(IndexHeader, version);
    for (size_t at = version; at < kHeaderSize && at < size && index.mapped[at] != '\0'; ++at)
      index.version[at - version] = static_cast<char>(index.mapped[at]);
    index.open = true;
    state.selected = number;
  }
  if (!index.data) {
    const std::string name = std::string("callbk") + index.letter + ".dat";
    const std::string path = dataSetPath(index.drive, name);
    index.data = path.empty() ? nullptr : std::fopen(path.c_str(), "rb");
    if (!index.data) {
      showMessage(kDataFileError);
      return false;
    }
    std::fseek(index.data, 0, SEEK_END);
    index.dataSize = std::max<int64_t>(0, ::ftello(index.data));
    std::rewind(index.data);
    index.position = 0;
  }
  return true;
}

bool seekTo(IndexDescriptor& index, int64_t offset) {
  if (!index.data || offset < 0 || ::fseeko(index.data, offset, SEEK_SET) != 0) return false;
  index.position = offset;
  return true;
}

bool readLine(IndexDescriptor& index, char* out, int64_t& start) {
  start = index.position;
  out[0] = '\0';
  if (out == state.line) state.split = false;  // a new current line
  if (!index.data) return false;
  std::FILE* file = index.data;
  int n = 0;
  int64_t consumed = 0;
  while (n < kLineSize - 1) {
    int c = getc_unlocked(file);
    if (c == EOF) break;
    ++consumed;
    if (c == '\r') {
      const int next = getc_unlocked(file);
      if (next == '\n') {
        c = '\n';
        ++consumed;
      } else if (next != EOF) {
        ungetc(next, file);
      }
    }
    out[n++] = static_cast<char>(c);
    if (c == '\n') break;
  }
  out[n] = '\0';
  index.position += consumed;
  return n > 0;
}

int64_t previousLineStart(IndexDescriptor& index, int64_t start) {
  if (!index.data || start <= 0) return -1;
  start = std::min(start, index.dataSize);
  // The physical line the previous line lies in begins after the last line
  // feed before start - 1 (the byte at start - 1 ends the line before, or
  // is inside the same long line).
  const int fd = ::fileno(index.data);
  int64_t lineBegin = 0;
  char chunk[4096];
  int64_t end = start - 1;
  while (end > 0) {
    const int64_t from = std::max<int64_t>(0, end - static_cast<int64_t>(sizeof chunk));
    const ssize_t got = ::pread(fd, chunk, static_cast<size_t>(end - from), from);
    if (got <= 0) break;
    const char* feed = static_cast<const char*>(::memrchr(chunk, '\n', static_cast<size_t>(got)));
    if (feed) {
      lineBegin = from + (feed - chunk) + 1;
      break;
    }
    end = from;
  }
  // Walk forward as readLine reads, to the last line that starts before.
  if (!seekTo(index, lineBegin)) return -1;
  char line[kLineSize];
  int64_t at = lineBegin, last = lineBegin;
  while (readLine(index, line, at) && at < start) {
    last = at;
    if (index.position >= start) break;
  }
  return last;
}

}  // namespace kscbx
