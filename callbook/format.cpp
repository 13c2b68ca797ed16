// A record as text: the six layouts, the values derived from the fields,
// single fields for the host, RTF paragraphs, trimming the host's RTF file,
// and the e-mail address file.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "base/cabi.h"
#include "cbx32.h"
#include "internal.h"

namespace kscbx {

namespace {

constexpr size_t kEmailRecord = sizeof(EmailRecord);
constexpr size_t kEmailKey = sizeof(EmailRecord::key);

std::string cut(std::string_view text, size_t most) { return std::string(text.substr(0, most)); }

std::string printed(const char* format, auto... values) {
  char buffer[kTextSize];
  std::snprintf(buffer, sizeof buffer, format, values...);
  return buffer;
}

// The line as stored: the callsign's non-blank characters, the rest from
// its first comma on, each line feed after a carriage return.
std::string storedLayout(std::string_view line) {
  std::string text;
  size_t comma = line.find(',');
  if (comma == std::string_view::npos) comma = line.size();
  for (size_t i = 0; i < comma; ++i)
    if (line[i] != ' ' && line[i] != '\n') text += line[i];
  for (size_t i = comma; i < line.size(); ++i) {
    if (line[i] == '\n') text += '\r';
    text += line[i];
  }
  if (comma == line.size() && !line.empty() && line.back() == '\n') text += "\r\n";
  return text;
}

void splitLine(Session& s) {
  const std::string_view line(s.line);
  for (int n = 0; n < kMaxFields; ++n) s.fields[static_cast<size_t>(n)] = lineField(line, n);
  std::string& call = s.fields[0];
  call.erase(std::remove(call.begin(), call.end(), ' '), call.end());
  s.split = true;
}

std::string classDescription(const std::string& licenceClass) {
  if (licenceClass.empty()) return {};
  switch (licenceClass[0]) {
    case 'A': return "Advanced";
    case 'C': return "Club";
    case 'E': return "Extra";
    case 'G': return "General";
    case 'N': return "Novice";
    case 'P': return "Tech Plus";
    case 'T': return "Technician";
    default: return "Class: " + cut(licenceClass, 8);
  }
}

// The callsign in a six-character column, district digits lined up: one
// position in when its second character is a digit.
std::string callsignColumn(const std::string& call) {
  const size_t at = call.size() >= 2 && std::isdigit(static_cast<unsigned char>(call[1])) ? 1 : 0;
  std::string column(at, ' ');
  column += call;
  if (column.size() < 6) column.append(6 - column.size(), ' ');
  return column;
}

void derive(Session& s, int format) {
  auto& f = s.fields;
  Derived& d = s.derived;
  if (f[3].empty()) {
    d.fullName = f[1];
  } else {
    const bool initial = f[3].size() >= 2 && f[3][f[3].size() - 2] == ' ';
    d.fullName = f[3] + (initial ? ". " : " ") + f[1];
  }
  d.fullName = cut(d.fullName, 127);

  std::replace(f[8].begin(), f[8].end(), ';', ',');
  std::replace(f[9].begin(), f[9].end(), ';', ',');
  if (!f[9].empty() || !f[10].empty() || !f[11].empty()) {
    d.cityLine = f[9] + (f[10].empty() ? std::string(" ") : ", " + f[10] + "  ");
    if (!f[11].empty()) d.cityLine += f[11] + " ";
  }
  d.cityLine = cut(d.cityLine, 127);

  if (format == 3 && f[12].empty()) f[12] = " ";
  d.birthDate = yyddd(f[5]);
  d.licenceDate = yyddd(f[6]);
  d.expiryDate = yyddd(f[7]);
  d.classDescription = cut(classDescription(f[12]), 15);
  if (!f[6].empty()) d.licenceLabel = cut("Licn: " + d.licenceDate + " " + cut(f[12], 8), 31);
  if (!f[7].empty()) d.expiryLabel = cut("Expn: " + d.expiryDate, 31);
  if (!f[5].empty()) d.birthLabel = cut("Born: " + d.birthDate, 23);
  if (!f[13].empty()) {
    d.previousLabel = !f[12].empty() && f[12][0] == 'C'
                          ? "Trustee: " + cut(f[13], 10)
                          : "Prev: " + cut(f[13], 10) + ", " + cut(f[14], 8);
  }
}

std::string layout(const Session& s, int format) {
  const auto& f = s.fields;
  const Derived& d = s.derived;
  switch (format) {
    case 1:
      return printed("%-8s%-38s%s\r\n        %-38s%s\r\n        %-38s%s\r\n        %-38s%s",
                     f[0].c_str(), d.fullName.c_str(), d.previousLabel.c_str(), f[8].c_str(),
                     d.birthLabel.c_str(), d.cityLine.c_str(), d.licenceLabel.c_str(), "",
                     d.expiryLabel.c_str());
    case 2:
      return printed("%s, %s\r\n%s\r\n%s", d.fullName.c_str(), f[0].c_str(), f[8].c_str(),
                     d.cityLine.c_str());
    case 3:
      return printed("%s %s %s, %s, %s", callsignColumn(f[0]).c_str(), f[12].c_str(),
                     d.fullName.c_str(), f[8].c_str(), d.cityLine.c_str());
    case 6:
      return printed("%s\t%s\t%s\r\n\t%s\t%s\r\n\t%s\t%s\r\n\t%s\t%s", f[0].c_str(),
                     d.fullName.c_str(), d.previousLabel.c_str(), f[8].c_str(),
                     d.birthLabel.c_str(), d.cityLine.c_str(), d.licenceLabel.c_str(), "",
                     d.expiryLabel.c_str());
    default: {  // 5: every field quoted
      std::string text;
      for (size_t n = 0; n <= 14; ++n) {
        if (n > 0) text += ',';
        text += '"' + f[n] + '"';
      }
      std::replace(text.begin(), text.end(), ';', ',');
      return text;
    }
  }
}

void store(Session& s, std::string_view text) {
  const size_t n = std::min(text.size(), sizeof s.text - 1);
  std::memcpy(s.text, text.data(), n);
  s.text[n] = '\0';
}

}  // namespace

std::string yyddd(std::string_view field) {
  const int64_t value =
      readNumber(reinterpret_cast<const unsigned char*>(field.data()), field.size());
  if (value <= 0) return {};
  const int year = static_cast<int>(value / 1000 % 100);
  int day = static_cast<int>(value % 1000);
  const bool leap = year % 4 == 0;
  static constexpr int kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (day == 0 || day > (leap ? 366 : 365)) return {};
  int month = 0;
  for (; month < 12; ++month) {
    const int length = kMonthDays[month] + (month == 1 && leap ? 1 : 0);
    if (day <= length) break;
    day -= length;
  }
  return printed("%d/%d/%02d", month + 1, day, year);
}

std::string toRtf(std::string_view text) {
  std::string rtf = "\\par ";
  for (char c : text) {
    rtf += c;
    if (c == '\n') rtf += "\\par ";
    if (rtf.size() >= kTextSize - 1) break;
  }
  return cut(rtf, kTextSize - 1);
}

void formatCurrent(int format) {
  Session& s = session();
  if (s.line[0] == '\0') return;
  ++s.recordCount;
  s.derived = Derived{};
  const std::string_view line(s.line);
  if (format == 4) {
    store(s, storedLayout(line));
    return;
  }
  splitLine(s);
  if (isCrossReference(line)) {
    s.derived.fullName = cut("See: " + s.fields[1], 127);
    store(s, s.fields[0] + " - See " + s.fields[1]);
    return;
  }
  derive(s, format);
  const std::string text = layout(s, format);
  store(s, s.textMode ? toRtf(text) : text);
}

int copyText(char* out) {
  const Session& s = session();
  const size_t n = strnlen(s.text, sizeof s.text - 1);
  if (out) {
    std::memcpy(out, s.text, n);
    out[n] = '\0';
  }
  return static_cast<int>(n);
}

namespace {

void field(int number, char* out, int* length) {
  Session& s = session();
  if (s.selected < 0) return;
  if (!s.split) formatCurrent(2);
  std::string value;
  if (s.split) {
    const Derived& d = s.derived;
    switch (number) {
      case 5: value = d.birthDate; break;
      case 6: value = d.licenceDate; break;
      case 7: value = d.expiryDate; break;
      case 12: value = d.classDescription; break;
      case 100: value = d.fullName; break;
      case 101: value = d.cityLine; break;
      case 102: value = s.fields[12]; break;
      default:
        if (number >= 0 && number < kMaxFields) value = s.fields[static_cast<size_t>(number)];
    }
  }
  const size_t skip = std::min(value.find_first_not_of(' '), value.size());
  const std::string_view shown = std::string_view(value).substr(skip, 256);
  if (out) {
    std::memset(out, 0, 256);
    std::memcpy(out, shown.data(), shown.size());
  }
  if (length) *length = static_cast<int>(shown.size());
}

// Cuts the text back to just after the second line feed before its last
// closing brace. A file with fewer line feeds than that is left whole.
int fixBuffer(const char* path) {
  if (!path) return 0;
  const std::string name = hostPath(path);
  std::FILE* in = name.empty() ? nullptr : std::fopen(name.c_str(), "rb");
  if (!in) return 0;
  std::string text;
  char chunk[8192];
  for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, in)) > 0;) text.append(chunk, got);
  std::fclose(in);
  const int fd = ::open(name.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return 0;
  const size_t brace = text.rfind('}');
  size_t at = brace == std::string::npos ? 0 : brace;
  int feeds = 0;
  while (at > 0 && feeds < 2)
    if (text[--at] == '\n') ++feeds;
  int result = 1;
  if (feeds == 2 && ::ftruncate(fd, static_cast<off_t>(at + 1)) != 0) result = 0;
  ::close(fd);
  return result;
}

