#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "internal.h"
#include "ksfunct.h"
#include "testing/tempdir.h"
#include "winlayer/host.h"

namespace fs = std::filesystem;

namespace {

std::string bytes(size_t size, unsigned seed = 1) {
  std::string data(size, '\0');
  for (size_t i = 0; i < size; ++i) data[i] = static_cast<char>((i * 131 + seed * 7) % 251);
  return data;
}

std::string slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void put(const fs::path& path, const std::string& data) {
  std::ofstream(path, std::ios::binary) << data;
}

class Files : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(temp_.path().empty());
    dir_ = temp_.path();
    ksfunct::copyChunkObserver = [](size_t chunk) { chunks().push_back(chunk); };
    chunks().clear();
  }
  void TearDown() override {
    ksfunct::copyChunkObserver = nullptr;
  }
  static std::vector<size_t>& chunks() {
    static std::vector<size_t> seen;
    return seen;
  }
  std::string at(const std::string& name) const { return (dir_ / name).string(); }

  kstest::TempDir temp_;
  fs::path dir_;
  kswin::HeadlessHost host_;
  kswin::ScopedHost scope_{host_};
};

TEST_F(Files, CopiesInChunksOfAtMost16000Bytes) {
  const struct {
    size_t size;
    std::vector<size_t> chunks;
  } cases[] = {{0, {}},
               {1, {1}},
               {15999, {15999}},
               {16000, {16000}},
               {16001, {16000, 1}},
               {40000, {16000, 16000, 8000}}};
  for (const auto& c : cases) {
    chunks().clear();
    const std::string data = bytes(c.size, static_cast<unsigned>(c.size));
    put(at("in"), data);
    ASSERT_EQ(KSCopyFile(nullptr, at("in").c_str(), at("out").c_str()), 1) << c.size;
    EXPECT_EQ(slurp(at("out")), data) << c.size;
    EXPECT_EQ(chunks(), c.chunks) << c.size;
  }
  EXPECT_TRUE(host_.boxes().empty());
  // The hourglass showed during the copies and went away again.
  EXPECT_EQ(host_.log().front(), "cursor wait");
  EXPECT_EQ(host_.log().back(), "cursor normal");
  // Only the destination is left beside the source: no temporary files.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator{}), 2);
}

TEST_F(Files, CopyOverAnExistingFileReplacesIt) {
  put(at("in"), "new contents");
  put(at("out"), "a much longer old content that must not survive");
  ASSERT_EQ(KSCopyFile(nullptr, at("in").c_str(), at("out").c_str()), 1);
  EXPECT_EQ(slurp(at("out")), "new contents");
  // Onto itself: nothing is lost.
  ASSERT_EQ(KSCopyFile(nullptr, at("in").c_str(), at("in").c_str()), 1);
  EXPECT_EQ(slurp(at("in")), "new contents");
}

TEST_F(Files, CopyFailuresAreToldAndNeverLookLikeACopy) {
  // Missing source.
  EXPECT_EQ(KSCopyFile(nullptr, at("missing").c_str(), at("out").c_str()), 0);
  ASSERT_EQ(host_.boxes().size(), 1u);
  EXPECT_EQ(host_.boxes()[0].text, "Error Opening File " + at("missing") + ".");
  EXPECT_EQ(host_.boxes()[0].caption, "Copy File");
  EXPECT_EQ(host_.boxes()[0].icon(), MB_ICONWARNING);
  EXPECT_FALSE(fs::exists(at("out")));

  // A directory is not a file to copy.
  EXPECT_EQ(KSCopyFile(nullptr, dir_.c_str(), at("out").c_str()), 0);
  EXPECT_EQ(host_.boxes().back().text, "Error Opening File " + dir_.string() + ".");

  // Destination that cannot be created.
  put(at("in"), bytes(100));
  const std::string nowhere = at("no/such/dir/out");
  EXPECT_EQ(KSCopyFile(nullptr, at("in").c_str(), nowhere.c_str()), 0);
  EXPECT_EQ(host_.boxes().back().text, "Error Opening File " + nowhere + ".");

  // The source shrinks under the copy: a read error, and the old
  // destination is untouched.
  put(at("in"), bytes(16001));
  put(at("out"), "previous");
  ksfunct::copyChunkObserver = [](size_t) {
    fs::resize_file(fs::path(std::getenv("KSFUNCT_TEST_SOURCE")), 10);
  };
  setenv("KSFUNCT_TEST_SOURCE", at("in").c_str(), 1);
  EXPECT_EQ(KSCopyFile(nullptr, at("in").c_str(), at("out").c_str()), 0);
  EXPECT_EQ(host_.boxes().back().text, "Error Reading File " + at("in") + ".");
  EXPECT_EQ(host_.boxes().back().caption, "Copy File");
  EXPECT_EQ(slurp(at("out")), "previous");
  ksfunct::copyChunkObserver = nullptr;
}

