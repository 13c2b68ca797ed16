// The layout: the caller's text with bracketed tags replaced by the
// record's values, and the mixed case of names and places.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "kit.h"

namespace kitapi {
namespace {

constexpr const char* kTags[] = {"AD", "BE", "C+", "C-", "CA", "CI", "CC", "CL", "CO", "DB", "FN",
                                 "LC", "LN", "MI", "MS", "NL", "RN", "ST", "TA", "UC", "ZI", "ZZ"};
// Numbers in tags are read up to this; more is no different for a buffer.
constexpr long kLargestNumber = 100000000;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Words that keep their capitals.
bool isKeptWord(std::string_view word) {
  static constexpr std::string_view kept[] = {"AR", "ARC", "ARRL", "ARS", "CARF", "CP",
                                              "CRRL", "NE", "NW", "PO", "POB", "RACES",
                                              "RFD", "RR", "SE", "SW"};
  return std::find(std::begin(kept), std::end(kept), word) != std::end(kept);
}

bool isOrdinal(std::string_view word) {
  if (word.size() < 3) return false;
  const std::string_view suffix = word.substr(word.size() - 2);
  if (suffix != "ST" && suffix != "ND" && suffix != "RD" && suffix != "TH") return false;
  return std::all_of(word.begin(), word.end() - 2, isDigit);
}

void convertWord(std::string& word) {
  if (word.size() <= 1) return;
  const bool plain = std::all_of(word.begin(), word.end(), [](char c) {
    return std::isalpha(static_cast<unsigned char>(c)) || c == '-' || c == '\'';
  });
  if (!plain && !isOrdinal(word)) return;
  if (isKeptWord(word)) return;
  if (std::all_of(word.begin(), word.end(), [](char c) { return c == 'I' || c == 'V' || c == 'X'; }))
    return;
  for (std::size_t i = 1; i < word.size(); ++i) {
    const unsigned char before = static_cast<unsigned char>(word[i - 1]);
    if (std::isalpha(before) || std::isdigit(before))
      word[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(word[i])));
  }
}

// The text being laid out: what fits, and the column counter.
class Writer {
 public:
  Writer(char* buffer, int length)
      : buffer_(buffer),
        writable_(buffer != nullptr && length > 0),
        room_(writable_ ? static_cast<std::size_t>(length) - 1 : 0) {}

  // A value: written whole when it fits before the buffer's last byte, else
  // not at all; the column counts it either way.
  void value(std::string_view text) { repeat(text, 1); }
  void repeat(std::string_view unit, long count) {
    if (count <= 0 || unit.empty()) return;
    const std::size_t total = unit.size() * static_cast<std::size_t>(count);
    column_ += static_cast<long long>(total);
    if (total > room_ - used_) return;
    for (long i = 0; i < count; ++i) {
      std::memcpy(buffer_ + used_, unit.data(), unit.size());
      used_ += unit.size();
    }
  }
  // A character that does not move the column.
  void control(char c) {
    if (used_ < room_) buffer_[used_++] = c;
  }
  long long& column() { return column_; }
  void finish() {
    if (writable_) buffer_[used_] = '\0';
  }

 private:
  char* buffer_;
  bool writable_;
  std::size_t room_;
  std::size_t used_ = 0;
  long long column_ = 0;
};

std::string birthDate(const Decoded& r) {
  char text[40];
  if (r.birthDay == 0) {
    std::snprintf(text, sizeof text, "%02d", r.birthYear);
    return text;
  }
  int days[12] = {31, r.birthYear % 4 == 0 ? 29 : 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int month = 0, day = r.birthDay;
  while (month < 12 && day > days[month]) day -= days[month++];
  if (month == 12) month = 0, day = 1;
  std::snprintf(text, sizeof text, "%02d/%02d/%02d", month + 1, day, r.birthYear);
  return text;
}

std::string zipValue(const Decoded& r, bool zeros) {
  if (r.ve) {
    if (r.zip == 0) return zeros ? "000 000" : "       ";
    return r.zipText.substr(0, 3) + " " + r.zipText.substr(3, 3);
  }
  if (r.zip == 0) return zeros ? "00000" : "     ";
  return r.zipText;
}

}  // namespace

std::string mixedCase(std::string_view text) {
  std::string out, word;
  for (char c : text) {
    if (c == ' ') {
      convertWord(word);
      out += word;
      out += ' ';
      word.clear();
    } else {
      word += c;
    }
  }
  convertWord(word);
  return out + word;
}

void renderLayout(const Decoded& r, const char* layout, char* buffer, int length,
                  const std::function<std::string(const std::string&)>& county) {
  Writer out(buffer, length);
  bool mixed = false;
  auto name = [&](const std::string& text) { out.value(mixed ? mixedCase(text) : text); };
  for (const char* p = layout; *p != '\0';) {
    if (*p != '[' || p[1] == '\0' || p[2] == '\0') {
      out.value(std::string_view(p, 1));
      ++p;
      continue;
    }
    const char tag[3] = {static_cast<char>(std::toupper(static_cast<unsigned char>(p[1]))),
                         static_cast<char>(std::toupper(static_cast<unsigned char>(p[2]))), '\0'};
    const char* q = p + 3;
    long n = 0;
    while (isDigit(*q)) {
      n = std::min(n * 10 + (*q - '0'), kLargestNumber);
      ++q;
    }
    const bool known = std::any_of(std::begin(kTags), std::end(kTags),
                                   [&](const char* t) { return std::strcmp(t, tag) == 0; });
    if (!known || *q != ']') {
      out.value("[");
      ++p;
      continue;
    }
    p = q + 1;
    const std::string_view t(tag, 2);
    char number[32];
    if (t == "AD") name(r.street);
    else if (t == "BE") out.value(birthDate(r));
    else if (t == "C+") out.column() = n == 0 ? 0 : out.column() + n;
    else if (t == "C-") {
      if (n == 0) out.column() = 0;
      else if (out.column() >= n) out.column() -= n;
    } else if (t == "CA") out.value(std::string_view(r.call, 6));
    else if (t == "CI") name(r.city);
    else if (t == "CC") {
      if (n > 0 && n < 256) out.control(static_cast<char>(n));
    } else if (t == "CL") {
      std::string call;
      for (char c : std::string_view(r.call, 6))
        if (c != ' ') call += c;
      out.value(call);
    } else if (t == "CO") {
      if (!r.ve && r.zip != 0) out.value(county(r.zipText));
    } else if (t == "DB") {
      std::snprintf(number, sizeof number, "%02d", r.birthYear);
      out.value(number);
    } else if (t == "FN") {
      if (r.firstName != " ") name(r.firstName);
    } else if (t == "LC") out.value(std::string_view(&r.licenceClass, 1));
    else if (t == "LN") name(r.lastName);
    else if (t == "MI") out.value(std::string(1, r.middle ? r.middle : ' '));
    else if (t == "MS") {
      if (r.middle) out.value(std::string(1, r.middle) + (n == 1 ? ". " : " "));
    } else if (t == "NL") out.repeat("\r\n", std::max(n, 1L));
    else if (t == "RN") {
      std::snprintf(number, sizeof number, "%07ld", r.recordNumber);
      out.value(number);
    } else if (t == "ST") out.value(r.state);
    else if (t == "TA") {
      if (n > out.column()) out.repeat(" ", static_cast<long>(n - out.column()));
    } else if (t == "UC") mixed = n != 0;
    else if (t == "ZI") out.value(zipValue(r, false));
    else if (t == "ZZ") out.value(zipValue(r, true));
  }
  out.finish();
}

}  // namespace kitapi
