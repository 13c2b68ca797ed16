#include "adifexport.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <map>

#include "base/fields.h"
#include "funct/ksfunct.h"

namespace ksexport {
namespace {

struct ModeWord {
  std::string_view log;
  AdifMode adif;
};

// The log's mode words and what ADIF calls them. The ADIF import reads the
// other way; a word added to one belongs in the other.
constexpr ModeWord kModes[] = {
    {"CW", {"CW", ""}},         {"SSB", {"SSB", ""}},        {"USB", {"SSB", "USB"}},
    {"LSB", {"SSB", "LSB"}},    {"AM", {"AM", ""}},          {"FM", {"FM", ""}},
    {"RTTY", {"RTTY", ""}},     {"TTY", {"RTTY", ""}},       {"FSK", {"RTTY", ""}},
    {"ASC", {"RTTY", "ASCI"}},  {"AMT", {"TOR", ""}},        {"GTOR", {"TOR", "GTOR"}},
    {"PKT", {"PKT", ""}},       {"PAC", {"PAC", ""}},        {"PAC2", {"PAC", "PAC2"}},
    {"CLO", {"CLO", ""}},       {"PSK", {"PSK", ""}},        {"MFSK", {"MFSK", ""}},
    {"FT8", {"FT8", ""}},       {"FT4", {"MFSK", "FT4"}},    {"JT65", {"JT65", ""}},
    {"JT9", {"JT9", ""}},       {"JT4", {"JT4", ""}},        {"JS8", {"MFSK", "JS8"}},
    {"Q65", {"MFSK", "Q65"}},   {"FST4", {"MFSK", "FST4"}},  {"SSTV", {"SSTV", ""}},
    {"ATV", {"ATV", ""}},
    // A satellite contact whose mode the log did not keep: PROP_MODE says
    // satellite, and ADIF has no mode for "unknown".
    {"SAT", {"", ""}},
};

struct BandWord {
  int band;
  std::string_view name;
};

constexpr BandWord kBandNames[] = {
    {160, "160m"}, {80, "80m"},   {60, "60m"},     {40, "40m"},    {30, "30m"},
    {20, "20m"},   {17, "17m"},   {15, "15m"},     {12, "12m"},    {10, "10m"},
    {6, "6m"},     {4, "4m"},     {2, "2m"},       {220, "1.25m"}, {432, "70cm"},
    {902, "33cm"}, {1240, "23cm"}, {2300, "13cm"}, {3300, "9cm"},  {5650, "6cm"},
    {10000, "3cm"}};

constexpr std::string_view kIotaContinents[8] = {"", "AF", "AN", "AS", "EU", "NA", "OC", "SA"};

constexpr int kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

// A record's text field without its padding.
template <size_t N>
std::string_view text(const char (&field)[N]) {
  return {field, strnlen(field, N)};
}

std::string_view trimmed(std::string_view value) {
  while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
  while (!value.empty() && value.back() == ' ') value.remove_suffix(1);
  return value;
}

// "<NAME:length>value " for a value that is not empty. Every field of
// every contact comes through here: one resize and three copies.
void field(std::string& out, std::string_view name, std::string_view value) {
  if (value.empty()) return;
  char length[24];
  auto [end, error] = std::to_chars(length, length + sizeof length, value.size());
  (void)error;
  const size_t digits = static_cast<size_t>(end - length), at = out.size();
  out.resize(at + name.size() + digits + value.size() + 4);
  char* p = out.data() + at;
  *p++ = '<';
  std::memcpy(p, name.data(), name.size());
  p += name.size();
  *p++ = ':';
  std::memcpy(p, length, digits);
  p += digits;
  *p++ = '>';
  std::memcpy(p, value.data(), value.size());
  p[value.size()] = ' ';
}

void numberField(std::string& out, std::string_view name, long value) {
  char digits[24];
  auto [end, error] = std::to_chars(digits, digits + sizeof digits, value);
  (void)error;
  field(out, name, std::string_view(digits, static_cast<size_t>(end - digits)));
}

bool caseEqual(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(a[i])) !=
        std::toupper(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

int countyRow(DB_ADDR address) { return address & 0xFFFFFF; }

}  // namespace

AdifMode adifMode(std::string_view logMode) {
  for (const ModeWord& word : kModes)
    if (word.log == logMode) return word.adif;
  return {logMode, ""};
}

std::string_view adifBandName(int band) {
  for (const BandWord& word : kBandNames)
    if (word.band == band) return word.name;
  return {};
}

std::string adifDateOfDay(int day) {
  if (day <= 0) return {};
  // Every fourth year is a leap year over the log's whole range (1901-2100).
  const int offset = day - 1;
  const int cycle = offset / 1461, rest = offset % 1461;
  const int yearInCycle = rest / 365 < 3 ? rest / 365 : 3;
  int dayOfYear = rest - yearInCycle * 365;  // from 0
  const int year = 1901 + cycle * 4 + yearInCycle;
  int month = 0;
  for (; month < 12; ++month) {
    const int length = kMonthDays[month] + (month == 1 && year % 4 == 0 ? 1 : 0);
    if (dayOfYear < length) break;
    dayOfYear -= length;
  }
  if (month == 12 || year > 9999) return {};
  std::string out(8, '0');
  const int parts[3] = {year, month + 1, dayOfYear + 1};
  size_t end = 8;
  for (int i = 2; i >= 0; --i)
    for (int value = parts[i], width = i == 0 ? 4 : 2; width > 0; --width, value /= 10)
      out[--end] = static_cast<char>('0' + value % 10);
  return out;
}

std::string adifDate(const char* logDate) {
  if (logDate == nullptr || std::strlen(logDate) != 8) return {};
  std::string adif = adifDateOfDay(CalcJulianDate(logDate));
  if (adif.empty()) return adif;
  // The day count lets a 29 February of any year through as the 1 March
  // after it; such a date is no date.
  const std::string_view date(logDate, 8);
  std::string_view month, day;
  switch (date[2]) {
    case '-': month = date.substr(0, 2), day = date.substr(3, 2); break;
    case '/': day = date.substr(0, 2), month = date.substr(3, 2); break;
    default: month = date.substr(3, 2), day = date.substr(6, 2); break;
  }
  if (std::string_view(adif).substr(4, 2) != month || std::string_view(adif).substr(6, 2) != day)
    return {};
  return adif;
}

int dayOfAdifDate(std::string_view value) {
  std::string digits;
  for (char c : value) {
    if (c == '-' && (digits.size() == 4 || digits.size() == 6)) continue;
    if (!std::isdigit(static_cast<unsigned char>(c))) return 0;
    digits += c;
  }
  if (digits.size() != 8) return 0;
  DateInfo info{};
  info.year = std::stoi(digits.substr(0, 4));
  info.month = std::stoi(digits.substr(4, 2));
  info.day = std::stoi(digits.substr(6, 2));
  if (info.month == 2 && info.day == 29 && info.year % 4 != 0) return 0;
  if (CalcYearDays(&info) == 0) return 0;
  const int years = info.year - 1901;
  return years * 365 + years / 4 + info.yearDay;
}

std::string adifFrequency(std::string_view freq, int band) {
  const std::string_view stored = trimmed(freq);
  if (stored.empty()) return {};
  char bandEdge[16] = {};
  BandToFreq(band, bandEdge);
  if (bandEdge[0] != '\0' && stored == bandEdge) return {};
  std::string out;
  bool point = false, digit = false;
  for (char c : stored) {
    if (c == '.') {
      if (!point) out += c;
      point = true;
    } else if (std::isdigit(static_cast<unsigned char>(c))) {
      out += c;
      digit = true;
    } else {
      return {};
    }
  }
  if (!digit) return {};
  if (out.front() == '.') out.insert(out.begin(), '0');
  return out;
}

std::string adifIota(int code) {
  const int continent = (code >> 12) & 7;
  if (code <= 0 || continent == 0) return {};
  char out[32];
  std::snprintf(out, sizeof out, "%.2s-%03d", kIotaContinents[continent].data(), code & 1023);
  return out;
}

char adifQslLetter(char logLetter) {
  const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(logLetter)));
  if (letter == '\0') return 'N';
  // The import stores ADIF's "requested" as the log's "S".
  if (letter == 'S') return 'R';
  return letter;
}

