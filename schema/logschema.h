// Record layouts of the logbook and the reference databases, the record
// types, and the field numbers the key operations take.
//
// Every record is a packed little-endian struct whose bytes are exactly what
// the engine stores. Texts are NUL-terminated and zero-padded; clear a
// buffer (`= {}`) before filling it. Record types are 10000 + n, field
// numbers 1000 x n + m where m counts the record's fields in order, compound
// keys after the data fields.
#ifndef KESTREL_SCHEMA_LOGSCHEMA_H
#define KESTREL_SCHEMA_LOGSCHEMA_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "recdb/recdb.h"

// ---------------------------------------------------------------------------
// Logbook: six files, "<name>.DBD" and the five below by file number.

inline constexpr int kLogFileDat = 0;  // ".DAT": contacts
inline constexpr int kLogFileKey = 1;  // ".KEY": automatic keys of contacts
inline constexpr int kLogFileK01 = 2;  // ".K01": compound keys of contacts
inline constexpr int kLogFileDa1 = 3;  // ".DA1": header and tallies
inline constexpr int kLogFileK02 = 4;  // ".K02": optional keys, header and tally keys

// The order in which a new logbook's files are emptied with dbInitFile.
inline constexpr int kLogInitOrder[5] = {0, 1, 2, 4, 3};

// Skeletons in the dictionary directory, in the order ".DBD", ".DAT",
// ".DA1", ".KEY", ".K01", ".K02".
inline constexpr const char* kLogSkeletons[6] = {"LOGDBD.SKL", "LOGDAT.SKL", "LOGDA1.SKL",
                                                 "LOGKEY.SKL", "LOGK01.SKL", "LOGK02.SKL"};
inline constexpr const char* kLogExtensions[6] = {".DBD", ".DAT", ".DA1",
                                                  ".KEY", ".K01", ".K02"};

inline constexpr int kLogRecordType = 10000;
inline constexpr int kLogHeaderType = 10001;
inline constexpr int kCountryTallyType = 10002;
inline constexpr int kZoneTallyType = 10003;
inline constexpr int kStateTallyType = 10004;
inline constexpr int kReservedType = 10005;  // named by nothing; keeps the numbering
inline constexpr int kGridTallyType = 10006;

#pragma pack(push, 1)

// One contact.
struct LogRecord {
  char call[15];
  char date[9];
  std::int32_t julianDay;
  char time[6];
  char satId[6];
  char mode[5];
  char freq[14];
  char rstRcvd[4];
  char rstSent[4];
  char power[5];
  char name[11];
  char city[21];
  char qth[21];
  char remarks[33];
  char qslSent[2];
  char qslRcvd[2];
  char qslDate[9];
  char prefix[6];
  char continent[4];
  char state[3];
  char grid[7];
  char spare[9];
  std::uint16_t cqZone;
  std::uint16_t ituZone;
  std::uint16_t band;
  std::uint8_t dxccFlag;
  std::uint8_t dxccModeFlag;
  std::uint8_t dxccBandFlag;
  std::uint8_t cqFlag;
  std::uint8_t cqModeFlag;
  std::uint8_t cqBandFlag;
  std::uint8_t wasFlag;
  std::uint8_t wasModeFlag;
  std::uint8_t wasBandFlag;
  std::uint8_t vuccFlag;
  std::uint8_t uscaFlag;
  std::uint8_t satFlag;
  std::int16_t iotaCode;
  std::int32_t countyNumber;
  std::uint8_t iotaFlag;
  std::uint8_t tagged;
  char spare4[2];
};

// The logbook's one header record, found by field 1000 = "XXX". What the
// main program keeps in the texts and numbers is its own; newLogHeader()
// gives the values a new logbook starts with.
struct LogHeader {
  char marker[4];
  char text1[40];
  char text2[40];
  char text3[20];
  char text4[20];
  std::int16_t value1;  // 3 when created
  std::int16_t value2;
  std::int32_t value3;
  std::int16_t value4;  // 2 when created
  std::int16_t value5;
  std::int16_t value6;
  std::int16_t value7;
  std::int16_t value8;
};

// Award tallies: five pairs of status bytes (worked, confirmed) for all
// modes, CW, phone, FSK and satellite, whose first bytes the detail reports
// read as needed flags; then worked and confirmed counters per band position.
struct CountryTally {
  char prefix[8];
  char status[2];
  std::uint8_t awardFlags[10];
  std::int16_t bandWorked[14];
  std::int16_t bandConfirmed[14];
};

