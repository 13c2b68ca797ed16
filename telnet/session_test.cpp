// Sessions and the interface: initialization, handles and their owners,
// connecting, settings, errors, window notification and the trace.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "internal.h"
#include "wide.h"
#include "testpeer.h"
#include "winlayer/winlayer.h"

namespace kstelnet::testing {
namespace {

using InterfaceTest = SessionTest;

TEST(LibraryTest, InitializationRecordsAndVersion) {
  TelnetInfoA info{};
  info.size = 100;
  TelnetSetLastError(5);
  EXPECT_EQ(TelnetInitializeA(nullptr, &info), 0);
  EXPECT_EQ(TelnetGetLastError(), TELNET_ERROR_INVALID_PARAMETER);
  info.size = 160;
  ASSERT_EQ(TelnetInitializeA("anything", &info), 1);
  EXPECT_EQ(TelnetGetLastError(), 0);
  EXPECT_EQ(info.majorVersion, 3u);
  EXPECT_EQ(info.minorVersion, 60u);
  EXPECT_EQ(info.build, 3630u);
  EXPECT_GT(std::strlen(info.description), 0u);
  TelnetInfoW wide{};
  wide.size = 288;
  ASSERT_EQ(TelnetInitializeW(nullptr, &wide), 1);
  EXPECT_EQ(wide.build, 3630u);
  EXPECT_EQ(wide.description[0], static_cast<TNWCHAR>(info.description[0]));
  wide.size = 160;
  EXPECT_EQ(TelnetInitializeW(nullptr, &wide), 0);
  TelnetUninitialize();
  TelnetUninitialize();

  // Counted: the first uninitialize of two keeps sessions possible; the
  // last refuses them.
  Listener listener;
  EXPECT_EQ(TelnetConnectA("127.0.0.1", listener.port(), 2), -1);

  TelnetDllVersionInfo version{};
  version.size = 20;
  EXPECT_EQ(DllGetVersion(&version), TELNET_S_OK);
  EXPECT_EQ(version.majorVersion, 3u);
  EXPECT_EQ(version.minorVersion, 60u);
  EXPECT_EQ(version.build, 3630u);
  EXPECT_EQ(version.platform, 1u);
  version.size = 24;
  EXPECT_EQ(DllGetVersion(&version), TELNET_E_INVALIDARG);
  EXPECT_EQ(DllGetVersion(nullptr), TELNET_E_POINTER);
}

TEST(LibraryTest, ErrorStrings) {
  char text[128];
  EXPECT_EQ(TelnetGetErrorStringA(27499, text, sizeof text), 0);
  const char* timeout = "Operation timed out waiting for response from server";
  EXPECT_EQ(TelnetGetErrorStringA(27511, text, sizeof text), static_cast<int>(std::strlen(timeout)));
  EXPECT_STREQ(text, timeout);
  EXPECT_EQ(TelnetGetErrorStringA(27511, nullptr, 10), 0);
  EXPECT_EQ(TelnetGetErrorStringA(27511, text, 0), 0);
  EXPECT_EQ(TelnetGetErrorStringA(27511, text, 10), 9);  // cut and terminated
  EXPECT_STREQ(text, "Operation");
  // Every code of the table has its text; the gaps in the numbering have none.
  for (const int code : {27501, 27503, 27504, 27505, 27506, 27507, 27508, 27509, 27510, 27512,
                         27513, 27514, 27515, 27516, 27518, 27519, 27520, 27521, 27581, 27582,
                         27583, 27584})
    EXPECT_GT(TelnetGetErrorStringA(code, text, sizeof text), 10) << code;
  EXPECT_EQ(TelnetGetErrorStringA(27502, text, sizeof text), 0);
  EXPECT_EQ(TelnetGetErrorStringA(27522, text, sizeof text), 0);
  TNWCHAR wide[128];
  EXPECT_EQ(TelnetGetErrorStringW(27517, wide, 128), 30);
  EXPECT_EQ(toUtf8(wide), "Connection to server is closed");
}

TEST(LibraryTest, WideTextRoundTrips) {
  const std::string text = "DL\xc3\xa4-\xe2\x82\xac-\xf0\x9f\x93\xbb";
  const std::vector<TNWCHAR> wide = toUtf16(text);
  EXPECT_EQ(wide.size(), 9u);  // D L ä - € - and a pair, then the terminator
  EXPECT_EQ(toUtf8(wide.data()), text);
  // Malformed input becomes replacement characters, never a read past the end.
  EXPECT_EQ(toUtf16("a\xe2\x82").size(), 4u);
  const TNWCHAR lone[] = {0xD800, 'x', 0};
  EXPECT_EQ(toUtf8(lone), "\xef\xbf\xbdx");
}

TEST_F(InterfaceTest, SettingsOfASession) {
  open();
  EXPECT_EQ(TelnetGetTimeout(handle), 5);
  EXPECT_EQ(TelnetSetTimeout(handle, 900), 0);
  EXPECT_EQ(TelnetGetTimeout(handle), 600);
  EXPECT_EQ(TelnetSetTimeout(handle, 0), 0);
  EXPECT_EQ(TelnetGetTimeout(handle), 0);

  EXPECT_EQ(TelnetSetMode(handle, TELNET_MODE_ECHO, 1), TELNET_MODE_BINARY);
  EXPECT_EQ(TelnetGetMode(handle), TELNET_MODE_ECHO | TELNET_MODE_BINARY);
  EXPECT_EQ(TelnetSetMode(handle, TELNET_MODE_BINARY, 0), TELNET_MODE_ECHO | TELNET_MODE_BINARY);
  EXPECT_EQ(TelnetGetMode(handle), TELNET_MODE_ECHO);
  EXPECT_EQ(TelnetSetMode(handle, -1, 1), -1);
  EXPECT_EQ(TelnetGetLastError(), TELNET_ERROR_INVALID_PARAMETER);

  char type[64];
  EXPECT_EQ(TelnetGetTerminalTypeA(handle, type, sizeof type), 9);
  EXPECT_STREQ(type, "DEC-VT100");
  EXPECT_EQ(TelnetSetTerminalTypeA(handle, "ANSI-BBS-TERMINAL-WITH-A-VERY-LONG-NAME"), 1);
  EXPECT_EQ(TelnetGetTerminalTypeA(handle, type, sizeof type), 30);
  EXPECT_STREQ(type, "ANSI-BBS-TERMINAL-WITH-A-VERY-");
  EXPECT_EQ(TelnetGetTerminalTypeA(handle, type, 5), 4);
  EXPECT_STREQ(type, "ANSI");
  const std::vector<TNWCHAR> wide = toUtf16("XTERM");
  EXPECT_EQ(TelnetSetTerminalTypeW(handle, wide.data()), 1);
  TNWCHAR back[40];
  EXPECT_EQ(TelnetGetTerminalTypeW(handle, back, 40), 5);
  EXPECT_EQ(toUtf8(back), "XTERM");

  EXPECT_GE(TelnetGetSocket(handle), 0);
  EXPECT_EQ(TelnetIsBlocking(handle), 0);
  TelnetSecurityInfoA info{};
  info.size = sizeof info;
  EXPECT_EQ(TelnetGetSecurityInformationA(handle, &info), 1);  // not secure: size only
  EXPECT_EQ(info.size, sizeof info);
  EXPECT_EQ(info.protocol, 0u);
  info.size = 40;
  EXPECT_EQ(TelnetGetSecurityInformationA(handle, &info), 0);
  EXPECT_EQ(TelnetGetLastError(), TELNET_ERROR_INVALID_PARAMETER);
}

TEST_F(InterfaceTest, WideForms) {
  const std::vector<TNWCHAR> host = toUtf16("127.0.0.1");
  handle = TelnetConnectExW(host.data(), listener.port(), 5, 0);
  ASSERT_GE(handle, 0) << TelnetGetLastError();
  peer.adopt(listener.accept());
  peer.send("x");
  EXPECT_EQ(readAll(), "x");
  TelnetSecurityInfoW info{};
  info.size = sizeof info;
  EXPECT_EQ(TelnetGetSecurityInformationW(handle, &info), 1);
  EXPECT_EQ(info.size, sizeof info);
  EXPECT_EQ(info.issuer, nullptr);
  const std::vector<TNWCHAR> empty = toUtf16("");
  EXPECT_EQ(TelnetConnectW(empty.data(), 23, 1), -1);
  EXPECT_EQ(TelnetGetLastError(), TELNET_ERROR_INVALID_HOST);
}

TEST_F(InterfaceTest, AHandleBelongsToItsThread) {
  open();
  int fromThere = 0, errorThere = 0;
  std::thread other([&] {
    fromThere = TelnetWrite(handle, "x", 1);
    errorThere = TelnetGetLastError();
  });
  other.join();
  EXPECT_EQ(fromThere, -1);
  EXPECT_EQ(errorThere, TELNET_ERROR_INVALID_HANDLE);
  EXPECT_NE(TelnetGetLastError(), TELNET_ERROR_INVALID_HANDLE);  // the last error is per thread
  EXPECT_EQ(TelnetWrite(handle, "x", 1), 1);
  EXPECT_EQ(TelnetDisconnect(handle + 1000), -1);
  EXPECT_EQ(TelnetGetLastError(), TELNET_ERROR_INVALID_HANDLE);
}

TEST_F(InterfaceTest, TwoHundredFiftySixSessionsAtMost) {
  std::vector<int> handles;
  for (int i = 0; i < 256; ++i) {
    const int h = TelnetConnectA("127.0.0.1", listener.port(), 5);
    ASSERT_GE(h, 0) << i << ": " << TelnetGetLastError();
    handles.push_back(h);
  }
  EXPECT_EQ(TelnetConnectA("127.0.0.1", listener.port(), 5), -1);
  EXPECT_EQ(TelnetGetLastError(), TELNET_ERROR_NO_MEMORY);
  EXPECT_EQ(TelnetDisconnect(handles[17]), 0);
  const int again = TelnetConnectA("127.0.0.1", listener.port(), 5);
  EXPECT_EQ(again, handles[17]);  // the first free slot
  // Ending the library ends every session.
  TelnetUninitialize();
  ASSERT_EQ(TelnetInitializeA(nullptr, nullptr), 1);
  EXPECT_EQ(TelnetGetMode(handles[0]), -1);
  EXPECT_EQ(TelnetGetLastError(), TELNET_ERROR_INVALID_HANDLE);
}

bool noSuchHost(const char*, uint32_t*) { return false; }

TEST_F(InterfaceTest, ConnectFailures) {
  EXPECT_EQ(TelnetConnectA("", 23, 1), -1);
  EXPECT_EQ(TelnetGetLastError(), TELNET_ERROR_INVALID_HOST);
  EXPECT_EQ(TelnetConnectA(nullptr, 23, 1), -1);
  EXPECT_EQ(TelnetGetLastError(), TELNET_ERROR_INVALID_HOST);
  setResolver(noSuchHost);
  EXPECT_EQ(TelnetConnectA("cluster.invalid", 23, 1), -1);
  EXPECT_EQ(TelnetGetLastError(), TELNET_ERROR_INVALID_HOST);
  setResolver(nullptr);
  // Nobody listening.
  int port;
  {
    Listener gone;
    port = gone.port();
  }
  EXPECT_EQ(TelnetConnectA("127.0.0.1", port, 2), -1);
  EXPECT_EQ(TelnetGetLastError(), TELNET_ERROR_CONNECT);
  // A server whose queue is full never answers: the connect gives up after
  // the timeout.
  {
    Listener full;
    listen(full.fd(), 0);
    const int first = TelnetConnectA("127.0.0.1", full.port(), 2);
    ASSERT_GE(first, 0);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(TelnetConnectA("127.0.0.1", full.port(), 1), -1);
    EXPECT_EQ(TelnetGetLastError(), TELNET_ERROR_CONNECT);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(900));
    EXPECT_LT(waited, std::chrono::seconds(5));
    TelnetDisconnect(first);
  }
  // A failed connect leaves no session behind: 256 still fit.
  std::vector<int> handles;
  for (int i = 0; i < 256; ++i) handles.push_back(TelnetConnectA("127.0.0.1", listener.port(), 5));
  EXPECT_GE(handles.back(), 0);
  for (const int h : handles) TelnetDisconnect(h);
  EXPECT_EQ(TelnetAsyncConnectA("127.0.0.1", listener.port(), 5,
                                reinterpret_cast<HWND>(static_cast<uintptr_t>(0x7777000)), 1025),
            -1);
  EXPECT_EQ(TelnetGetLastError(), TELNET_ERROR_CONNECT);
}

TEST_F(InterfaceTest, WellKnownPortsAndTheSecureOption) {
  // Port 992 alone makes the session secure: it accepts START-TLS.
  Listener telnets(992), telnet(23);
  if (!telnets.ok() || !telnet.ok()) GTEST_SKIP() << "ports 23 and 992 are not free to bind here";
  for (const auto& [port, options, via] :
       {std::tuple{992, 0u, &telnets}, std::tuple{0, static_cast<unsigned>(TELNET_OPTION_SECURE), &telnets},
        std::tuple{0, 0u, &telnet}}) {
    const int h = TelnetConnectExA("127.0.0.1", port, 5, options);
    ASSERT_GE(h, 0);
    Peer server(via->accept());
    ASSERT_TRUE(server.ok()) << port;
    server.send(bytes({255, 253, 46}) + "z");
    char buffer[4];
    EXPECT_EQ(TelnetRead(h, buffer, 4), 1);
    const bool secure = via == &telnets;
    EXPECT_EQ(server.receive(), bytes({255, secure ? 251 : 252, 46})) << port;
    TelnetDisconnect(h);
  }
}

// Window notification: a window of the window layer on this thread gets
// the socket events as its message.
std::vector<LPARAM> events;
constexpr UINT kSocketMessage = WM_USER + 7;

LRESULT CALLBACK notifyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kSocketMessage) {
    events.push_back(lParam);
    return 0;
  }
  return DefWindowProc(window, message, wParam, lParam);
}

