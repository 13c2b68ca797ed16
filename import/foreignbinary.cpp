// The record formats: Easy-DX, Log View, LogMaster and RTTY by Q1QA.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/fields.h"
#include "foreignread.h"
#include "foreignrules.h"
#include "funct/ksfunct.h"

namespace ksimport::foreign {
namespace {

using ksbase::putField;
using Bytes = std::vector<unsigned char>;

// Reads exactly `size` bytes: the count read (short at the end of the
// file), or -1 after a read error.
long readBlock(std::FILE* file, Bytes& block, size_t size) {
  block.resize(size);
  const size_t got = size == 0 ? 0 : std::fread(block.data(), 1, size, file);
  if (got < size && std::ferror(file)) return -1;
  return static_cast<long>(got);
}

ReadResult broken(ReadEnd end, long where, std::string detail = {}) {
  ReadResult result;
  result.end = end;
  result.where = where;
  result.detail = std::move(detail);
  return result;
}

unsigned little16(const Bytes& b, size_t at) {
  return static_cast<unsigned>(b[at]) | static_cast<unsigned>(b[at + 1]) << 8;
}

uint32_t little32(const Bytes& b, size_t at) {
  return static_cast<uint32_t>(little16(b, at)) | static_cast<uint32_t>(little16(b, at + 2)) << 16;
}

// A text held as a length byte and characters, in `zone` of the record.
// False when its length byte claims more than the zone holds.
bool counted(const Bytes& b, layout::Zone zone, std::string& text) {
  const size_t length = b[zone.at];
  if (length > zone.width - 1) return false;
  text.assign(reinterpret_cast<const char*>(b.data() + zone.at + 1), length);
  // A NUL inside ends the text, as it would the program's own.
  text.resize(std::strlen(text.c_str()));
  return true;
}

std::string skipOneBlank(const std::string& text) {
  return !text.empty() && text[0] == ' ' ? text.substr(1) : text;
}

// ---- Easy-DX ---------------------------------------------------------------

std::string easydxFrequency(const std::string& band) {
  if (band == "18") return "18.068.00";
  if (band == "24") return "24.890.00";
  if (band == "10") return "10.100.00";
  if (band == "3.5" || band == "1.8") return band + "00.00";
  if (band == "5") return "5.357.00";  // 60 m
  if (band == "2M") return "144.000.00";
  return band + ".000.00";
}

bool easydxRecord(const Bytes& b, Contact& contact, ReadContext& context, std::string& problem) {
  namespace L = layout::easydx;
  std::string slot[L::kSlots];
  size_t at = 0;
  for (size_t i = 0; i < L::kSlots; ++i) {
    if (!counted(b, {at, L::kSlotWidth[i]}, slot[i])) {
      problem = "the length byte of field " + std::to_string(i) + " runs past its field";
      return false;
    }
    at += L::kSlotWidth[i];
  }
  LogRecord& r = contact.record;
  setCall(contact, slot[L::kCall]);
  const std::string& d = slot[L::kDate];
  setUsDate(contact, d.size() == 6 ? usDate(d.substr(0, 2), d.substr(2, 2), d.substr(4, 2)) : "",
            context.options.dateFormat);
  resolveCountry(contact, context.services);
  const std::string& t = slot[L::kTime];
  putField(r.time, t.size() == 4 ? t.substr(0, 2) + ":" + t.substr(2, 2) : t);
  setFrequency(contact, context.services, easydxFrequency(std::string(trimmed(slot[L::kBand]))));
  std::string mode = skipOneBlank(slot[L::kMode]);
  if (trimmed(mode) == "ASK") mode = "RTTY";
  setMode(contact, mode);
  putField(r.rstSent, trimmed(skipOneBlank(slot[L::kRstSent])));
  putField(r.rstRcvd, trimmed(skipOneBlank(slot[L::kRstRcvd])));
  if (const std::string_view q = trimmed(slot[L::kQslSent]); !q.empty())
    setLetter(r.qslSent, q[0] == 'P' ? 'Y' : q[0]);
  if (const std::string_view q = trimmed(slot[L::kQslRcvd]); !q.empty())
    setLetter(r.qslRcvd, q[0]);
  finish(contact, context);
  return true;
}

// ---- Log View --------------------------------------------------------------

std::string logviewText(const Bytes& b, layout::logview::Field field) {
  const char* start = reinterpret_cast<const char*>(b.data() + field.zone.at);
  std::string_view text(start, strnlen(start, field.zone.width));
  text = trimmed(text.substr(0, field.kept));
  return std::string(text);
}

void logviewRecord(const Bytes& b, Contact& contact, ReadContext& context) {
  namespace L = layout::logview;
  LogRecord& r = contact.record;
  setCall(contact, logviewText(b, L::kCall));
  setUsDate(contact,
            usDate(logviewText(b, L::kYear), logviewText(b, L::kMonth), logviewText(b, L::kDay)),
            context.options.dateFormat);
  resolveCountry(contact, context.services);
  const std::string hours = logviewText(b, L::kHours), minutes = logviewText(b, L::kMinutes);
  if (!hours.empty()) putField(r.time, hours + ":" + minutes);
  putField(r.rstSent, logviewText(b, L::kRstSent));
  putField(r.rstRcvd, logviewText(b, L::kRstRcvd));
  // The mode is read whole: the mode table names it before it is cut.
  std::string mode = logviewText(b, {L::kMode.zone, L::kMode.zone.width});
  if (mode == "J3E") mode = "SSB";
  if (mode == "A1A") mode = "CW";
  setMode(contact, mode);
  setFrequency(contact, context.services, logviewText(b, L::kFreq));
  putField(r.name, logviewText(b, L::kName));
  putField(r.city, logviewText(b, L::kCity));
  putField(r.remarks, logviewText(b, L::kRemarks));
  putField(r.power, logviewText(b, L::kPower));
  setLetter(r.qslRcvd, yesNo(logviewText(b, L::kQslRcvd) == "Y"));
  setLetter(r.qslSent, yesNo(logviewText(b, L::kQslSent) == "Y"));
  const std::string state = logviewText(b, L::kState);
  if (isState(state.c_str()) && isUSA(r.prefix)) putField(r.state, state);
  std::string line;
  for (const char* text : {r.call, r.date, r.time, r.mode, r.freq, r.rstRcvd, r.rstSent, r.name,
                           r.city, r.qth, r.remarks, r.power, r.qslSent, r.qslRcvd}) {
    if (!line.empty()) line += ' ';
    line += text;
  }
  contact.errorLine = line + "\n";
  finish(contact, context);
}

// ---- LogMaster -------------------------------------------------------------

// A frequency in hertz as the log writes it: megahertz, then the kilohertz
// and the rest, each after a point ("14025000" is "14.025.000").
std::string logmasterFrequency(const std::string& digits) {
  if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos)
    return digits;
  std::string hz = digits.substr(std::min(digits.find_first_not_of('0'), digits.size()));
  if (hz.size() < 7) hz.insert(0, 7 - hz.size(), '0');
  const size_t megahertz = hz.size() - 6;
  return hz.substr(0, megahertz) + "." + hz.substr(megahertz, 3) + "." + hz.substr(megahertz + 3);
}

std::string twoDigits(std::string text) {
  text = std::string(trimmed(text));
  if (text.size() == 1) return "0" + text;
  if (text.size() == 4) return text.substr(2);  // a four-digit year
  return text;
}

void logmasterRecord(const Bytes& body, Contact& contact, ReadContext& context) {
  namespace L = layout::logmaster;
  std::vector<std::string> texts;
  for (size_t at = 0; at < body.size() && texts.size() < static_cast<size_t>(L::kTexts);) {
    const char* start = reinterpret_cast<const char*>(body.data() + at);
    const size_t length = strnlen(start, body.size() - at);
    texts.emplace_back(start, length);
    at += length + 1;
  }
  texts.resize(L::kTexts);
  LogRecord& r = contact.record;
  setUsDate(contact,
            twoDigits(texts[L::kMonth]) + "-" + twoDigits(texts[L::kDay]) + "-" +
                twoDigits(texts[L::kYear]),
            context.options.dateFormat);
  std::string time;
  if (!texts[L::kHours].empty()) time = texts[L::kHours].substr(0, 2) + ":";
  if (!texts[L::kMinutes].empty()) time += texts[L::kMinutes].substr(0, 2);
  putField(r.time, time);
  setCall(contact, texts[L::kCall]);
  resolveCountry(contact, context.services);
  if (!texts[L::kQth].empty()) putField(r.qth, texts[L::kQth].substr(0, 20));
  const std::string state = texts[L::kState].substr(0, 2);
  if (isState(state.c_str()) && isUSA(r.prefix)) putField(r.state, state);
  setFrequency(contact, context.services, logmasterFrequency(texts[L::kFreq]));
  setMode(contact, texts[L::kMode]);
  putField(r.power, texts[L::kPower]);
  putField(r.rstSent, texts[L::kRstSent].substr(0, 3));
  putField(r.rstRcvd, texts[L::kRstRcvd].substr(0, 3));
  putField(r.name, texts[L::kName].substr(0, 10));
  putField(r.city, texts[L::kCity].substr(0, 20));
  setLetter(r.qslSent, yesNo(texts[L::kQslSent] == "YES"));
  setLetter(r.qslRcvd, yesNo(texts[L::kQslRcvd] == "YES"));
  std::string line = std::to_string(body.size());
  for (const char* text : {r.call, r.date, r.time, r.mode, r.freq, r.rstRcvd, r.rstSent, r.city,
                           r.qth, r.name, r.power, r.remarks, r.qslSent, r.qslSent}) {
    line += ' ';
    line += text;
  }
  contact.errorLine = line + "\n";
  finish(contact, context);
}

// ---- RTTY by Q1QA ----------------------------------------------------------

// The MM-DD-YY text of a day number (1 January 1901 is day 1); empty when
// the day lies outside the years a two-digit date can hold.
std::string dateOfDay(unsigned day) {
  using namespace std::chrono;
  if (day == 0) return {};
  const year_month_day date{sys_days{year{1901} / January / 1} + days{day - 1}};
  const int y = static_cast<int>(date.year());
  if (y < 1945 || y > 2044) return {};
  char text[16];
  std::snprintf(text, sizeof text, "%02u-%02u-%02d", static_cast<unsigned>(date.month()),
                static_cast<unsigned>(date.day()), y % 100);
  return text;
}

bool rttyRecord(const Bytes& b, Contact& contact, ReadContext& context, std::string& problem) {
  namespace L = layout::rtty;
  std::string call, country, rstSent, rstRcvd, exchange;
  if (!counted(b, L::kCall, call) || !counted(b, L::kCountry, country) ||
      !counted(b, L::kRstSent, rstSent) || !counted(b, L::kRstRcvd, rstRcvd) ||
      !counted(b, L::kExchange, exchange)) {
    problem = "a length byte runs past its field";
    return false;
  }
  static constexpr const char* kContests[] = {"ARRL RTTY", "CQWW RTTY", "BARTG", "DXPedition",
                                              "SARTG",     "JARTS",     "WPX RTTY"};
  LogRecord& r = contact.record;
  setCall(contact, call);
  setUsDate(contact, dateOfDay(little16(b, L::kDay)), context.options.dateFormat);
  countryFromCode(contact, context.services, country);
  const uint32_t seconds = little32(b, L::kSeconds);
  if (seconds < 86400) {
    char time[16];
    std::snprintf(time, sizeof time, "%02ld:%02ld", static_cast<long>(seconds / 3600),
                  static_cast<long>(seconds / 60 % 60));
    putField(r.time, time);
  }
  static constexpr const char* kFreqs[] = {"3.500.0", "7.000.0", "14.000.0", "21.000.0",
                                           "28.000.0"};
  const unsigned band = little16(b, L::kBand);
  setFrequency(contact, context.services, band < 5 ? kFreqs[band] : "");
  setMode(contact, "RTTY");
  putField(r.rstSent, trimmed(rstSent));
  putField(r.rstRcvd, trimmed(rstRcvd));
  putField(r.power, context.options.power);
  const unsigned index = b[L::kContest];
  std::string remarks = index < 7 ? kContests[index] : "";
  if (!trimmed(exchange).empty() && remarks.size() + 1 + trimmed(exchange).size() < 32)
    remarks += " " + std::string(trimmed(exchange));
  putField(r.remarks, trimmed(remarks));
  finish(contact, context);
  return true;
}

// Reads records of `size` bytes after a lead of `lead` bytes to the end of
// the file; a record cut short is reported, never read.
template <class Each>
ReadResult eachRecord(std::FILE* file, size_t lead, size_t size, Each each) {
  Bytes block;
  if (lead > 0) {
    const long got = readBlock(file, block, lead);
    if (got < 0) return broken(ReadEnd::ReadError, 0);
    if (got == 0) return {};
    if (static_cast<size_t>(got) < lead)
      return broken(ReadEnd::Malformed, 0,
                    "the file ends inside its " + std::to_string(lead) + "-byte lead block");
  }
  for (long number = 1;; ++number) {
    const long got = readBlock(file, block, size);
    if (got < 0) return broken(ReadEnd::ReadError, number);
    if (got == 0) return {};
    if (static_cast<size_t>(got) < size)
      return broken(ReadEnd::Malformed, number,
                    "the file ends inside it (" + std::to_string(got) + " of " +
                        std::to_string(size) + " bytes)");
    ReadResult result;
    if (!each(block, number, result)) return result;
  }
}

}  // namespace

