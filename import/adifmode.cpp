#include "adifmode.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "funct/ksfunct.h"

namespace ksimport {
namespace {

// ADIF 3's modes, each followed by its submodes (older files write many of
// the submodes as a MODE). A word of four characters or fewer for each; the
// words that the classic families did not know were added to them in the
// common function library.
constexpr ModeName kModes[] = {
    // Phone
    {"SSB", "SSB"}, {"USB", "USB"}, {"LSB", "LSB"},
    {"AM", "AM"},
    {"FM", "FM"},
    {"DIGITALVOICE", "DV"}, {"C4FM", "C4FM"}, {"DMR", "DMR"}, {"DSTAR", "DSTR"},
    {"FREEDV", "FDV"}, {"M17", "M17"},
    // CW
    {"CW", "CW"}, {"PCW", "CW"},
    // Pictures
    {"SSTV", "SSTV"},
    {"ATV", "ATV"},
    {"FAX", "FAX"},
    // Teleprinter and data
    {"RTTY", "RTTY"}, {"ASCI", "ASC"},
    {"RTTYM", "RTYM"},
    {"TOR", "AMT"}, {"AMTORFEC", "AMT"}, {"SITORB", "AMT"}, {"GTOR", "GTOR"},
    {"NAVTEX", "NAVT"},
    {"PKT", "PKT"},
    {"PAC", "PAC"}, {"PAC2", "PAC2"}, {"PAC3", "PAC3"}, {"PAC4", "PAC4"},
    {"PAX", "PAX"}, {"PAX2", "PAX"},
    {"CLO", "CLO"},
    {"V4", "V4"},
    {"VOI", "VOI"},
    {"WINMOR", "WINM"},
    {"ARDOP", "ARDP"},
    {"DYNAMIC", "DYN"}, {"VARA HF", "VARA"}, {"VARA SATELLITE", "VARA"},
    {"VARA FM 1200", "VARA"}, {"VARA FM 9600", "VARA"},
    {"FSK", "FSK"}, {"SCAMP_FAST", "SCMP"}, {"SCAMP_SLOW", "SCMP"}, {"SCAMP_VSLOW", "SCMP"},
    {"MTONE", "MTON"}, {"SCAMP_OO", "SCMP"}, {"SCAMP_OO_SLW", "SCMP"},
    {"OFDM", "OFDM"}, {"RIBBIT_PIX", "RBIT"}, {"RIBBIT_SMS", "RBIT"},
    // Phase shift keying
    {"PSK", "PSK"}, {"8PSK125", "PSK"}, {"8PSK125F", "PSK"}, {"8PSK125FL", "PSK"},
    {"8PSK250", "PSK"}, {"8PSK250F", "PSK"}, {"8PSK250FL", "PSK"}, {"8PSK500", "PSK"},
    {"8PSK500F", "PSK"}, {"8PSK1000", "PSK"}, {"8PSK1000F", "PSK"}, {"8PSK1200F", "PSK"},
    {"FSK31", "PSK"}, {"PSK10", "PSK"}, {"PSK31", "PSK"}, {"PSK63", "PSK"},
    {"PSK63F", "PSK"}, {"PSK63RC4", "PSK"}, {"PSK63RC5", "PSK"}, {"PSK63RC10", "PSK"},
    {"PSK63RC20", "PSK"}, {"PSK63RC32", "PSK"}, {"PSK125", "PSK"}, {"PSK125C12", "PSK"},
    {"PSK125R", "PSK"}, {"PSK125RC10", "PSK"}, {"PSK125RC12", "PSK"}, {"PSK125RC16", "PSK"},
    {"PSK125RC4", "PSK"}, {"PSK125RC5", "PSK"}, {"PSK250", "PSK"}, {"PSK250C6", "PSK"},
    {"PSK250R", "PSK"}, {"PSK250RC2", "PSK"}, {"PSK250RC3", "PSK"}, {"PSK250RC5", "PSK"},
    {"PSK250RC6", "PSK"}, {"PSK250RC7", "PSK"}, {"PSK500", "PSK"}, {"PSK500C2", "PSK"},
    {"PSK500C4", "PSK"}, {"PSK500R", "PSK"}, {"PSK500RC2", "PSK"}, {"PSK500RC3", "PSK"},
    {"PSK500RC4", "PSK"}, {"PSK800C2", "PSK"}, {"PSK800RC2", "PSK"}, {"PSK1000", "PSK"},
    {"PSK1000C2", "PSK"}, {"PSK1000R", "PSK"}, {"PSK1000RC2", "PSK"}, {"PSKAM10", "PSK"},
    {"PSKAM31", "PSK"}, {"PSKAM50", "PSK"}, {"PSKFEC31", "PSK"}, {"QPSK31", "PSK"},
    {"QPSK63", "PSK"}, {"QPSK125", "PSK"}, {"QPSK250", "PSK"}, {"QPSK500", "PSK"},
    {"SIM31", "PSK"},
    {"PSK2K", "PSK"},
    // Multi-tone keying and the weak-signal modes
    {"MFSK", "MFSK"}, {"FT4", "FT4"}, {"JS8", "JS8"}, {"Q65", "Q65"}, {"FST4", "FST4"},
    {"FST4W", "FS4W"}, {"FSQCALL", "FSQ"}, {"JTMS", "JTMS"}, {"MFSK4", "MFSK"},
    {"MFSK8", "MFSK"}, {"MFSK11", "MFSK"}, {"MFSK16", "MFSK"}, {"MFSK22", "MFSK"},
    {"MFSK31", "MFSK"}, {"MFSK32", "MFSK"}, {"MFSK64", "MFSK"}, {"MFSK64L", "MFSK"},
    {"MFSK128", "MFSK"}, {"MFSK128L", "MFSK"},
    {"FT8", "FT8"},
    {"JT4", "JT4"}, {"JT4A", "JT4"}, {"JT4B", "JT4"}, {"JT4C", "JT4"}, {"JT4D", "JT4"},
    {"JT4E", "JT4"}, {"JT4F", "JT4"}, {"JT4G", "JT4"},
    {"JT9", "JT9"}, {"JT9-1", "JT9"}, {"JT9-2", "JT9"}, {"JT9-5", "JT9"}, {"JT9-10", "JT9"},
    {"JT9-30", "JT9"}, {"JT9A", "JT9"}, {"JT9B", "JT9"}, {"JT9C", "JT9"}, {"JT9D", "JT9"},
    {"JT9E", "JT9"}, {"JT9E FAST", "JT9"}, {"JT9F", "JT9"}, {"JT9F FAST", "JT9"},
    {"JT9G", "JT9"}, {"JT9G FAST", "JT9"}, {"JT9H", "JT9"}, {"JT9H FAST", "JT9"},
    {"JT65", "JT65"}, {"JT65A", "JT65"}, {"JT65B", "JT65"}, {"JT65B2", "JT65"},
    {"JT65C", "JT65"}, {"JT65C2", "JT65"},
    {"JT6M", "JT6M"},
    {"JT44", "JT44"},
    {"MSK144", "MSK"},
    {"FSK441", "F441"},
    {"ISCAT", "ISCT"}, {"ISCAT-A", "ISCT"}, {"ISCAT-B", "ISCT"},
    {"QRA64", "Q64"}, {"QRA64A", "Q64"}, {"QRA64B", "Q64"}, {"QRA64C", "Q64"},
    {"QRA64D", "Q64"}, {"QRA64E", "Q64"},
    {"Q15", "Q15"},
    {"T10", "T10"},
    {"WSPR", "WSPR"},
    {"OPERA", "OPRA"}, {"OPERA-BEACON", "OPRA"}, {"OPERA-QSO", "OPRA"},
    {"ROS", "ROS"}, {"ROS-EME", "ROS"}, {"ROS-HF", "ROS"}, {"ROS-MF", "ROS"},
    // Keyboard modes of the sound-card programs
    {"OLIVIA", "OLIV"}, {"OLIVIA 4/125", "OLIV"}, {"OLIVIA 4/250", "OLIV"},
    {"OLIVIA 8/250", "OLIV"}, {"OLIVIA 8/500", "OLIV"}, {"OLIVIA 16/500", "OLIV"},
    {"OLIVIA 16/1000", "OLIV"}, {"OLIVIA 32/1000", "OLIV"},
    {"CONTESTI", "CTIA"},
    {"DOMINO", "DOM"}, {"DOM-M", "DOM"}, {"DOM4", "DOM"}, {"DOM5", "DOM"}, {"DOM8", "DOM"},
    {"DOM11", "DOM"}, {"DOM16", "DOM"}, {"DOM22", "DOM"}, {"DOM44", "DOM"}, {"DOM88", "DOM"},
    {"DOMINOEX", "DOM"}, {"DOMINOF", "DOM"},
    {"HELL", "HELL"}, {"FMHELL", "HELL"}, {"FSKHELL", "HELL"}, {"HELL80", "HELL"},
    {"HELLX5", "HELL"}, {"HELLX9", "HELL"}, {"HFSK", "HELL"}, {"PSKHELL", "HELL"},
    {"SLOWHELL", "HELL"},
    {"THOR", "THOR"}, {"THOR-M", "THOR"}, {"THOR4", "THOR"}, {"THOR5", "THOR"},
    {"THOR8", "THOR"}, {"THOR11", "THOR"}, {"THOR16", "THOR"}, {"THOR22", "THOR"},
    {"THOR25X4", "THOR"}, {"THOR50X1", "THOR"}, {"THOR50X2", "THOR"}, {"THOR100", "THOR"},
    {"THRB", "THRB"}, {"THRBX", "THRB"}, {"THRBX1", "THRB"}, {"THRBX2", "THRB"},
    {"THRBX4", "THRB"}, {"THROB1", "THRB"}, {"THROB2", "THRB"}, {"THROB4", "THRB"},
    {"MT63", "MT63"},
    {"CHIP", "CHIP"}, {"CHIP64", "CHIP"}, {"CHIP128", "CHIP"},
};

std::string upperTrimmed(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
    text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
    text.remove_suffix(1);
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

// The table sorted by name, made once: every record of a file asks.
const std::vector<ModeName>& sortedModes() {
  static const std::vector<ModeName> sorted = [] {
    std::vector<ModeName> modes(std::begin(kModes), std::end(kModes));
    std::sort(modes.begin(), modes.end(),
              [](const ModeName& a, const ModeName& b) { return a.name < b.name; });
    return modes;
  }();
  return sorted;
}

}  // namespace

std::span<const ModeName> adifModeNames() { return kModes; }

std::string_view modeWordOf(std::string_view name) {
  const std::string key = upperTrimmed(name);
  if (key.empty()) return {};
  const std::vector<ModeName>& modes = sortedModes();
  const auto at = std::lower_bound(modes.begin(), modes.end(), key,
                                   [](const ModeName& m, const std::string& k) { return m.name < k; });
  return at != modes.end() && at->name == key ? at->word : std::string_view();
}

std::string logModeOf(std::string_view mode, std::string_view submode) {
  if (const std::string_view word = modeWordOf(submode); !word.empty()) return std::string(word);
  if (const std::string_view word = modeWordOf(mode); !word.empty()) return std::string(word);
  std::string cut = upperTrimmed(mode).substr(0, 4);
  return cut;
}

bool isLoggableMode(const char* word) {
  return isPhone(word) || isCW(word) || isSSTV(word) || isFSK(word);
}

}  // namespace ksimport