bool DxccTable::load(const std::string& path, std::string& error) {
  std::ifstream in(path);
  if (!in) {
    error = "cannot read " + path;
    return false;
  }
  numbers_.clear();
  std::string line;
  int number = 0;
  for (int lineNo = 1; std::getline(in, line); ++lineNo) {
    const size_t hash = line.find('#');
    if (hash != std::string::npos) line.erase(hash);
    std::string_view rest = trimmed(line);
    if (rest.empty()) continue;
    const size_t space = rest.find(' ');
    if (space == std::string_view::npos) {
      error = path + ":" + std::to_string(lineNo) + ": not PREFIX NUMBER";
      return false;
    }
    const std::string_view numberText = trimmed(rest.substr(space + 1));
    auto [end, problem] =
        std::from_chars(numberText.data(), numberText.data() + numberText.size(), number);
    if (problem != std::errc() || end != numberText.data() + numberText.size() || number <= 0) {
      error = path + ":" + std::to_string(lineNo) + ": not PREFIX NUMBER";
      return false;
    }
    numbers_[std::string(rest.substr(0, space))] = number;
  }
  return true;
}

int DxccTable::entity(std::string_view prefix) const {
  const auto found = numbers_.find(std::string(prefix));
  return found == numbers_.end() ? 0 : found->second;
}