ReadResult readEasyDx(std::FILE* file, ReadContext& context, const ContactSink& sink) {
  Contact contact;
  return eachRecord(file, layout::easydx::kLeadBlock, layout::easydx::kRecordSize,
                    [&](const Bytes& b, long number, ReadResult& result) {
                      contact.reset();
                      std::string problem;
                      if (!easydxRecord(b, contact, context, problem)) {
                        result = broken(ReadEnd::Malformed, number, problem);
                        return false;
                      }
                      if (!sink(contact)) result = broken(ReadEnd::Stopped, number);
                      return result.end == ReadEnd::EndOfFile;
                    });
}

ReadResult readLogView(std::FILE* file, ReadContext& context, const ContactSink& sink) {
  Contact contact;
  return eachRecord(file, layout::logview::kHeaderSize, layout::logview::kRecordSize,
                    [&](const Bytes& b, long number, ReadResult& result) {
                      contact.reset();
                      logviewRecord(b, contact, context);
                      if (!sink(contact)) result = broken(ReadEnd::Stopped, number);
                      return result.end == ReadEnd::EndOfFile;
                    });
}

ReadResult readLogMaster(std::FILE* file, ReadContext& context, const ContactSink& sink) {
  namespace L = layout::logmaster;
  Bytes block;
  long got = readBlock(file, block, L::kLeadSize);
  if (got < 0) return broken(ReadEnd::ReadError, 0);
  if (got == 0) return {};
  if (static_cast<size_t>(got) < L::kLeadSize) return broken(ReadEnd::ReadError, 0);
  size_t length = little16(block, 0);
  Contact contact;
  for (long number = 0;; ++number) {
    if (length > L::kMaxBody)
      return broken(ReadEnd::TooLarge, number + 1,
                    "its body of " + std::to_string(length) + " bytes is over 512");
    got = readBlock(file, block, length);
    if (got < 0 || static_cast<size_t>(got) < length) return broken(ReadEnd::ReadError, number + 1);
    if (number > 0) {  // the first body is the header
      contact.reset();
      logmasterRecord(block, contact, context);
      if (!sink(contact)) return broken(ReadEnd::Stopped, number + 1);
    }
    Bytes next;
    got = readBlock(file, next, 2);
    if (got < 0 || got == 1) return broken(ReadEnd::ReadError, number + 2);
    if (got == 0) return {};
    length = little16(next, 0);
  }
}

ReadResult readRtty(std::FILE* file, ReadContext& context, const ContactSink& sink) {
  namespace L = layout::rtty;
  Contact contact;
  long contacts = 0;
  // Records are counted after the header.
  return eachRecord(
      file, L::kRecordSize, L::kRecordSize, [&](const Bytes& b, long number, ReadResult& r) {
        if (b[L::kKind] != L::kContactKind) {
          r = contacts > 0 ? ReadResult{} : broken(ReadEnd::Incompatible, number);
          return false;
        }
        contact.reset();
        std::string problem;
        if (!rttyRecord(b, contact, context, problem)) {
          r = broken(ReadEnd::Malformed, number, problem);
          return false;
        }
        ++contacts;
        if (!sink(contact)) r = broken(ReadEnd::Stopped, number);
        return r.end == ReadEnd::EndOfFile;
      });
}

}  // namespace ksimport::foreign
