// Helpers shared by the suite's tests: temporary directories (one that also
// serves as the settings directory) and whole-file reads and writes.
#ifndef KESTREL_TESTING_TEMPDIR_H
#define KESTREL_TESTING_TEMPDIR_H

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace kstest {

// A new directory under the system's temporary directory, removed with
// everything in it when the object goes.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kestrel-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  std::string operator/(const std::string& name) const { return file(name); }

 private:
  std::string path_;
};

// A temporary directory that is the settings directory ($KESTREL_HOME)
// while it lives.
class TempHome : public TempDir {
 public:
  TempHome() {
    const char* previous = std::getenv("KESTREL_HOME");
    hadPrevious_ = previous != nullptr;
    if (hadPrevious_) previous_ = previous;
    ::setenv("KESTREL_HOME", path().c_str(), 1);
  }
  ~TempHome() {
    if (hadPrevious_) ::setenv("KESTREL_HOME", previous_.c_str(), 1);
    else ::unsetenv("KESTREL_HOME");
  }

 private:
  std::string previous_;
  bool hadPrevious_ = false;
};

inline bool writeFile(const std::string& path, const std::string& text) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  return std::fclose(file) == 0 && written;
}

// The whole file, or "<missing>" when it cannot be read.
inline std::string readFile(const std::string& path) {
  std::string text;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return "<missing>";
  char buffer[4096];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
  std::fclose(file);
  return text;
}

}  // namespace kstest

#endif
