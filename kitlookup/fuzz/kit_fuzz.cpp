// libFuzzer target: a small KIT data set with one of its files damaged (cut
// short, overwritten in part, or replaced whole), or a layout of any bytes,
// looked up through FindCall with a call of any bytes and with the set's
// own calls. Built with clang in a folder of its own:
//   CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DKESTREL_FUZZERS=ON \
//     -DKESTREL_BENCHMARKS=OFF && cmake --build build-fuzz --target kit_fuzz
//   build-fuzz/bin/kit_fuzz -max_len=4096 -max_total_time=600
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "kit.h"
#include "kitlookup/kitapi32.h"
#include "kitwriter.h"
#include "winlayer/host.h"
#include "winlayer/winlayer.h"

namespace {

const char* const kFiles[] = {"KITDB1.DAT", "KITDB2.DAT", "KITDB3.DAT",
                              "KITDBB.DAT", "KITDBZ.DAT", "KITDBVE.DAT"};
constexpr const char* kLayout =
    "[CL][TA10][CA] [LC] [DB] [BE] [RN][CC13][C-0][UC1][FN] [MS1][MI][LN] [AD] [CI] [UC0]"
    "[ST] [ZI] [ZZ] [CO][NL2][C+3][C-1][TA40]|";

struct Base {
  std::string directory;
  std::vector<std::string> files;
  Base() {
    // Named in capitals, as the library looks for it, so that finding it
    // costs no search of /tmp without regard to case.
    directory = "/tmp/KITFUZZ" + std::to_string(::getpid());
    std::filesystem::create_directories(directory);
    kitapi::writer::KitDataSet set;
    auto add = [&](const char* call, const char* last, const char* first, const char* street,
                   const char* city, const char* state, long zip, int day) {
      kitapi::writer::KitRecord r;
      r.call = call;
      r.lastName = last;
      r.firstName = first;
      r.street = street;
      r.city = city;
      r.state = state;
      r.zip = zip;
      r.birthYear = 70;
      r.birthDay = day;
      r.middle = 'Q';
      set.us.push_back(r);
    };
    add("W1AW", "HIRAM", "PERCY", "225 MAIN ST", "NEWINGTON", "CT", 6111, 60);
    add("KA1ABC", "MC'DONALD", "ANNE", "22ND ST", "BOSTON", "MA", 2134, 366);
    add("N2X", "SMITH", " ", "RR 2 BOX 5", "ALBANY", "NY", 0, 0);
    add("AA0A", "SMITHSON", "BO", "1 ELM ST", "DENVER", "CO", 80202, 1);
    kitapi::writer::KitRecord ve;
    ve.call = "VE3ABC";
    ve.lastName = "TREMBLAY";
    ve.firstName = "LUC";
    ve.street = "12 RUE PRINCIPALE";
    ve.city = "OTTAWA";
    ve.state = "ON";
    ve.postal = "K1A0B1";
    set.ve = {ve};
    set.counties = {{6111, "HARTFORD"}, {2134, "SUFFOLK"}};
    if (!kitapi::writer::writeKitDataSet(directory, set).empty()) __builtin_trap();
    for (const char* name : kFiles) {
      std::ifstream in(directory + "/" + name, std::ios::binary);
      files.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    ::setenv("KITDIR", directory.c_str(), 1);
    // A damaged set is not found: keep the search that follows short.
    ::setenv("PATH", "/nonexistent", 1);
  }
};

void writeFile(const std::string& path, const std::string& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) __builtin_trap();
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 8) return 0;
  static Base base;
  static kswin::HeadlessHost host;
  static kswin::ScopedHost scoped(host);

  const std::size_t which = data[0] % std::size(kFiles);
  const uint8_t mode = data[1];
  std::uint32_t offset;
  std::memcpy(&offset, data + 2, 4);
  const std::size_t callLength = data[6] % 12u;
  const int length = data[7] % 2 ? 512 : data[7] / 2;
  data += 8;
  size -= 8;
  const std::string call(reinterpret_cast<const char*>(data), std::min(callLength, size));
  data += call.size();
  size -= call.size();
  const std::string rest(reinterpret_cast<const char*>(data), size);

  std::string layout = kLayout;
  static std::size_t damaged = std::size(kFiles);  // the file the last input changed
  for (std::size_t i = 0; i < std::size(kFiles); ++i) {
    if (i != which && i != damaged) continue;
    std::string bytes = base.files[i];
    if (i == which && (mode & 3) == 0) {  // overwritten in part
      const std::size_t at = offset % (bytes.size() + 8);
      if (bytes.size() < at + rest.size()) bytes.resize(at + rest.size());
      std::memcpy(bytes.data() + at, rest.data(), rest.size());
    } else if (i == which && (mode & 3) == 1) {  // cut short
      bytes.resize(offset % (bytes.size() + 1));
    } else if (i == which && (mode & 3) == 2) {  // replaced
      bytes = rest;
    } else if (i == which) {  // the data set whole, a layout of any bytes
      layout = rest.substr(0, rest.find('\0'));
    }
    writeFile(base.directory + "/" + kFiles[i], bytes);
  }
  damaged = which;

  kitapi::module().keepFiles = (mode & 4) != 0;
  kitapi::resetModule();
  std::vector<char> buffer(static_cast<std::size_t>(std::max(length, 1)) + 16, '\x7f');
  for (const std::string& c : {call, std::string("W1AW"), std::string("VE3ABC"), std::string("kA1abc")}) {
    const int result = FindCall(c.c_str(), buffer.data(), length, layout.c_str());
    if (result < 0 || result > 3) __builtin_trap();
    if (result == 0 && length > 0 &&
        std::memchr(buffer.data(), 0, static_cast<std::size_t>(length)) == nullptr)
      __builtin_trap();
    // Nothing written past the length given.
    for (std::size_t k = static_cast<std::size_t>(std::max(length, 0)); k < buffer.size(); ++k)
      if (buffer[k] != '\x7f') __builtin_trap();
  }
  for (const kswin::BoxRecord& box : host.boxes())
    if (box.caption != "WKITAPI.DLL" && box.caption != "Kit Fatal Error") __builtin_trap();
  host.clear();
  return 0;
}
