// The country editor (Atlas/W) and the IOTA editor (Isles/W): the country
// record's form with its checks, and the IOTA number and group after it.
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/fields.h"
#include "funct/ksfunct.h"
#include "kind.h"
#include "schema/countrydb.h"
#include "schema/iotadb.h"
#include "schema/mainwindow.h"
#include "strings.h"

namespace kseditor {
namespace {

enum Field { kPrefix, kName, kCont, kLat, kLon, kCq, kItu, kStatus, kDate, kTable, kIota, kGroup };

std::string fmt(const char* format, const char* a, const char* b, const char* c = "") {
  char line[1024];
  std::snprintf(line, sizeof line, format, a, b, c);
  return line;
}

// One coordinate: degrees with minutes after the point. Returns 0 or the
// message of what is wrong with it.
int checkCoordinate(double value, double limit, int rangeMessage) {
  const double magnitude = std::fabs(value);
  const double minutes = std::round((magnitude - std::floor(magnitude)) * 100.0);
  if (minutes >= 60.0) return 23;
  if (std::floor(magnitude) + minutes / 60.0 > limit) return rangeMessage;
  return 0;
}

// Latitude and longitude read as one text: a number and N or S, then a
// number and E or W.
int checkPosition(const std::string& latitude, const std::string& longitude, int* focus) {
  std::string joined = latitude + longitude;
  for (char& c : joined) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const std::size_t first = joined.find_first_of("NSEW");
  *focus = kLat;
  if (first == std::string::npos || joined[first] == 'E' || joined[first] == 'W') return 24;
  const double lat = std::strtod(joined.substr(0, first).c_str(), nullptr);
  const std::size_t second = joined.find_first_of("EW", first + 1);
  if (second == std::string::npos) {
    *focus = kLon;
    return 25;
  }
  const double lon = std::strtod(joined.substr(first + 1, second - first - 1).c_str(), nullptr);
  if (const int problem = checkCoordinate(lat, 90.0, 21)) return problem;
  *focus = kLon;
  if (const int problem = checkCoordinate(lon, 180.0, 22)) return problem;
  return 0;
}

bool isZone(const std::string& text, int low, int high, int& zone) {
  if (text.empty()) return false;
  for (char c : text)
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  zone = std::atoi(text.c_str());
  return zone >= low && zone <= high;
}

// The country checks, in order, and the record when they pass.
int countryFromForm(CountryRecord& r, int* focus) {
  const std::string name = formText(kName), continent = formText(kCont);
  const std::string latitude = formText(kLat), longitude = formText(kLon);
  const std::string status = formText(kStatus), date = formText(kDate);
  const std::string table = formText(kTable);
  *focus = kName;
  if (name.empty()) return 8;
  *focus = kCont;
  if (!isContinent(continent.c_str())) return 9;
  if (const int problem = checkPosition(latitude, longitude, focus)) return problem;
  int cq = 0, itu = 0;
  *focus = kCq;
  if (!isZone(formText(kCq), 1, 40, cq)) return 10;
  *focus = kItu;
  if (!isZone(formText(kItu), 1, 90, itu)) return 11;
  *focus = kStatus;
  if (status != "A" && status != "D") return 12;
  *focus = kDate;
  if (!CheckDate(date.c_str())) return 13;
  *focus = kTable;
  if (table.empty()) return 14;
  r = CountryRecord{};
  ksbase::putField(r.prefix, formText(kPrefix));
  ksbase::putField(r.name, name);
  ksbase::putField(r.continent, continent);
  ksbase::putField(r.latitude, latitude);
  ksbase::putField(r.longitude, longitude);
  r.cqZone = static_cast<std::int16_t>(cq);
  r.ituZone = static_cast<std::int16_t>(itu);
  ksbase::putField(r.status, status);
  ksbase::putField(r.date, date);
  ksbase::putField(r.prefixList, table);
  return 0;
}

void countryToForm(const CountryRecord& r) {
  setFormText(kPrefix, ksbase::fieldText(r.prefix));
  setFormText(kName, ksbase::fieldText(r.name));
  setFormText(kCont, ksbase::fieldText(r.continent));
  setFormText(kLat, ksbase::fieldText(r.latitude));
  setFormText(kLon, ksbase::fieldText(r.longitude));
  setFormText(kCq, std::to_string(r.cqZone));
  setFormText(kItu, std::to_string(r.ituZone));
  setFormText(kStatus, ksbase::fieldText(r.status));
  setFormText(kDate, ksbase::fieldText(r.date));
  setFormText(kTable, ksbase::fieldText(r.prefixList));
}

std::vector<std::string> countryPrintLines(const CountryRecord& r) {
  char line[256];
  std::snprintf(line, sizeof line, "%6.6s %20.20s %2.2s %8.8s %8.8s %2d %2d %1.1s %8.8s",
                ksbase::fieldText(r.prefix).c_str(), ksbase::fieldText(r.name).c_str(),
                ksbase::fieldText(r.continent).c_str(), ksbase::fieldText(r.latitude).c_str(),
                ksbase::fieldText(r.longitude).c_str(), r.cqZone, r.ituZone,
                ksbase::fieldText(r.status).c_str(), ksbase::fieldText(r.date).c_str());
  return {line};
}

const CountryRecord& asCountry(const void* record) {
  return *static_cast<const CountryRecord*>(record);
}
const IotaRecord& asIota(const void* record) { return *static_cast<const IotaRecord*>(record); }

// The IOTA record keeps the country record's layout in its first bytes.
CountryRecord countryPart(const IotaRecord& r) {
  CountryRecord country{};
  std::memcpy(&country, &r, sizeof country);
  return country;
}

std::vector<FormField> countryForm() {
  const Span row{1, 5}, label{0, 4};
  return {
      {"prefix", "Prefix", {1, 0}, label, {1, 0}, row, {6, 0}, 6, true},
      {"country", "Country", {8, 0}, label, {8, 0}, row, {21, 0}, 20, false},
      {"cont", "Cont", {30, 0}, label, {30, 0}, row, {3, 2}, 3, true},
      {"latitude", "Latitude", {35, 0}, label, {35, 0}, row, {8, 0}, 7, true},
      {"longitude", "Longitude", {45, 0}, label, {45, 0}, row, {8, 0}, 7, true},
      {"cq", "CQ", {54, 0}, label, {54, 0}, row, {3, 2}, 2, false},
      {"itu", "ITU", {58, 0}, label, {58, 0}, row, {3, 2}, 2, false},
      {"status", "Status", {62, 0}, label, {63, 0}, row, {2, 2}, 1, true},
      {"date", "Date", {68, 0}, label, {68, 0}, row, {9, 2}, 8, false},
      {"table", "Prefix Table", {1, 0}, {3, 2}, {1, 0}, {4, 4}, {60, 4}, 511, true},
  };
}

Kind makeCountryKind() {
  Kind k{};
  k.className = "AtlasWClass";
  k.title = "Atlas/W";
  k.menuName = "AtlasWMenu";
  k.iniFile = "ATLASW.INI";
  k.helpFile = "ATLASW.HLP";
  k.helpKeys[0] = "Atlas/W Keys";
  k.helpKeys[1] = "Atlas/W Commands";
  k.helpKeys[2] = "Atlas/W Procedures";
  k.aboutItem = "&About AtlasW...";
  k.version = "4.00.00";
  k.database = "COUNTRY";
  k.doneMessage = KM_COUNTRY_EDITOR_DONE;
  k.message = atlasMessage;
  k.storedCaption = "Atlas/W";
  k.importCaption = "Atlas/W";
  k.printTitle = "Atlas/W";
  k.printHeader = "Country Database: %s";
  k.form = countryForm();
  k.keyField = kPrefix;
  k.keyNumber = reffield::kCountryPrefix;
  k.keyWidth = sizeof(CountryRecord::prefix);
  k.recordSize = sizeof(CountryRecord);
  k.bandTop = 6;
  k.indicatorX = {74, 0};
  k.indicatorY = {6, 6};
  k.listTop = 9;
  k.table = false;
  k.listCaption = "Country Database";
  k.listColumn = 28;
  k.emptyKeyMessage = 30;
  k.storeErrorMessage = 16;
  k.backFromFirst = kTable;
  k.listWhenOpenFails = false;
  k.toForm = [](const void* record) { countryToForm(asCountry(record)); };
  k.fromForm = [](void* record, int* focus) {
    return countryFromForm(*static_cast<CountryRecord*>(record), focus);
  };
  k.listLine = [](const void* record) {
    return fmt("%-6.6s %s", ksbase::fieldText(asCountry(record).prefix).c_str(),
               ksbase::fieldText(asCountry(record).name).c_str());
  };
  k.exportLine = [](const void* record) {
    return countrytext::formatCountryLine(countrytext::fromRecord(asCountry(record)));
  };
  k.importLines = [](std::FILE* file, DB_TASK* task, int db) {
    const countrytext::ImportResult r = countrytext::importCountryLines(file, task, db);
    return LinesResult{r.stored, r.emptyPrefixLine, r.failedLine};
  };
  k.printLines = [](const void* record) { return countryPrintLines(asCountry(record)); };
  return k;
}

Kind makeIotaKind() {
  Kind k = makeCountryKind();
  k.className = "IslesWClass";
  k.title = "Isles/W";
  k.helpFile = "ISLESW.HLP";
  k.version = "1.00";
  k.database = "IOTA";
  k.importCaption = "Isles/W";
  k.form.push_back({"iota", "IOTA", {63, 0}, {3, 2}, {63, 0}, {4, 4}, {9, 4}, 7, true});
  k.form.push_back({"grp", "Grp", {74, 0}, {3, 2}, {74, 0}, {4, 4}, {2, 4}, 1, true});
  k.keyField = kIota;
  k.keyNumber = reffield::kIotaNumber;
  k.keyWidth = sizeof(IotaRecord::iotaNumber);
  k.recordSize = sizeof(IotaRecord);
  k.listCaption = "IOTA Database";
  k.listColumn = 38;
  k.emptyKeyMessage = 39;
  k.storeErrorMessage = 41;
  k.listWhenOpenFails = true;
  k.toForm = [](const void* record) {
    countryToForm(countryPart(asIota(record)));
    setFormText(kIota, ksbase::fieldText(asIota(record).iotaNumber));
    setFormText(kGroup, ksbase::fieldText(asIota(record).groupFlag));
  };
  k.fromForm = [](void* record, int* focus) {
    CountryRecord country{};
    if (const int problem = countryFromForm(country, focus)) return problem;
    const std::string number = formText(kIota);
    if (number.size() < 5) {
      *focus = kTable;
      return 40;
    }
    auto& r = *static_cast<IotaRecord*>(record);
    r = IotaRecord{};
    std::memcpy(&r, &country, sizeof country);
    ksbase::putField(r.iotaNumber, number);
    ksbase::putField(r.groupFlag, formText(kGroup));
    return 0;
  };
  k.listLine = [](const void* record) {
    const IotaRecord& r = asIota(record);
    return fmt("%s %-6.6s %s", ksbase::fieldText(r.iotaNumber).c_str(),
               ksbase::fieldText(r.prefix).c_str(), ksbase::fieldText(r.name).c_str());
  };
  k.exportLine = [](const void* record) {
    return iotatext::formatIotaLine(iotatext::fromIotaRecord(asIota(record)));
  };
  k.importLines = [](std::FILE* file, DB_TASK* task, int db) {
    const iotatext::ImportResult r = iotatext::importIotaLines(file, task, db);
    return LinesResult{r.stored, r.emptyPrefixLine, r.failedLine};
  };
  k.printLines = [](const void* record) {
    return countryPrintLines(countryPart(asIota(record)));
  };
  return k;
}

}  // namespace

const Kind& countryEditor() {
  static const Kind kind = makeCountryKind();
  return kind;
}

const Kind& iotaEditor() {
  static const Kind kind = makeIotaKind();
  return kind;
}

}  // namespace kseditor
