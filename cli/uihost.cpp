#include "uihost.h"

#include <cstdio>

#ifdef KESTREL_HAVE_QT
#include "winlayer/qt/qthost.h"
#endif

namespace kcli {

bool haveDesktopHost() {
#ifdef KESTREL_HAVE_QT
  return true;
#else
  return false;
#endif
}

std::unique_ptr<kswin::UiHost> makeUiHost(kswin::UiKind kind, const char* program) {
#ifdef KESTREL_HAVE_QT
  (void)program;
  if (kind == kswin::UiKind::qt) return std::make_unique<kswin::QtHost>();
#else
  if (kind == kswin::UiKind::qt)
    std::fprintf(stderr, "kestrel %s: built without Qt; it runs on the console\n", program);
#endif
  if (kind == kswin::UiKind::headless) return std::make_unique<kswin::HeadlessHost>();
  return std::make_unique<kswin::ConsoleHost>(stderr, stdin);
}

}  // namespace kcli
