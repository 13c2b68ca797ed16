#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "paths.h"
#include "testing/tempdir.h"

namespace {

using kstest::TempHome;
using kstest::writeFile;

class Paths : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(home.path() + "/cdrom/Callbk/Data");
    writeFile(home.path() + "/cdrom/Callbk/Data/Index.Dat", "x");
    ::setenv("KESTREL_DRIVE_D", (home.path() + "/cdrom/").c_str(), 1);
    ::unsetenv("KESTREL_DRIVE_E");
  }
  void TearDown() override { ::unsetenv("KESTREL_DRIVE_D"); }
  TempHome home;
};

TEST_F(Paths, DriveLettersMapThroughTheEnvironment) {
  const std::string root = home.path() + "/cdrom";
  EXPECT_EQ(ksbase::driveRoot('d'), root);
  EXPECT_EQ(ksbase::mapPath("D:\\Callbk\\Data\\Index.Dat"), root + "/Callbk/Data/Index.Dat");
  EXPECT_EQ(ksbase::mapPath("d:\\"), root + "/");
  // Unmapped drives and letters before C do not exist.
  EXPECT_EQ(ksbase::mapPath("E:\\CALLBK\\INDEX.DAT"), "");
  EXPECT_EQ(ksbase::mapPath("A:\\x"), "");
  EXPECT_EQ(ksbase::driveRoot('B'), "");
}

TEST_F(Paths, NamesMatchWithoutRegardToCaseWhenTheExactOneIsAbsent) {
  const std::string root = home.path() + "/cdrom";
  EXPECT_EQ(ksbase::mapPath("D:\\CALLBK\\DATA\\INDEX.DAT"), root + "/Callbk/Data/Index.Dat");
  // A name that exists in no case keeps its spelling (a file to be created),
  // under the directories that were matched.
  EXPECT_EQ(ksbase::mapPath("D:\\callbk\\NEW.TXT"), root + "/Callbk/NEW.TXT");
  // The exact name wins when both exist.
  writeFile(root + "/Callbk/Data/INDEX.DAT", "y");
  EXPECT_EQ(ksbase::mapPath("D:\\CALLBK\\DATA\\INDEX.DAT"), root + "/Callbk/Data/INDEX.DAT");
}

TEST_F(Paths, LinuxNamesAndRelativeNamesPassThrough) {
  const std::string file = home.path() + "/cdrom/Callbk/Data/Index.Dat";
  EXPECT_EQ(ksbase::mapPath(file), file);
  EXPECT_EQ(ksbase::mapPath("log\\BOOK.DAT"), "log/BOOK.DAT");
  EXPECT_EQ(ksbase::mapPath("/"), "/");
}

TEST_F(Paths, ProfileFilesLiveInTheSettingsDirectory) {
  EXPECT_EQ(ksbase::settingsDirectory(), home.path());
  EXPECT_EQ(ksbase::profilePath("KESTREL.INI"), home.path() + "/KESTREL.INI");
  writeFile(home.path() + "/atlasw.ini", "");
  EXPECT_EQ(ksbase::profilePath("ATLASW.INI"), home.path() + "/atlasw.ini");
  const std::string user = std::getenv("HOME") ? std::getenv("HOME") : "";
  ::unsetenv("KESTREL_HOME");
  ::setenv("HOME", "/home/op", 1);
  EXPECT_EQ(ksbase::settingsDirectory(), "/home/op/.kestrel");
  ::setenv("HOME", user.c_str(), 1);
}

}  // namespace
