#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/tempdir.h"
#include "winlayer.h"

namespace {

using kstest::readFile;
using kstest::TempHome;
using kstest::writeFile;

std::string get(const char* section, const char* key, const char* fallback,
                const char* file = "KESTREL.INI", DWORD size = 256) {
  std::vector<char> buffer(size + 1, 'X');
  const DWORD length = GetPrivateProfileString(section, key, fallback, buffer.data(), size, file);
  EXPECT_EQ(buffer[length], '\0');
  return std::string(buffer.data(), length);
}

const char* kSample =
    "; written by the logbook\r\n"
    "[Database]\r\n"
    "DictPath=C:\\KESTREL\\DICT\\\r\n"
    "\r\n"
    "[Settings]\r\n"
    "  DateFormat = 2  \r\n"
    "TimeZone=9\r\n"
    "OtherZone=13abc\r\n"
    "PowerLevel=\"100\"\r\n"
    "Empty=\r\n"
    "; Editor=WORDPAD\r\n"
    "Negative=-7\r\n"
    "Editor=NOTEPAD\r\n"
    "Editor=SECOND\r\n"
    "\r\n"
    "[settings]\r\n"
    "Hidden=1\r\n";

struct ReadCase {
  const char* section;
  const char* key;
  const char* fallback;
  const char* expected;
};

TEST(ProfileRead, TableOfCases) {
  TempHome home;
  writeFile(home.file("KESTREL.INI"), kSample);
  const ReadCase cases[] = {
      {"Database", "DictPath", "Not Found", "C:\\KESTREL\\DICT\\"},
      {"DATABASE", "dictpath", "Not Found", "C:\\KESTREL\\DICT\\"},  // any case
      {"Settings", "DateFormat", "0", "2"},                          // trimmed
      {"Settings", "PowerLevel", "0", "100"},                        // unquoted
      {"Settings", "Empty", "x", ""},                                // present, empty
      {"Settings", "Missing", "dflt  ", "dflt"},                     // default trimmed
      {"Settings", "Editor", "NOTEPAD", "NOTEPAD"},  // comment is no key; first wins
      {"Settings", "Hidden", "none", "none"},        // second [settings] is not read
      {"Program", "Editor", "NOTEPAD", "NOTEPAD"},   // missing section
      {"Settings", "Missing", nullptr, ""},
  };
  for (const ReadCase& c : cases)
    EXPECT_EQ(get(c.section, c.key, c.fallback), c.expected) << c.section << "/" << c.key;
}

TEST(ProfileRead, IntegersByLeadingDigits) {
  TempHome home;
  writeFile(home.file("KESTREL.INI"), kSample);
  EXPECT_EQ(GetPrivateProfileInt("Settings", "DateFormat", 0, "KESTREL.INI"), 2u);
  EXPECT_EQ(GetPrivateProfileInt("Settings", "OtherZone", 15000, "KESTREL.INI"), 13u);
  EXPECT_EQ(static_cast<int>(GetPrivateProfileInt("Settings", "Negative", 0, "KESTREL.INI")), -7);
  EXPECT_EQ(GetPrivateProfileInt("Settings", "Editor", 5, "KESTREL.INI"), 0u);  // no digits
  EXPECT_EQ(static_cast<int>(GetPrivateProfileInt("Settings", "Empty", -1, "KESTREL.INI")), -1);
  EXPECT_EQ(static_cast<int>(GetPrivateProfileInt("Detail", "Left", INT32_MIN, "KESTREL.INI")),
            INT32_MIN);
  writeFile(home.file("BIG.INI"), "[A]\nHuge=99999999999999\n");
  EXPECT_EQ(GetPrivateProfileInt("A", "Huge", 0, "BIG.INI"), 2147483647u);
}

TEST(ProfileRead, MissingFileGivesDefaultsAndShortBuffersAreCut) {
  TempHome home;
  EXPECT_EQ(get("Database", "DictPath", "Not Found"), "Not Found");
  EXPECT_EQ(GetPrivateProfileInt("Settings", "TimeZone", 0, "KESTREL.INI"), 0u);
  writeFile(home.file("KESTREL.INI"), kSample);
  EXPECT_EQ(get("Database", "DictPath", "", "KESTREL.INI", 6), "C:\\KE");
  char one[1] = {'X'};
  EXPECT_EQ(GetPrivateProfileString("Database", "DictPath", "", one, 1, "KESTREL.INI"), 0u);
  EXPECT_EQ(one[0], '\0');
}

TEST(ProfileRead, ListsSectionsAndKeys) {
  TempHome home;
  writeFile(home.file("KESTREL.INI"), kSample);
  char buffer[256];
  DWORD length = GetPrivateProfileString(nullptr, nullptr, "", buffer, sizeof buffer,
                                         "KESTREL.INI");
  EXPECT_EQ(std::string(buffer, length), std::string("Database\0Settings\0settings\0", 27));
  length = GetPrivateProfileString("Database", nullptr, "", buffer, sizeof buffer, "KESTREL.INI");
  EXPECT_EQ(std::string(buffer, length + 1), std::string("DictPath\0\0", 10));
  // Cut to fit: still two terminators, size - 2 returned.
  length = GetPrivateProfileString(nullptr, nullptr, "", buffer, 12, "KESTREL.INI");
  EXPECT_EQ(length, 10u);
  EXPECT_EQ(buffer[10], '\0');
  EXPECT_EQ(buffer[11], '\0');
}

TEST(ProfileWrite, CreatesTheFileAndDirectoryWhenFirstWritten) {
  TempHome home;
  ::setenv("KESTREL_HOME", (home.path() + "/not/yet").c_str(), 1);
  EXPECT_TRUE(WritePrivateProfileString("Detail", "Left", "10", "KESTREL.INI"));
  EXPECT_EQ(readFile(home.path() + "/not/yet/KESTREL.INI"), "[Detail]\nLeft=10\n");
  EXPECT_EQ(GetPrivateProfileInt("detail", "LEFT", 0, "KESTREL.INI"), 10u);
}

TEST(ProfileWrite, KeepsEveryOtherLineCommentAndOrder) {
  TempHome home;
  writeFile(home.file("KESTREL.INI"), kSample);
  // Replace, with the key spelled as the file has it.
  EXPECT_TRUE(WritePrivateProfileString("SETTINGS", "dateformat", "1", "KESTREL.INI"));
  // New key after the section's last line, before its blank line.
  EXPECT_TRUE(WritePrivateProfileString("Database", "Spare", "x", "KESTREL.INI"));
  // New section at the end.
  EXPECT_TRUE(WritePrivateProfileString("Browser", "Bkr", "255", "KESTREL.INI"));
  // Deleting a key; deleting what is not there is no error.
  EXPECT_TRUE(WritePrivateProfileString("Settings", "Negative", nullptr, "KESTREL.INI"));
  EXPECT_TRUE(WritePrivateProfileString("Nowhere", "Key", nullptr, "KESTREL.INI"));

  EXPECT_EQ(readFile(home.file("KESTREL.INI")),
            "; written by the logbook\r\n"
            "[Database]\r\n"
            "DictPath=C:\\KESTREL\\DICT\\\r\n"
            "Spare=x\r\n"
            "\r\n"
            "[Settings]\r\n"
            "DateFormat=1\r\n"
            "TimeZone=9\r\n"
            "OtherZone=13abc\r\n"
            "PowerLevel=\"100\"\r\n"
            "Empty=\r\n"
            "; Editor=WORDPAD\r\n"
            "Editor=NOTEPAD\r\n"
            "Editor=SECOND\r\n"
            "\r\n"
            "[settings]\r\n"
            "Hidden=1\r\n"
            "\r\n"
            "[Browser]\r\n"
            "Bkr=255\r\n");

  // A null key deletes the first section of that name, header and all.
  EXPECT_TRUE(WritePrivateProfileString("SETTINGS", nullptr, nullptr, "KESTREL.INI"));
  EXPECT_EQ(get("Settings", "Hidden", ""), "1");
  EXPECT_EQ(get("Settings", "TimeZone", "gone"), "gone");
}

TEST(ProfileWrite, RefusesTextsThatWouldBreakTheFile) {
  TempHome home;
  writeFile(home.file("A.INI"), "[A]\nK=1\n");
  EXPECT_FALSE(WritePrivateProfileString("A", "K", "two\nlines", "A.INI"));
  EXPECT_FALSE(WritePrivateProfileString("A", "K=J", "1", "A.INI"));
  EXPECT_FALSE(WritePrivateProfileString("A]", "K", "1", "A.INI"));
  EXPECT_FALSE(WritePrivateProfileString(nullptr, "K", "1", "A.INI"));
  EXPECT_EQ(readFile(home.file("A.INI")), "[A]\nK=1\n");
}

TEST(ProfileWrite, FileNamedWithADirectoryIsUsedThere) {
  TempHome home;
  const std::string path = home.file("elsewhere.ini");
  EXPECT_TRUE(WritePrivateProfileString("Program", "Maximized", "1", path.c_str()));
  EXPECT_EQ(readFile(path), "[Program]\nMaximized=1\n");
  // Found again under another case of its name.
  EXPECT_EQ(GetPrivateProfileInt("Program", "Maximized", 0, home.file("ELSEWHERE.INI").c_str()),
            1u);
}

}  // namespace
