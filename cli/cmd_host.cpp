// kestrel host: plays the main logbook program for the suite's windows. It
// publishes a window of class "Kestrel4WClass" that the editors, the browser
// and the detail window find and send their messages to, prints every
// message it gets, and answers 1101 with the user's date format and UTC
// offset. `kestrel host --send` is the other side: it sends one message to
// the running host and prints the answer.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "commands.h"
#include "schema/mainwindow.h"
#include "winlayer/host.h"

namespace kcli {
namespace {

constexpr const char* kClass = KESTREL_MAIN_CLASS;
constexpr UINT kCheckTimer = 1;
volatile std::sig_atomic_t stopRequested = 0;
long messagesLeft = -1;  // --exit-after: -1 for no limit

// The hour offset to UTC of the "TimeZone" setting: 0..8 are fixed zones,
// 9 takes "OtherZone" as an index 0..24 into -12..+12.
int utcOffset() {
  static const int zones[] = {0, 5, 4, 6, 5, 7, 6, 8, 7};
  const int zone = static_cast<int>(GetPrivateProfileInt("Settings", "TimeZone", 0, "KESTREL.INI"));
  if (zone >= 0 && zone <= 8) return zones[zone];
  if (zone == 9) {
    const int other =
        static_cast<int>(GetPrivateProfileInt("Settings", "OtherZone", 15000, "KESTREL.INI"));
    if (other >= 0 && other <= 24) return other - 12;
  }
  return 0;
}

LRESULT hostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      if (wParam == kCheckTimer && stopRequested) DestroyWindow(window);
      return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: break;
  }
  if (message < WM_USER) return DefWindowProc(window, message, wParam, lParam);
  LRESULT answer = 0;
  if (message == KM_TAG_SETTINGS) answer = tagSettingsAnswer();
  std::printf("message %u wParam %lu lParam %ld -> %ld\n", message,
              static_cast<unsigned long>(wParam), static_cast<long>(lParam),
              static_cast<long>(answer));
  std::fflush(stdout);
  if (messagesLeft > 0 && --messagesLeft == 0) PostMessage(window, WM_CLOSE, 0, 0);
  return answer;
}

bool parseNumber(const char* text, long long* value) {
  char* end = nullptr;
  errno = 0;
  *value = std::strtoll(text, &end, 0);
  return end != text && *end == '\0' && errno == 0;
}

int send(const Command& command, std::span<char*> args, bool post) {
  long long numbers[3] = {0, 0, 0};
  if (args.empty() || args.size() > 3) return usageError(command, "--send needs MESSAGE [WPARAM [LPARAM]]");
  for (size_t i = 0; i < args.size(); ++i)
    if (!parseNumber(args[i], &numbers[i]))
      return usageError(command, ("not a number: " + std::string(args[i])).c_str());
  HWND window = FindWindow(kClass, nullptr);
  if (window == nullptr) {
    std::fprintf(stderr, "kestrel host: no main logbook window is running\n");
    return kFailed;
  }
  const UINT message = static_cast<UINT>(numbers[0]);
  if (post) {
    if (!PostMessage(window, message, static_cast<WPARAM>(numbers[1]),
                     static_cast<LPARAM>(numbers[2]))) {
      std::fprintf(stderr, "kestrel host: the message could not be delivered\n");
      return kFailed;
    }
    std::printf("posted %u\n", message);
    return kOk;
  }
  const LRESULT answer =
      SendMessage(window, message, static_cast<WPARAM>(numbers[1]), static_cast<LPARAM>(numbers[2]));
  std::printf("%ld (low %u, high %d)\n", static_cast<long>(answer), LOWORD(answer),
              static_cast<int16_t>(HIWORD(answer)));
  return kOk;
}

}  // namespace

long tagSettingsAnswer() {
  const int format =
      static_cast<int>(GetPrivateProfileInt("Settings", "DateFormat", 0, "KESTREL.INI"));
  return MAKELONG(format, utcOffset());
}

int runHost(std::span<char*> args) {
  const Command& command = *findCommand("host");
  if (!args.empty() && (std::strcmp(args[0], "--send") == 0 || std::strcmp(args[0], "--post") == 0))
    return send(command, args.subspan(1), std::strcmp(args[0], "--post") == 0);
  for (size_t i = 0; i < args.size(); ++i) {
    long long count = 0;
    if (std::strcmp(args[i], "--exit-after") == 0 && i + 1 < args.size() &&
        parseNumber(args[i + 1], &count) && count > 0) {
      messagesLeft = static_cast<long>(count);
      ++i;
    } else {
      return usageError(command, ("unknown argument: " + std::string(args[i])).c_str());
    }
  }

  WNDCLASS wc{};
  wc.lpfnWndProc = hostProc;
  wc.lpszClassName = kClass;
  RegisterClass(&wc);
  HWND window = CreateWindow(kClass, "Kestrel", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0,
                             CW_USEDEFAULT, 0, nullptr, nullptr, nullptr, nullptr);
  if (window == nullptr || !kswin::publishWindow(window)) {
    std::fprintf(stderr, "kestrel host: another main logbook window is running (or %s cannot be made)\n",
                 kswin::publishedSocketPath(kClass).c_str());
    if (window != nullptr) DestroyWindow(window);
    return kFailed;
  }
  std::signal(SIGINT, [](int) { stopRequested = 1; });
  std::signal(SIGTERM, [](int) { stopRequested = 1; });
  SetTimer(window, kCheckTimer, 200, nullptr);
  std::printf("main logbook window ready (%s)\n", kswin::publishedSocketPath(kClass).c_str());
  std::fflush(stdout);
  MSG msg;
  while (GetMessage(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessage(&msg);
  }
  return kOk;
}

}  // namespace kcli
