#include "textread.h"

#include <cctype>
#include <climits>
#include <cstring>
#include <string>

#include "strings.h"
#include "winlayer/winlayer.h"

namespace ksimport {

int ReadLine(HWND window, const char* fileName, std::FILE* file, char* buffer, int size,
             int keepEnds) {
  if (size <= 0) return 0;
  int length = 0;
  bool readAny = false;
  while (length < size - 1) {
    int c = getc_unlocked(file);
    if (c == EOF) {
      if (std::ferror(file)) {
        buffer[0] = '\0';
        MessageBox(window, messageWith(17, fileName ? fileName : "").c_str(), nullptr,
                   MB_OK | MB_ICONWARNING);
        return 0;
      }
      break;
    }
    readAny = true;
    if (c == '\0') break;
    if (c == '\n') {
      if (keepEnds) buffer[length++] = '\n';
      break;
    }
    if (c == '\r' && !keepEnds) continue;
    buffer[length++] = static_cast<char>(c);
  }
  buffer[length] = '\0';
  return readAny ? length : kEndOfFile;
}

namespace {

enum State { kBefore, kInToken, kInQuotes, kAfter };

bool isIn(const char* set, char c) { return c != '\0' && set && std::strchr(set, c); }

char applyCase(int caseMode, char c) {
  unsigned char u = static_cast<unsigned char>(c);
  if (caseMode == 1) return static_cast<char>(std::toupper(u));
  if (caseMode == 2) return static_cast<char>(std::tolower(u));
  return c;
}

}  // namespace

int NextToken(int caseMode, char* out, int outSize, const char* text, const char* spaces,
              const char* delimiters, const char* quotes, char escape, char* delimiter,
              int* position, int* quoted) {
  int pos = *position;
  *delimiter = '\0';
  *quoted = 0;
  if (outSize > 0) out[0] = '\0';
  if (text[pos] == '\0') return 1;

  int length = 0;
  auto append = [&](char c) {
    if (length < outSize - 1) out[length++] = c;
  };
  State state = kBefore;
  char openQuote = '\0';
  for (char c = text[pos]; c != '\0'; c = text[pos]) {
    if (state == kInQuotes) {
      ++pos;
      if (c == openQuote) {
        state = kAfter;
      } else if (c == escape) {
        append(text[pos] != '\0' ? text[pos++] : c);
      } else {
        append(c);
      }
      continue;
    }
    if (isIn(delimiters, c)) {
      *delimiter = c;
      ++pos;
      break;
    }
    if (isIn(quotes, c)) {
      if (state != kBefore) {
        *delimiter = c;  // ends the token; the quote starts the next one
        break;
      }
      openQuote = c;
      *quoted = 1;
      state = kInQuotes;
      ++pos;
      continue;
    }
    if (isIn(spaces, c)) {
      if (state == kInToken) state = kAfter;
      ++pos;
      continue;
    }
    if (state == kAfter) break;
    ++pos;
    if (c == escape) {
      append(text[pos] != '\0' ? text[pos++] : c);
    } else {
      append(applyCase(caseMode, c));
    }
    state = kInToken;
  }
  if (outSize > 0) out[length] = '\0';
  *position = pos;
  return 0;
}

long ParseTag(const char* tag, char* name, int nameSize, char* type) {
  *type = '\0';
  const char* colon = std::strchr(tag, ':');
  size_t nameLength = colon ? static_cast<size_t>(colon - tag) : std::strlen(tag);
  if (nameSize > 0) {
    size_t kept = nameLength < static_cast<size_t>(nameSize - 1) ? nameLength
                                                                   : static_cast<size_t>(nameSize - 1);
    std::memcpy(name, tag, kept);
    name[kept] = '\0';
  }
  if (!colon) return 0;

  const char* p = colon + 1;
  while (*p == ' ') ++p;
  if (*p == '\0' || *p == ':') {
    if (*p == ':') *type = p[1];
    return 0;
  }
  long length = 0;
  bool digits = false;
  for (; std::isdigit(static_cast<unsigned char>(*p)); ++p) {
    int digit = *p - '0';
    if (length > (LONG_MAX - digit) / 10) return kBadLength;
    length = length * 10 + digit;
    digits = true;
  }
  while (*p == ' ') ++p;
  if (!digits || (*p != '\0' && *p != ':')) return kBadLength;
  if (*p == ':') *type = p[1];
  return length;
}

}  // namespace ksimport