void appendHeader(std::string& out, const ExportOptions& options) {
  out += "Kestrel logbook export\n";
  field(out, "ADIF_VER", "3.1.4");
  field(out, "PROGRAMID", "Kestrel");
  field(out, "PROGRAMVERSION", options.programVersion);
  field(out, "CREATED_TIMESTAMP", options.created);
  out += "\n<EOH>\n";
}

void appendRecord(std::string& out, const LogRecord& r, const DxccTable* dxcc,
                  std::string_view countyState, std::string_view countyName) {
  field(out, "CALL", text(r.call));
  field(out, "QSO_DATE", adifDate(r.date));
  {
    std::string time;
    for (char c : text(r.time))
      if (std::isdigit(static_cast<unsigned char>(c))) time += c;
    if (time.size() == 4 || time.size() == 6) field(out, "TIME_ON", time);
  }
  field(out, "BAND", adifBandName(r.band));
  field(out, "FREQ", adifFrequency(text(r.freq), r.band));
  const std::string_view mode = text(r.mode);
  const AdifMode adif = adifMode(mode);
  field(out, "MODE", adif.mode);
  field(out, "SUBMODE", adif.submode);
  field(out, "RST_SENT", text(r.rstSent));
  field(out, "RST_RCVD", text(r.rstRcvd));
  field(out, "TX_PWR", text(r.power));
  field(out, "NAME", text(r.name));
  field(out, "QTH", text(r.city));
  field(out, "STATE", text(r.state));
  // The import keeps a county in the remarks and finds its record from
  // there; write the remarks' spelling when they name the county, so that
  // an import of this file gives back the same remarks.
  const std::string_view remarks = text(r.remarks);
  bool remarksAreCounty = false;
  if (!countyName.empty()) {
    remarksAreCounty = caseEqual(trimmed(remarks), countyName);
    std::string cnty(countyState);
    cnty += ',';
    cnty += remarksAreCounty ? trimmed(remarks) : countyName;
    if (!remarksAreCounty) field(out, "COMMENT", remarks);
    field(out, "CNTY", cnty);
  } else {
    field(out, "COMMENT", remarks);
  }
  field(out, "GRIDSQUARE", text(r.grid));
  char sent[2] = {adifQslLetter(r.qslSent[0]), '\0'};
  char received[2] = {adifQslLetter(r.qslRcvd[0]), '\0'};
  field(out, "QSL_SENT", sent);
  field(out, "QSL_RCVD", received);
  // One date for the cards: the received card's when it came, else the sent one's.
  const std::string qslDate = adifDate(r.qslDate);
  if (!qslDate.empty()) {
    if (received[0] == 'Y')
      field(out, "QSLRDATE", qslDate);
    else if (sent[0] == 'Y')
      field(out, "QSLSDATE", qslDate);
  }
  field(out, "CONT", text(r.continent));
  if (r.cqZone >= 1 && r.cqZone <= 40) numberField(out, "CQZ", r.cqZone);
  if (r.ituZone >= 1 && r.ituZone <= 90) numberField(out, "ITUZ", r.ituZone);
  if (dxcc != nullptr) {
    const int entity = dxcc->entity(text(r.prefix));
    if (entity > 0) numberField(out, "DXCC", entity);
  }
  field(out, "COUNTRY", text(r.qth));
  if (isSAT(r.mode) || r.satId[0] != '\0') {
    field(out, "PROP_MODE", "SAT");
    field(out, "SAT_NAME", text(r.satId));
  }
  field(out, "IOTA", adifIota(r.iotaCode));
  out += "<EOR>\n";
}

