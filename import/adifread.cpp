#include "adifread.h"

#include <cstring>
#include <new>

#include "textread.h"

namespace ksimport {
namespace {

// ADIF separates tags with these; the tab is the only blank that splits a
// tag's text. ADIF has neither quoting nor escapes: a stray quote or caret
// in free text must not hide the tags after it.
constexpr char kSpaces[] = "\t";
constexpr char kDelimiters[] = "<>\r";
constexpr char kQuotes[] = "";
constexpr char kEscape = '\0';

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

}  // namespace

AdifReader::AdifReader(HWND window, const char* fileName, std::FILE* file)
    : window_(window), fileName_(fileName ? fileName : ""), file_(file) {
  line_.reset(new (std::nothrow) char[kLineSize]);
  if (!line_) {
    allocationFailure_ = 122;
    return;
  }
  field_.reset(new (std::nothrow) char[kFieldSize]);
  if (!field_) {
    allocationFailure_ = 120;
    return;
  }
  token_.reset(new (std::nothrow) char[kTokenSize]);
  if (!token_) allocationFailure_ = 121;
}

AdifReader::~AdifReader() = default;

void AdifReader::problem(long line, const std::string& text) {
  if (problems_) problems_(line, text);
}

// Reads the next piece of the file behind the first `keep` bytes of the line
// buffer. False at the end of the file or after a read error.
bool AdifReader::readLine(int keep) {
  if (finished_ || failed_) return false;
  if (lineEnded_) ++lineNumber_;
  int length = ReadLine(window_, fileName_.c_str(), file_, line_.get() + keep, kLineSize - keep, 1);
  if (length == 0 && std::ferror(file_)) {
    failed_ = true;
    return false;
  }
  if (length == kEndOfFile) {
    finished_ = true;
    return false;
  }
  lineLength_ = keep + length;
  lineEnded_ = lineLength_ > 0 && line_[lineLength_ - 1] == '\n';
  position_ = 0;
  haveLine_ = true;
  openTag_ = -1;
  if (!started_) {
    started_ = true;
    if (std::strncmp(line_.get(), kByteOrderMark, 3) == 0) position_ = 3;
  }
  if (!decided_) {
    // Blank lines and blanks before the first character do not count: the
    // file has a header unless that character is "<".
    int at = position_;
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (at < lineLength_ && blank(line_[at])) ++at;
    if (at < lineLength_) {
      decided_ = true;
      headerless_ = line_[at] == '<';
    }
  }
  return true;
}

int AdifReader::readValue(long length) {
  long copied = 0;
  while (copied < length) {
    long available = lineLength_ - position_;
    if (available > 0) {
      long take = available < length - copied ? available : length - copied;
      std::memcpy(field_.get() + copied, line_.get() + position_, static_cast<size_t>(take));
      copied += take;
      position_ += static_cast<int>(take);
    } else if (!readLine(0)) {
      break;
    }
  }
  field_[copied] = '\0';
  return static_cast<int>(copied);
}

int AdifReader::next(AdifField& field) {
  if (allocationFailure_ != 0) return -1;
  for (;;) {
    if (failed_) return -1;
    if (!haveLine_ && !readLine(0)) return failed_ ? -1 : 0;

    char delimiter = '\0';
    int quoted = 0;
    if (NextToken(0, token_.get(), kTokenSize, line_.get(), kSpaces, kDelimiters, kQuotes,
                  kEscape, &delimiter, &position_, &quoted) == 1) {
      haveLine_ = false;
      continue;
    }
    if (delimiter == '<') {
      openTag_ = position_ - 1;
      continue;
    }
    if (delimiter != '>') {
      // A tag cut off by the end of a piece of a long line (or by a NUL
      // byte) goes on in the next piece: move it to the front and read on.
      int pending = lineLength_ - openTag_;
      if (delimiter == '\0' && openTag_ >= 0 && !lineEnded_ && pending < kTokenSize) {
        std::memmove(line_.get(), line_.get() + openTag_, static_cast<size_t>(pending));
        if (!readLine(pending)) return failed_ ? -1 : 0;
      } else {
        openTag_ = -1;
      }
      continue;
    }

    openTag_ = -1;
    const long tagLine = lineNumber_;
    char type = '\0';
    const long length = ParseTag(token_.get(), name_, kTokenSize, &type);
    if (length == kBadLength) {
      problem(tagLine, "tag <" + std::string(token_.get()) +
                           "> has no usable length; skipped");
      continue;
    }
    if (length > kFieldSize - 1) {
      problem(tagLine, "tag <" + std::string(token_.get()) + "> declares more than " +
                           std::to_string(kFieldSize - 1) + " bytes; skipped");
      continue;
    }
    const int got = readValue(length);
    if (failed_) return -1;
    if (got < length)
      problem(tagLine, "value of <" + std::string(name_) + "> cut short by the end of the file");
    field.name = name_;
    field.value = field_.get();
    field.length = got;
    field.type = type;
    field.line = tagLine;
    return 1;
  }
}

}  // namespace ksimport
