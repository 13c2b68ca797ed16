#include "countyfile.h"

#include <cctype>
#include <cstring>
#include <fstream>

#include "recdb/recdb.h"

namespace ksschema {

bool parseCountyFile(std::istream& in, std::vector<CountyRecord>& counties, std::string& error) {
  std::string line;
  for (long number = 1; std::getline(in, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    const size_t comma = line.find(',');
    const std::string name = comma == std::string::npos ? "" : line.substr(comma + 1);
    if (comma != 2 || !std::isupper(static_cast<unsigned char>(line[0])) ||
        !std::isupper(static_cast<unsigned char>(line[1])) || name.empty() ||
        name.size() >= sizeof(CountyRecord::county)) {
      error = "line " + std::to_string(number) + " is not \"ST,COUNTY NAME\": " + line;
      return false;
    }
    CountyRecord county{};
    std::memcpy(county.state, line.data(), 2);
    std::memcpy(county.county, name.data(), name.size());
    counties.push_back(county);
  }
  return true;
}

bool loadCountyFile(const std::string& path, DB_TASK* task, int db, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot read " + path;
    return false;
  }
  std::vector<CountyRecord> counties;
  if (!parseCountyFile(in, counties, error)) {
    error = path + ": " + error;
    return false;
  }
  for (const CountyRecord& county : counties) {
    const int result = dbRecordCreate(kCountyRecordType, &county, task, db);
    if (result != RECDB_OK) {
      error = "county " + std::string(county.state, 2) + "," + county.county + ": " +
              dbResultText(result);
      return false;
    }
  }
  return true;
}

bool fillCountyDatabase(const std::string& dictDir, const std::string& countyFile,
                        std::string& error) {
  DB_TASK* task = nullptr;
  if (dbOpenTask(&task) != RECDB_OK) {
    error = "cannot start the database engine";
    return false;
  }
  std::string name = dictDir;
  if (!name.empty() && name.back() != '/') name += '/';
  name += "USCOUNTY";
  const int opened = dbOpen(name.c_str(), "o", task);
  bool filled = false;
  if (opened != RECDB_OK)
    error = name + ": " + dbResultText(opened);
  else
    filled = dbBulkBegin(task, 0) == RECDB_OK && loadCountyFile(countyFile, task, 0, error);
  const int closed = dbCloseTask(task);
  if (filled && closed != RECDB_OK) {
    error = name + ": " + dbResultText(closed);
    filled = false;
  }
  return filled;
}

}  // namespace ksschema
