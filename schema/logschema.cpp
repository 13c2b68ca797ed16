// The schema tables of the logbook and the reference databases. Each table
// is checked against the record structs of logschema.h: offsets and widths
// come from the structs themselves.
#include "logschema.h"

namespace {

using recdb::FieldDef;
using recdb::FieldType;
using recdb::KeyKind;
using recdb::RecordDef;
using recdb::SchemaDef;

#define KS_FIELD(record, number, member, kind)                                           \
  FieldDef {                                                                             \
    number, #member, static_cast<std::uint16_t>(offsetof(record, member)),               \
        static_cast<std::uint16_t>(sizeof(record::member)), FieldType::kind              \
  }

constexpr FieldDef key(FieldDef field, KeyKind kind, std::uint8_t file, bool optional = false) {
  field.key = kind;
  field.keyFile = file;
  field.optional = optional;
  return field;
}

constexpr FieldDef compound(long number, const char* name, long first, long second,
                            std::uint16_t width, KeyKind kind, std::uint8_t file,
                            bool optional = false) {
  FieldDef field{number, name, 0, width, FieldType::Compound, kind, optional, file, {first, second}};
  return field;
}

constexpr KeyKind kDup = KeyKind::Duplicate;
constexpr KeyKind kUnique = KeyKind::Unique;

// --- logbook --------------------------------------------------------------

constexpr RecordDef logRecords[] = {
    {kLogRecordType, "LogRecord", sizeof(LogRecord), kLogFileDat},
    {kLogHeaderType, "LogHeader", sizeof(LogHeader), kLogFileDa1},
    {kCountryTallyType, "CountryTally", sizeof(CountryTally), kLogFileDa1},
    {kZoneTallyType, "ZoneTally", sizeof(ZoneTally), kLogFileDa1},
    {kStateTallyType, "StateTally", sizeof(StateTally), kLogFileDa1},
    {kReservedType, "Reserved", 4, kLogFileDa1},
    {kGridTallyType, "GridTally", sizeof(GridTally), kLogFileDa1},
};

constexpr FieldDef logFields[] = {
    KS_FIELD(LogRecord, 0, call, Text),
    KS_FIELD(LogRecord, 1, date, Text),
    key(KS_FIELD(LogRecord, 2, julianDay, Int32), kDup, kLogFileKey),
    KS_FIELD(LogRecord, 3, time, Text),
    KS_FIELD(LogRecord, 4, satId, Text),
    key(KS_FIELD(LogRecord, 5, mode, Text), kDup, kLogFileKey),
    KS_FIELD(LogRecord, 6, freq, Text),
    KS_FIELD(LogRecord, 7, rstRcvd, Text),
    KS_FIELD(LogRecord, 8, rstSent, Text),
    KS_FIELD(LogRecord, 9, power, Text),
    KS_FIELD(LogRecord, 10, name, Text),
    KS_FIELD(LogRecord, 11, city, Text),
    KS_FIELD(LogRecord, 12, qth, Text),
    KS_FIELD(LogRecord, 13, remarks, Text),
    KS_FIELD(LogRecord, 14, qslSent, Text),
    KS_FIELD(LogRecord, 15, qslRcvd, Text),
    KS_FIELD(LogRecord, 16, qslDate, Text),
    key(KS_FIELD(LogRecord, 17, prefix, Text), kDup, kLogFileKey),
    KS_FIELD(LogRecord, 18, continent, Text),
    key(KS_FIELD(LogRecord, 19, state, Text), kDup, kLogFileK02, true),
    key(KS_FIELD(LogRecord, 20, grid, Text), kDup, kLogFileK02, true),
    KS_FIELD(LogRecord, 21, spare, Binary),
    key(KS_FIELD(LogRecord, 22, cqZone, UInt16), kDup, kLogFileKey),
    KS_FIELD(LogRecord, 23, ituZone, UInt16),
    key(KS_FIELD(LogRecord, 24, band, UInt16), kDup, kLogFileKey),
    KS_FIELD(LogRecord, 25, dxccFlag, Byte),
    KS_FIELD(LogRecord, 26, dxccModeFlag, Byte),
    KS_FIELD(LogRecord, 27, dxccBandFlag, Byte),
    KS_FIELD(LogRecord, 28, cqFlag, Byte),
    KS_FIELD(LogRecord, 29, cqModeFlag, Byte),
    KS_FIELD(LogRecord, 30, cqBandFlag, Byte),
    KS_FIELD(LogRecord, 31, wasFlag, Byte),
    KS_FIELD(LogRecord, 32, wasModeFlag, Byte),
    KS_FIELD(LogRecord, 33, wasBandFlag, Byte),
    KS_FIELD(LogRecord, 34, vuccFlag, Byte),
    KS_FIELD(LogRecord, 35, uscaFlag, Byte),
    KS_FIELD(LogRecord, 36, satFlag, Byte),
    key(KS_FIELD(LogRecord, 37, iotaCode, Int16), kDup, kLogFileKey),
    key(KS_FIELD(LogRecord, 38, countyNumber, Int32), kDup, kLogFileK02, true),
    KS_FIELD(LogRecord, 39, iotaFlag, Byte),
    key(KS_FIELD(LogRecord, 40, tagged, Byte), kDup, kLogFileK02, true),
    KS_FIELD(LogRecord, 41, spare4, Binary),
    compound(42, "bandPrefix", 24, 17, 2 + 6, kDup, kLogFileK01),
    compound(43, "bandZone", 24, 22, 2 + 2, kDup, kLogFileK01),
    compound(44, "bandState", 24, 19, 2 + 3, kDup, kLogFileK02, true),
    compound(45, "bandGrid", 24, 20, 2 + 7, kDup, kLogFileK02, true),
    compound(46, "prefixMode", 17, 5, 6 + 5, kDup, kLogFileK01),
    compound(47, "zoneMode", 22, 5, 2 + 5, kDup, kLogFileK01),
    compound(48, "stateMode", 19, 5, 3 + 5, kDup, kLogFileK02, true),

    key(KS_FIELD(LogHeader, 1000, marker, Text), kUnique, kLogFileK02),
    KS_FIELD(LogHeader, 1001, text1, Text),
    KS_FIELD(LogHeader, 1002, text2, Text),
    KS_FIELD(LogHeader, 1003, text3, Text),
    KS_FIELD(LogHeader, 1004, text4, Text),
    KS_FIELD(LogHeader, 1005, value1, Int16),
    KS_FIELD(LogHeader, 1006, value2, Int16),
    KS_FIELD(LogHeader, 1007, value3, Int32),
    KS_FIELD(LogHeader, 1008, value4, Int16),
    KS_FIELD(LogHeader, 1009, value5, Int16),
    KS_FIELD(LogHeader, 1010, value6, Int16),
    KS_FIELD(LogHeader, 1011, value7, Int16),
    KS_FIELD(LogHeader, 1012, value8, Int16),

    key(KS_FIELD(CountryTally, 2000, prefix, Text), kUnique, kLogFileK02),
    KS_FIELD(CountryTally, 2001, status, Text),
    KS_FIELD(CountryTally, 2002, awardFlags, Binary),
    KS_FIELD(CountryTally, 2003, bandWorked, Binary),
    KS_FIELD(CountryTally, 2004, bandConfirmed, Binary),

    key(KS_FIELD(ZoneTally, 3000, zone, Int16), kUnique, kLogFileK02),
    KS_FIELD(ZoneTally, 3001, awardFlags, Binary),
    KS_FIELD(ZoneTally, 3002, bandWorked, Binary),
    KS_FIELD(ZoneTally, 3003, bandConfirmed, Binary),

    key(KS_FIELD(StateTally, 4000, state, Text), kUnique, kLogFileK02),
    KS_FIELD(StateTally, 4001, awardFlags, Binary),
    KS_FIELD(StateTally, 4002, bandWorked, Binary),
    KS_FIELD(StateTally, 4003, bandConfirmed, Binary),

    FieldDef{5000, "reserved", 0, 4, FieldType::Binary},

    key(KS_FIELD(GridTally, 6000, grid, Text), kUnique, kLogFileK02),
    KS_FIELD(GridTally, 6001, bandWorked, Binary),
    KS_FIELD(GridTally, 6002, bandConfirmed, Binary),
};

// --- reference databases -----------------------------------------------------

constexpr RecordDef countryRecords[] = {
    {kCountryRecordType, "CountryRecord", sizeof(CountryRecord), 0}};
constexpr FieldDef countryFields[] = {
    key(KS_FIELD(CountryRecord, 0, prefix, Text), kUnique, 1),
    KS_FIELD(CountryRecord, 1, name, Text),
    KS_FIELD(CountryRecord, 2, continent, Text),
    KS_FIELD(CountryRecord, 3, latitude, Text),
    KS_FIELD(CountryRecord, 4, longitude, Text),
    KS_FIELD(CountryRecord, 5, cqZone, Int16),
    KS_FIELD(CountryRecord, 6, ituZone, Int16),
    KS_FIELD(CountryRecord, 7, status, Text),
    KS_FIELD(CountryRecord, 8, date, Text),
    KS_FIELD(CountryRecord, 9, prefixList, Text),
};

constexpr RecordDef iotaRecords[] = {{kIotaRecordType, "IotaRecord", sizeof(IotaRecord), 0}};
constexpr FieldDef iotaFields[] = {
    key(KS_FIELD(IotaRecord, 0, prefix, Text), kDup, 1),
    KS_FIELD(IotaRecord, 1, name, Text),
    KS_FIELD(IotaRecord, 2, continent, Text),
    KS_FIELD(IotaRecord, 3, latitude, Text),
    KS_FIELD(IotaRecord, 4, longitude, Text),
    KS_FIELD(IotaRecord, 5, cqZone, Int16),
    KS_FIELD(IotaRecord, 6, ituZone, Int16),
    KS_FIELD(IotaRecord, 7, status, Text),
    KS_FIELD(IotaRecord, 8, date, Text),
    KS_FIELD(IotaRecord, 9, prefixList, Text),
    key(KS_FIELD(IotaRecord, 10, iotaNumber, Text), kDup, 1),
    KS_FIELD(IotaRecord, 11, groupFlag, Text),
    KS_FIELD(IotaRecord, 12, pad, Binary),
};

constexpr RecordDef qslRecords[] = {
    {kQslManagerRecordType, "QslManagerRecord", sizeof(QslManagerRecord), 0}};
constexpr FieldDef qslFields[] = {
    key(KS_FIELD(QslManagerRecord, 0, call, Text), kUnique, 1),
    KS_FIELD(QslManagerRecord, 1, via, Text),
    KS_FIELD(QslManagerRecord, 2, name, Text),
    KS_FIELD(QslManagerRecord, 3, address1, Text),
    KS_FIELD(QslManagerRecord, 4, address2, Text),
    KS_FIELD(QslManagerRecord, 5, address3, Text),
    KS_FIELD(QslManagerRecord, 6, comment, Text),
};

constexpr RecordDef countyRecords[] = {
    {kCountyRecordType, "CountyRecord", sizeof(CountyRecord), 0}};
constexpr FieldDef countyFields[] = {
    KS_FIELD(CountyRecord, 0, state, Text),
    KS_FIELD(CountyRecord, 1, county, Text),
    compound(2, "stateCounty", 0, 1, 2 + 32, kUnique, 1),
};

#undef KS_FIELD

constexpr std::array<const char*, recdb::kFileSlots> kLogSlots = {".DAT", ".KEY", ".K01", ".DA1",
                                                                  ".K02"};
constexpr std::array<const char*, recdb::kFileSlots> kRefSlots = {".DAT", ".KEY", "", "", ""};

const SchemaDef logbookSchema{"LOGBOOK", logRecords, logFields, kLogSlots};
const SchemaDef countrySchema{"COUNTRY", countryRecords, countryFields, kRefSlots};
const SchemaDef iotaSchema{"IOTA", iotaRecords, iotaFields, kRefSlots};
const SchemaDef qslSchema{"QSLMGR", qslRecords, qslFields, kRefSlots};
const SchemaDef countySchema{"USCOUNTY", countyRecords, countyFields, kRefSlots};

}  // namespace

namespace logschema {
const recdb::SchemaDef& logbook() { return logbookSchema; }
const recdb::SchemaDef& country() { return countrySchema; }
const recdb::SchemaDef& iota() { return iotaSchema; }
const recdb::SchemaDef& qslManager() { return qslSchema; }
const recdb::SchemaDef& county() { return countySchema; }
}  // namespace logschema
