// libFuzzer target: any bytes as an ADIF file, read tag by tag to the end.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "import/adifread.h"
#include "winlayer/winlayer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  static kswin::HeadlessHost host;
  static kswin::ScopedHost scoped(host);
  std::string copy(reinterpret_cast<const char*>(data), size);
  std::FILE* file = fmemopen(copy.data(), copy.size(), "rb");
  if (!file) return 0;
  ksimport::AdifReader reader(nullptr, "fuzz.adi", file);
  long problems = 0;
  reader.setProblemSink([&](long, const std::string&) { ++problems; });
  ksimport::AdifField field;
  size_t tags = 0;
  int result;
  while ((result = reader.next(field)) == 1) {
    if (std::strlen(field.value) != static_cast<size_t>(field.length)) __builtin_trap();
    if (field.length >= ksimport::AdifReader::kFieldSize) __builtin_trap();
    // Every tag needs at least "<>" in the input.
    if (++tags > size) __builtin_trap();
  }
  if (result != 0) __builtin_trap();
  std::fclose(file);
  host.clear();
  return 0;
}