struct ZoneTally {
  std::int16_t zone;
  std::uint8_t awardFlags[10];
  std::int16_t bandWorked[14];
  std::int16_t bandConfirmed[14];
};

struct StateTally {
  char state[4];
  std::uint8_t awardFlags[10];
  std::int16_t bandWorked[14];
  std::int16_t bandConfirmed[14];
};

struct GridTally {
  char grid[6];
  std::int16_t bandWorked[14];
  std::int16_t bandConfirmed[14];
};

// ---------------------------------------------------------------------------
// Reference databases: "COUNTRY", "IOTA", "QSLMGR" and "USCOUNTY", two files
// each (".DAT" and ".KEY"), one record type 10000 each.

inline constexpr int kCountryRecordType = 10000;
inline constexpr int kIotaRecordType = 10000;
inline constexpr int kQslManagerRecordType = 10000;
inline constexpr int kCountyRecordType = 10000;

// One country (DXCC entity). The first 52 bytes are the country head.
struct CountryRecord {
  char prefix[7];
  char name[21];
  char continent[4];
  char latitude[8];   // D.MM with N or S, as 40.45N
  char longitude[8];  // D.MM with E or W
  std::int16_t cqZone;
  std::int16_t ituZone;
  char status[2];  // "A" active, "D" deleted, "I" searchable but not counted
  char date[9];    // MM-DD-YY; "01-01-01" = none
  char prefixList[512];
};
inline constexpr std::size_t kCountryHeadSize = 52;

// One island group: the country fields, then the IOTA number and group flag.
struct IotaRecord {
  char prefix[7];
  char name[21];
  char continent[4];
  char latitude[8];
  char longitude[8];
  std::int16_t cqZone;
  std::int16_t ituZone;
  char status[2];
  char date[9];
  char prefixList[512];
  char iotaNumber[8];  // as EU-005
  char groupFlag[2];
  char pad[1];
};

struct QslManagerRecord {
  char call[15];
  char via[15];
  char name[40];
  char address1[40];
  char address2[40];
  char address3[40];
  char comment[78];
};

// One US county. The state code has no terminator of its own, so that the
// county key (field 2) is the state code followed directly by the county
// name, as "MAMIDDLESEX"; read the state with "%.2s".
struct CountyRecord {
  char state[2];
  char county[32];  // upper case, without "County", "Parish" ...
};

#pragma pack(pop)

// ---------------------------------------------------------------------------
// Field numbers. Fields not listed are reachable by their number alone.

namespace logfield {
// LogRecord (type 10000): every field by position.
inline constexpr long kCall = 0, kDate = 1, kJulianDay = 2, kTime = 3, kSatId = 4, kMode = 5,
                      kFreq = 6, kRstRcvd = 7, kRstSent = 8, kPower = 9, kName = 10, kCity = 11,
                      kQth = 12, kRemarks = 13, kQslSent = 14, kQslRcvd = 15, kQslDate = 16,
                      kPrefix = 17, kContinent = 18, kState = 19, kGrid = 20, kSpare = 21,
                      kCqZone = 22, kItuZone = 23, kBand = 24, kDxccFlag = 25,
                      kDxccModeFlag = 26, kDxccBandFlag = 27, kCqFlag = 28, kCqModeFlag = 29,
                      kCqBandFlag = 30, kWasFlag = 31, kWasModeFlag = 32, kWasBandFlag = 33,
                      kVuccFlag = 34, kUscaFlag = 35, kSatFlag = 36, kIotaCode = 37,
                      kCountyNumber = 38, kIotaFlag = 39, kTagged = 40, kSpare4 = 41;
// Compound keys of LogRecord.
inline constexpr long kBandPrefix = 42;  // band, prefix: automatic
inline constexpr long kBandZone = 43;    // band, cqZone: automatic
inline constexpr long kBandState = 44;   // band, state: optional
inline constexpr long kBandGrid = 45;    // band, grid: optional
inline constexpr long kPrefixMode = 46;  // prefix, mode: automatic
inline constexpr long kZoneMode = 47;    // cqZone, mode: automatic
inline constexpr long kStateMode = 48;   // state, mode: optional

// Keys that dbRecordCreate and dbRecordWrite keep for every contact.
inline constexpr long kAutomaticKeys[10] = {kJulianDay, kMode,      kPrefix,     kCqZone,
                                            kBand,      kIotaCode,  kBandPrefix, kBandZone,
                                            kPrefixMode, kZoneMode};
// Keys a contact is in only when stored with dbKeyStore.
inline constexpr long kOptionalKeys[7] = {kState, kGrid,      kCountyNumber, kTagged,
                                          kBandState, kBandGrid, kStateMode};

// Keys of the other logbook records (unique, automatic).
inline constexpr long kHeaderMarker = 1000;   // LogHeader.marker, "XXX"
inline constexpr long kCountryTallyPrefix = 2000;
inline constexpr long kZoneTallyZone = 3000;
inline constexpr long kStateTallyState = 4000;
inline constexpr long kGridTallyGrid = 6000;
}  // namespace logfield

