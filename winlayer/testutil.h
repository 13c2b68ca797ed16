// Helpers shared by the window layer's tests: a temporary directory that
// serves as the settings directory, and whole-file reads and writes.
#ifndef KESTREL_WINLAYER_TESTUTIL_H
#define KESTREL_WINLAYER_TESTUTIL_H

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace kswin::testing {

class TempHome {
 public:
  TempHome() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kswin-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
    previous_ = std::getenv("KESTREL_HOME") ? std::getenv("KESTREL_HOME") : "";
    ::setenv("KESTREL_HOME", path_.c_str(), 1);
  }
  ~TempHome() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
    if (previous_.empty()) ::unsetenv("KESTREL_HOME");
    else ::setenv("KESTREL_HOME", previous_.c_str(), 1);
  }
  TempHome(const TempHome&) = delete;
  TempHome& operator=(const TempHome&) = delete;

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
  std::string previous_;
};

inline void writeFile(const std::string& path, const std::string& text) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return;
  std::fwrite(text.data(), 1, text.size(), file);
  std::fclose(file);
}

inline std::string readFile(const std::string& path) {
  std::string text;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return "<missing>";
  char buffer[4096];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
  std::fclose(file);
  return text;
}

}  // namespace kswin::testing

#endif
