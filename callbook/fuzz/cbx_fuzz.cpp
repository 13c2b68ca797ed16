// libFuzzer target: any bytes as an index file and a data file (the same
// pair serves all four indexes), then every search type, counting, the next
// match, browsing and every layout. Built with clang in a folder of its own:
//   CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DKESTREL_FUZZERS=ON \
//     -DKESTREL_BENCHMARKS=OFF && cmake --build build-fuzz --target cbx_fuzz
//   build-fuzz/bin/cbx_fuzz -max_len=20000 -max_total_time=600 fuzz-corpus
// The first two bytes say how many of the rest make the index file.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "callbook/cbx32.h"
#include "../internal.h"
#include "winlayer/host.h"

namespace {

std::string directory() {
  static std::string root = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "cbxfuzz-XXXXXX").string();
    std::string made = ::mkdtemp(pattern.data());
    std::filesystem::create_directory(made + "/callbk");
    ::setenv("KESTREL_DRIVE_F", made.c_str(), 1);
    return made;
  }();
  return root;
}

void put(const std::string& path, const uint8_t* data, size_t size) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) __builtin_trap();
  if (size) std::fwrite(data, 1, size, file);
  std::fclose(file);
}

// A formatted text is terminated inside its buffer and as long as it says.
void checkText(const char* text, int length) {
  if (length <= 0) return;  // nothing was written
  if (length >= kscbx::kTextSize || std::strlen(text) != static_cast<size_t>(length))
    __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  static kswin::HeadlessHost host;
  static kswin::ScopedHost scoped(host);
  const std::string root = directory();
  const size_t split = std::min<size_t>(size - 2, static_cast<size_t>(data[0]) << 8 | data[1]);
  const uint8_t* index = data + 2;
  const uint8_t* lines = index + split;
  for (char letter : {'c', 'n', 's', 'z'}) {
    const std::string base = root + "/callbk/callbk" + letter;
    put(base + ".idx", index, split);
    put(base + ".dat", lines, size - 2 - split);
  }
  kscbx::resetSession();

  static char out[kscbx::kTextSize];
  if (CBXInit("F") != 'F') __builtin_trap();
  const char* const searches[][3] = {
      {"W1AW", nullptr, nullptr}, {"1AW", nullptr, nullptr},     {"AW", nullptr, nullptr},
      {"SM*", nullptr, nullptr},  {"SMITH", "JO*", nullptr},     {"CT", "NEW*", nullptr},
      {"CT", nullptr, nullptr},   {"06101", "06199", nullptr},   {"CT", "NEWINGTON", "MAIN"},
  };
  const int types[] = {1, 1, 1, 2, 2, 3, 3, 4, 5};
  for (size_t i = 0; i < sizeof types / sizeof types[0]; ++i) {
    const int format = static_cast<int>(i % 7);
    checkText(out, CBXSearch(types[i], searches[i][0], searches[i][1], searches[i][2], out, format));
    for (int n = 0; n < 3; ++n) checkText(out, CBXGetNext(out, format));
    int more = -1;
    for (int calls = 0; more == -1 && calls < 50; ++calls) CBXCount(&more);
  }
  if (CBXGetIndex(static_cast<int>(size % 4)) == 0) {
    checkText(out, CBXAdvanceTo(static_cast<int>(data[0]) * 4, out, 0));
    for (int step : {1, 2, 1, 1}) checkText(out, CBXAdvance(step, out, step + 2));
    for (int step : {1, 1, 2, 1}) checkText(out, CBXBack(step, out, 0));
    CBXBrowseBackFix();
    checkText(out, CBXAdvance(1, out, 5));
    if (CBXGetSbPos() > 1000) __builtin_trap();
    char field[256];
    int length = 0;
    for (int number : {0, 5, 6, 7, 12, 19, 100, 101, 102}) {
      CBXField(number, field, &length);
      if (length < 0 || length > 256) __builtin_trap();
    }
    for (int format = 1; format <= 6; ++format) checkText(out, CBXReformat(format, out));
    checkText(out, CBXReformatRTF(out));
    checkText(out, CBXGetCbInfo(out));
  }
  host.clear();
  return 0;
}
