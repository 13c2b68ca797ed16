// Each foreign format read from files of our writer (and from broken ones):
// what lands in the contact, and where reading stops.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <map>

#include "foreign.h"
#include "foreignrules.h"
#include "funct/ksfunct.h"
#include "prefix/ksprefix.h"
#include "writers/foreignwrite.h"

namespace ksimport {
namespace {

using writers::ForeignContact;

// Calls of K, N and W are in the USA (KH6 calls in Hawaii), D calls in
// Germany, Q calls nowhere; the country database knows a few keys.
class FakeServices : public ForeignServices {
 public:
  bool resolveCountry(LogRecord& r) override {
    const std::string call = r.call;
    if (call[0] == 'Q') return false;
    const bool usa = call[0] == 'K' || call[0] == 'N' || call[0] == 'W';
    std::strcpy(r.prefix, call.rfind("KH6", 0) == 0 ? "KH6" : usa ? "K" : "DL");
    std::strcpy(r.qth, usa ? "United States" : "Germany");
    r.cqZone = usa ? 5 : 14;
    return true;
  }
  int bandOf(double mhz) override { return GetBand(mhz); }
  long findCounty(const char*, const char*) override { return -1; }
  bool countryByPrefix(const char* prefix, LogRecord& r) override {
    asked.emplace_back(prefix);
    static const std::map<std::string, std::pair<const char*, int>> known = {
        {"K", {"United States", 5}}, {"DL", {"Germany", 14}}, {"CY0", {"Sable I.", 5}}};
    const auto at = known.find(prefix);
    if (at == known.end()) return false;
    std::strcpy(r.prefix, prefix);
    std::strcpy(r.qth, at->second.first);
    r.cqZone = static_cast<uint16_t>(at->second.second);
    return true;
  }
  std::vector<std::string> asked;
};

class ForeignFormatsTest : public ::testing::Test {
 protected:
  std::vector<Contact> read(ForeignFormat format, const std::string& data) {
    std::FILE* file = std::tmpfile();
    std::fwrite(data.data(), 1, data.size(), file);
    std::rewind(file);
    std::vector<Contact> contacts;
    ReadContext context{services_, options_, tag_, "test"};
    result_ = readForeign(format, file, context, [&](const Contact& c) {
      contacts.push_back(c);
      return true;
    });
    std::fclose(file);
    return contacts;
  }
  static std::vector<int> codes(const Contact& c) {
    return std::vector<int>(c.errors().begin(), c.errors().end());
  }

