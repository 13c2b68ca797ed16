#include "dbaselayout.h"

namespace ksimport {
namespace {

using U = DbaseUse;

// DXLog: call and country prefix first, the date at position 4, the remarks
// in two parts (15, then 13) and the DXCC credit flags at 16-18.
constexpr DbaseColumn kDxLog[] = {
    {"CALL", 'C', 14, 0, U::Call},          {"PREFIX", 'C', 5, 0, U::Prefix},
    {"STATE", 'C', 2, 0, U::State},         {"CQZONE", 'N', 2, 0, U::CqZone},
    {"QSODATE", 'D', 8, 0, U::Date},        {"TIME", 'C', 5, 0, U::Time},
    {"FREQ", 'N', 10, 4, U::Freq},          {"MODE", 'C', 6, 0, U::Mode},
    {"RSTSENT", 'C', 3, 0, U::RstSent},     {"RSTRCVD", 'C', 3, 0, U::RstRcvd},
    {"QSLRCVD", 'L', 1, 0, U::QslRcvd},     {"QSLVIA", 'C', 14, 0, U::Ignored},
    {"QSLSENT", 'L', 1, 0, U::QslSent},     {"NOTES2", 'C', 16, 0, U::RemarksMore},
    {"NAME", 'C', 10, 0, U::Name},          {"NOTES", 'C', 16, 0, U::Remarks},
    {"DXCC", 'L', 1, 0, U::DxccFlag},       {"DXCCMODE", 'L', 1, 0, U::DxccModeFlag},
    {"DXCCBAND", 'L', 1, 0, U::DxccBandFlag}, {"QTH", 'C', 20, 0, U::City},
    {"POWER", 'C', 4, 0, U::Power},         {"GRID", 'C', 6, 0, U::Grid},
};

// DX Desktop: the date first.
constexpr DbaseColumn kDxDesktop[] = {
    {"QSO_DATE", 'D', 8, 0, U::Date},       {"TIME_ON", 'C', 4, 0, U::Time},
    {"CALL", 'C', 14, 0, U::Call},          {"PREFIX", 'C', 5, 0, U::Prefix},
    {"FREQ", 'N', 10, 4, U::Freq},          {"MODE", 'C', 6, 0, U::Mode},
    {"RST_SENT", 'C', 3, 0, U::RstSent},    {"RST_RCVD", 'C', 3, 0, U::RstRcvd},
    {"NAME", 'C', 10, 0, U::Name},          {"QTH", 'C', 20, 0, U::City},
    {"STATE", 'C', 2, 0, U::State},         {"CQZ", 'N', 2, 0, U::CqZone},
    {"ITUZ", 'N', 2, 0, U::ItuZone},        {"QSL_SENT", 'L', 1, 0, U::QslSent},
    {"QSL_RCVD", 'L', 1, 0, U::QslRcvd},    {"POWER", 'C', 4, 0, U::Power},
    {"GRID", 'C', 6, 0, U::Grid},           {"COMMENT", 'C', 32, 0, U::Remarks},
    {"DXCC", 'L', 1, 0, U::DxccFlag},
};

// LogPlus!: the date first, the card's date as the second date field (18).
constexpr DbaseColumn kLogPlus[] = {
    {"DATE", 'D', 8, 0, U::Date},           {"TIME", 'C', 4, 0, U::Time},
    {"CALL", 'C', 14, 0, U::Call},          {"FREQ", 'N', 10, 4, U::Freq},
    {"MODE", 'C', 6, 0, U::Mode},           {"SENT", 'C', 3, 0, U::RstSent},
    {"RCVD", 'C', 3, 0, U::RstRcvd},        {"NAME", 'C', 10, 0, U::Name},
    {"QTH", 'C', 20, 0, U::City},           {"STATE", 'C', 2, 0, U::State},
    {"PREFIX", 'C', 5, 0, U::Prefix},       {"CQZONE", 'N', 2, 0, U::CqZone},
    {"ITUZONE", 'N', 2, 0, U::ItuZone},     {"POWER", 'C', 4, 0, U::Power},
    {"GRID", 'C', 6, 0, U::Grid},           {"QSL_SENT", 'L', 1, 0, U::QslSent},
    {"QSL_RCVD", 'L', 1, 0, U::QslRcvd},    {"REMARKS", 'C', 32, 0, U::Remarks},
    {"QSL_DATE", 'D', 8, 0, U::QslDate},
};

// Q6QB 2nd Op: the call first, the date second.
constexpr DbaseColumn kSecondOp[] = {
    {"CALL", 'C', 14, 0, U::Call},          {"DATE", 'D', 8, 0, U::Date},
    {"TIME", 'C', 4, 0, U::Time},           {"FREQ", 'N', 10, 4, U::Freq},
    {"MODE", 'C', 6, 0, U::Mode},           {"RST_S", 'C', 3, 0, U::RstSent},
    {"RST_R", 'C', 3, 0, U::RstRcvd},       {"PREFIX", 'C', 5, 0, U::Prefix},
    {"CQ_ZONE", 'N', 2, 0, U::CqZone},      {"STATE", 'C', 2, 0, U::State},
    {"NAME", 'C', 10, 0, U::Name},          {"QTH", 'C', 20, 0, U::City},
    {"QSL_S", 'L', 1, 0, U::QslSent},       {"QSL_R", 'L', 1, 0, U::QslRcvd},
    {"REMARKS", 'C', 32, 0, U::Remarks},
};

constexpr DbaseLayout kLayouts[] = {
    {DbaseFormat::DxLog, "DXLog", kDxLog},
    {DbaseFormat::DxDesktop, "DX Desktop", kDxDesktop},
    {DbaseFormat::LogPlus, "LogPlus!", kLogPlus},
    {DbaseFormat::SecondOp, "Q6QB 2nd Op", kSecondOp},
};

}  // namespace

const DbaseLayout& dbaseLayout(DbaseFormat format) {
  for (const DbaseLayout& layout : kLayouts)
    if (layout.format == format) return layout;
  return kLayouts[0];
}

}  // namespace ksimport
