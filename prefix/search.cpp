#include "search.h"

#include <algorithm>
#include <cstring>

namespace ksprefix {

namespace {

constexpr std::string_view kNoDate = "01-01-01";

// Calls `visit` for each entry equal to `text` in table order until it
// returns true; true then.
template <class Visit>
bool forEachEqual(const PrefixTable& table, std::string_view text, Lookup how, Visit visit) {
  if (how == Lookup::Indexed) {
    for (uint32_t entry : table.find(text))
      if (visit(entry)) return true;
    return false;
  }
  for (std::size_t entry = 0; entry < table.size(); ++entry)
    if (table.text(entry) == text && visit(static_cast<uint32_t>(entry))) return true;
  return false;
}

int dayOfDate(const char* record, Julian julian) {
  const std::string date(recordText(record, kDateOffset, kDateSize));
  return julian(date.c_str());
}

// The first digit of `text` and its neighbours (0 where there is none).
struct CallArea {
  char digit = 0, previous = 0, next = 0;
};

CallArea callArea(std::string_view text) {
  CallArea area;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (text[i] >= '0' && text[i] <= '9') {
      area.digit = text[i];
      area.previous = i > 0 ? text[i - 1] : 0;
      area.next = i + 1 < text.size() ? text[i + 1] : 0;
      break;
    }
  return area;
}

bool oneOf(char c, std::string_view set) { return c != 0 && set.find(c) != std::string_view::npos; }

}  // namespace

bool isKc6Special(std::string_view text) {
  return text.starts_with("KC6") && (text.size() == 4 || text.size() == 6);
}

const char* searchPlain(const PrefixTable& table, std::string_view text, int day,
                        RecordReader& reader, Julian julian, Lookup how) {
  text = text.substr(0, kMaxText);
  const char* accepted = nullptr;
  for (std::size_t length = std::min(text.size(), table.longestText()); length > 0 && !accepted;
       --length) {
    forEachEqual(table, text.substr(0, length), how, [&](uint32_t entry) {
      const char* record = reader.read(table.key(entry));
      if (!record) return false;
      const std::string_view status = recordText(record, kStatusOffset, kStatusSize);
      if (status != "A" && status != "I") return false;
      if (recordText(record, kDateOffset, kDateSize) != kNoDate &&
          day < dayOfDate(record, julian))
        return false;
      accepted = record;
      return true;
    });
  }
  return accepted;
}

const char* searchShared(const CountryTables& tables, std::string_view text, int day,
                         RecordReader& reader, Lookup how) {
  text = text.substr(0, kMaxText);
  const char* accepted = nullptr;
  for (std::size_t length = std::min(text.size(), tables.shared.longestText());
       length > 0 && !accepted; --length) {
    forEachEqual(tables.shared, text.substr(0, length), how, [&](uint32_t entry) {
      const char* record = reader.read(tables.shared.key(entry));
      if (!record) return false;
      const char condition = tables.sharedCondition[entry];
      const int conditionDay = tables.sharedDay[entry];
      if ((condition == '<' && day <= conditionDay) || (condition == '>' && day >= conditionDay)) {
        accepted = record;
        return true;
      }
      return false;
    });
  }
  return accepted;
}

DeletedAnswer searchDeleted(const PrefixTable& table, std::string_view text, int day,
                            RecordReader& reader, Julian julian, Lookup how) {
  text = text.substr(0, kMaxText);
  DeletedAnswer answer{0, nullptr};
  for (std::size_t length = std::min(text.size(), table.longestText()); length > 0; --length) {
    const bool ended = forEachEqual(table, text.substr(0, length), how, [&](uint32_t entry) {
      const char* record = reader.read(table.key(entry));
      if (!record)
        answer = {1, nullptr};  // a deleted prefix whose country is gone
      else if (day >= dayOfDate(record, julian))
        answer = {0, nullptr};  // deleted by the contact's day: a current entity's
      else
        answer = {1, record};
      return true;
    });
    if (ended) break;
  }
  return answer;
}

void fillHead(const char* record, std::string_view text, char* head, char* name) {
  if (name) {
    const std::string_view n = recordText(record, kNameOffset, kNameSize - 1);
    std::memcpy(name, n.data(), n.size());
    name[n.size()] = '\0';
  }
  if (!head) return;
  std::memcpy(head, record, kHeadSize);
  const std::string_view prefix = recordText(record, kPrefixOffset, kPrefixSize);
  putInt16(head, kCqOffset, correctZone(prefix, text, recordInt16(record, kCqOffset)));
  putInt16(head, kItuOffset, correctItuZone(prefix, text, recordInt16(record, kItuOffset)));
}

int correctZone(std::string_view prefix, std::string_view text, int zone) {
  const CallArea a = callArea(text);
  if (!a.digit) return zone;
  const char d = a.digit;
  if (prefix == "K") return oneOf(d, "0589") ? 4 : oneOf(d, "67") ? 3 : 5;
  if (prefix == "VE") {
    if (d == '1' && a.previous == 'Y') return 1;
    if (d == '2' && a.previous == 'O') return 2;
    if (oneOf(d, "3456")) return 4;
    if (d == '7') return 3;
    if (d == '8') return 1;
    return 5;
  }
  if (prefix == "VK") return oneOf(d, "68") ? 29 : 30;
  if (prefix == "BY") {
    if (d == '0') return 23;
    if (d == '3') return a.next >= 'G' && a.next <= 'L' ? 23 : 24;
    if (d == '9') return a.next >= 'M' && a.next <= 'S' ? 24 : 23;
    return 24;
  }
  if (prefix == "UA9") {
    if (d == '0') return oneOf(a.next, "ABHSUW") ? 18 : a.next == 'Y' ? 23 : 19;
    if (d == '8') return oneOf(a.next, "TV") ? 18 : 17;
    if (d == '9') return oneOf(a.next, "HOUVYZ") ? 18 : oneOf(a.next, "SW") ? 16 : 17;
    return 17;
  }
  if (prefix == "I") return d == '9' && oneOf(a.previous, "GH") ? 33 : 15;
  return zone;
}

int correctItuZone(std::string_view prefix, std::string_view text, int zone) {
  const CallArea a = callArea(text);
  if (!a.digit || prefix != "K") return zone;
  return oneOf(a.digit, "05") ? 7 : oneOf(a.digit, "67") ? 6 : 8;
}

int bandOf(double f) {
  // In this order; the first range that holds gives the band, so the later
  // rows only catch what the earlier ones leave.
  struct Range {
    double low;
    bool lowIncluded;
    double high;
    bool highIncluded;
    int band;
  };
  static constexpr Range ranges[] = {
      {9999.9, true, 10500, false, 10000}, {5649.9, true, 5925, false, 5650},
      {3299.9, true, 3500, false, 3300},   {2389.9, true, 2450, false, 2300},
      {2299.9, true, 2310, false, 2300},   {1239.9, true, 1300, false, 1240},
      {901.9, true, 928, false, 902},      {431.9, true, 450, false, 432},
      {221.9, true, 225, false, 220},      {143.9, true, 148, false, 2},
      {69.9, true, 70.5, true, 4},         {49.9, true, 54, false, 6},
      {27.9, true, 29.7, false, 10},
      {26.964, true, 27.406, true, 11},    {24.88, true, 24.99, false, 12},
      {20.9, true, 21.45, false, 15},      {18.067, false, 18.168, false, 17},
      {13.9, false, 14.35, false, 20},     {10.09, false, 10.15, false, 30},
      {6.99, false, 7.3, false, 40},       {3.49, false, 4, false, 80},
      {1.79, false, 2, false, 160},
      // 60 m: the national channels and segments, ahead of the rows that
      // follow, which would give some of them to 40 m.
      {5.06, true, 5.45, true, 60},        {27.979, false, 29.981, false, 11},
      {20.9364, true, 20.999, false, 12},  {19.88, true, 19.882, false, 12},
      {14.3835, true, 14.935, false, 20},  {13.4935, true, 13.994, false, 20},
      {10.492, true, 10.494, false, 30},   {9.304, true, 9.306, false, 30},
      {7.302, true, 7.833, false, 40},     {6.6975, true, 6.997, false, 40},
      {5.217, true, 5.218, false, 40},     {4.029, true, 4.873, false, 80},
      {3.19, true, 3.391, false, 160},
  };
  for (const Range& r : ranges) {
    const bool aboveLow = r.lowIncluded ? f >= r.low : f > r.low;
    const bool belowHigh = r.highIncluded ? f <= r.high : f < r.high;
    if (aboveLow && belowHigh) return r.band;
  }
  return 0;
}

}  // namespace ksprefix
