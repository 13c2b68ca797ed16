// Writers of the foreign loggers' files the import program reads (CT,
// DXBase, Easy-DX, Log View, LogMaster, HyperLog, PakRatt, RTTY by Q1QA),
// by the layouts of foreignlayout.h: for the tests, and large files for the
// benchmark (tools/foreigngen). Not part of the import program.
#ifndef KESTREL_IMPORT_WRITERS_FOREIGNWRITE_H
#define KESTREL_IMPORT_WRITERS_FOREIGNWRITE_H

#include <string>
#include <vector>

namespace ksimport::writers {

// One contact as the writers take it. Each format writes the fields it has.
struct ForeignContact {
  std::string call = "W1AW";
  int year = 2024, month = 3, day = 15;  // four-digit year
  int hour = 14, minute = 5;
  double khz = 14025.0;    // frequency in kilohertz
  int band = 20;           // band in metres (MHz from 220 up)
  std::string mode = "CW";
  std::string rstSent = "599", rstRcvd = "579";
  std::string name, city, qth, state, remarks, power;
  std::string country;     // DXBase and RTTY country code ("W", "DL" ...)
  std::string prefix;      // HyperLog's entity prefix
  std::string exchange;    // CT and RTTY: the received exchange
  int zone = 0;            // CQ zone, 0 for none
  char qslSent = 'N', qslRcvd = 'N';
};

// Text formats: the whole file.
std::string writeCt(const std::vector<ForeignContact>& contacts, bool longDates = false);
std::string writeDxBase(const std::vector<ForeignContact>& contacts);
// `order`: 0 MM/DD/YY, 1 DD/MM/YY, 2 YY/MM/DD.
std::string writeHyperLog(const std::vector<ForeignContact>& contacts, int order = 0);
std::string writePakRatt(const std::vector<ForeignContact>& contacts);

// Record formats: the whole file's bytes.
std::string writeEasyDx(const std::vector<ForeignContact>& contacts);
std::string writeLogView(const std::vector<ForeignContact>& contacts);
std::string writeLogMaster(const std::vector<ForeignContact>& contacts);
// `contest`: the index of the contest (0 ARRL RTTY ... 6 WPX RTTY).
std::string writeRtty(const std::vector<ForeignContact>& contacts, int contest = 1);

// The day number of a date (1 January 1901 is day 1).
int dayNumber(int year, int month, int day);

// A writer by its format's name (ct, dxbase, easydx, logview, logmaster,
// hyperlog, pakratt, rtty); null for another name.
using ForeignWriter = std::string (*)(const std::vector<ForeignContact>&);
ForeignWriter writerFor(const std::string& format);

// `count` contacts of many calls, bands and modes, every one importable.
std::vector<ForeignContact> sampleContacts(long count);

}  // namespace ksimport::writers

#endif
