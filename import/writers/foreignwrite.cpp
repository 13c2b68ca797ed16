#include "foreignwrite.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "import/foreignlayout.h"

namespace ksimport::writers {
namespace {

namespace L = layout;

std::string format(const char* pattern, auto... values) {
  char text[256];
  std::snprintf(text, sizeof text, pattern, values...);
  return text;
}

std::string twoDigit(int value) { return format("%02d", value % 100); }

// `text` into columns `zone` of `line`, cut to the zone, blank-padded.
void place(std::string& line, L::Zone zone, const std::string& text) {
  if (line.size() < zone.at + zone.width) line.resize(zone.at + zone.width, ' ');
  for (size_t i = 0; i < zone.width; ++i) line[zone.at + i] = i < text.size() ? text[i] : ' ';
}

// A text as a length byte and its characters at `at`, cut to `width` - 1.
void counted(std::string& record, size_t at, size_t width, const std::string& text) {
  const size_t length = std::min(text.size(), width - 1);
  record[at] = static_cast<char>(length);
  std::memcpy(&record[at + 1], text.data(), length);
}

// A text at a fixed offset, NUL-padded within its zone.
void fixed(std::string& record, L::Zone zone, const std::string& text) {
  std::memcpy(&record[zone.at], text.data(), std::min(text.size(), zone.width));
}

void little(std::string& record, size_t at, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) record[at + static_cast<size_t>(i)] = static_cast<char>(value >> (8 * i));
}

std::string megahertz(double khz) { return format("%.3f", khz / 1000.0); }

}  // namespace

int dayNumber(int year, int month, int day) {
  static constexpr int kBefore[] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
  const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
  const int years = year - 1901;
  return years * 365 + years / 4 + kBefore[month - 1] + (leap && month > 2 ? 1 : 0) + day;
}

std::string writeCt(const std::vector<ForeignContact>& contacts, bool longDates) {
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::string out = "; CT results\n";
  long number = 0;
  for (const ForeignContact& c : contacts) {
    const std::string when = format("%02d%02d", c.hour, c.minute);
    if (longDates)
      out += format("%4ld %7.1f %-3s %02d-%s-%s %s ", ++number, c.khz, c.mode.c_str(), c.day,
                    kMonths[c.month - 1], twoDigit(c.year).c_str(), when.c_str());
    else
      out += format("%4ld %7.1f %02d-%02d-%s %s ", ++number, c.khz, c.month, c.day,
                    twoDigit(c.year).c_str(), when.c_str());
    out += format("%-12s %s %s\n", c.call.c_str(), c.rstRcvd.c_str(), c.exchange.c_str());
  }
  return out;
}

std::string writeDxBase(const std::vector<ForeignContact>& contacts) {
  namespace D = L::dxbase;
  std::string out;
  for (const ForeignContact& c : contacts) {
    std::string line(D::kLineWidth, ' ');
    place(line, D::kCall, c.call);
    place(line, D::kCountry, c.country);
    if (c.zone > 0) place(line, D::kZone, format("%2d", c.zone));
    place(line, D::kBand, c.band == 160 ? "16" : format("%2d", c.band));
    place(line, D::kMode, c.mode == "CW" ? "1" : c.mode == "RTTY" ? "2" : c.mode == "SSB" ? "3" : "0");
    place(line, D::kQslRcvd, std::string(1, c.qslRcvd));
    place(line, D::kYear, twoDigit(c.year));
    place(line, D::kMonth, twoDigit(c.month));
    place(line, D::kDay, twoDigit(c.day));
    place(line, D::kHours, twoDigit(c.hour));
    place(line, D::kMinutes, twoDigit(c.minute));
    place(line, D::kRstRcvd, c.rstRcvd);
    place(line, D::kRstSent, c.rstSent);
    place(line, D::kRemarks, c.remarks);
    place(line, D::kPower, c.power);
    out += line + "\r\n";
  }
  return out;
}

std::string writeHyperLog(const std::vector<ForeignContact>& contacts, int order) {
  auto field = [](const std::string& text) {
    return text.find_first_of(", ") != std::string::npos ? "\"" + text + "\"" : text;
  };
  std::string out;
  for (const ForeignContact& c : contacts) {
    const std::string y = twoDigit(c.year), m = twoDigit(c.month), d = twoDigit(c.day);
    const std::string date = order == 1 ? d + "/" + m + "/" + y
                             : order == 2 ? y + "/" + m + "/" + d
                                          : m + "/" + d + "/" + y;
    const std::string fields[] = {
        date, format("%02d%02d", c.hour, c.minute), c.call, c.rstSent, c.rstRcvd,
        std::to_string(c.band), megahertz(c.khz), c.mode, c.power, c.name, c.city, c.remarks,
        "", "", std::string(1, c.qslSent), std::string(1, c.qslRcvd),
        c.zone > 0 ? std::to_string(c.zone) : "", c.qth, c.prefix};
    std::string line;
    for (const std::string& f : fields) line += (line.empty() ? "" : ",") + field(f);
    out += line + "\r\n";
  }
  return out;
}

