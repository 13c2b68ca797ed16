// kestrel lookup: the country, zones and position of a callsign on a day,
// through the prefix library over the dictionary's country database.
#include <cstdio>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>

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

// The record of a found country, for its status, date and prefix list.
bool readCountry(DB_TASK* task, const char* prefix, CountryRecord& record) {
  char key[sizeof record.prefix];
  ksbase::putField(key, prefix);
  const bool ok = dbKeyFind(reffield::kCountryPrefix, key, task, kCountryDb) == 0 &&
                  dbRecordRead(&record, task, kCountryDb) == 0;
  dbSelect(0, task);
  return ok;
}

// The shared token of `record` that matched `text`: the longest whose
// prefix begins the text.
std::string sharedRule(const CountryRecord& record, const std::string& text) {
  std::string best, list = ksbase::fieldText(record.prefixList, sizeof record.prefixList), token;
  std::size_t bestLength = 0;
  std::istringstream tokens(list);
  while (std::getline(tokens, token, ',')) {
    std::size_t cut = token.find('<');
    if (cut == std::string::npos) cut = token.find('>');
    if (cut == std::string::npos) continue;
    std::string prefix = token.substr(0, cut);
    prefix.erase(0, prefix.find_first_not_of(' '));
    prefix.erase(prefix.find_last_not_of(' ') + 1);
    if (!prefix.empty() && text.starts_with(prefix) && prefix.size() > bestLength) {
      bestLength = prefix.size();
      std::string date = token.substr(cut + 1);
      date.erase(0, date.find_first_not_of(' '));
      best = "shared prefix " + prefix + ": this entity for contacts " +
             (token[cut] == '<' ? "up to " : "from ") + date;
    }
  }
  return best;
}

Answer resolve(DB_TASK* task, const std::string& call, const std::string& date) {
  Answer a;
  a.call = call;
  a.date = date;
  char text[16];
  a.searchText = GetPrefix(text, call.c_str(), task);
  const int day = CalcJulianDate(date.c_str());
  char name[21] = {};
  char* head = reinterpret_cast<char*>(&a.head);
  CountryRecord record{};
  if (SearchDeletedPrefix(name, text, day, task, head)) {
    a.found = a.head.prefix[0] != '\0';
    if (!a.found) a.rule = "deleted prefix whose country is missing from the database";
    else if (readCountry(task, a.head.prefix, record))
      a.rule = "deleted entity: counts for contacts before " + ksbase::fieldText(record.date, 9);
  } else if (SearchSharedPrefix(name, text, day, task, head)) {
    a.found = true;
    if (readCountry(task, a.head.prefix, record)) a.rule = sharedRule(record, text);
  } else if (SearchPrefix(name, text, day, task, head)) {
    a.found = true;
    if (readCountry(task, a.head.prefix, record)) {
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
  const CountryRecord& h = a.head;
  if (!a.found) {
    std::printf("%s\t\t\t\t\t\t\t\t%s\n", a.call.c_str(), a.rule.c_str());
    return;
  }
  std::printf("%s\t%s\t%s\t%s\t%d\t%d\t%s\t%s\t%s\n", a.call.c_str(), ksbase::fieldText(h.prefix, 7).c_str(),
              a.name.c_str(), ksbase::fieldText(h.continent, 4).c_str(), h.cqZone, h.ituZone,
              ksbase::fieldText(h.latitude, 8).c_str(), ksbase::fieldText(h.longitude, 8).c_str(), a.rule.c_str());
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

  if (!batch) {
    const Answer a = resolve(db.task(), upper(args[0]), date);
    printBlock(a);
    return a.found ? kOk : kFailed;
  }
  std::string line;
  int status = kOk;
  while (std::getline(std::cin, line)) {
    std::istringstream words(line);
    std::string call, when;
    words >> call >> when;
    if (call.empty()) continue;
    if (when.empty()) when = date;
    when = logDate(when);
    if (!validDate(when)) {
      Answer bad;
      bad.call = upper(call);
      bad.rule = "'" + when + "' is not a date";
      printLine(bad);
      status = kFailed;
      continue;
    }
    printLine(resolve(db.task(), upper(call), when));
  }
  return status;
}

}  // namespace kcli