int email(const char* callsign, char* out, int maximum) {
  const Session& s = session();
  if (maximum < 1 || maximum > 256 || !s.email || !callsign || !callsign[0] || !out) return 0;
  unsigned char key[kEmailKey] = {};
  for (size_t i = 0; i < 9 && callsign[i]; ++i)
    key[i] = static_cast<unsigned char>(std::toupper(static_cast<unsigned char>(callsign[i])));
  const int64_t records = s.emailSize / static_cast<int64_t>(kEmailRecord);
  if (records <= 0) return 0;
  // Eighteen probes find any record of a file of up to 2^9 records; a
  // larger file gets the probes its size needs.
  const int probes = std::max(18, 2 * static_cast<int>(std::bit_width(static_cast<uint64_t>(records))));
  int64_t at = records / 2;
  int64_t step = std::max<int64_t>(1, records / 4);
  EmailRecord record;
  for (int probe = 0; probe < probes; ++probe) {
    if (at < 0 || at >= records) return 0;
    if (::fseeko(s.email, at * static_cast<int64_t>(kEmailRecord), SEEK_SET) != 0 ||
        std::fread(&record, 1, kEmailRecord, s.email) != kEmailRecord)
      return 0;
    const int c = std::memcmp(record.key, key, kEmailKey);
    if (c == 0) {
      const char* address = record.address;
      const size_t length = strnlen(address, sizeof record.address);
      const size_t n = std::min(static_cast<size_t>(maximum), length);
      std::memcpy(out, address, n);
      if (n < static_cast<size_t>(maximum)) out[n] = '\0';
      return static_cast<int>(n);
    }
    at += c < 0 ? step : -step;
    step = std::max<int64_t>(1, step / 2);
  }
  return 0;
}

}  // namespace

}  // namespace kscbx

using namespace kscbx;

extern "C" void CBXField(int number, char* out, int* length) {
  ksbase::guardedVoid([&] { field(number, out, length); },
                      [&] {
                        if (length) *length = 0;
                      });
}

extern "C" int CBXReformat(int format, char* out) {
  return ksbase::guarded(0, [&] {
    if (session().selected < 0) return 0;
    formatCurrent(format >= 1 && format <= 6 ? format : 4);
    return copyText(out);
  });
}

extern "C" int CBXReformatRTF(char* out) {
  return ksbase::guarded(0, [&] {
    const std::string rtf = toRtf(session().text);
    if (out) std::memcpy(out, rtf.c_str(), rtf.size() + 1);
    return static_cast<int>(rtf.size());
  });
}

extern "C" void CBXTextMode(int mode) { session().textMode = mode == 1; }

extern "C" int CBXFixBuffer(const char* path) {
  return ksbase::guarded(0, [&] { return fixBuffer(path); });
}

extern "C" int CBXGetEmail(const char* callsign, char* out, int maximum) {
  return ksbase::guarded(0, [&] { return email(callsign, out, maximum); });
}
