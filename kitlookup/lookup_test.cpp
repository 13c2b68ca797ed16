// Lookups against data sets written by the writer: call shapes, the VE set,
// every dictionary entry decoded back, the fatal errors, and files that
// change on disk.
#include <fstream>
#include <map>

#include "testset.h"

namespace kitapi::testing {
namespace {

// Reads or writes `width` bits at bit `bit` of a file.
std::uint32_t fileBits(const std::string& path, std::uint64_t bit, unsigned width) {
  std::ifstream in(path, std::ios::binary);
  std::vector<unsigned char> bytes(8, 0);
  in.seekg(static_cast<std::streamoff>(bit / 8));
  in.read(reinterpret_cast<char*>(bytes.data()), 8);
  return bitsAt(bytes, bit % 8, width);
}
void setFileBits(const std::string& path, std::uint64_t bit, unsigned width, std::uint32_t value) {
  std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
  for (unsigned i = 0; i < width; ++i, ++bit) {
    f.seekg(static_cast<std::streamoff>(bit / 8));
    int byte = f.get();
    if (byte == EOF) {
      f.clear();
      byte = 0;
    }
    const int mask = 1 << (bit % 8);
    byte = (value >> i) & 1 ? byte | mask : byte & ~mask;
    f.seekp(static_cast<std::streamoff>(bit / 8));
    f.put(static_cast<char>(byte));
  }
}

class LookupTest : public KitTest {
 protected:
  // Where record `number` keeps the reference of text field `field`.
  std::uint64_t referenceBit(long number, int field) {
    const std::string db1 = file("KITDB1.DAT");
    const std::uint32_t size = fileBits(db1, 144 * 8, 8);
    const std::uint32_t byte = fileBits(db1, (148 + 4 * static_cast<unsigned>(field)) * 8, 8);
    const std::uint32_t shift = fileBits(db1, (149 + 4 * static_cast<unsigned>(field)) * 8, 8);
    return (168 + static_cast<std::uint64_t>(number) * size + byte) * 8 + shift;
  }
  unsigned referenceWidth(int field) {
    return fileBits(file("KITDB1.DAT"), (150 + 4 * static_cast<unsigned>(field)) * 8, 8);
  }
  long recordOf(const char* call) { return std::stol(find(call, "[RN]")); }
};

TEST_F(LookupTest, CallsOfEveryShapeAndTheDefaultLayout) {
  write(smallSet());
  EXPECT_EQ(find("W1AW", nullptr),
            "W1AW      Class: E  Born: 71\rPERCY M HIRAM\r225 MAIN ST\rNEWINGTON, CT 06111\r");
  // One-letter prefixes are stored from the second position.
  EXPECT_EQ(find("N2X", "[CA]|[CL]"), " N2X  |N2X");
  EXPECT_EQ(find("KA1ABC", "[CA]|[CL]"), "KA1ABC|KA1ABC");
  EXPECT_EQ(find("AA0A", "[CA]"), "AA0A  ");
  EXPECT_EQ(find("  w1aw", "[CL] [LC]"), "W1AW E");
  EXPECT_EQ(find("K9ZZZ", "[CL] [LN]"), "K9ZZZ SMYTHE");
  // Same group, other key; other group; nothing at all.
  EXPECT_EQ(find("KB1ABC"), "result 1");
  EXPECT_EQ(find("W1AX"), "result 1");
  EXPECT_EQ(find("W8AW"), "result 1");
  // Calls that do not fit are looked up repaired, but never found.
  EXPECT_EQ(find("W1AW!"), "result 1");
  EXPECT_EQ(find("KA1ABCD"), "result 1");
  EXPECT_EQ(find("KAA1AB"), "result 1");
  EXPECT_EQ(find(""), "result 1");
  EXPECT_EQ(find("1W1AW"), "result 1");
  for (const char* bad : {"\tW1AW", "W1A\xC9", "W1AW\n", "W-1AW", "W1\x7f", "W1AW\x01", "%1AW"})
    EXPECT_EQ(find(bad), "result 1") << bad;
  int result = -1;
  EXPECT_EQ(FindCall(nullptr, nullptr, 0, nullptr), 1);
  // A buffer of one byte holds the empty text; none holds nothing.
  EXPECT_EQ(find("W1AW", nullptr, result, 1), "");
  EXPECT_EQ(result, 0);
  EXPECT_EQ(FindCall("W1AW", nullptr, 0, nullptr), 0);
  EXPECT_EQ(host_.boxes().size(), 0u);
}

TEST_F(LookupTest, CanadianCallsGoToTheVeSetOnlyWhenItWasThereAtStart) {
  write(smallSet());
  EXPECT_EQ(find("VE3ABC", "[CL]|[LC]|[ZI]|[ZZ]|[LN]|[FN]|[AD]|[CI]|[ST]|[DB]|[MI]|[CO]"),
            "VE3ABC| |K1A 0B1|K1A 0B1|TREMBLAY|LUC|12 RUE PRINCIPALE|OTTAWA|ON|00| |");
  EXPECT_EQ(find("ve3abc", "[LN]"), "TREMBLAY");
  // Back and forth between the sets: the dictionaries are the right ones.
  EXPECT_EQ(find("W1AW", "[LN]"), "HIRAM");
  EXPECT_EQ(find("VE3ABC", "[LN]"), "TREMBLAY");

  resetModule();
  std::filesystem::rename(file("KITDBVE.DAT"), root_ + "/KITDBVE.DAT");
  EXPECT_EQ(find("W1AW", "[LN]"), "HIRAM");
  std::filesystem::rename(root_ + "/KITDBVE.DAT", file("KITDBVE.DAT"));
  EXPECT_EQ(find("VE3ABC"), "result 1");  // looked for among the US calls
}

TEST_F(LookupTest, BirthDaysAndCounties) {
  write(smallSet());
  EXPECT_EQ(find("W1AW", "[BE] [CO]"), "03/01/71 HARTFORD");
  EXPECT_EQ(find("KA1ABC", "[BE] [CO] [ZI]"), "12/31/80 SUFFOLK 02134");
  EXPECT_EQ(find("N2X", "[BE]|[CO]|[ZI]|[ZZ]"), "00||     |00000");  // no day, no ZIP
  EXPECT_EQ(find("K9ZZZ", "[BE]|[CO]|"), "01/01/99||");        // ZIP not in the file
  EXPECT_EQ(find("W1AW", "[CO]"), "HARTFORD");                 // again, from the last one

  // A county file whose header says it is not usable gives no counties;
  // neither does KITDBB of another data set give birth days.
  patch("KITDBZ.DAT", 100, {0x59, 0x02});  // 601
  patch("KITDBB.DAT", 0, {'X'});
  resetModule();
  EXPECT_EQ(find("W1AW", "[BE]|[CO]|"), "71||");
}

TEST_F(LookupTest, CountyFileOnTheDrivesRoot) {
  write(smallSet());
  std::filesystem::create_directory(root_ + "/KitCDDat");
  std::filesystem::rename(file("KITDBZ.DAT"), root_ + "/KitCDDat/kitcd5.dat");
  ::setenv("KESTREL_DRIVE_Q", root_.c_str(), 1);
  ::setenv("KITDIR", "q:\\set", 1);
  EXPECT_EQ(find("W1AW", "[CO]"), "HARTFORD");
  // A directory named the Linux way under a mapped drive has that root too.
  resetModule();
  ::setenv("KITDIR", dir_.c_str(), 1);
  EXPECT_EQ(find("KA1ABC", "[CO]"), "SUFFOLK");
  // The third place, under its own name.
  resetModule();
  std::filesystem::rename(root_ + "/KitCDDat/kitcd5.dat", root_ + "/KitCDDat/KITDBZ.DAT");
  EXPECT_EQ(find("AA0A", "[CO]"), "DENVER");
  ::unsetenv("KESTREL_DRIVE_Q");
}

// Names that share long leading runs, in both dictionary layouts and in both
// ways of holding the files: every record reads back as it was written.
class RoundTrip : public LookupTest, public ::testing::WithParamInterface<std::tuple<bool, bool>> {};

TEST_P(RoundTrip, EveryRecordDecodesToWhatWasWritten) {
  const auto [extended, keep] = GetParam();
  module().keepFiles = keep;
  kitapi::writer::KitDataSet set;
  set.extended = extended;
  const char* stems[] = {"S", "SM", "SMI", "SMITH", "SMITHS", "SMITHSON", "A", "AB", "ABBOTT",
                         "MC", "MC'", "MCDONALD", "O'", "VAN DER ", "WILLIAMSON-SMYTHE-JONES"};
  const char* tails[] = {"", "A", "AB", "ABC", "ERSON", "SON", "X", "BERG", "QUIST"};
  const char* prefixes[] = {"K", "W", "N", "KA", "WB", "AB", "NZ"};
  unsigned long long seed = 12345;
  auto next = [&](unsigned n) {
    seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<unsigned>((seed >> 33) % n);
  };
  std::map<std::string, kitapi::writer::KitRecord> byCall;
  while (byCall.size() < 3000) {
    kitapi::writer::KitRecord r;
    r.call = std::string(prefixes[next(7)]) + static_cast<char>('0' + next(10));
    for (unsigned k = 0, n = 1 + next(3); k < n; ++k) r.call += static_cast<char>('A' + next(26));
    r.lastName = (std::string(stems[next(15)]) + tails[next(9)]).substr(0, 24);
    r.firstName = std::string(stems[next(6)]) + tails[next(9)];
    r.firstName = r.firstName.substr(0, 11);
    r.street = std::to_string(next(100)) + " " + stems[next(15)] + " ST";
    r.city = std::string(stems[next(15)]).substr(0, 12) + "VILLE";
    r.state = std::string(1, static_cast<char>('A' + next(26))) + static_cast<char>('A' + next(26));
    r.zip = next(100000);
    r.licenceClass = "NTGAECRM"[next(8)];
    r.birthYear = static_cast<int>(next(100));
    r.birthDay = static_cast<int>(next(367));
    r.middle = next(2) ? static_cast<char>('A' + next(26)) : 0;
    byCall[r.call] = r;
  }
  for (auto& entry : byCall) set.us.push_back(entry.second);
  write(set);
  ASSERT_GT(std::filesystem::file_size(file("KITDB2.DAT")), 4096u);  // several blocks

  int failures = 0;
  for (const kitapi::writer::KitRecord& r : set.us) {
    char zip[8];
    std::snprintf(zip, sizeof zip, "%05ld", r.zip);
    const std::string expected = r.lastName + "|" + r.firstName + "|" + r.street + "|" + r.city +
                                 "|" + r.state + "|" + (r.zip ? zip : "     ") + "|" +
                                 r.licenceClass + "|" + std::string(1, r.middle ? r.middle : ' ');
    const std::string got = find(r.call.c_str(), "[LN]|[FN]|[AD]|[CI]|[ST]|[ZI]|[LC]|[MI]");
    if (got != expected && ++failures < 5) ADD_FAILURE() << r.call << ": " << got << " != " << expected;
  }
  EXPECT_EQ(failures, 0);
  EXPECT_EQ(host_.boxes().size(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Layouts, RoundTrip,
                         ::testing::Combine(::testing::Bool(), ::testing::Bool()));

TEST_F(LookupTest, DamagedRecordsAndTablesAreFatalAndTheSetStaysFound) {
  write(smallSet());
  const std::string db3 = file("KITDB3.DAT");
  // W1AW's group (1 * 702 + 0 * 27 + 23) made to point past the records.
  const std::uint64_t group = 725;
  setFileBits(db3, 144 * 8 + 20 * group, 20, 90000);
  setFileBits(db3, 144 * 8 + 20 * (group + 1), 20, 90002);
  EXPECT_EQ(find("W1AW"), "result 3");
  EXPECT_EQ(lastBox(), "Kit Fatal Error|#2, load_Drec|48|task");
  EXPECT_EQ(find("KA1ABC"), "KA1ABC");  // still found, other groups answer
  // A group whose end lies before its start is empty.
  setFileBits(db3, 144 * 8 + 20 * (group + 1), 20, 0);
  EXPECT_EQ(find("W1AW"), "result 1");

  truncate("KITDB3.DAT", 150);
  EXPECT_EQ(find("W1AW"), "result 3");
  EXPECT_EQ(lastBox(), "Kit Fatal Error|#4, set_Cx_entrys|48|task");
}

TEST_F(LookupTest, DamagedDictionariesAreFatal) {
  write(smallSet());
  const std::string db1 = file("KITDB1.DAT"), db2 = file("KITDB2.DAT");
  const long w1aw = recordOf("W1AW");
  const std::uint64_t lastName = referenceBit(w1aw, 0);
  const std::uint32_t original = fileBits(db1, lastName, referenceWidth(0));

  // A reference past the dictionary's end.
  const auto size = std::filesystem::file_size(db2);
  std::filesystem::resize_file(db2, 200);
  resetModule();
  EXPECT_EQ(find("W1AW", "[LN]"), "result 3");
  EXPECT_EQ(lastBox(), "Kit Fatal Error|#8, dict_extract disk read|48|task");
  std::filesystem::resize_file(db2, size);
  write(smallSet());
  EXPECT_EQ(find("W1AW", "[LN]"), "HIRAM");
  EXPECT_EQ(fileBits(db1, lastName, referenceWidth(0)), original);

  // An entry whose shared count is longer than a first name can be.
  const std::uint64_t firstName = referenceBit(w1aw, 1);
  const std::uint32_t e = fileBits(db1, firstName, referenceWidth(1));
  const std::uint64_t base = fileBits(db2, (144 + 8) * 8, 32);
  const std::uint64_t entryBit = (base + 3 * e / 2) * 8 + (e % 2 ? 4 : 0);
  setFileBits(db2, entryBit, 6, 12);
  EXPECT_EQ(find("W1AW", "[FN]"), "result 3");
  EXPECT_EQ(lastBox(), "Kit Fatal Error|#12, dictionary string too long|48|task");

  // Entries that keep on sharing run past the 1024 bytes read for them.
  for (std::uint64_t k = 0; k < 1400; ++k) setFileBits(db2, entryBit + 6 * k, 6, k % 2 ? 63 : 5);
  EXPECT_EQ(find("W1AW", "[FN]"), "result 3");
  EXPECT_EQ(lastBox(), "Kit Fatal Error|#7, dxtrctchar|48|task");

  truncate("KITDBB.DAT", 145);
  EXPECT_EQ(find("KA1ABC", "[LN]"), "result 3");
  EXPECT_EQ(lastBox(), "Kit Fatal Error|Cannot read KITDBB.DAT|48|task");
}

// An entry that starts with '_' at the end of its block continues in the
// next block; the window moves on to it (or cannot, near the file's end).
TEST_F(LookupTest, EntryMovedToTheNextBlock) {
  write(smallSet());
  const std::string db1 = file("KITDB1.DAT"), db2 = file("KITDB2.DAT");
  const long w1aw = recordOf("W1AW");
  // W1AW's first name made entry 1 of a dictionary placed so that the
  // entry starts at the last byte of a block, half-way in.
  setFileBits(db1, referenceBit(w1aw, 1), referenceWidth(1), 1);
  const std::uint64_t at = 512 * (std::filesystem::file_size(db2) / 512 + 2) + 511;
  setFileBits(db2, (144 + 8) * 8, 32, static_cast<std::uint32_t>(at - 1));
  const unsigned chars[] = {63, 0, 'A' - 32, 'B' - 32, 63};
  for (unsigned k = 0; k < 5; ++k) setFileBits(db2, at * 8 + 4 + 6 * k, 6, chars[k]);
  std::filesystem::resize_file(db2, at - 511 + 512 + 1024);
  resetModule();
  EXPECT_EQ(find("W1AW", "[FN]"), "AB");

  std::filesystem::resize_file(db2, at - 511 + 1024);
  resetModule();
  EXPECT_EQ(find("W1AW", "[FN]"), "result 3");
  EXPECT_EQ(lastBox(), "Kit Fatal Error|#13, build_extract disk read|48|task");
}

TEST_F(LookupTest, FilesChangedOnDiskAreReadAgain) {
  kitapi::writer::KitDataSet set = smallSet();
  write(set);
  EXPECT_EQ(find("W1AW", "[LN] [CO]"), "HIRAM HARTFORD");
  set.us[0].lastName = "MAXIM";
  set.us[0].firstName = "HIRAM PERCY";
  set.counties[0].name = "HARTFORD COUNTY";
  write(set);
  EXPECT_EQ(find("W1AW", "[FN] [LN] [CO]"), "HIRAM PERCY MAXIM HARTFORD COUNTY");
  // Only the VE file changes, seen first by a US lookup.
  EXPECT_EQ(find("VE3ABC", "[LN]"), "TREMBLAY");
  set.ve[0].lastName = "GAGNON";
  write(set);
  EXPECT_EQ(find("W1AW", "[LN]"), "MAXIM");
  EXPECT_EQ(find("VE3ABC", "[LN]"), "GAGNON");
  // Gone: the data set cannot be opened again, and is looked for anew.
  std::filesystem::remove(file("KITDB1.DAT"));
  EXPECT_EQ(find("W1AW"), "result 2");
  EXPECT_EQ(lastBox(), "WKITAPI.DLL|Cannot open file " + upperDir() + "\\KITDB1.DAT\n|0|task");
  write(set);
  EXPECT_EQ(find("W1AW", "[LN]"), "MAXIM");
}

}  // namespace
}  // namespace kitapi::testing