  FakeServices services_;
  ForeignOptions options_;
  bool tag_ = false;
  ReadResult result_;
};

using Codes = std::vector<int>;

// ---- text formats ----------------------------------------------------------

TEST_F(ForeignFormatsTest, CtContestsSetExchangeReportsAndRemarks) {
  ForeignContact c;
  c.call = "DL1ABC";
  c.exchange = "14";
  c.rstRcvd = "599";
  options_.contest = contest::kCqwwCw;
  options_.power = "100";
  options_.dateFormat = 1;
  // The comment line is skipped; the last line has no line feed.
  std::string file = writers::writeCt({c, c});
  file.pop_back();
  auto got = read(ForeignFormat::Ct, file);
  ASSERT_EQ(got.size(), 2u);
  const LogRecord& r = got[1].record;
  EXPECT_STREQ(r.call, "DL1ABC");
  EXPECT_STREQ(r.date, "15/03/24");
  EXPECT_EQ(r.julianDay, CalcJulianDate("03-15-24"));
  EXPECT_STREQ(r.time, "14:05");
  EXPECT_STREQ(r.freq, "14.025.00");
  EXPECT_EQ(r.band, 20);
  EXPECT_STREQ(r.mode, "CW");
  EXPECT_STREQ(r.rstSent, "599");
  EXPECT_EQ(r.cqZone, 14);
  EXPECT_STREQ(r.power, "100");
  EXPECT_STREQ(r.remarks, "CQWW CW Contest");
  EXPECT_TRUE(codes(got[1]).empty());

  // Sweepstakes SSB: both reports 59, the section's state; a KH6 call with
  // a section that is no state is in Hawaii.
  options_.contest = contest::kSweepstakesSsb;
  c.call = "W1AW";
  c.exchange = "EMA";
  ForeignContact hawaii = c;
  hawaii.call = "KH6XX";
  hawaii.exchange = "XX";
  got = read(ForeignFormat::Ct, writers::writeCt({c, hawaii}));
  ASSERT_EQ(got.size(), 2u);
  EXPECT_STREQ(got[0].record.rstRcvd, "59");
  EXPECT_STREQ(got[0].record.rstSent, "59");
  EXPECT_STREQ(got[0].record.state, "MA");
  EXPECT_STREQ(got[0].record.mode, "SSB");
  EXPECT_STREQ(got[1].record.state, "HI");

  // WPX appends the serial; Field Day copies the sent report; DXpedition.
  options_.contest = contest::kWpxSsb;
  c.exchange = "123";
  c.rstRcvd = "59";
  EXPECT_STREQ(read(ForeignFormat::Ct, writers::writeCt({c}))[0].record.remarks,
               "WPX SSB Contest SN 123");
  options_.contest = contest::kFieldDay;
  c.rstRcvd = "57";
  EXPECT_STREQ(read(ForeignFormat::Ct, writers::writeCt({c}))[0].record.rstRcvd, "59");
  options_.contest = contest::kDxpedition;
  EXPECT_STREQ(read(ForeignFormat::Ct, writers::writeCt({c}))[0].record.remarks, "DXpedition");
  options_.contest = contest::kOther;
  options_.otherContest = "Club Sprint";
  EXPECT_STREQ(read(ForeignFormat::Ct, writers::writeCt({c}))[0].record.remarks, "Club Sprint");
}

TEST_F(ForeignFormatsTest, CtLongDatesVhfBandsAndBadLines) {
  ForeignContact c;
  c.call = "DL1ABC";
  c.mode = "SSB";
  c.rstRcvd = "59";
  options_.contest = contest::kArrlDxSsb;
  auto got = read(ForeignFormat::Ct, writers::writeCt({c}, true));
  ASSERT_EQ(got.size(), 1u);
  EXPECT_STREQ(got[0].record.date, "03-15-24");
  EXPECT_STREQ(got[0].record.call, "DL1ABC");
  EXPECT_STREQ(got[0].record.rstRcvd, "59");
  EXPECT_STREQ(got[0].record.rstSent, "59");

  // The VHF contest gives its bands in MHz, with their own frequencies.
  options_.contest = contest::kVhfUhf;
  c.khz = 144;
  c.exchange = "fn42";
  got = read(ForeignFormat::Ct, writers::writeCt({c}));
  EXPECT_STREQ(got[0].record.freq, "144.000.00");
  EXPECT_EQ(got[0].record.band, 2);
  EXPECT_STREQ(got[0].record.grid, "FN42");

  // No call, a date that is none, a frequency on no band.
  got = read(ForeignFormat::Ct, "  1 14025.0 13-45-24 1200\n  2 9999.0 03-15-24 1200 DL1ABC 59\n");
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(codes(got[0]), (Codes{kBadDate, kMissingCall}));
  EXPECT_EQ(codes(got[1]), (Codes{kBadFrequency}));
}

TEST_F(ForeignFormatsTest, DxBaseColumnsCodesAndBands) {
  ForeignContact c;
  c.call = "W1AW";
  c.country = "W";
  c.band = 160;
  c.mode = "RTTY";
  c.qslRcvd = 'Y';
  c.remarks = "fine signal";
  c.power = "100";
  ForeignContact sable = c;
  sable.call = "CY0AA";
  sable.country = "VE/S";
  sable.band = 6;
  sable.mode = "SSB";
  sable.zone = 0;  // empty zone column: the country's zone stays
  ForeignContact odd = c;
  odd.mode = "FM";  // a mode code DXBase does not have
  odd.band = 11;
  std::string file = writers::writeDxBase({c, sable, odd});
  file.resize(file.size() - 2);  // the last line without its line end
  const auto got = read(ForeignFormat::DxBase, file);
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(services_.asked, (std::vector<std::string>{"K", "CY0", "K"}));
  const LogRecord& r = got[0].record;
  EXPECT_STREQ(r.prefix, "K");
  EXPECT_STREQ(r.freq, "1.800.00");
  EXPECT_EQ(r.band, 160);
  EXPECT_STREQ(r.mode, "RTTY");
  EXPECT_STREQ(r.qslRcvd, "Y");
  EXPECT_STREQ(r.date, "03-15-24");
  EXPECT_STREQ(r.time, "14:05");
  EXPECT_STREQ(r.rstRcvd, "579");
  EXPECT_STREQ(r.remarks, "fine signal");
  EXPECT_STREQ(r.power, "100");
  EXPECT_TRUE(codes(got[0]).empty());
  EXPECT_STREQ(got[1].record.qth, "Sable I.");
  EXPECT_EQ(got[1].record.cqZone, 5);
  EXPECT_EQ(got[1].record.band, 6);
  EXPECT_EQ(codes(got[2]), (Codes{kBadFrequency, kBadMode}));
  EXPECT_EQ(tenTextLine(got[2].record), "W1AW 03-15-24 14:05   579 599 United States N N \n");
}

TEST_F(ForeignFormatsTest, HyperLogFieldsOrderAndShortLines) {
  ForeignContact c;
  c.call = "DL1ABC";
  c.city = "Bonn, Beuel";  // quoted, for its comma
  c.band = 60;
  c.khz = 5357.0;
  c.prefix = "DL";
  c.zone = 15;
  c.qslSent = 'Y';
  options_.hyperlogOrder = 1;
  auto got = read(ForeignFormat::HyperLog, writers::writeHyperLog({c}, 1));
  ASSERT_EQ(got.size(), 1u);
  const LogRecord& r = got[0].record;
  EXPECT_STREQ(r.date, "15/03/24");
  EXPECT_EQ(r.julianDay, CalcJulianDate("03-15-24"));
  EXPECT_STREQ(r.city, "Bonn, Beuel");
  EXPECT_EQ(r.band, 60);
  EXPECT_EQ(r.cqZone, 15);
  EXPECT_STREQ(r.qth, "Germany");
  EXPECT_STREQ(r.prefix, "DL");
  EXPECT_STREQ(r.qslSent, "Y");
  EXPECT_STREQ(r.qslRcvd, "N");
  EXPECT_TRUE(codes(got[0]).empty());

  // An empty last field is a field; a line of 18 fields ends the reading.
  const std::string full = "03/15/24,1405,W1AW,599,599,20,14.025,CW,100,Bob,Here,,,,Y,N,5,USA,\n";
  const std::string shorter = "03/15/24,1405,W1AW,599,599,20,14.025,CW,100,Bob,Here,,,,Y,N,5,USA\n";
  options_.hyperlogOrder = 0;
  got = read(ForeignFormat::HyperLog, full + shorter + full);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_STREQ(got[0].record.date, "03-15-24");
  EXPECT_EQ(result_.end, ReadEnd::FewFields);
  EXPECT_EQ(result_.where, 2);
  // A rejected line is logged as it was read.
  got = read(ForeignFormat::HyperLog, "99/99/99,1405,W1AW,599,599,7,7.025,XX,,,,,,,,,,,\n");
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(codes(got[0]), (Codes{kBadDate, kBadFrequency, kBadMode, kNoPrefix}));
  EXPECT_EQ(got[0].errorLine, "99/99/99,1405,W1AW,599,599,7,7.025,XX,,,,,,,,,,,\n");
}

TEST_F(ForeignFormatsTest, PakRattModesAndBinaryGarbage) {
  std::vector<ForeignContact> contacts;
  for (const char* mode : {"MORSE", "PACKET", "ascii", "AMTOR", "PACTOR", "FEC", "PSK31", "XYZ"}) {
    ForeignContact c;
    c.call = "W1AW";
    c.mode = mode;
    c.qslRcvd = 'Y';
    c.city = "Newington";
    contacts.push_back(c);
  }
  auto got = read(ForeignFormat::PakRatt, writers::writePakRatt(contacts));
  ASSERT_EQ(got.size(), 8u);
  const char* words[] = {"CW", "PKT", "ASC", "AMT", "PAC", "AMT", "PSK", "XYZ"};
  for (size_t i = 0; i < 8; ++i) EXPECT_STREQ(got[i].record.mode, words[i]);
  for (size_t i = 0; i < 7; ++i) EXPECT_TRUE(codes(got[i]).empty()) << words[i];
  EXPECT_EQ(codes(got[7]), (Codes{kBadMode}));
  EXPECT_STREQ(got[0].record.qth, "United States");
  EXPECT_STREQ(got[0].record.city, "Newington");
  EXPECT_STREQ(got[0].record.qslRcvd, "Y");
  EXPECT_STREQ(got[0].record.time, "14:05");
  EXPECT_EQ(got[7].errorLine, writers::writePakRatt({contacts[7]}));

  // A file of binary data is not read as contacts.
  got = read(ForeignFormat::PakRatt, writers::writePakRatt({contacts[0]}) +
                                         std::string("\x01\x02\xff\x00\x10garbage\n", 13));
  EXPECT_EQ(got.size(), 1u);
  EXPECT_EQ(result_.end, ReadEnd::Malformed);
  EXPECT_EQ(result_.where, 2);
}

// ---- record formats ----------------------------------------------------------

TEST_F(ForeignFormatsTest, EasyDxSlotsAndBrokenRecords) {
  ForeignContact c;
  c.call = "DL1ABC";
  c.band = 160;
  c.mode = "RTTY";
  c.qslSent = 'P';
  ForeignContact vhf = c;
  vhf.band = 2;
  vhf.mode = "SSB";
  options_.dateFormat = 2;
  std::string file = writers::writeEasyDx({c, vhf});
  auto got = read(ForeignFormat::EasyDx, file);
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(result_.end, ReadEnd::EndOfFile);
  EXPECT_STREQ(got[0].record.date, "24.03.15");
  EXPECT_STREQ(got[0].record.freq, "1.800.00");
  EXPECT_EQ(got[0].record.band, 160);
  EXPECT_STREQ(got[0].record.mode, "RTTY");
  EXPECT_STREQ(got[0].record.qslSent, "Y");
  EXPECT_STREQ(got[0].record.rstSent, "599");
  EXPECT_STREQ(got[1].record.freq, "144.000.00");
  EXPECT_TRUE(codes(got[1]).empty());

  // The last record cut short: the whole ones are read, then it says so.
  got = read(ForeignFormat::EasyDx, file.substr(0, file.size() - 10));
  EXPECT_EQ(got.size(), 1u);
  EXPECT_EQ(result_.end, ReadEnd::Malformed);
  EXPECT_EQ(result_.where, 2);
  // A length byte past its slot: the record is not read at all.
  file[85 + 6] = 13;
  got = read(ForeignFormat::EasyDx, file);
  EXPECT_TRUE(got.empty());
  EXPECT_EQ(result_.end, ReadEnd::Malformed);
  EXPECT_EQ(result_.where, 1);
}

TEST_F(ForeignFormatsTest, LogViewRecords) {
  ForeignContact c;
  c.call = "W1AW";
  c.mode = "SSB";
  c.state = "CT";
  c.name = "Hiram";
  c.remarks = "first contact";
  c.qslRcvd = 'Y';
  ForeignContact dl = c;
  dl.call = "DL1ABC";
  dl.mode = "CW";
  const std::string file = writers::writeLogView({c, dl});
  ASSERT_EQ(file.size(), 24u + 2 * 228u);
  auto got = read(ForeignFormat::LogView, file);
  ASSERT_EQ(got.size(), 2u);
  const LogRecord& r = got[0].record;
  EXPECT_STREQ(r.mode, "SSB");
  EXPECT_STREQ(r.state, "CT");
  EXPECT_STREQ(r.name, "Hiram");
  EXPECT_STREQ(r.remarks, "first contact");
  EXPECT_STREQ(r.qslRcvd, "Y");
  EXPECT_STREQ(r.date, "03-15-24");
  EXPECT_EQ(r.band, 20);
  EXPECT_STREQ(got[1].record.mode, "CW");
  EXPECT_STREQ(got[1].record.state, "");  // not a US contact
  // A mode longer than the four characters kept is named before the cut.
  dl.mode = "PSK31";
  EXPECT_STREQ(read(ForeignFormat::LogView, writers::writeLogView({dl}))[0].record.mode, "PSK");
  dl.mode = "OLIVIA 8/250";
  EXPECT_STREQ(read(ForeignFormat::HyperLog, writers::writeHyperLog({dl}))[0].record.mode, "OLIV");
  EXPECT_EQ(got[0].errorLine,
            "W1AW 03-15-24 14:05 SSB 14.025 579 599 Hiram  United States first contact  N Y\n");
  got = read(ForeignFormat::LogView, file.substr(0, 24 + 228 + 100));
  EXPECT_EQ(got.size(), 1u);
  EXPECT_EQ(result_.end, ReadEnd::Malformed);
}

TEST_F(ForeignFormatsTest, LogMasterBodiesFrequenciesAndLimits) {
  ForeignContact c;
  c.call = "W1AW";
  c.state = "CT";
  c.khz = 7025.0;
  c.qslSent = 'Y';
  ForeignContact vhf = c;
  vhf.khz = 144200.0;
  std::string file = writers::writeLogMaster({c, vhf});
  auto got = read(ForeignFormat::LogMaster, file);
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(result_.end, ReadEnd::EndOfFile);
  EXPECT_STREQ(got[0].record.freq, "7.025.000");
  EXPECT_EQ(got[0].record.band, 40);
  EXPECT_STREQ(got[1].record.freq, "144.200.000");
  EXPECT_EQ(got[1].record.band, 2);
  EXPECT_STREQ(got[0].record.state, "CT");
  EXPECT_STREQ(got[0].record.qslSent, "Y");
  EXPECT_STREQ(got[0].record.time, "14:05");
  EXPECT_EQ(got[0].errorLine.substr(0, got[0].errorLine.find(' ')),
            std::to_string(static_cast<unsigned char>(file[4 + 17]) |
                           static_cast<unsigned char>(file[4 + 17 + 1]) << 8));

  // A body over 512 bytes ends the reading before it; one cut short too.
  std::string big = file.substr(0, 4 + 17) + std::string("\x01\x02", 2) + std::string(513, 'x');
  got = read(ForeignFormat::LogMaster, big);
  EXPECT_TRUE(got.empty());
  EXPECT_EQ(result_.end, ReadEnd::TooLarge);
  got = read(ForeignFormat::LogMaster, file.substr(0, file.size() - 5));
  EXPECT_EQ(got.size(), 1u);
  EXPECT_EQ(result_.end, ReadEnd::ReadError);
}

TEST_F(ForeignFormatsTest, RttyDaysTimesAndKinds) {
  ForeignContact c;
  c.call = "W1AW";
  c.country = "W";
  c.year = 2031;
  c.month = 12;
  c.day = 31;
  c.hour = 23;  // past what 16 bits of seconds hold
  c.minute = 59;
  c.exchange = "CT";
  ForeignContact off = c;
  off.band = 160;  // not an RTTY contest band
  options_.power = "1K";
  std::string file = writers::writeRtty({c, off}, 6);
  auto got = read(ForeignFormat::Rtty, file);
  ASSERT_EQ(got.size(), 2u);
  const LogRecord& r = got[0].record;
  EXPECT_STREQ(r.date, "12-31-31");
  EXPECT_EQ(r.julianDay, writers::dayNumber(2031, 12, 31));
  EXPECT_EQ(r.julianDay, CalcJulianDate("12-31-31"));
  EXPECT_STREQ(r.time, "23:59");
  EXPECT_STREQ(r.mode, "RTTY");
  EXPECT_STREQ(r.freq, "14.000.0");
  EXPECT_STREQ(r.prefix, "K");
  EXPECT_STREQ(r.power, "1K");
  EXPECT_STREQ(r.remarks, "WPX RTTY CT");
  EXPECT_EQ(codes(got[1]), (Codes{kBadFrequency}));

  // Another kind after contacts ends the file; before any, it is not ours.
  std::string other(87, '\0');
  other[2] = 7;
  got = read(ForeignFormat::Rtty, file + other + file.substr(87));
  EXPECT_EQ(got.size(), 2u);
  EXPECT_EQ(result_.end, ReadEnd::EndOfFile);
  got = read(ForeignFormat::Rtty, file.substr(0, 87) + other + file.substr(87));
  EXPECT_TRUE(got.empty());
  EXPECT_EQ(result_.end, ReadEnd::Incompatible);
  // A call whose length byte runs into the next field.
  file[87 + 12] = 20;
  got = read(ForeignFormat::Rtty, file);
  EXPECT_TRUE(got.empty());
  EXPECT_EQ(result_.end, ReadEnd::Malformed);
}

TEST_F(ForeignFormatsTest, TaggedContactsCarryTodaysDate) {
  tag_ = true;
  ForeignContact c;
  const auto got = read(ForeignFormat::PakRatt, writers::writePakRatt({c}));
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].record.tagged, 1);
  EXPECT_STREQ(got[0].record.qslSent, "Y");
  EXPECT_EQ(CheckDate(got[0].record.qslDate), 1);
}

}  // namespace
}  // namespace ksimport