ExportResult exportLogbook(const ExportSources& sources, const ExportOptions& options,
                           const std::string& path, const std::function<void(long)>& progress) {
  ExportResult result;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    result.error = "cannot write " + path + ": " + std::strerror(errno);
    return result;
  }
  // Only a file of our own making is removed on failure, never a device
  // or a pipe that was named as the target.
  struct stat status {};
  const bool regular = ::fstat(fileno(file), &status) == 0 && S_ISREG(status.st_mode);
  auto failWith = [&](const std::string& why) {
    std::fclose(file);
    if (regular) ::unlink(path.c_str());
    result.ok = false;
    result.error = why;
    return result;
  };

  std::string out;
  out.reserve(1 << 20);
  appendHeader(out, options);
  // Counties are few and contacts many: each county record is read once.
  std::map<DB_ADDR, CountyRecord> counties;
  LogRecord record;
  long seen = 0;
  int rc = dbRecordFirst(kLogRecordType, sources.task, sources.logDb);
  for (; rc == 0; rc = dbRecordNext(sources.task, sources.logDb)) {
    if (progress && (++seen & 0xFFF) == 0) progress(seen);
    DB_ADDR address = 0;
    if (dbCurrentGet(&address, sources.task, sources.logDb) != 0)
      return failWith("cannot read the logbook's contacts");
    if (options.after >= 0 && address <= options.after) continue;
    record = LogRecord{};
    if (dbRecordRead(&record, sources.task, sources.logDb) != 0)
      return failWith("cannot read the logbook's contacts");
    if (options.taggedOnly && record.tagged == 0) continue;
    if (options.fromDay > 0 && record.julianDay < options.fromDay) continue;
    if (options.toDay > 0 && record.julianDay > options.toDay) continue;

    std::string_view state, county;
    if (record.countyNumber > 0 && sources.countyDb >= 0) {
      auto found = counties.find(record.countyNumber);
      if (found == counties.end()) {
        CountyRecord countyRecord{};
        const DB_ADDR countyAddress = record.countyNumber;
        if (countyRow(countyAddress) == 0 ||
            dbCurrentSet(&countyAddress, sources.task, sources.countyDb) != 0 ||
            dbRecordRead(&countyRecord, sources.task, sources.countyDb) != 0)
          countyRecord = CountyRecord{};
        found = counties.emplace(record.countyNumber, countyRecord).first;
      }
      if (found->second.state[0] != '\0') {
        state = std::string_view(found->second.state, 2);
        county = text(found->second.county);
      }
    }
    appendRecord(out, record, sources.dxcc, state, county);
    ++result.written;
    if (address > result.lastAddress) result.lastAddress = address;
    if (out.size() >= (1u << 20) - 4096) {
      if (std::fwrite(out.data(), 1, out.size(), file) != out.size())
        return failWith("cannot write " + path + ": " + std::strerror(errno));
      out.clear();
    }
  }
  if (rc != RECDB_END) return failWith("cannot read the logbook's contacts");
  if (progress) progress(seen);
  if (!out.empty() && std::fwrite(out.data(), 1, out.size(), file) != out.size())
    return failWith("cannot write " + path + ": " + std::strerror(errno));
  if (std::fflush(file) != 0 || std::ferror(file))
    return failWith("cannot write " + path + ": " + std::strerror(errno));
  if (std::fclose(file) != 0) {
    if (regular) ::unlink(path.c_str());
    result.error = "cannot write " + path + ": " + std::strerror(errno);
    return result;
  }
  result.ok = true;
  return result;
}

DB_ADDR readExportMark(const std::string& logbook) {
  std::ifstream in(logbook + ".EXP");
  long address = -1;
  std::string word;
  if (!(in >> word >> address) || word != "last") return -1;
  return address < 0 ? -1 : static_cast<DB_ADDR>(address);
}

bool writeExportMark(const std::string& logbook, DB_ADDR address, std::string& error) {
  const std::string path = logbook + ".EXP", temporary = path + ".new";
  {
    std::ofstream out(temporary, std::ios::trunc);
    out << "last " << address << "\n";
    out.close();
    if (!out) {
      error = "cannot write " + temporary;
      ::unlink(temporary.c_str());
      return false;
    }
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    error = "cannot write " + path + ": " + std::strerror(errno);
    ::unlink(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace ksexport