TEST_F(Files, CopyThatCannotWriteEverythingFails) {
  put(at("in"), bytes(40000));
  // The file-size limit makes the disk "full" after 20000 bytes.
  struct rlimit saved;
  getrlimit(RLIMIT_FSIZE, &saved);
  struct rlimit limited = saved;
  limited.rlim_cur = 20000;
  signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
  const int result = KSCopyFile(nullptr, at("in").c_str(), at("out").c_str());
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, SIG_DFL);
  EXPECT_EQ(result, 0);
  ASSERT_FALSE(host_.boxes().empty());
  EXPECT_EQ(host_.boxes().back().text, "Error Writing File " + at("out") + ".");
  EXPECT_FALSE(fs::exists(at("out")));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator{}), 1);
}

// A dictionary-like file: distinct bytes everywhere, so any stray change shows.
std::string dictionary(size_t size) {
  std::string data = bytes(size, 3);
  for (char& c : data)
    if (c == '\0') c = 1;
  return data;
}

TEST_F(Files, CopyDictionaryRenamesTheFiveFilesAndNothingElse) {
  const std::string source = dictionary(900);
  put(at("LOGDBD.SKL"), source);
  const std::string destination = at("MYLOG.DBD");
  ASSERT_EQ(CopyDictionary(nullptr, at("LOGDBD.SKL").c_str(), destination.c_str()), 1);
  const std::string copy = slurp(destination);
  ASSERT_EQ(copy.size(), source.size());

  const struct {
    size_t offset;
    const char* name;
  } slots[] = {{22, "MYLOG.DAT"}, {82, "MYLOG.KEY"}, {142, "MYLOG.K01"},
               {202, "MYLOG.DA1"}, {262, "MYLOG.K02"}};
  std::string expected = source;
  for (const auto& slot : slots) {
    EXPECT_STREQ(copy.c_str() + slot.offset, slot.name);
    std::copy(slot.name, slot.name + std::strlen(slot.name) + 1,
              expected.begin() + static_cast<long>(slot.offset));
  }
  EXPECT_EQ(copy, expected);  // every other byte as it was
  EXPECT_TRUE(host_.boxes().empty());
}

TEST_F(Files, CopyNoteDictionaryNamesTwoFilesAfterNameFrom) {
  const std::string source = dictionary(400);
  put(at("NOTES.SKL"), source);
  ASSERT_EQ(CopyNoteDictionary(nullptr, at("NOTES.SKL").c_str(), at("OUT.DBD").c_str(),
                               "/x/y/MYLOG.DBD"),
            1);
  const std::string copy = slurp(at("OUT.DBD"));
  EXPECT_STREQ(copy.c_str() + 22, "MYLOG.DA2");
  EXPECT_STREQ(copy.c_str() + 82, "MYLOG.K03");
  EXPECT_EQ(copy.substr(92), source.substr(92));
  EXPECT_EQ(copy.substr(0, 22), source.substr(0, 22));
}

TEST_F(Files, DictionaryCopyRefusesWhatItCannotDoRight) {
  EXPECT_EQ(CopyDictionary(nullptr, at("none.SKL").c_str(), at("A.DBD").c_str()), 0);
  EXPECT_EQ(host_.boxes().back().text, "Error Opening File " + at("none.SKL") + ".");

  put(at("short.SKL"), dictionary(200));  // too short to hold the name slots
  EXPECT_EQ(CopyDictionary(nullptr, at("short.SKL").c_str(), at("A.DBD").c_str()), 0);
  EXPECT_EQ(host_.boxes().back().text, "Error Reading File " + at("short.SKL") + ".");
  EXPECT_FALSE(fs::exists(at("A.DBD")));

  put(at("LOGDBD.SKL"), dictionary(900));
  const std::string longName = at(std::string(60, 'L') + ".DBD");
  EXPECT_EQ(CopyDictionary(nullptr, at("LOGDBD.SKL").c_str(), longName.c_str()), 0);
  EXPECT_EQ(host_.boxes().back().text, "Error Writing File " + longName + ".");
  EXPECT_FALSE(fs::exists(longName));
}