HWND notifyWindow() {
  static bool registered = false;
  if (!registered) {
    WNDCLASS wc{};
    wc.lpfnWndProc = notifyProc;
    wc.lpszClassName = "TelnetNotifyTestWClass";
    RegisterClass(&wc);
    registered = true;
  }
  return CreateWindow("TelnetNotifyTestWClass", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                      nullptr);
}

// Pumps the thread's messages until an event of `kind` came or a second passed.
bool waitEvent(int kind) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (std::chrono::steady_clock::now() < until) {
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessage(&msg);
    for (size_t i = 0; i < events.size(); ++i) {
      if (LOWORD(events[i]) == kind) {
        events.erase(events.begin() + static_cast<long>(i));
        return true;
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return false;
}

TEST_F(InterfaceTest, WindowNotification) {
  HWND window = notifyWindow();
  ASSERT_NE(window, nullptr);
  events.clear();
  handle = TelnetAsyncConnectA("127.0.0.1", listener.port(), 5, window, kSocketMessage);
  ASSERT_GE(handle, 0);
  peer.adopt(listener.accept());
  EXPECT_TRUE(waitEvent(TELNET_EVENT_CONNECT));
  EXPECT_TRUE(waitEvent(TELNET_EVENT_WRITE));
  // Nothing there: a notified session does not wait.
  char buffer[8];
  EXPECT_EQ(TelnetRead(handle, buffer, 8), 0);
  EXPECT_EQ(TelnetGetLastError(), TELNET_ERROR_WOULD_BLOCK);
  peer.send("0123456789abcdef");
  EXPECT_TRUE(waitEvent(TELNET_EVENT_READ));
  // A read that leaves bytes behind asks for another read.
  EXPECT_EQ(TelnetRead(handle, buffer, 8), 8);
  EXPECT_TRUE(waitEvent(TELNET_EVENT_READ));
  EXPECT_EQ(TelnetRead(handle, buffer, 8), 8);
  EXPECT_EQ(std::string(buffer, 8), "89abcdef");
  peer.hangUp();
  EXPECT_TRUE(waitEvent(TELNET_EVENT_CLOSE));
  EXPECT_EQ(TelnetRead(handle, buffer, 8), -1);
  EXPECT_EQ(TelnetGetLastError(), TELNET_ERROR_CLOSED);
  TelnetDisconnect(handle);
  handle = -1;

  // Notification switched on and off on a blocking session.
  open();
  EXPECT_EQ(TelnetAsyncNotify(handle, reinterpret_cast<HWND>(static_cast<uintptr_t>(0x7777000)), 1), 0);
  EXPECT_EQ(TelnetGetLastError(), TELNET_ERROR_INVALID_PARAMETER);
  events.clear();
  ASSERT_EQ(TelnetAsyncNotify(handle, window, kSocketMessage), 1);
  peer.send("hi");
  EXPECT_TRUE(waitEvent(TELNET_EVENT_READ));
  EXPECT_EQ(TelnetRead(handle, buffer, 8), 2);
  ASSERT_EQ(TelnetAsyncNotify(handle, nullptr, 0), 1);
  events.clear();
  peer.send("more");
  EXPECT_FALSE(waitEvent(TELNET_EVENT_READ));
  EXPECT_EQ(TelnetRead(handle, buffer, 8), 4);  // blocking again
  DestroyWindow(window);
}

// A window procedure run while its thread waits inside the library.
int hookHandle = -1;
struct HookSeen {
  bool ran = false;
  int blocking = -1, readResult = 0, readError = 0;
} hookSeen;

LRESULT CALLBACK hookProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_USER + 1) {
    hookSeen.ran = true;
    hookSeen.blocking = TelnetIsBlocking(hookHandle);
    char buffer[4];
    hookSeen.readResult = TelnetRead(hookHandle, buffer, 4);
    hookSeen.readError = TelnetGetLastError();
    return 0;
  }
  return DefWindowProc(window, message, wParam, lParam);
}