std::string writePakRatt(const std::vector<ForeignContact>& contacts) {
  namespace P = L::pakratt;
  std::string out;
  for (const ForeignContact& c : contacts) {
    std::string line(P::kLineWidth, ' ');
    place(line, P::kCall, c.call);
    place(line, P::kName, c.name);
    place(line, P::kRstSent, c.rstSent);
    place(line, P::kRstRcvd, c.rstRcvd);
    place(line, P::kCity, c.city);
    place(line, P::kTime, format("%02d:%02d", c.hour, c.minute));
    place(line, P::kDate, format("%02d-%02d-%s", c.month, c.day, twoDigit(c.year).c_str()));
    place(line, P::kFreq, megahertz(c.khz));
    place(line, P::kMode, c.mode);
    place(line, P::kPower, c.power);
    place(line, P::kQslRcvd, std::string(1, c.qslRcvd));
    place(line, P::kQslSent, std::string(1, c.qslSent));
    place(line, P::kRemarks, c.remarks);
    while (!line.empty() && line.back() == ' ') line.pop_back();
    out += line + "\n";
  }
  return out;
}

std::string writeEasyDx(const std::vector<ForeignContact>& contacts) {
  namespace E = L::easydx;
  std::string out(E::kLeadBlock, '\0');
  std::memcpy(out.data(), "Easy-DX", 7);
  auto bandText = [](int band) -> std::string {
    switch (band) {
      case 160: return "1.8";
      case 80: return "3.5";
      case 60: return "5";
      case 40: return "7";
      case 30: return "10";
      case 20: return "14";
      case 17: return "18";
      case 15: return "21";
      case 12: return "24";
      case 10: return "28";
      case 6: return "50";
      case 2: return "2M";
      default: return std::to_string(band);
    }
  };
  // A blank before a value when the slot has room for it.
  auto lead = [](const std::string& text, size_t width) {
    return text.size() + 1 < width ? " " + text : text;
  };
  for (const ForeignContact& c : contacts) {
    std::string record(E::kRecordSize, '\0');
    const std::string slots[E::kSlots] = {
        "",
        c.call,
        twoDigit(c.year) + twoDigit(c.month) + twoDigit(c.day),
        format("%02d%02d", c.hour, c.minute),
        bandText(c.band),
        lead(c.mode == "RTTY" ? "ASK" : c.mode, E::kSlotWidth[E::kMode]),
        lead(c.rstSent, E::kSlotWidth[E::kRstSent]),
        lead(c.rstRcvd, E::kSlotWidth[E::kRstRcvd]),
        std::string(1, c.qslSent),
        std::string(1, c.qslRcvd)};
    size_t at = 0;
    for (size_t i = 0; i < E::kSlots; ++i) {
      counted(record, at, E::kSlotWidth[i], slots[i]);
      at += E::kSlotWidth[i];
    }
    out += record;
  }
  return out;
}

std::string writeLogView(const std::vector<ForeignContact>& contacts) {
  namespace V = L::logview;
  std::string out(V::kHeaderSize, '\0');
  std::memcpy(out.data(), "LOGVIEW", 7);
  for (const ForeignContact& c : contacts) {
    std::string record(V::kRecordSize, '\0');
    fixed(record, V::kYear.zone, twoDigit(c.year));
    fixed(record, V::kMonth.zone, twoDigit(c.month));
    fixed(record, V::kDay.zone, twoDigit(c.day));
    fixed(record, V::kHours.zone, twoDigit(c.hour));
    fixed(record, V::kMinutes.zone, twoDigit(c.minute));
    fixed(record, V::kCall.zone, c.call);
    fixed(record, V::kRstSent.zone, c.rstSent);
    fixed(record, V::kRstRcvd.zone, c.rstRcvd);
    fixed(record, V::kMode.zone, c.mode == "SSB" ? "J3E" : c.mode == "CW" ? "A1A" : c.mode);
    fixed(record, V::kFreq.zone, megahertz(c.khz));
    fixed(record, V::kName.zone, c.name);
    fixed(record, V::kCity.zone, c.city);
    fixed(record, V::kRemarks.zone, c.remarks);
    fixed(record, V::kPower.zone, c.power);
    fixed(record, V::kQslRcvd.zone, std::string(1, c.qslRcvd));
    fixed(record, V::kQslSent.zone, std::string(1, c.qslSent));
    fixed(record, V::kState.zone, c.state);
    out += record;
  }
  return out;
}