namespace reffield {
inline constexpr long kCountryPrefix = 0;  // COUNTRY: unique
inline constexpr long kIotaPrefix = 0;     // IOTA: duplicates allowed
inline constexpr long kIotaNumber = 10;    // IOTA: duplicates allowed ("00000")
inline constexpr long kQslCall = 0;        // QSLMGR: unique
inline constexpr long kCountyKey = 2;      // USCOUNTY: state + county, unique
}  // namespace reffield

// A new logbook's header.
inline LogHeader newLogHeader() {
  LogHeader header{};
  header.marker[0] = header.marker[1] = header.marker[2] = 'X';
  header.value1 = 3;
  header.value4 = 2;
  return header;
}

// ---------------------------------------------------------------------------
// The schemas, compiled into dictionaries by the skeleton writer.

namespace logschema {
const recdb::SchemaDef& logbook();
const recdb::SchemaDef& country();
const recdb::SchemaDef& iota();
const recdb::SchemaDef& qslManager();
const recdb::SchemaDef& county();

// Writes the six logbook skeletons ("LOGDBD.SKL" ...) into the dictionary
// directory `dictDir`, replacing older ones (they hold no data). Returns a
// result of recdb/recdb.h, with a message in `error`.
int writeLogbookSkeletons(const std::string& dictDir, std::string& error);

// Creates the empty reference database `name` ("COUNTRY" ...) of `schema` in
// `dictDir`; refuses (RECDB_E_BUSY) when any of its files exists.
int writeReferenceDatabase(const recdb::SchemaDef& schema, const std::string& dictDir,
                           const std::string& name, std::string& error);
}  // namespace logschema

// ---------------------------------------------------------------------------
// Layout checks.

#define KS_AT(type, field, offset) static_assert(offsetof(type, field) == (offset))

static_assert(sizeof(LogRecord) == 228);
KS_AT(LogRecord, call, 0);
KS_AT(LogRecord, date, 15);
KS_AT(LogRecord, julianDay, 24);
KS_AT(LogRecord, time, 28);
KS_AT(LogRecord, satId, 34);
KS_AT(LogRecord, mode, 40);
KS_AT(LogRecord, freq, 45);
KS_AT(LogRecord, rstRcvd, 59);
KS_AT(LogRecord, rstSent, 63);
KS_AT(LogRecord, power, 67);
KS_AT(LogRecord, name, 72);
KS_AT(LogRecord, city, 83);
KS_AT(LogRecord, qth, 104);
KS_AT(LogRecord, remarks, 125);
KS_AT(LogRecord, qslSent, 158);
KS_AT(LogRecord, qslRcvd, 160);
KS_AT(LogRecord, qslDate, 162);
KS_AT(LogRecord, prefix, 171);
KS_AT(LogRecord, continent, 177);
KS_AT(LogRecord, state, 181);
KS_AT(LogRecord, grid, 184);
KS_AT(LogRecord, spare, 191);
KS_AT(LogRecord, cqZone, 200);
KS_AT(LogRecord, ituZone, 202);
KS_AT(LogRecord, band, 204);
KS_AT(LogRecord, dxccFlag, 206);
KS_AT(LogRecord, dxccModeFlag, 207);
KS_AT(LogRecord, dxccBandFlag, 208);
KS_AT(LogRecord, cqFlag, 209);
KS_AT(LogRecord, cqModeFlag, 210);
KS_AT(LogRecord, cqBandFlag, 211);
KS_AT(LogRecord, wasFlag, 212);
KS_AT(LogRecord, wasModeFlag, 213);
KS_AT(LogRecord, wasBandFlag, 214);
KS_AT(LogRecord, vuccFlag, 215);
KS_AT(LogRecord, uscaFlag, 216);
KS_AT(LogRecord, satFlag, 217);
KS_AT(LogRecord, iotaCode, 218);
KS_AT(LogRecord, countyNumber, 220);
KS_AT(LogRecord, iotaFlag, 224);
KS_AT(LogRecord, tagged, 225);
KS_AT(LogRecord, spare4, 226);

