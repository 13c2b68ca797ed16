// kestrel band, mode, state: the suite's radio vocabulary.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "commands.h"
#include "funct/ksfunct.h"

namespace kcli {

int runBand(std::span<char*> args) {
  if (args.empty()) return usageError(*findCommand("band"), "no band given");
  int status = kOk;
  for (const char* text : args) {
    char* end = nullptr;
    const long band = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || !isBand(static_cast<int>(band))) {
      std::fprintf(stderr, "kestrel band: '%s' is not one of the log's bands\n", text);
      status = kFailed;
      continue;
    }
    char freq[11];
    BandToFreq(static_cast<int>(band), freq);
    const char* unit = band >= 220 ? "MHz" : "m";
    std::printf("%ld %s  default frequency %s  %s\n", band, unit, freq,
                isVHFUHF(static_cast<int>(band)) ? "VHF/UHF (VUCC)" : "HF");
  }
  return status;
}

int runMode(std::span<char*> args) {
  if (args.empty()) return usageError(*findCommand("mode"), "no mode given");
  int status = kOk;
  for (const char* mode : args) {
    std::string families;
    auto add = [&families](int yes, const char* name) {
      if (yes) families += families.empty() ? name : std::string(", ") + name;
    };
    add(isCW(mode), "CW");
    add(isSSB(mode), "SSB");
    add(isPhone(mode), "phone");
    add(isFSK(mode), "FSK/digital");
    add(isSSTV(mode), "SSTV");
    add(isSAT(mode), "satellite");
    if (families.empty()) {
      std::fprintf(stderr, "kestrel mode: '%s' is not a mode the log knows (modes are "
                           "upper case, such as CW, SSB, FT8)\n", mode);
      status = kFailed;
    } else {
      std::printf("%s  %s\n", mode, families.c_str());
    }
  }
  return status;
}

int runState(std::span<char*> args) {
  if (args.empty()) return usageError(*findCommand("state"), "no abbreviation given");
  int status = kOk;
  for (const char* text : args) {
    char state[8];
    ARRLSectToState(state, std::string(text).substr(0, 7).c_str());
    if (!isState(state)) {
      std::fprintf(stderr, "kestrel state: '%s' is neither a US state nor an ARRL section\n",
                   text);
      status = kFailed;
      continue;
    }
    if (std::string(state) == text)
      std::printf("%s  US state, CQ zone %d, ITU zone %d\n", state, StateToCQZone(state),
                  StateToITUZone(state));
    else
      std::printf("%s  ARRL section in %s, CQ zone %d, ITU zone %d\n", text, state,
                  StateToCQZone(state), StateToITUZone(state));
  }
  return status;
}

}  // namespace kcli
