#include "countrytext.h"

#include "base/fields.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace countrytext {

std::string FieldTokenizer::next(std::size_t width) {
  std::string field;
  bool quoted = false;
  auto keep = [&](char c) {
    if (field.size() < width) field.push_back(c);
  };
  while (pos_ < line_.size()) {
    const char c = line_[pos_];
    if (c == '^') {
      if (pos_ + 1 < line_.size()) {
        keep(line_[pos_ + 1]);
        pos_ += 2;
      } else {
        keep(c);
        ++pos_;
      }
      continue;
    }
    ++pos_;
    if (c == '"') {
      quoted = !quoted;
    } else if (quoted) {
      keep(c);
    } else if (c == ',' || c == '\r') {
      break;
    } else if (c != ' ' && c != '\t') {
      keep(c);
    }
  }
  return field;
}

int leadingNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > INT_MAX) return negative ? INT_MIN : INT_MAX;
  }
  return static_cast<int>(negative ? -value : value);
}

CountryLine parseCountryLine(std::string_view line) {
  FieldTokenizer fields(line);
  CountryLine country;
  country.prefix = fields.next(kPrefixWidth);
  country.name = fields.next(kNameWidth);
  country.continent = fields.next(kContinentWidth);
  country.latitude = fields.next(kLatitudeWidth);
  country.longitude = fields.next(kLongitudeWidth);
  country.cqZone = leadingNumber(fields.next(kZoneWidth));
  country.ituZone = leadingNumber(fields.next(kZoneWidth));
  country.status = fields.next(kStatusWidth);
  country.date = fields.next(kDateWidth);
  country.prefixList = fields.next(kPrefixListWidth);
  return country;
}

namespace {

void appendQuoted(std::string& out, std::string_view text) {
  out.push_back('"');
  for (char c : text) {
    if (c == '"' || c == '^') out.push_back('^');
    out.push_back(c);
  }
  out += "\",";
}

}  // namespace

std::string formatCountryLine(const CountryLine& c) {
  std::string out;
  for (std::string_view text : {std::string_view(c.prefix), std::string_view(c.name),
                                std::string_view(c.continent), std::string_view(c.latitude),
                                std::string_view(c.longitude)})
    appendQuoted(out, text);
  appendQuoted(out, std::to_string(c.cqZone));
  appendQuoted(out, std::to_string(c.ituZone));
  appendQuoted(out, c.status);
  appendQuoted(out, c.date);
  appendQuoted(out, c.prefixList);
  out += "\"\",\"\"\r\n";
  return out;
}

std::optional<std::string> LineReader::next() {
  std::string line;
  bool any = false;
  bool ended = false;  // a NUL ended the text; the rest of the line is skipped
  int c;
  while ((c = std::fgetc(file_)) != EOF) {
    any = true;
    if (c == '\n') break;
    if (c == '\r') continue;
    if (c == '\0') ended = true;
    if (!ended) line.push_back(static_cast<char>(c));
  }
  if (!any) return std::nullopt;
  ++lineNumber_;
  return line;
}

namespace {

using ksbase::fieldText;
using ksbase::putField;

}  // namespace

CountryRecord toRecord(const CountryLine& line) {
  CountryRecord r{};
  putField(r.prefix, line.prefix);
  putField(r.name, line.name);
  putField(r.continent, line.continent);
  putField(r.latitude, line.latitude);
  putField(r.longitude, line.longitude);
  r.cqZone = static_cast<std::int16_t>(line.cqZone);
  r.ituZone = static_cast<std::int16_t>(line.ituZone);
  putField(r.status, line.status);
  putField(r.date, line.date);
  putField(r.prefixList, line.prefixList);
  return r;
}

CountryLine fromRecord(const CountryRecord& r) {
  CountryLine line;
  line.prefix = fieldText(r.prefix);
  line.name = fieldText(r.name);
  line.continent = fieldText(r.continent);
  line.latitude = fieldText(r.latitude);
  line.longitude = fieldText(r.longitude);
  line.cqZone = r.cqZone;
  line.ituZone = r.ituZone;
  line.status = fieldText(r.status);
  line.date = fieldText(r.date);
  line.prefixList = fieldText(r.prefixList);
  return line;
}

bool isBlankLine(std::string_view line) {
  return line.find_first_not_of(" \t") == std::string_view::npos;
}

}  // namespace countrytext
