// Where each foreign logger's file keeps what: the one place that says it,
// read by the importers and by the writers of tools/. docs/formats.md
// describes the same layouts for people checking their files.
#ifndef KESTREL_IMPORT_FOREIGNLAYOUT_H
#define KESTREL_IMPORT_FOREIGNLAYOUT_H

#include <cstddef>

namespace ksimport::layout {

// A stretch of a fixed-column line or a fixed record: first byte and width.
struct Zone {
  std::size_t at;
  std::size_t width;
};

// DXBase ".SDF": one contact a line, fixed columns counted from 0.
namespace dxbase {
inline constexpr Zone kCall{0, 11}, kCountry{11, 4}, kZone{15, 2}, kBand{17, 2}, kMode{19, 1},
    kQslRcvd{20, 1}, kYear{21, 2}, kMonth{23, 2}, kDay{25, 2}, kHours{27, 2}, kMinutes{29, 2},
    kRstRcvd{31, 3}, kRstSent{34, 3}, kRemarks{38, 30}, kPower{91, 4};
inline constexpr std::size_t kLineWidth = 95;
}  // namespace dxbase

// PakRatt: one contact a line, fixed columns counted from 0.
namespace pakratt {
inline constexpr Zone kCall{0, 10}, kName{10, 10}, kRstSent{35, 3}, kRstRcvd{38, 3},
    kCity{41, 20}, kTime{66, 5}, kDate{76, 8}, kFreq{86, 10}, kMode{96, 10}, kPower{106, 4},
    kQslRcvd{116, 1}, kQslSent{117, 1}, kRemarks{118, 32};
inline constexpr std::size_t kLineWidth = 150;
}  // namespace pakratt

// HyperLog ".TXT": 19 comma-separated fields a line, in this order.
namespace hyperlog {
inline constexpr int kDate = 0, kTime = 1, kCall = 2, kRstSent = 3, kRstRcvd = 4, kBand = 5,
                     kFreq = 6, kMode = 7, kPower = 8, kName = 9, kCity = 10, kRemarks = 11,
                     kQslSent = 14, kQslRcvd = 15, kZone = 16, kQth = 17, kPrefix = 18;
inline constexpr int kFields = 19;
// Characters kept of each field.
// The mode is read whole: the mode table names it before it is cut to four.
inline constexpr int kKept[kFields] = {8, 5, 14, 3, 3, 4, 13, 24, 4, 10, 20, 32, 0, 0, 1, 1, 2, 20, 5};
}  // namespace hyperlog

// CT ".RES": blank-separated tokens. With an 8-character date the tokens are
// number, frequency or band, date, time, call, received report, exchange;
// with a 9-character date ("DD-Mon-YY") a mode token comes before the date
// and the rest stand one later.
namespace ct {
inline constexpr int kFrequency = 1, kDate = 2, kTime = 3, kCall = 4, kReport = 5,
                     kExchange = 6;
inline constexpr int kLongMode = 2;  // the mode token of the long-date form
inline constexpr int kMaxTokens = 20;
inline constexpr int kTokenKept = 19;
}  // namespace ct

// Easy-DX ".DAT": an 85-byte block, then 68-byte records of ten slots, each
// a length byte and up to width - 1 characters.
namespace easydx {
inline constexpr std::size_t kLeadBlock = 85, kRecordSize = 68, kSlots = 10;
inline constexpr std::size_t kSlotWidth[kSlots] = {6, 13, 7, 5, 4, 4, 4, 4, 2, 2};
inline constexpr int kCall = 1, kDate = 2, kTime = 3, kBand = 4, kMode = 5, kRstSent = 6,
                     kRstRcvd = 7, kQslSent = 8, kQslRcvd = 9;
}  // namespace easydx

// Log View ".LGS": a 24-byte header, then 228-byte records. Each text runs
// from its offset to the first NUL within its zone (blanks at its end do
// not count) and is cut to the characters kept.
namespace logview {
inline constexpr std::size_t kHeaderSize = 24, kRecordSize = 228;
struct Field {
  Zone zone;
  std::size_t kept;
};
inline constexpr Field kYear{{6, 2}, 2}, kMonth{{8, 2}, 2}, kDay{{10, 2}, 2}, kHours{{12, 2}, 2},
    kMinutes{{14, 2}, 2}, kCall{{24, 12}, 14}, kRstSent{{36, 4}, 3}, kRstRcvd{{40, 4}, 3},
    kMode{{44, 8}, 4}, kFreq{{52, 14}, 10}, kName{{66, 12}, 10}, kCity{{78, 40}, 20},
    kRemarks{{118, 40}, 32}, kPower{{158, 5}, 4}, kQslRcvd{{163, 4}, 1}, kQslSent{{167, 44}, 1},
    kState{{211, 17}, 2};
}  // namespace logview

// LogMaster ".DB": a 4-byte lead whose first two bytes give the first body's
// length, then bodies of NUL-ended texts, each followed by the next body's
// 2-byte length (low byte first). The first body is the header.
namespace logmaster {
inline constexpr std::size_t kLeadSize = 4, kMaxBody = 512;
inline constexpr int kMonth = 0, kDay = 1, kYear = 2, kHours = 3, kMinutes = 4, kCall = 7,
                     kQth = 8, kState = 9, kFreq = 17, kMode = 18, kPower = 19, kRstSent = 20,
                     kRstRcvd = 21, kName = 22, kCity = 24, kQslSent = 28, kQslRcvd = 31;
inline constexpr int kTexts = 32;
}  // namespace logmaster

// RTTY by Q1QA ".BIN": 87-byte records, the first a header. Numbers are
// little-endian. Texts are a length byte and up to `width - 1` characters.
namespace rtty {
inline constexpr std::size_t kRecordSize = 87;
inline constexpr std::size_t kKind = 2, kContest = 3, kDay = 4, kSeconds = 6, kBand = 10;
inline constexpr Zone kCall{12, 15}, kCountry{27, 6}, kRstSent{33, 4}, kRstRcvd{37, 4},
    kExchange{41, 11};
inline constexpr unsigned char kContactKind = 1;
// What the header record starts with when our writer made the file; the
// importer skips the header whatever it holds.
inline constexpr char kHeaderMagic[] = "Q1QA RTTY LOG";
}  // namespace rtty

}  // namespace ksimport::layout

#endif