TEST_F(Files, ExistsDeleteAndSize) {
  put(at("f"), "12345");
  EXPECT_EQ(FileExists(at("f").c_str()), 1);
  EXPECT_EQ(FileExists(dir_.c_str()), 0);  // a directory
  EXPECT_EQ(FileExists(at("missing").c_str()), 0);
  EXPECT_EQ(FileExists(""), 0);
  ASSERT_EQ(mkfifo(at("pipe").c_str(), 0600), 0);
  EXPECT_EQ(FileExists(at("pipe").c_str()), 0);  // and does not wait for a writer
  if (geteuid() != 0) {  // root reads whatever the permissions say
    chmod(at("f").c_str(), 0);
    EXPECT_EQ(FileExists(at("f").c_str()), 0);
    chmod(at("f").c_str(), 0644);
  }
  EXPECT_EQ(FileSize(nullptr, at("f").c_str()), 5);
  EXPECT_TRUE(host_.boxes().empty());
  EXPECT_EQ(FileSize(nullptr, at("missing").c_str()), 0);
  ASSERT_EQ(host_.boxes().size(), 1u);
  EXPECT_EQ(host_.boxes()[0].caption, "File Size");
  EXPECT_EQ(host_.boxes()[0].text, "Error Opening File " + at("missing") + ".");

  EXPECT_EQ(KSDeleteFile(at("f").c_str()), 0);
  EXPECT_FALSE(fs::exists(at("f")));
  EXPECT_EQ(KSDeleteFile(at("f").c_str()), 1);

  EXPECT_GT(FreeDiskSpace(dir_.c_str()), 0);
  EXPECT_EQ(FreeDiskSpace(at("missing/dir").c_str()), 0);
}

TEST(MakeFileName, ReplacesTheExtension) {
  char out[KS_MAKEFILENAME_MAX + 1];
  const struct {
    const char* path;
    const char* extension;
    const char* expected;
  } cases[] = {
      {"/home/op/LOGS/CONTEST.ADI", "ERR", "/home/op/LOGS/CONTEST.ERR"},
      {"/home/op/LOGS/CONTEST.ADI", ".VAL", "/home/op/LOGS/CONTEST.VAL"},
      {"/home/op/LOGS/CONTEST.ADI", "", "/home/op/LOGS/CONTEST"},
      {"/home/op/LOGS/CONTEST", "DBD", "/home/op/LOGS/CONTEST.DBD"},
      {"/home/op.d/LOGS/CONTEST", "DBD", "/home/op.d/LOGS/CONTEST.DBD"},
      {"C:\\KESTREL\\LOG.DAT", "DBD", "C:\\KESTREL\\LOG.DBD"},
      {"C:LOG.DAT", "KEY", "C:LOG.KEY"},
      {"my.log.adi", "ERR", "my.log.ERR"},
      {"LOG", nullptr, "LOG"},
  };
  for (const auto& c : cases) {
    MakeFileName(c.path, c.extension, out);
    EXPECT_STREQ(out, c.expected) << c.path;
  }
  // A name that does not fit is not cut into another file's name.
  const std::string deep = "/" + std::string(120, 'd') + "/LOG.ADI";
  MakeFileName(deep.c_str(), "ERR", out);
  EXPECT_STREQ(out, "");
  const std::string fits = "/" + std::string(115, 'd') + "/LOG.ADI";
  MakeFileName(fits.c_str(), "ERR", out);
  EXPECT_EQ(std::string(out), "/" + std::string(115, 'd') + "/LOG.ERR");
}

TEST(Process, FindModuleLooksAtLoadedObjectsByBaseName) {
  kswin::HeadlessHost host;
  kswin::ScopedHost scope(host);
  EXPECT_EQ(FindModule("funct_test"), 1);  // the program itself
  EXPECT_EQ(FindModule("STDC++"), 1);      // libstdc++.so.6
  EXPECT_EQ(FindModule("stdc++"), 1);
  EXPECT_EQ(FindModule("libstdc++"), 1);
  EXPECT_EQ(FindModule("KESTREL"), 0);
  EXPECT_EQ(FindModule("STDC"), 0);
  EXPECT_EQ(FindModule(""), 0);
  EXPECT_EQ(host.log().front(), "cursor wait");
  EXPECT_EQ(host.log().back(), "cursor normal");
}

TEST(Process, WaitCursorCapturesAndRestores) {
  kswin::HeadlessHost host;
  kswin::ScopedHost scope(host);
  HWND window = reinterpret_cast<HWND>(0x1234);
  SetCursor(LoadCursor(nullptr, IDC_ARROW));
  WaitCursor(window, 1);
  EXPECT_EQ(GetCapture(), window);
  EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_WAIT));
  WaitCursor(window, 0);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_ARROW));
}

}  // namespace
