// Finding the data set's directory, and the checks that its files belong
// together and are of a version this library reads.
#include "testset.h"

namespace kitapi::testing {
namespace {

class DataSetTest : public KitTest {
 protected:
  // A set whose W1AW holder's last name says where it was found.
  void writeMarked(const std::string& where, const std::string& mark) {
    std::filesystem::create_directories(where);
    kitapi::writer::KitDataSet set = smallSet();
    set.us[0].lastName = mark;
    write(set, where);
  }
};

TEST_F(DataSetTest, EnvironmentVariablesTheLastOneCounting) {
  writeMarked(root_ + "/one", "ONE");
  writeMarked(root_ + "/two", "TWO");
  ::unsetenv("KITDIR");
  ::setenv("KITDIR", (root_ + "/one/").c_str(), 1);
  ::setenv("WKITDIR", (root_ + "/two").c_str(), 1);
  EXPECT_EQ(find("W1AW", "[LN]"), "TWO");
  resetModule();
  ::unsetenv("KITDIR");
  ::setenv("KITDIR", (root_ + "/one/").c_str(), 1);  // now after WKITDIR
  EXPECT_EQ(find("W1AW", "[LN]"), "ONE");
}

TEST_F(DataSetTest, PathEntriesEndingInKitFirst) {
  writeMarked(root_ + "/other", "OTHER");
  writeMarked(root_ + "/kit", "INKIT");
  ::unsetenv("KITDIR");
  ::setenv("PATH", ("/nonexistent;" + root_ + "/other:" + root_ + "/kit").c_str(), 1);
  EXPECT_EQ(find("W1AW", "[LN]"), "INKIT");
  // Without such an entry, the first entry that holds a data set.
  resetModule();
  std::filesystem::rename(root_ + "/kit", root_ + "/kat");
  ::setenv("PATH", ("/nonexistent;" + root_ + "/kat;" + root_ + "/other").c_str(), 1);
  EXPECT_EQ(find("W1AW", "[LN]"), "INKIT");
  resetModule();
  ::setenv("PATH", (root_ + "/other:" + root_ + "/kat").c_str(), 1);
  EXPECT_EQ(find("W1AW", "[LN]"), "OTHER");
}

TEST_F(DataSetTest, DriveLettersAndFolderNamesInAnyCase) {
  writeMarked(root_ + "/d/KitHD", "HD");
  writeMarked(root_ + "/e/kit", "E");
  ::unsetenv("KITDIR");
  ::setenv("KESTREL_DRIVE_D", (root_ + "/d").c_str(), 1);
  ::setenv("KESTREL_DRIVE_E", (root_ + "/e").c_str(), 1);
  EXPECT_EQ(find("W1AW", "[LN]"), "HD");
  resetModule();
  ::setenv("PATH", "e:\\KIT", 1);  // a drive letter's colon separates nothing
  EXPECT_EQ(find("W1AW", "[LN]"), "E");
  ::unsetenv("KESTREL_DRIVE_D");
  ::unsetenv("KESTREL_DRIVE_E");
}

TEST_F(DataSetTest, NotFoundIsShownAndTriedAgainOnTheNextCall) {
  write(smallSet());
  const std::string deep = root_ + "/" + std::string(40, 'x');
  writeMarked(deep, "DEEP");
  ::setenv("KITDIR", deep.c_str(), 1);  // 52 characters or more: not a candidate
  ASSERT_GE(deep.size(), 52u);
  EXPECT_EQ(find("W1AW"), "result 2");
  EXPECT_EQ(lastBox(), "WKITAPI.DLL|Cannot find KITDB1.DAT|0|task");
  ::setenv("KITDIR", dir_.c_str(), 1);
  EXPECT_EQ(find("W1AW", "[LN]"), "HIRAM");
}

TEST_F(DataSetTest, FilesThatDoNotBelongTogether) {
  const std::string d = upperDir();
  struct Case {
    const char* what;
    std::function<void(DataSetTest&)> damage;
    std::string box;
  };
  const Case cases[] = {
      {"KITDB2 missing", [](DataSetTest& t) { std::filesystem::remove(t.file("KITDB2.DAT")); },
       "Cannot open file " + d + "\\KITDB2.DAT\n"},
      {"KITDB1 cut short", [](DataSetTest& t) { t.truncate("KITDB1.DAT", 160); },
       "Cannot read file " + d + "\\KITDB1.DAT"},
      {"KITDB2 cut short", [](DataSetTest& t) { t.truncate("KITDB2.DAT", 180); },
       "Cannot read file " + d + "\\KITDB2.DAT"},
      {"KITDB3 cut short", [](DataSetTest& t) { t.truncate("KITDB3.DAT", 143); },
       "Cannot read file " + d + "\\KITDB3.DAT"},
      {"KITDBVE cut short", [](DataSetTest& t) { t.truncate("KITDBVE.DAT", 219); },
       "Cannot read file " + d + "\\KITDBVE.DAT"},
      {"KITDB2 of another set", [](DataSetTest& t) { t.patch("KITDB2.DAT", 100, {'Z'}); },
       "KITDB1.DAT and KITDB2.DAT part of different data sets"},
      {"KITDB3 of another set", [](DataSetTest& t) { t.patch("KITDB3.DAT", 0, {'Z'}); },
       "KITDB1.DAT and KITDB3.DAT part of different data sets"},
      {"extended table cut off",
       [](DataSetTest& t) {
         t.patch("KITDB1.DAT", 134, {1});
         t.patch("KITDB3.DAT", 134, {1});
         t.patch("KITDB2.DAT", 134, {1});
         t.patch("KITDB2.DAT", 144, {0xF0, 0xFF, 0xFF, 0});
       },
       "Cannot read file " + d + "\\KITDB2.DAT"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    resetModule();
    write(smallSet());
    c.damage(*this);
    EXPECT_EQ(find("W1AW"), "result 2");
    EXPECT_EQ(lastBox(), "WKITAPI.DLL|" + c.box + "|0|task");
  }
}

TEST_F(DataSetTest, Versions) {
  const struct {
    int us, ve;
    const char* box;
  } cases[] = {
      {0, 2, "Newer version of KIT database required"},
      {3, 2, "Newer version of KIT software required"},
      {2, 0, "Newer version of KIT database required for VE calls"},
      {1, 7, "Newer version of KIT software required for VE calls"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.box);
    resetModule();
    kitapi::writer::KitDataSet set = smallSet();
    set.version = c.us;
    set.veVersion = c.ve;
    write(set);
    EXPECT_EQ(find("W1AW"), "result 2");
    EXPECT_EQ(lastBox(), std::string("WKITAPI.DLL|") + c.box + "|0|task");
  }
  for (int version : {1, 2}) {
    resetModule();
    kitapi::writer::KitDataSet set = smallSet();
    set.version = set.veVersion = version;
    write(set);
    EXPECT_EQ(find("VE3ABC", "[LN]"), "TREMBLAY");
  }
}

}  // namespace
}  // namespace kitapi::testing