static_assert(sizeof(LogHeader) == 142);
KS_AT(LogHeader, marker, 0);
KS_AT(LogHeader, text1, 4);
KS_AT(LogHeader, text2, 44);
KS_AT(LogHeader, text3, 84);
KS_AT(LogHeader, text4, 104);
KS_AT(LogHeader, value1, 124);
KS_AT(LogHeader, value2, 126);
KS_AT(LogHeader, value3, 128);
KS_AT(LogHeader, value4, 132);
KS_AT(LogHeader, value5, 134);
KS_AT(LogHeader, value6, 136);
KS_AT(LogHeader, value7, 138);
KS_AT(LogHeader, value8, 140);

static_assert(sizeof(CountryTally) == 76);
KS_AT(CountryTally, prefix, 0);
KS_AT(CountryTally, status, 8);
KS_AT(CountryTally, awardFlags, 10);
KS_AT(CountryTally, bandWorked, 20);
KS_AT(CountryTally, bandConfirmed, 48);

static_assert(sizeof(ZoneTally) == 68);
KS_AT(ZoneTally, zone, 0);
KS_AT(ZoneTally, awardFlags, 2);
KS_AT(ZoneTally, bandWorked, 12);
KS_AT(ZoneTally, bandConfirmed, 40);

static_assert(sizeof(StateTally) == 70);
KS_AT(StateTally, state, 0);
KS_AT(StateTally, awardFlags, 4);
KS_AT(StateTally, bandWorked, 14);
KS_AT(StateTally, bandConfirmed, 42);

static_assert(sizeof(GridTally) == 62);
KS_AT(GridTally, grid, 0);
KS_AT(GridTally, bandWorked, 6);
KS_AT(GridTally, bandConfirmed, 34);

static_assert(sizeof(CountryRecord) == 575);
KS_AT(CountryRecord, prefix, 0);
KS_AT(CountryRecord, name, 7);
KS_AT(CountryRecord, continent, 28);
KS_AT(CountryRecord, latitude, 32);
KS_AT(CountryRecord, longitude, 40);
KS_AT(CountryRecord, cqZone, 48);
KS_AT(CountryRecord, ituZone, 50);
KS_AT(CountryRecord, status, 52);
KS_AT(CountryRecord, date, 54);
KS_AT(CountryRecord, prefixList, 63);

static_assert(sizeof(IotaRecord) == 586);
KS_AT(IotaRecord, prefix, 0);
KS_AT(IotaRecord, name, 7);
KS_AT(IotaRecord, continent, 28);
KS_AT(IotaRecord, latitude, 32);
KS_AT(IotaRecord, longitude, 40);
KS_AT(IotaRecord, cqZone, 48);
KS_AT(IotaRecord, ituZone, 50);
KS_AT(IotaRecord, status, 52);
KS_AT(IotaRecord, date, 54);
KS_AT(IotaRecord, prefixList, 63);
KS_AT(IotaRecord, iotaNumber, 575);
KS_AT(IotaRecord, groupFlag, 583);
KS_AT(IotaRecord, pad, 585);

static_assert(sizeof(QslManagerRecord) == 268);
KS_AT(QslManagerRecord, call, 0);
KS_AT(QslManagerRecord, via, 15);
KS_AT(QslManagerRecord, name, 30);
KS_AT(QslManagerRecord, address1, 70);
KS_AT(QslManagerRecord, address2, 110);
KS_AT(QslManagerRecord, address3, 150);
KS_AT(QslManagerRecord, comment, 190);

static_assert(sizeof(CountyRecord) == 34);
KS_AT(CountyRecord, state, 0);
KS_AT(CountyRecord, county, 2);

#undef KS_AT

#endif
