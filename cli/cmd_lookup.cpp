// kestrel lookup: the country, zones and position of a callsign on a day,
// through the prefix library over the dictionary's country database.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <cctype>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/fields.h"
#include "commands.h"
#include "funct/ksfunct.h"
#include "recdb/dbengine.h"
#include "schema/logschema.h"
#include "prefix/ksprefix.h"
#include "recdb/recdb.h"
#include "winlayer/winlayer.h"

namespace kcli {

namespace {

constexpr int kCountryDb = 1;

std::string today() {
  char date[16], time[16];
  GetDateTime(0, 0, date, time);
  return date;
}

// What the three searches made of one call.
struct Answer {
  std::string call, date, searchText, rule;
  bool found = false;
  CountryRecord head{};  // the first 52 bytes: the country head
  std::string name;
};

// The records of the countries found, for their status, date and prefix
// list: a batch asks for the same few hundred again and again. They are
// read anew once the country database changed (through this task at once,
// through another program within the engine's snapshot time), as the
// searches themselves are.
class CountryRecords {
 public:
  bool read(DB_TASK* task, const char* prefix, CountryRecord& record) {
    const std::uint64_t stamp = recdb::changeStamp(task, kCountryDb);
    if (stamp != stamp_) {
      known_.clear();
      stamp_ = stamp;
    }
    const std::string name = ksbase::fieldText(prefix, sizeof record.prefix);
    if (auto found = known_.find(name); found != known_.end()) {
      record = found->second;
      return true;
    }
    char key[sizeof record.prefix];
    ksbase::putField(key, prefix);
    const bool ok = dbKeyFind(reffield::kCountryPrefix, key, task, kCountryDb) == 0 &&
                    dbRecordRead(&record, task, kCountryDb) == 0;
    dbSelect(0, task);
    if (ok) known_.emplace(name, record);
    return ok;
  }