std::string writeLogMaster(const std::vector<ForeignContact>& contacts) {
  namespace M = L::logmaster;
  auto lengthBytes = [](size_t length) {
    return std::string{static_cast<char>(length & 0xff), static_cast<char>(length >> 8)};
  };
  const std::string header("LogMaster\0export\0", 17);
  std::string out = lengthBytes(header.size()) + std::string(2, '\0') + header;
  for (const ForeignContact& c : contacts) {
    std::vector<std::string> texts(M::kTexts);
    texts[M::kMonth] = twoDigit(c.month);
    texts[M::kDay] = twoDigit(c.day);
    texts[M::kYear] = twoDigit(c.year);
    texts[M::kHours] = twoDigit(c.hour);
    texts[M::kMinutes] = twoDigit(c.minute);
    texts[M::kCall] = c.call;
    texts[M::kQth] = c.qth;
    texts[M::kState] = c.state;
    texts[M::kFreq] = format("%08ld", static_cast<long>(c.khz * 1000.0 + 0.5));
    texts[M::kMode] = c.mode;
    texts[M::kPower] = c.power;
    texts[M::kRstSent] = c.rstSent;
    texts[M::kRstRcvd] = c.rstRcvd;
    texts[M::kName] = c.name;
    texts[M::kCity] = c.city;
    texts[M::kQslSent] = c.qslSent == 'Y' ? "YES" : "NO";
    texts[M::kQslRcvd] = c.qslRcvd == 'Y' ? "YES" : "NO";
    std::string body;
    for (const std::string& text : texts) body += text + '\0';
    out += lengthBytes(body.size()) + body;
  }
  return out;
}

std::string writeRtty(const std::vector<ForeignContact>& contacts, int contest) {
  namespace R = L::rtty;
  std::string header(R::kRecordSize, '\0');
  std::memcpy(header.data(), R::kHeaderMagic, sizeof R::kHeaderMagic - 1);
  std::string out = header;
  for (const ForeignContact& c : contacts) {
    std::string record(R::kRecordSize, '\0');
    record[R::kKind] = static_cast<char>(R::kContactKind);
    record[R::kContest] = static_cast<char>(contest);
    little(record, R::kDay, static_cast<uint32_t>(dayNumber(c.year, c.month, c.day)), 2);
    little(record, R::kSeconds, static_cast<uint32_t>(c.hour * 3600 + c.minute * 60), 4);
    const int index = c.band == 80 ? 0 : c.band == 40 ? 1 : c.band == 20 ? 2
                      : c.band == 15 ? 3 : c.band == 10 ? 4 : 9;
    little(record, R::kBand, static_cast<uint32_t>(index), 2);
    counted(record, R::kCall.at, R::kCall.width, c.call);
    counted(record, R::kCountry.at, R::kCountry.width, c.country);
    counted(record, R::kRstSent.at, R::kRstSent.width, c.rstSent);
    counted(record, R::kRstRcvd.at, R::kRstRcvd.width, c.rstRcvd);
    counted(record, R::kExchange.at, R::kExchange.width, c.exchange);
    out += record;
  }
  return out;
}

ForeignWriter writerFor(const std::string& name) {
  if (name == "ct") return [](const std::vector<ForeignContact>& c) { return writeCt(c); };
  if (name == "dxbase") return writeDxBase;
  if (name == "hyperlog") return [](const std::vector<ForeignContact>& c) { return writeHyperLog(c); };
  if (name == "pakratt") return writePakRatt;
  if (name == "easydx") return writeEasyDx;
  if (name == "logview") return writeLogView;
  if (name == "logmaster") return writeLogMaster;
  if (name == "rtty") return [](const std::vector<ForeignContact>& c) { return writeRtty(c); };
  return nullptr;
}

std::vector<ForeignContact> sampleContacts(long count) {
  struct Country {
    const char* call;
    const char* code;
    int zone;
  };
  static constexpr Country kCountries[] = {
      {"W1", "W", 5},   {"K6", "K", 3},   {"DL", "DL", 14}, {"G", "G", 14},  {"JA", "JA", 25},
      {"VK", "VK", 30}, {"F", "F", 14},   {"I", "I", 15},   {"EA", "EA", 14}, {"ON", "ON", 14},
  };
  static constexpr int kBands[] = {80, 40, 20, 15, 10};
  static constexpr double kKhz[] = {3525.0, 7025.0, 14025.0, 21025.0, 28025.0};
  static constexpr const char* kModes[] = {"CW", "SSB", "RTTY"};
  std::vector<ForeignContact> contacts;
  contacts.reserve(static_cast<size_t>(count));
  for (long i = 0; i < count; ++i) {
    const Country& country = kCountries[i % 10];
    ForeignContact c;
    c.call = format("%s%ld%c%c%c", country.call, i % 10, 'A' + static_cast<int>(i / 10 % 26),
                    'A' + static_cast<int>(i / 260 % 26), 'A' + static_cast<int>(i / 6760 % 26));
    c.country = country.code;
    c.prefix = country.code;
    c.zone = country.zone;
    c.year = 2000 + static_cast<int>(i % 24);
    c.month = 1 + static_cast<int>(i % 12);
    c.day = 1 + static_cast<int>(i % 28);
    c.hour = static_cast<int>(i % 24);
    c.minute = static_cast<int>(i % 60);
    c.band = kBands[i % 5];
    c.khz = kKhz[i % 5];
    c.mode = kModes[i % 3];
    c.rstSent = c.mode == "SSB" ? "59" : "599";
    c.rstRcvd = c.rstSent;
    c.name = "OP";
    c.power = "100";
    c.exchange = std::to_string(country.zone);
    contacts.push_back(c);
  }
  return contacts;
}

}  // namespace ksimport::writers
