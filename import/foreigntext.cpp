// The line formats: CT results, DXBase, HyperLog and PakRatt.
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/fields.h"
#include "foreignread.h"
#include "foreignrules.h"
#include "funct/ksfunct.h"
#include "textread.h"

namespace ksimport::foreign {
namespace {

using ksbase::putField;

constexpr int kLineSize = 16384;

std::string upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

// Whether a line holds bytes no text file of these programs has.
bool looksBinary(std::string_view line) {
  for (char c : line) {
    const auto u = static_cast<unsigned char>(c);
    if ((u < 0x20 && c != '\t' && c != '\r' && c != '\n') || u == 0x7f) return true;
  }
  return false;
}

// "HHMM" as "HH:MM"; anything else as it is.
std::string clockTime(std::string_view text) {
  text = trimmed(text);
  if (text.size() == 4 && std::isdigit(static_cast<unsigned char>(text[0])))
    return std::string(text.substr(0, 2)) + ":" + std::string(text.substr(2, 2));
  return std::string(text);
}

// Reads the file a line at a time, blank lines skipped; `take` reads one
// line into the contact and says whether the reading goes on.
template <class Take>
ReadResult eachLine(std::FILE* file, const char* name, Take take) {
  std::vector<char> buffer(kLineSize);
  ReadResult result;
  long lineNumber = 0;
  for (;;) {
    const int length = ReadLine(nullptr, name, file, buffer.data(), kLineSize, 0);
    if (length == kEndOfFile) return result;
    ++lineNumber;
    if (length == 0 && std::ferror(file)) {
      result.end = ReadEnd::ReadError;
      result.where = lineNumber;
      return result;
    }
    const std::string_view line(buffer.data(), static_cast<size_t>(length));
    if (trimmed(line).empty()) continue;
    if (looksBinary(line)) {
      result.end = ReadEnd::Malformed;
      result.where = lineNumber;
      result.detail = "it holds binary data, not text";
      return result;
    }
    result.where = lineNumber;
    if (!take(line, result)) {
      if (result.end == ReadEnd::EndOfFile) result.end = ReadEnd::Stopped;
      return result;
    }
  }
}

// ---- CT ------------------------------------------------------------------

int monthNumber(std::string_view name) {
  static constexpr const char* kMonths[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                            "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
  const std::string key = upper(name);
  for (int i = 0; i < 12; ++i)
    if (key == kMonths[i]) return i + 1;
  return 0;
}

// The frequency of CT's frequency column: kilohertz, or a band (metres on
// HF, megahertz for the VHF bands of the VHF contest).
void ctFrequency(Contact& contact, ForeignServices& services, std::string_view token,
                 int contestButton) {
  const long whole = decimal(token.substr(0, token.find('.')), -1);
  if (whole >= 1000) {
    const double khz = std::strtod(std::string(token).c_str(), nullptr);
    const long tensOfHz = static_cast<long>(khz * 100.0 + 0.5);
    char freq[32];
    std::snprintf(freq, sizeof freq, "%ld.%03ld.%02ld", tensOfHz / 100000,
                  (tensOfHz / 100) % 1000, tensOfHz % 100);
    setFrequency(contact, services, freq);
    return;
  }
  if (contestButton == contest::kVhfUhf) {
    struct Vhf {
      long band;
      const char* freq;
    };
    static constexpr Vhf kVhf[] = {{50, " 50.000.00"},   {144, "144.000.00"},
                                   {222, "222.000.00"},  {432, "432.000.00"},
                                   {903, "903.000.00"},  {1296, "1296.000.0"}};
    for (const Vhf& v : kVhf)
      if (v.band == whole) return setFrequency(contact, services, v.freq);
  }
  setBand(contact, static_cast<int>(whole));
}

bool ctLine(std::string_view line, Contact& contact, ReadContext& context) {
  const ForeignOptions& options = context.options;
  std::string text(line);
  // The number column is right-aligned: its leading blanks are zeros.
  for (size_t i = 0; i < text.size() && text[i] == ' '; ++i) text[i] = '0';
  std::vector<std::string> tokens;
  for (size_t at = 0; at < text.size() && tokens.size() < layout::ct::kMaxTokens;) {
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
    if (at == text.size()) break;
    const size_t start = at;
    while (at < text.size() && text[at] != ' ' && text[at] != '\t') ++at;
    tokens.push_back(text.substr(start, std::min<size_t>(at - start, layout::ct::kTokenKept)));
  }
  auto token = [&](int index) -> std::string {
    return index < static_cast<int>(tokens.size()) ? tokens[static_cast<size_t>(index)] : "";
  };
  LogRecord& r = contact.record;
  int shift = 0;
  std::string modeToken;
  if (token(layout::ct::kDate).size() == 8) {
    std::string date = token(layout::ct::kDate);
    date[2] = date[5] = '-';
    setUsDate(contact, date, options.dateFormat);
  } else if (const std::string date = token(layout::ct::kDate + 1);
             date.size() == 9 && date[2] == '-' && date[6] == '-') {
    shift = 1;
    modeToken = token(layout::ct::kLongMode);
    char us[16];
    std::snprintf(us, sizeof us, "%02d-%s-%s", monthNumber(date.substr(3, 3)),
                  date.substr(0, 2).c_str(), date.substr(7, 2).c_str());
    setUsDate(contact, us, options.dateFormat);
  } else {
    contact.addError(kBadDate);
  }
  putField(r.time, clockTime(token(layout::ct::kTime + shift)));
  setCall(contact, token(layout::ct::kCall + shift));
  resolveCountry(contact, context.services);
  ctFrequency(contact, context.services, token(layout::ct::kFrequency), options.contest);

  // Reports: the sent one follows the received one's form.
  const std::string report(trimmed(token(layout::ct::kReport + shift)));
  putField(r.rstRcvd, report);
  putField(r.rstSent, report.size() == 2 ? "59" : "599");
  const int button = options.contest;
  if (button == contest::kSweepstakesCw) putField(r.rstRcvd, "599"), putField(r.rstSent, "599");
  if (button == contest::kSweepstakesSsb) putField(r.rstRcvd, "59"), putField(r.rstSent, "59");
  if (button == contest::kFieldDay) ksbase::copyField(r.rstRcvd, r.rstSent);

  // The mode: the line's own, else the contest's, else the report's form.
  const std::string name = contestName(button, options.otherContest);
  std::string mode = modeToken;
  if (mode.empty() && name.find("CW") != std::string::npos) mode = "CW";
  if (mode.empty() && name.find("SSB") != std::string::npos) mode = "SSB";
  if (mode.empty()) mode = report.size() == 2 ? "SSB" : "CW";
  setMode(contact, mode);

  putField(r.power, options.power);
  putField(r.remarks, name);
  const std::string exchange = token(layout::ct::kExchange + shift);
  switch (button) {
    case contest::kCqwwCw:
    case contest::kCqwwSsb:
      if (const long zone = decimal(exchange); zone >= 1 && zone <= 40)
        r.cqZone = static_cast<uint16_t>(zone);
      break;
    case contest::kSweepstakesCw:
    case contest::kSweepstakesSsb:
    case contest::kFieldDay:
    case contest::kArrl10:
    case contest::kArrl160: {
      char state[8] = {};
      ARRLSectToState(state, upper(exchange).c_str());
      if (isState(state))
        putField(r.state, state);
      else if (std::strcmp(r.prefix, "KH6") == 0)
        putField(r.state, "HI");
      break;
    }
    case contest::kVhfUhf: putField(r.grid, upper(exchange)); break;
    case contest::kWpxCw:
    case contest::kWpxSsb:
      if (!exchange.empty()) putField(r.remarks, name + " SN " + exchange);
      break;
    case contest::kDxpedition: putField(r.remarks, "DXpedition"); break;
    default: break;
  }
  finish(contact, context);
  return true;
}

// ---- DXBase ----------------------------------------------------------------

void dxbaseLine(std::string_view line, Contact& contact, ReadContext& context) {
  namespace L = layout::dxbase;
  LogRecord& r = contact.record;
  setCall(contact, column(line, L::kCall));
  setUsDate(contact,
            usDate(column(line, L::kYear), column(line, L::kMonth), column(line, L::kDay)),
            context.options.dateFormat);
  countryFromCode(contact, context.services, column(line, L::kCountry));
  if (const long zone = decimal(column(line, L::kZone)); zone >= 1 && zone <= 40)
    r.cqZone = static_cast<uint16_t>(zone);

  // The band column holds a band in metres; 160 m, which has no room, is "16".
  struct Band {
    long code;
    const char* freq;
  };
  static constexpr Band kBands[] = {
      {2, "144.000.00"},  {6, " 50.000.00"},  {10, " 28.000.00"}, {12, " 24.890.00"},
      {15, " 21.000.00"}, {17, " 18.068.00"}, {20, " 14.000.00"}, {30, " 10.100.00"},
      {40, "  7.000.00"}, {80, "  3.500.00"}, {16, "  1.800.00"}, {160, "  1.800.00"},
      {60, "  5.357.00"}, {4, " 70.200.00"},
  };
  const long code = decimal(column(line, L::kBand), -1);
  const char* freq = "";
  for (const Band& band : kBands)
    if (band.code == code) freq = band.freq;
  setFrequency(contact, context.services, freq);

  static constexpr const char* kModes[] = {"", "CW", "RTTY", "SSB"};
  const long modeCode = decimal(column(line, L::kMode), 0);
  setMode(contact, modeCode >= 1 && modeCode <= 3 ? kModes[modeCode] : "");
  if (const std::string_view q = trimmed(column(line, L::kQslRcvd)); !q.empty())
    setLetter(r.qslRcvd, q[0]);
  const std::string_view hours = column(line, L::kHours), minutes = column(line, L::kMinutes);
  if (!trimmed(hours).empty())
    putField(r.time, std::string(hours) + ":" + std::string(minutes));
  putField(r.rstRcvd, withoutSpaces(column(line, L::kRstRcvd)));
  putField(r.rstSent, withoutSpaces(column(line, L::kRstSent)));
  putField(r.remarks, trimmed(column(line, L::kRemarks)));
  putField(r.power, withoutSpaces(column(line, L::kPower)));
  finish(contact, context);
}

// ---- HyperLog --------------------------------------------------------------

// The fields of a line; a comma at its end leaves an empty last field.
std::vector<std::string> hyperlogFields(std::string_view line) {
  namespace L = layout::hyperlog;
  const std::string text(line);
  std::vector<std::string> fields;
  int position = 0;
  char delimiter = 0;
  char token[64];
  int quoted = 0;
  char last = 0;
  while (fields.size() < static_cast<size_t>(L::kFields) + 1) {
    const size_t index = fields.size();
    const int kept = index < static_cast<size_t>(L::kFields) ? L::kKept[index] : 0;
    if (NextToken(0, token, kept + 1, text.c_str(), " \t", ",\r", "\"", '^', &delimiter,
                  &position, &quoted) != 0) {
      if (last == ',') fields.emplace_back();
      break;
    }
    fields.emplace_back(token);
    last = delimiter;
    if (delimiter != ',') break;
  }
  return fields;
}

std::string hyperlogDate(std::string_view text, int order) {
  int numbers[3] = {-1, -1, -1};
  int count = 0;
  size_t at = 0;
  while (count < 3 && at <= text.size()) {
    const size_t slash = text.find('/', at);
    const std::string_view part =
        text.substr(at, slash == std::string_view::npos ? std::string_view::npos : slash - at);
    numbers[count++] = static_cast<int>(decimal(part, -1));
    if (slash == std::string_view::npos) break;
    at = slash + 1;
  }
  if (count != 3 || numbers[0] < 0 || numbers[1] < 0 || numbers[2] < 0 || numbers[0] > 99 ||
      numbers[1] > 99 || numbers[2] > 99)
    return {};
  static constexpr const char* kForms[] = {"%02d-%02d-%02d", "%02d/%02d/%02d", "%02d.%02d.%02d"};
  char date[16];
  std::snprintf(date, sizeof date, kForms[order], numbers[0], numbers[1], numbers[2]);
  return date;
}

bool hyperlogLine(std::string_view line, Contact& contact, ReadContext& context) {
  namespace L = layout::hyperlog;
  const std::vector<std::string> f = hyperlogFields(line);
  if (f.size() < static_cast<size_t>(L::kFields)) return false;
  LogRecord& r = contact.record;
  contact.errorLine = std::string(line) + "\n";

  const int order = context.options.hyperlogOrder >= 0 && context.options.hyperlogOrder <= 2
                        ? context.options.hyperlogOrder
                        : 0;
  const std::string date = hyperlogDate(f[L::kDate], order);
  putField(r.date, date);
  const bool dateKnown = !date.empty() && CheckDate(r.date) != 0;
  if (dateKnown)
    r.julianDay = CalcJulianDate(r.date);
  else
    contact.addError(kBadDate);
  putField(r.time, clockTime(f[L::kTime]));
  setCall(contact, f[L::kCall]);
  if (dateKnown && r.call[0] != '\0') context.services.resolveCountry(r);
  putField(r.rstSent, f[L::kRstSent]);
  putField(r.rstRcvd, f[L::kRstRcvd]);
  const long band = decimal(f[L::kBand], 0);
  r.band = static_cast<uint16_t>(band > 0 && isBand(static_cast<int>(band)) ? band : 0);
  if (r.band == 0) contact.addError(kBadFrequency);
  putField(r.freq, f[L::kFreq]);
  setMode(contact, f[L::kMode]);
  putField(r.power, f[L::kPower]);
  putField(r.name, f[L::kName]);
  putField(r.city, f[L::kCity]);
  putField(r.remarks, f[L::kRemarks]);
  if (!f[L::kQslSent].empty()) setLetter(r.qslSent, f[L::kQslSent][0]);
  if (!f[L::kQslRcvd].empty()) setLetter(r.qslRcvd, f[L::kQslRcvd][0]);
  if (const long zone = decimal(f[L::kZone]); zone >= 1 && zone <= 40)
    r.cqZone = static_cast<uint16_t>(zone);
  if (!f[L::kQth].empty()) putField(r.qth, f[L::kQth]);
  if (!trimmed(f[L::kDate]).empty() && !f[L::kPrefix].empty()) {
    LogRecord found{};
    if (context.services.countryByPrefix(f[L::kPrefix].c_str(), found))
      ksbase::copyField(r.prefix, found.prefix);
  }
  if (r.call[0] != '\0' && r.prefix[0] == '\0') contact.addError(kNoPrefix);
  finish(contact, context);
  return true;
}

// ---- PakRatt ---------------------------------------------------------------

std::string pakrattMode(std::string_view text) {
  const std::string word = upper(withoutSpaces(text));
  if (word == "AMTOR" || word == "FEC") return "AMT";
  if (word == "PACTOR") return "PAC";
  if (word == "MORSE") return "CW";
  if (word == "HF" || word == "VHF" || word == "PACKET") return "PKT";
  if (word == "ASCII") return "ASC";
  return word;
}

void pakrattLine(std::string_view line, Contact& contact, ReadContext& context) {
  namespace L = layout::pakratt;
  LogRecord& r = contact.record;
  contact.errorLine = std::string(line) + "\n";
  setCall(contact, column(line, L::kCall));
  std::string date(column(line, L::kDate));
  if (date.size() == 8) date[2] = date[5] = '-';
  setUsDate(contact, date, context.options.dateFormat);
  resolveCountry(contact, context.services);
  putField(r.name, trimmed(column(line, L::kName)));
  putField(r.rstSent, trimmed(column(line, L::kRstSent)));
  putField(r.rstRcvd, trimmed(column(line, L::kRstRcvd)));
  putField(r.city, trimmed(column(line, L::kCity)));
  std::string time(trimmed(column(line, L::kTime)));
  if (time.size() >= 3) time[2] = ':';
  putField(r.time, time);
  setFrequency(contact, context.services, column(line, L::kFreq));
  setMode(contact, pakrattMode(column(line, L::kMode)));
  putField(r.power, trimmed(column(line, L::kPower)));
  setLetter(r.qslRcvd, yesNo(column(line, L::kQslRcvd) == "Y"));
  setLetter(r.qslSent, yesNo(column(line, L::kQslSent) == "Y"));
  putField(r.remarks, trimmed(column(line, L::kRemarks)));
  finish(contact, context);
}

}  // namespace

ReadResult readCt(std::FILE* file, const char* name, ReadContext& context,
                  const ContactSink& sink) {
  Contact contact;
  return eachLine(file, name, [&](std::string_view line, ReadResult&) {
    if (line[0] == ';') return true;
    contact.reset();
    ctLine(line, contact, context);
    return sink(contact);
  });
}

ReadResult readDxBase(std::FILE* file, const char* name, ReadContext& context,
                      const ContactSink& sink) {
  Contact contact;
  return eachLine(file, name, [&](std::string_view line, ReadResult&) {
    contact.reset();
    dxbaseLine(line, contact, context);
    return sink(contact);
  });
}

ReadResult readHyperLog(std::FILE* file, const char* name, ReadContext& context,
                        const ContactSink& sink) {
  Contact contact;
  return eachLine(file, name, [&](std::string_view line, ReadResult& result) {
    contact.reset();
    if (!hyperlogLine(line, contact, context)) {
      result.end = ReadEnd::FewFields;
      return false;
    }
    return sink(contact);
  });
}

ReadResult readPakRatt(std::FILE* file, const char* name, ReadContext& context,
                       const ContactSink& sink) {
  Contact contact;
  return eachLine(file, name, [&](std::string_view line, ReadResult&) {
    contact.reset();
    pakrattLine(line, contact, context);
    return sink(contact);
  });
}

}  // namespace ksimport::foreign
