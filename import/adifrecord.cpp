#include "adifrecord.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "adifmode.h"
#include "base/fields.h"
#include "funct/ksfunct.h"

namespace ksimport {
namespace {

using ksbase::putField;

std::string upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

std::string withoutSpaces(std::string_view text) {
  std::string out;
  for (char c : text)
    if (c != ' ') out += c;
  return out;
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
    text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
    text.remove_suffix(1);
  return text;
}

// A decimal number in the value, or -1 when it is not one.
int decimal(std::string_view value) {
  value = trimmed(value);
  int number = -1;
  auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
  if (error != std::errc() || end != value.data() + value.size()) return -1;
  return number;
}

struct BandName {
  const char* name;
  int band;
};

// ADIF's band names. ADIF calls 902 MHz "33cm"; older logs wrote "35cm".
constexpr BandName kBands[] = {
    {"160M", 160},  {"80M", 80},     {"60M", 60},    {"40M", 40},    {"30M", 30},
    {"20M", 20},    {"17M", 17},     {"15M", 15},    {"12M", 12},    {"10M", 10},
    {"6M", 6},      {"4M", 4},       {"2M", 2},      {"1.25M", 220}, {"70CM", 432},
    {"35CM", 902},  {"33CM", 902},   {"23CM", 1240}, {"13CM", 2300}, {"9CM", 3300},
    {"6CM", 5650},  {"3CM", 10000}};

enum class Tag {
  Call, QsoDate, Mode, Submode, Freq, RstSent, RstRcvd, TxPower, Band, Name, Qth, TimeOn, County,
  State, Grid, Comment, QslSent, QslRcvd, Continent, CqZone, ItuZone, ContestId, SatMode,
  Exchange, Section, QslSentDate, QslRcvdDate, PropMode, SatName, Other
};

struct TagName {
  std::string_view name;
  Tag tag;
};

constexpr TagName kTags[] = {
    {"CALL", Tag::Call},         {"QSO_DATE", Tag::QsoDate},     {"MODE", Tag::Mode},
    {"SUBMODE", Tag::Submode},
    {"FREQ", Tag::Freq},         {"RST_SENT", Tag::RstSent},     {"RST_RCVD", Tag::RstRcvd},
    {"TX_PWR", Tag::TxPower},    {"BAND", Tag::Band},            {"NAME", Tag::Name},
    {"QTH", Tag::Qth},           {"TIME_ON", Tag::TimeOn},       {"CNTY", Tag::County},
    {"STATE", Tag::State},       {"VE_PROV", Tag::State},        {"GRIDSQUARE", Tag::Grid},
    {"COMMENT", Tag::Comment},   {"QSL_SENT", Tag::QslSent},     {"QSL_RCVD", Tag::QslRcvd},
    {"CONT", Tag::Continent},    {"CQZ", Tag::CqZone},           {"ITUZ", Tag::ItuZone},
    {"CONTEST_ID", Tag::ContestId}, {"SAT_MODE", Tag::SatMode},  {"STX", Tag::Exchange},
    {"SRX", Tag::Exchange},      {"ARRL_SECT", Tag::Section},    {"QSLSDATE", Tag::QslSentDate},
    {"QSLRDATE", Tag::QslRcvdDate}, {"PROP_MODE", Tag::PropMode}, {"SAT_NAME", Tag::SatName}};

// Every field of every record comes through here.
Tag tagOf(std::string_view name) {
  for (const TagName& entry : kTags)
    if (name.size() == entry.name.size() &&
        strncasecmp(name.data(), entry.name.data(), name.size()) == 0)
      return entry.tag;
  return Tag::Other;
}

}  // namespace

AdifDate readAdifDate(std::string_view value, int dateFormat) {
  AdifDate date;
  if (value.size() < 8 ||
      !std::all_of(value.begin(), value.begin() + 8,
                   [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
    return date;
  auto number = [&](size_t at, size_t length) {
    int n = 0;
    for (size_t i = at; i < at + length; ++i) n = n * 10 + (value[i] - '0');
    return n;
  };
  const int year = number(0, 4), month = number(4, 2), day = number(6, 2);
  const int yy = year % 100;
  char text[16];
  switch (dateFormat) {
    case 0: std::snprintf(text, sizeof text, "%02d-%02d-%02d", month, day, yy); break;
    case 1: std::snprintf(text, sizeof text, "%02d/%02d/%02d", day, month, yy); break;
    case 2: std::snprintf(text, sizeof text, "%02d.%02d.%02d", yy, month, day); break;
    default: return date;
  }
  date.text = text;
  date.inWindow = year >= 1945 && year <= 2044;
  return date;
}

std::string adifDate(std::string_view value, int dateFormat) {
  AdifDate date = readAdifDate(value, dateFormat);
  return date.inWindow ? date.text : std::string();
}

int adifBand(std::string_view name) {
  const std::string key = upper(trimmed(name));
  for (const BandName& entry : kBands)
    if (key == entry.name) return entry.band;
  return 0;
}

char qslLetter(std::string_view value) {
  const std::string letter = upper(trimmed(value));
  if (letter.empty() || letter == "I" || letter == "0" || letter == "F") return 'N';
  if (letter == "R") return 'S';
  if (letter == "1" || letter == "T") return 'Y';
  return letter[0];
}

AdifRecordBuilder::AdifRecordBuilder(RecordServices& services, const AdifSettings& settings)
    : services_(services), settings_(settings) {
  reset();
}

void AdifRecordBuilder::reset() {
  record_ = LogRecord{};
  putField(record_.qslSent, "N");
  putField(record_.qslRcvd, "N");
  errorCount_ = 0;
  anyTag_ = callKnown_ = dateGood_ = remarksFromComment_ = false;
  satModeSeen_ = satellitePath_ = false;
  freqBand_ = bandTag_ = 0;
  fileCqZone_ = fileItuZone_ = 0;
  fileContinent_.clear();
  mode_.clear();
  submode_.clear();
  satName_.clear();
  contestId_.clear();
  countyState_.clear();
  countyName_.clear();
  qslSentDate_.clear();
  qslRcvdDate_.clear();
}

void AdifRecordBuilder::addError(int code) {
  if (errorCount_ < kMaxErrors) errors_[errorCount_++] = code;
}

void AdifRecordBuilder::apply(std::string_view tag, std::string_view value) {
  anyTag_ = true;
  switch (tagOf(tag)) {
    case Tag::Call:
      putField(record_.call, withoutSpaces(upper(value.substr(0, 14))));
      callKnown_ = record_.call[0] != '\0';
      break;
    case Tag::QsoDate: {
      // The date is shown as the date rule writes it even when its year
      // cannot be held, so that the error log points at the contact.
      const AdifDate date = readAdifDate(value, settings_.dateFormat);
      putField(record_.date, date.text);
      dateGood_ = date.inWindow && CheckDate(record_.date) != 0;
      record_.julianDay = dateGood_ ? CalcJulianDate(record_.date) : 0;
      break;
    }
    // Modes are judged at the record's end, SUBMODE before MODE.
    case Tag::Mode: mode_ = value; break;
    case Tag::Submode: submode_ = value; break;
    case Tag::Freq:
      putField(record_.freq, withoutSpaces(value.substr(0, 13)));
      freqBand_ = services_.bandOf(std::strtod(record_.freq, nullptr));
      break;
    case Tag::RstSent: putField(record_.rstSent, value.substr(0, 3)); break;
    case Tag::RstRcvd: putField(record_.rstRcvd, value.substr(0, 3)); break;
    case Tag::TxPower: putField(record_.power, value.substr(0, 4)); break;
    case Tag::Band: {
      const int band = adifBand(value);
      bandTag_ = isBand(band) ? band : 0;
      break;
    }
    case Tag::Name: putField(record_.name, value.substr(0, 10)); break;
    case Tag::Qth: putField(record_.city, value.substr(0, 20)); break;
    case Tag::TimeOn: {
      std::string_view hhmm = value.substr(0, 4);
      std::string time(hhmm.substr(0, 2));
      time += ':';
      if (hhmm.size() > 2) time += hhmm.substr(2);
      putField(record_.time, time);
      break;
    }
    case Tag::County: {
      if (record_.remarks[0] != '\0' || value.empty()) break;
      const size_t comma = value.find(',');
      std::string_view county = comma == std::string_view::npos ? value : value.substr(comma + 1);
      county = trimmed(county).substr(0, 21);
      putField(record_.remarks, county);
      countyState_ = comma == std::string_view::npos ? "" : upper(trimmed(value.substr(0, comma)));
      countyName_ = upper(county);
      break;
    }
    case Tag::State: putField(record_.state, upper(trimmed(value).substr(0, 2))); break;
    case Tag::Grid: putField(record_.grid, value.substr(0, 6)); break;
    case Tag::Comment:
      if (record_.remarks[0] == '\0') {
        putField(record_.remarks, value.substr(0, 32));
        remarksFromComment_ = true;
      }
      break;
    case Tag::QslSent: record_.qslSent[0] = qslLetter(value); break;
    case Tag::QslRcvd: record_.qslRcvd[0] = qslLetter(value); break;
    case Tag::Continent: {
      putField(record_.continent, upper(value.substr(0, 3)));
      const std::string continent = upper(trimmed(value));
      fileContinent_ = isContinent(continent.c_str()) ? continent : "";
      break;
    }
    case Tag::CqZone: {
      const int zone = decimal(value);
      if (zone >= 1 && zone <= 40) {
        fileCqZone_ = zone;
        record_.cqZone = static_cast<uint16_t>(zone);
      }
      break;
    }
    case Tag::ItuZone: {
      const int zone = decimal(value);
      if (zone >= 1 && zone <= 90) {
        fileItuZone_ = zone;
        record_.ituZone = static_cast<uint16_t>(zone);
      }
      break;
    }
    case Tag::ContestId:
      if (record_.remarks[0] == '\0') {
        contestId_ = value.substr(0, 32);
        putField(record_.remarks, contestId_);
      }
      break;
    case Tag::SatMode:
      putField(record_.satId, value.substr(0, 5));
      satModeSeen_ = true;
      break;
    case Tag::PropMode: satellitePath_ = upper(trimmed(value)) == "SAT"; break;
    case Tag::SatName: satName_ = trimmed(value); break;
    case Tag::Exchange:
      if (!contestId_.empty() && !remarksFromComment_) {
        std::string remarks = record_.remarks;
        remarks += " TX:";
        remarks += value;
        if (remarks.size() < 32) putField(record_.remarks, remarks);
      }
      break;
    case Tag::Section: {
      char state[16];
      const std::string section = upper(trimmed(value).substr(0, sizeof state - 1));
      ARRLSectToState(state, section.c_str());
      if (isState(state)) putField(record_.state, state);
      break;
    }
    case Tag::QslSentDate: qslSentDate_ = value; break;
    case Tag::QslRcvdDate: qslRcvdDate_ = value; break;
    case Tag::Other: break;
  }
}

void AdifRecordBuilder::finish() {
  // Everything that depends on several tags is settled here, so that the
  // order of the tags in the file never matters.
  bool noPrefix = false;
  if (callKnown_ && dateGood_) {
    noPrefix = !services_.resolveCountry(record_);
    // The file's zones and continent are the operator's word for this
    // contact: they win over the country's.
    if (fileCqZone_ != 0) record_.cqZone = static_cast<uint16_t>(fileCqZone_);
    if (fileItuZone_ != 0) record_.ituZone = static_cast<uint16_t>(fileItuZone_);
    if (!fileContinent_.empty()) putField(record_.continent, fileContinent_);
  }

  putField(record_.mode, logModeOf(mode_, submode_));
  const bool modeGood = record_.mode[0] != '\0' && isLoggableMode(record_.mode);

  // FREQ is the more precise; a valid BAND stands in for a FREQ that gives
  // no band (one written in Hz, say).
  if (freqBand_ != 0) {
    record_.band = static_cast<uint16_t>(freqBand_);
  } else if (bandTag_ != 0) {
    record_.band = static_cast<uint16_t>(bandTag_);
    char freq[16] = {};
    BandToFreq(bandTag_, freq);
    putField(record_.freq, freq);
  }

  if (!callKnown_) addError(kMissingCall);
  if (noPrefix) addError(kNoPrefix);
  if (record_.band == 0) addError(kBadFrequency);
  if (!modeGood) addError(kBadMode);
  if (!dateGood_) addError(kBadDate);

  // A satellite contact written with the propagation mode and the
  // satellite's name only.
  if (!satModeSeen_ && satellitePath_ && !satName_.empty()) putField(record_.satId, satName_);

  if (!countyName_.empty() && isState(record_.state) && isUSA(record_.prefix)) {
    const std::string& state = isState(countyState_.c_str()) ? countyState_ : record_.state;
    const long address = services_.findCounty(state.c_str(), countyName_.c_str());
    if (address != -1) {
      record_.countyNumber = static_cast<int32_t>(address);
      record_.uscaFlag = 1;
    }
  }
  // A card's date: the received card's when it came, else the sent one's.
  std::string qslDate;
  if (record_.qslRcvd[0] == 'Y') qslDate = adifDate(qslRcvdDate_, settings_.dateFormat);
  if (qslDate.empty() && record_.qslSent[0] == 'Y')
    qslDate = adifDate(qslSentDate_, settings_.dateFormat);
  if (!qslDate.empty()) putField(record_.qslDate, qslDate);

  if (settings_.tagForLabels) {
    char today[16] = {};
    char now[16] = {};
    GetDateTime(settings_.dateFormat, settings_.hourOffset, today, now);
    putField(record_.qslSent, "Y");
    putField(record_.qslDate, today);
    record_.tagged = 1;
  }
}

}  // namespace ksimport