 private:
  std::uint64_t stamp_ = 0;
  std::unordered_map<std::string, CountryRecord> known_;
};

// The shared token of `record` that matched `text`: the longest whose
// prefix begins the text.
std::string sharedRule(const CountryRecord& record, const std::string& text) {
  const std::string list = ksbase::fieldText(record.prefixList, sizeof record.prefixList);
  std::string best;
  std::size_t bestLength = 0;
  auto trim = [](std::string_view word) {
    const std::size_t from = word.find_first_not_of(' ');
    if (from == std::string_view::npos) return std::string_view();
    return word.substr(from, word.find_last_not_of(' ') + 1 - from);
  };
  std::string_view rest = list;
  while (!rest.empty()) {
    const std::size_t comma = rest.find(',');
    const std::string_view token = rest.substr(0, comma);
    rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    std::size_t cut = token.find('<');
    if (cut == std::string_view::npos) cut = token.find('>');
    if (cut == std::string_view::npos) continue;
    const std::string_view prefix = trim(token.substr(0, cut));
    if (!prefix.empty() && text.starts_with(prefix) && prefix.size() > bestLength) {
      bestLength = prefix.size();
      const std::size_t from = token.find_first_not_of(' ', cut + 1);
      const std::string_view date =
          from == std::string_view::npos ? std::string_view() : token.substr(from);
      best = "shared prefix " + std::string(prefix) + ": this entity for contacts " +
             (token[cut] == '<' ? "up to " : "from ") + std::string(date);
    }
  }
  return best;
}

Answer resolve(DB_TASK* task, CountryRecords& countries, const std::string& call,
               const std::string& date, int day) {
  Answer a;
  a.call = call;
  a.date = date;
  char text[16];
  a.searchText = GetPrefix(text, call.c_str(), task);
  char name[21] = {};
  char* head = reinterpret_cast<char*>(&a.head);
  CountryRecord record{};
  if (SearchDeletedPrefix(name, text, day, task, head)) {
    a.found = a.head.prefix[0] != '\0';
    if (!a.found) a.rule = "deleted prefix whose country is missing from the database";
    else if (countries.read(task, a.head.prefix, record))
      a.rule = "deleted entity: counts for contacts before " + ksbase::fieldText(record.date, 9);
  } else if (SearchSharedPrefix(name, text, day, task, head)) {
    a.found = true;
    if (countries.read(task, a.head.prefix, record)) a.rule = sharedRule(record, text);
  } else if (SearchPrefix(name, text, day, task, head)) {
    a.found = true;
    if (countries.read(task, a.head.prefix, record)) {
      const std::string status = ksbase::fieldText(record.status, 2), since = ksbase::fieldText(record.date, 9);
      if (status == "I") a.rule = "not counted as a DXCC entity";
      if (since != "01-01-01")
        a.rule += (a.rule.empty() ? "" : "; ") + std::string("counts from ") + since;
    }
  }
  a.name = name;
  return a;
}

void printBlock(const Answer& a) {
  std::printf("%s on %s (searched as \"%s\")\n", a.call.c_str(), a.date.c_str(),
              a.searchText.c_str());
  if (!a.found) {
    std::printf("  no country found%s%s\n", a.rule.empty() ? "" : ": ", a.rule.c_str());
    return;
  }
  const CountryRecord& h = a.head;
  std::printf("  Prefix     %s\n  Country    %s\n  Continent  %s\n", ksbase::fieldText(h.prefix, 7).c_str(),
              a.name.c_str(), ksbase::fieldText(h.continent, 4).c_str());
  std::printf("  CQ zone    %d\n  ITU zone   %d\n", h.cqZone, h.ituZone);
  std::printf("  Latitude   %s\n  Longitude  %s\n", ksbase::fieldText(h.latitude, 8).c_str(),
              ksbase::fieldText(h.longitude, 8).c_str());
  if (!a.rule.empty()) std::printf("  Rule       %s\n", a.rule.c_str());
}

// One tab-separated line: call, prefix, country, continent, CQ, ITU,
// latitude, longitude, rule (empty fields when nothing was found).
void printLine(const Answer& a) {
  static std::string out;  // one line, its room kept from call to call
  out.assign(a.call);
  if (!a.found) {
    out.append(8, '\t').append(a.rule).push_back('\n');
  } else {
    const CountryRecord& h = a.head;
    auto column = [](const std::string& text) { out.append(1, '\t').append(text); };
    column(ksbase::fieldText(h.prefix, 7));
    column(a.name);
    column(ksbase::fieldText(h.continent, 4));
    column(std::to_string(h.cqZone));
    column(std::to_string(h.ituZone));
    column(ksbase::fieldText(h.latitude, 8));
    column(ksbase::fieldText(h.longitude, 8));
    column(a.rule);
    out.push_back('\n');
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
}

// The words of a line as `>>` would split it, the first `count` of them.
std::vector<std::string_view> words(std::string_view line, std::size_t count) {
  std::vector<std::string_view> out;
  auto space = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
  std::size_t at = 0;
  while (out.size() < count) {
    while (at < line.size() && space(line[at])) ++at;
    if (at == line.size()) break;
    const std::size_t start = at;
    while (at < line.size() && !space(line[at])) ++at;
    out.push_back(line.substr(start, at - start));
  }
  return out;
}

std::string upper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

bool validDate(const std::string& date) { return CheckDate(date.c_str()) != 0; }

// The dictionary's country database, loaded by the prefix library as
// database 1 of a task of our own. No logbook is needed to look a call up:
// the country database itself stands as database 0, which holds none of the
// tally keys, so the load seeds nothing and writes nothing.
class CountryDatabase {
 public:
  ~CountryDatabase() {
    if (!task_) return;
    CloseCountryDb(task_);
    dbClose(task_);
    dbCloseTask(task_);
  }
  bool open(const std::string& dictionary) {
    std::string base = dictionary;
    if (!base.empty() && base.back() != '/' && base.back() != '\\') base += '/';
    base += "COUNTRY";
    int rc = dbOpenTask(&task_);
    if (rc == 0) rc = dbOpen(base.c_str(), "o", task_);
    if (rc != 0) {
      std::fprintf(stderr, "kestrel lookup: cannot open %s: %s (run kestrel setup)\n",
                   base.c_str(), dbResultText(rc));
      return false;
    }
    int active = 0, deleted = 0;
    char head[kCountryHeadSize];
    if (!OpenCountryDb(nullptr, base.c_str(), task_, &active, &deleted, head)) {
      std::fprintf(stderr, "kestrel lookup: cannot load the country tables from %s\n",
                   base.c_str());
      return false;
    }
    if (active == 0)
      std::fprintf(stderr, "kestrel lookup: %s holds no countries (run kestrel setup)\n",
                   base.c_str());
    return true;
  }
  DB_TASK* task() const { return task_; }

 private:
  DB_TASK* task_ = nullptr;
};

// Calls come one a line; no sane line is long, so a longer one is skipped
// without being kept.
constexpr std::size_t kMaxLine = 1024;

// Lines of standard input, read in blocks. Before it waits for more input
// the engine's read snapshot is let go, so that a lookup left waiting on a
// terminal or a slow pipe never holds up a program writing the database.
class LineReader {
 public:
  enum class Result { Line, TooLong, End };
  Result next(std::string& line) {
    line.clear();
    bool tooLong = false;
    for (;;) {
      if (at_ == size_) {
        std::fflush(stdout);
        dbIdle();
        ssize_t n;
        do n = ::read(STDIN_FILENO, buffer_, sizeof buffer_);
        while (n < 0 && errno == EINTR);
        if (n <= 0) {
          if (line.empty() && !tooLong) return Result::End;
          ++number_;
          return tooLong ? Result::TooLong : Result::Line;
        }
        at_ = 0;
        size_ = static_cast<std::size_t>(n);
      }
      const char* start = buffer_ + at_;
      const void* found = std::memchr(start, '\n', size_ - at_);
      const std::size_t take =
          found ? static_cast<std::size_t>(static_cast<const char*>(found) - start) : size_ - at_;
      if (!tooLong && line.size() + take <= kMaxLine) line.append(start, take);
      else {
        tooLong = true;
        line.clear();
      }
      at_ += take;
      if (found) {
        ++at_;
        ++number_;
        return tooLong ? Result::TooLong : Result::Line;
      }
    }
  }
  long lineNumber() const { return number_; }

 private:
  char buffer_[1 << 16];
  std::size_t at_ = 0, size_ = 0;
  long number_ = 0;
};

}  // namespace

int runLookup(std::span<char*> args) {
  const Command& self = *findCommand("lookup");
  if (args.empty() || args.size() > 2) return usageError(self, "give a call (and a date) or -");
  const bool batch = std::strcmp(args[0], "-") == 0;
  if (batch && args.size() > 1) return usageError(self, "- takes no date: give one per line");
  const std::string date = args.size() > 1 ? logDate(args[1]) : today();
  if (!validDate(date)) {
    std::fprintf(stderr,
                 "kestrel lookup: '%s' is not a date the log holds (MM-DD-YY, DD/MM/YY, "
                 "YY.MM.DD or YYYY-MM-DD from 1945 to 2044)\n",
                 date.c_str());
    return kUsage;
  }

  char dictionary[512];
  GetPrivateProfileString("Database", "DictPath", "Not Found", dictionary, sizeof dictionary,
                          "KESTREL.INI");
  if (std::strcmp(dictionary, "Not Found") == 0) {
    std::fprintf(stderr, "kestrel lookup: no dictionary directory yet; run kestrel setup\n");
    return kFailed;
  }
  CountryDatabase db;
  if (!db.open(dictionary)) return kFailed;
  CountryRecords countries;

  if (!batch) {
    const Answer a = resolve(db.task(), countries, upper(args[0]), date, CalcJulianDate(date.c_str()));
    printBlock(a);
    return a.found ? kOk : kFailed;
  }
  int status = kOk;
  LineReader input;
  std::string line, lastRaw, when;
  bool whenValid = false;
  int whenDay = 0;
  for (;;) {
    const LineReader::Result got = input.next(line);
    if (got == LineReader::Result::End) break;
    if (got == LineReader::Result::TooLong) {
      std::fprintf(stderr, "kestrel lookup: line %ld is longer than %zu characters; skipped\n",
                   input.lineNumber(), kMaxLine);
      status = kFailed;
      continue;
    }
    const std::vector<std::string_view> given = words(line, 2);
    if (given.empty()) continue;
    const std::string call(given[0]);
    // Most lines carry no date, or the one the line before had.
    const std::string raw = given.size() > 1 ? std::string(given[1]) : date;
    if (raw != lastRaw) {
      lastRaw = raw;
      when = logDate(raw);
      whenValid = validDate(when);
      whenDay = whenValid ? CalcJulianDate(when.c_str()) : 0;
    }
    if (!whenValid) {
      Answer bad;
      bad.call = upper(call);
      bad.rule = "'" + when + "' is not a date";
      printLine(bad);
      status = kFailed;
      continue;
    }
    printLine(resolve(db.task(), countries, upper(call), when, whenDay));
  }
  return status;
}

}  // namespace kcli
