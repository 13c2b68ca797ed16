#include "browserow.h"

#include <cstdio>

#include "base/fields.h"

namespace ksbrowse {

using ksbase::copyField;
using ksbase::fieldText;

BrowserRow rowOf(const LogRecord& record, std::int32_t recordKey) {
  BrowserRow row{};
  copyField(row.date, record.date);
  copyField(row.time, record.time);
  copyField(row.call, record.call);
  copyField(row.mode, record.mode);
  row.band = static_cast<std::int16_t>(record.band);
  copyField(row.rstSent, record.rstSent);
  copyField(row.rstRcvd, record.rstRcvd);
  copyField(row.country, record.qth);
  copyField(row.qslSent, record.qslSent);
  copyField(row.qslRcvd, record.qslRcvd);
  copyField(row.prefix, record.prefix);
  // A zone beyond two digits (a damaged record) is cut, never overrun.
  char zone[8];
  std::snprintf(zone, sizeof zone, "%2d", static_cast<int>(record.cqZone));
  ksbase::putField(row.cqZone, zone);
  copyField(row.state, record.state);
  row.recordKey = recordKey;
  row.julianDay = record.julianDay;
  return row;
}

std::string textLine(const BrowserRow& row) {
  char line[160];
  const int n = std::snprintf(
      line, sizeof line, "%-8s %-5s %-12.12s %-4s %3d %-3s %-3s %-14.14s %s %s %-5s %2s %s",
      fieldText(row.date).c_str(), fieldText(row.time).c_str(), fieldText(row.call).c_str(),
      fieldText(row.mode).c_str(), static_cast<int>(row.band), fieldText(row.rstSent).c_str(),
      fieldText(row.rstRcvd).c_str(), fieldText(row.country).c_str(),
      fieldText(row.qslSent).c_str(), fieldText(row.qslRcvd).c_str(),
      fieldText(row.prefix).c_str(), fieldText(row.cqZone).c_str(),
      fieldText(row.state).c_str());
  if (n < 0) return std::string();
  return std::string(line, static_cast<std::size_t>(n) < sizeof line ? static_cast<std::size_t>(n)
                                                                     : sizeof line - 1);
}

}  // namespace ksbrowse
