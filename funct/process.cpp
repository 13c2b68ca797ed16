// Helpers about this process: loaded modules, the wait cursor, blanks.
#include <link.h>
#include <strings.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <string>

#include "base/cabi.h"
#include "ksfunct.h"
#include "winlayer/winlayer.h"

namespace ksfunct {
namespace {

// The one cursor slot of the library: what WaitCursor replaced.
HCURSOR rememberedCursor = nullptr;

// Whether a loaded object's path names the module: its base name without
// extension ("KESTREL" for /opt/kestrel/kestrel, "KSFUNCT" for
// .../libksfunct.so.1), compared without regard to case.
bool namesModule(const char* path, const char* module) {
  const char* slash = std::strrchr(path, '/');
  std::string stem = slash ? slash + 1 : path;
  stem = stem.substr(0, stem.find('.'));
  if (stem.empty()) return false;
  if (strcasecmp(stem.c_str(), module) == 0) return true;
  return stem.size() > 3 && strncasecmp(stem.c_str(), "lib", 3) == 0 &&
         strcasecmp(stem.c_str() + 3, module) == 0;
}

struct ModuleSearch {
  const char* module;
  bool found;
};

int visitObject(struct dl_phdr_info* info, size_t, void* data) {
  auto* search = static_cast<ModuleSearch*>(data);
  if (info->dlpi_name != nullptr && namesModule(info->dlpi_name, search->module)) {
    search->found = true;
    return 1;
  }
  return 0;
}

}  // namespace
}  // namespace ksfunct

using namespace ksfunct;

extern "C" {

int FindModule(const char* moduleName) {
  return ksbase::guarded(0, [&] {
    if (moduleName == nullptr || moduleName[0] == '\0') return 0;
    HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    ModuleSearch search{moduleName, false};
    // The program itself first (its entry in the loader's list has no name).
    char self[PATH_MAX];
    ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (length > 0) {
      self[length] = '\0';
      search.found = namesModule(self, moduleName);
    }
    if (!search.found) dl_iterate_phdr(visitObject, &search);
    SetCursor(previous);
    return search.found ? 1 : 0;
  });
}

void WaitCursor(HWND window, int on) {
  if (on) {
    SetCapture(window);
    rememberedCursor = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  } else {
    SetCursor(rememberedCursor ? rememberedCursor : LoadCursor(nullptr, IDC_ARROW));
    ReleaseCapture();
  }
}

int Strip(char* text) {
  if (text == nullptr) return -1;
  size_t length = std::strlen(text);
  while (length > 0 && text[length - 1] == ' ') text[--length] = '\0';
  return static_cast<int>(length) - 1;
}

}  // extern "C"