TEST_F(InterfaceTest, WindowsStayAliveDuringABlockingWait) {
  WNDCLASS wc{};
  wc.lpfnWndProc = hookProc;
  wc.lpszClassName = "TelnetHookTestWClass";
  RegisterClass(&wc);
  HWND window = CreateWindow(wc.lpszClassName, "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                             nullptr);
  ASSERT_NE(window, nullptr);
  open(0, 1);
  hookHandle = handle;
  EXPECT_EQ(TelnetIsBlocking(handle), 0);
  PostMessage(window, WM_USER + 1, 0, 0);
  char buffer[4];
  EXPECT_EQ(TelnetRead(handle, buffer, 4), -1);  // nothing comes: the timeout
  EXPECT_EQ(TelnetGetLastError(), TELNET_ERROR_TIMEOUT);
  EXPECT_TRUE(hookSeen.ran);
  EXPECT_EQ(hookSeen.blocking, 1);
  EXPECT_EQ(hookSeen.readResult, -1);
  EXPECT_EQ(hookSeen.readError, TELNET_ERROR_BLOCKING);
  // The session is unharmed.
  peer.send("ok");
  EXPECT_EQ(readAll(), "ok");
  DestroyWindow(window);
}

TEST_F(InterfaceTest, TraceWritesTheTraffic) {
  const auto path = std::filesystem::temp_directory_path() /
                    ("tnclient-trace-" + std::to_string(getpid()) + ".txt");
  std::filesystem::remove(path);
  ASSERT_EQ(TelnetEnableTraceA(path.c_str(), 0), 1);
  open();
  peer.send("hello");
  EXPECT_EQ(readAll(), "hello");
  EXPECT_EQ(TelnetWrite(handle, "\xff", 1), 1);
  EXPECT_EQ(TelnetDisableTrace(), 1);
  EXPECT_EQ(TelnetDisableTrace(), 0);
  EXPECT_EQ(TelnetWrite(handle, "after", 5), 5);
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  EXPECT_NE(text.str().find("recv socket"), std::string::npos) << text.str();
  EXPECT_NE(text.str().find("68 65 6c 6c 6f"), std::string::npos) << text.str();
  EXPECT_NE(text.str().find("send socket"), std::string::npos);
  EXPECT_NE(text.str().find(" ff ff "), std::string::npos);
  EXPECT_EQ(text.str().find("after"), std::string::npos);
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace kstelnet::testing
