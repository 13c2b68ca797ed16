// The library and its sessions: initialization, the slot table under one
// process-wide lock, the per-thread last error, connecting and ending
// sessions, and the exports of the A forms and those without text.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <vector>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>

#include "internal.h"
#include "notify.h"
#include "session.h"
#include "strings.h"
#include "tls.h"
#include "winlayer/winlayer.h"

// The records' layouts are the interface: every size and offset is fixed.
static_assert(sizeof(TelnetInfoA) == 160 && offsetof(TelnetInfoA, majorVersion) == 4 &&
              offsetof(TelnetInfoA, minorVersion) == 8 && offsetof(TelnetInfoA, build) == 12 &&
              offsetof(TelnetInfoA, reserved) == 16 && offsetof(TelnetInfoA, description) == 28);
static_assert(sizeof(TelnetInfoW) == 288 && offsetof(TelnetInfoW, description) == 28);
static_assert(sizeof(TelnetSystemTime) == 16 && offsetof(TelnetSystemTime, milliseconds) == 14);
static_assert(offsetof(TelnetSecurityInfoA, protocol) == 4 &&
              offsetof(TelnetSecurityInfoA, cipher) == 8 &&
              offsetof(TelnetSecurityInfoA, cipherStrength) == 12 &&
              offsetof(TelnetSecurityInfoA, hash) == 16 &&
              offsetof(TelnetSecurityInfoA, hashStrength) == 20 &&
              offsetof(TelnetSecurityInfoA, keyExchange) == 24 &&
              offsetof(TelnetSecurityInfoA, certificateStatus) == 28 &&
              offsetof(TelnetSecurityInfoA, validFrom) == 32 &&
              offsetof(TelnetSecurityInfoA, validUntil) == 48 &&
              offsetof(TelnetSecurityInfoA, issuer) == 64 &&
              offsetof(TelnetSecurityInfoA, subject) == 64 + sizeof(void*) &&
              sizeof(TelnetSecurityInfoA) == 64 + 2 * sizeof(void*));
static_assert(sizeof(TelnetSecurityInfoW) == sizeof(TelnetSecurityInfoA) &&
              offsetof(TelnetSecurityInfoW, subject) == offsetof(TelnetSecurityInfoA, subject));
static_assert(sizeof(TelnetDllVersionInfo) == 20 && offsetof(TelnetDllVersionInfo, platform) == 16);

namespace kstelnet {
namespace {

std::mutex tableLock;
std::shared_ptr<Session> slots[kSlots];

// Handles are slot numbers plus a base that differs from one load to the next.
const int handleBase = 128 + static_cast<int>(std::chrono::steady_clock::now()
                                                  .time_since_epoch()
                                                  .count() &
                                              0xFF);

std::atomic<int> initCount{0};
thread_local int threadError = 0;
thread_local int threadBlocking = 0;  // socket waits of this thread in progress

bool systemResolve(const char* host, uint32_t* address) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(host, nullptr, &hints, &found) != 0 || found == nullptr) return false;
  *address = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
  freeaddrinfo(found);
  return true;
}

std::atomic<Resolver> resolver{systemResolve};

// Takes the session out of its slot and releases what it holds.
void end(const std::shared_ptr<Session>& session) {
  {
    std::lock_guard<std::mutex> guard(tableLock);
    if (session->slot >= 0 && slots[session->slot] == session) slots[session->slot].reset();
  }
  stopWatch(session->watch);
  session->watch.reset();
  tlsEnd(*session);
  if (session->sock >= 0) {
    close(session->sock);
    session->sock = -1;
  }
}

// A new session in the first free slot, owned by the calling thread.
std::shared_ptr<Session> create() {
  std::lock_guard<std::mutex> guard(tableLock);
  int slot = 0;
  while (slot < kSlots && slots[slot] != nullptr) ++slot;
  if (slot == kSlots) {
    setError(TELNET_ERROR_NO_MEMORY);
    return nullptr;
  }
  std::shared_ptr<Session> session;
  try {
    session = std::make_shared<Session>();
  } catch (...) {
    setError(TELNET_ERROR_NO_MEMORY);
    return nullptr;
  }
  session->owner = std::this_thread::get_id();
  session->slot = slot;
  session->handle = handleBase + slot;
  slots[slot] = session;
  return session;
}

int fail(const std::shared_ptr<Session>& session, int code) {
  if (session != nullptr) end(session);
  setError(code);
  return -1;
}

int connectSession(const char* host, int port, int timeout, DWORD options, HWND window,
                   UINT message) {
  if (host == nullptr || *host == '\0') return fail(nullptr, TELNET_ERROR_INVALID_HOST);
  if (initCount.load() <= 0) return fail(nullptr, TELNET_ERROR_NETWORK_INIT);
  if (port < 0 || port > 65535) return fail(nullptr, TELNET_ERROR_INVALID_PARAMETER);
  if (port == 992) options |= TELNET_OPTION_SECURE;
  if (options & TELNET_OPTION_SECURE) {
    if (const int error = securityLoad(); error != 0) return fail(nullptr, error);
    if (port == 0) port = 992;
  } else if (port == 0) {
    port = 23;
  }
  std::shared_ptr<Session> session = create();
  if (session == nullptr) return -1;
  in_addr literal{};
  uint32_t address = 0;
  if (inet_pton(AF_INET, host, &literal) == 1)
    address = literal.s_addr;
  else if (!resolver.load()(host, &address))
    return fail(session, TELNET_ERROR_INVALID_HOST);
  session->address = address;
  session->port = port;
  session->mode = TELNET_MODE_BINARY;
  session->options = options;
  session->host = host;
  if (options & TELNET_OPTION_SECURE) {
    if (const int error = tlsCredentials(*session); error != 0) return fail(session, error);
  }
  session->sock = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (session->sock < 0) return fail(session, TELNET_ERROR_INVALID_SOCKET);
  // Every wait is done with poll, so the socket never blocks.
  const int flags = fcntl(session->sock, F_GETFL);
  if (flags < 0 || fcntl(session->sock, F_SETFL, flags | O_NONBLOCK) < 0)
    return fail(session, TELNET_ERROR_INVALID_SOCKET);
  const int on = 1;
  setsockopt(session->sock, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  if (window != nullptr && !IsWindow(window)) return fail(session, TELNET_ERROR_CONNECT);
  session->timeout = timeout > 0 ? std::min(timeout, kMaxTimeout) : kDefaultTimeout;

  sockaddr_in peer{};
  peer.sin_family = AF_INET;
  peer.sin_port = htons(static_cast<uint16_t>(port));
  peer.sin_addr.s_addr = address;
  int result;
  do {
    result = ::connect(session->sock, reinterpret_cast<sockaddr*>(&peer), sizeof peer);
  } while (result < 0 && errno == EINTR);
  const bool pending = result < 0 && errno == EINPROGRESS;
  if (result < 0 && !pending) return fail(session, TELNET_ERROR_CONNECT);
  if (window != nullptr) {
    session->watch = startWatch(session->sock, window, message,
                                TELNET_EVENT_READ | TELNET_EVENT_WRITE | TELNET_EVENT_CONNECT |
                                    TELNET_EVENT_CLOSE);
    if (session->watch == nullptr) return fail(session, TELNET_ERROR_CONNECT);
    session->window = window;
    session->message = message;
    return session->handle;
  }
  if (pending) {
    if (waitSocket(*session, POLLOUT, timeoutMs(*session)) != 1)
      return fail(session, TELNET_ERROR_CONNECT);
    int error = 0;
    socklen_t length = sizeof error;
    if (getsockopt(session->sock, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0)
      return fail(session, TELNET_ERROR_CONNECT);
  }
  traceLine("Connected socket %ld", session->sock);
  return session->handle;
}

// Runs an export body; an exception escaping it is a failed call.
template <typename F>
auto guarded(int failure, F body) noexcept -> decltype(body()) {
  try {
    return body();
  } catch (...) {
    setError(TELNET_ERROR_NO_MEMORY);
    return static_cast<decltype(body())>(failure);
  }
}

size_t boundedLength(const char* text, size_t limit) {
  size_t n = 0;
  while (n < limit && text[n] != '\0') ++n;
  return n;
}

}  // namespace

Session::Session() = default;
Session::~Session() {
  stopWatch(watch);
  if (sock >= 0) close(sock);
}

void setError(int code) { threadError = code; }
int lastError() { return threadError; }

void setResolver(Resolver replacement) {
  resolver = replacement != nullptr ? replacement : systemResolve;
}

int handleOf(int slot) { return handleBase + slot; }

std::shared_ptr<Session> lookupIdle(int handle) {
  auto session = lookup(handle);
  if (session != nullptr && session->blocking) {
    // Called from a window procedure while this session's own operation
    // waits underneath it.
    setError(TELNET_ERROR_BLOCKING);
    return nullptr;
  }
  return session;
}

std::shared_ptr<Session> lookup(int handle) {
  const int slot = handle - handleBase;
  std::shared_ptr<Session> session;
  if (slot >= 0 && slot < kSlots) {
    std::lock_guard<std::mutex> guard(tableLock);
    session = slots[slot];
  }
  if (session == nullptr || session->owner != std::this_thread::get_id()) {
    setError(TELNET_ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return session;
}

int timeoutMs(const Session& session) {
  return session.timeout <= 0 ? -1 : session.timeout * 1000;
}

// The blocking hook: while a socket wait of a thread runs, that thread's
// window messages are still dispatched, one per slice of the wait, so its
// windows stay alive (and may call the library: a session whose operation
// is waiting answers such a call with 27518).
void dispatchOneMessage() {
  MSG msg;
  if (!PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) return;
  if (msg.message == WM_QUIT) {
    PostQuitMessage(static_cast<int>(msg.wParam));  // for the thread's own loop
    return;
  }
  TranslateMessage(&msg);
  DispatchMessage(&msg);
}

int waitSocket(Session& session, short events, int milliseconds) {
  constexpr int kSlice = 50;
  ++threadBlocking;
  const bool wasBlocking = session.blocking;
  session.blocking = true;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  int result;
  for (;;) {
    int wait = kSlice;
    if (milliseconds >= 0) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      wait = static_cast<int>(std::clamp<int64_t>(left.count(), 0, kSlice));
    }
    pollfd fd{session.sock, events, 0};
    result = poll(&fd, 1, wait);
    if (result < 0 && errno == EINTR) continue;
    if (result > 0) result = 1;
    if (result != 0 || (milliseconds >= 0 && std::chrono::steady_clock::now() >= deadline)) break;
    dispatchOneMessage();
  }
  session.blocking = wasBlocking;
  --threadBlocking;
  return result;
}

int connectCall(const char* host, int port, int timeout, DWORD options, HWND window,
                UINT message) {
  return guarded(-1, [&] { return connectSession(host, port, timeout, options, window, message); });
}

int terminalTypeGet(int handle, std::string* out) {
  const auto session = lookup(handle);
  if (session == nullptr) return 0;
  *out = session->terminalType;
  return 1;
}

int terminalTypeSet(int handle, const char* type) {
  const auto session = lookup(handle);
  if (session == nullptr) return 0;
  session->terminalType = type == nullptr ? std::string() : std::string(type, boundedLength(type, kTerminalTypeMax));
  return 1;
}

int copyOut(const std::string& text, char* buffer, int size) {
  if (buffer == nullptr || size < 1) {
    setError(TELNET_ERROR_INVALID_PARAMETER);
    return 0;
  }
  const size_t n = std::min(text.size(), static_cast<size_t>(size - 1));
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
  return static_cast<int>(n);
}

bool initialized() { return initCount.load() > 0; }

}  // namespace kstelnet

using namespace kstelnet;

extern "C" {

int TelnetInitializeA(const char*, TelnetInfoA* info) {
  if (info != nullptr && info->size != sizeof(TelnetInfoA)) {
    setError(TELNET_ERROR_INVALID_PARAMETER);
    return 0;
  }
  ++initCount;
  if (info != nullptr) {
    std::memset(info, 0, sizeof *info);
    info->size = sizeof(TelnetInfoA);
    info->majorVersion = 3;
    info->minorVersion = 60;
    info->build = 3630;
    std::strncpy(info->description, description(), sizeof info->description - 1);
  }
  setError(0);
  return 1;
}

void TelnetUninitialize(void) {
  int count = initCount.load();
  do {
    if (count <= 0) return;
  } while (!initCount.compare_exchange_weak(count, count - 1));
  if (count - 1 > 0) return;
  std::vector<std::shared_ptr<Session>> remaining;
  {
    std::lock_guard<std::mutex> guard(tableLock);
    for (auto& slot : slots)
      if (slot != nullptr) remaining.push_back(slot);
  }
  for (auto& session : remaining) end(session);
  traceOff();
}

int32_t DllGetVersion(TelnetDllVersionInfo* info) {
  if (info == nullptr) return TELNET_E_POINTER;
  if (info->size != sizeof(TelnetDllVersionInfo)) return TELNET_E_INVALIDARG;
  info->majorVersion = 3;
  info->minorVersion = 60;
  info->build = 3630;
  info->platform = 1;
  return TELNET_S_OK;
}

int TelnetConnectA(const char* host, int port, int timeout) {
  return connectCall(host, port, timeout, 0, nullptr, 0);
}

int TelnetConnectExA(const char* host, int port, int timeout, DWORD options) {
  return connectCall(host, port, timeout, options, nullptr, 0);
}

int TelnetAsyncConnectA(const char* host, int port, int timeout, HWND window, UINT message) {
  return connectCall(host, port, timeout, 0, window, message);
}

int TelnetAsyncConnectExA(const char* host, int port, int timeout, DWORD options, HWND window,
                          UINT message) {
  return connectCall(host, port, timeout, options, window, message);
}

int TelnetDisconnect(int handle) {
  return guarded(-1, [&] {
    const auto session = lookupIdle(handle);
    if (session == nullptr) return -1;
    end(session);
    return 0;
  });
}

int TelnetCancel(int handle) {
  return guarded(-1, [&] {
    const auto session = lookupIdle(handle);
    if (session == nullptr) return -1;
    const int error = sendCommand(*session, kABORT, -1);
    end(session);
    if (error != 0) {
      setError(error);
      return -1;
    }
    return 0;
  });
}

int TelnetRead(int handle, char* buffer, int count) {
  return guarded(-1, [&] {
    const auto session = lookupIdle(handle);
    if (session == nullptr) return -1;
    if (buffer == nullptr || count < 0) {
      setError(TELNET_ERROR_INVALID_PARAMETER);
      return -1;
    }
    if (count == 0) return 0;
    int stored = 0;
    const int error = read(*session, reinterpret_cast<unsigned char*>(buffer), count, &stored);
    if (error == 0) return stored;
    setError(error);
    if (error == TELNET_ERROR_WOULD_BLOCK) return stored;
    if (error == TELNET_ERROR_TIMEOUT || error == TELNET_ERROR_CLOSED)
      return stored > 0 ? stored : -1;
    return -1;
  });
}

int TelnetWrite(int handle, const char* data, int length) {
  return guarded(-1, [&] {
    const auto session = lookupIdle(handle);
    if (session == nullptr) return -1;
    if (data == nullptr) {
      setError(TELNET_ERROR_INVALID_PARAMETER);
      return -1;
    }
    if (length <= 0) return 0;
    const int error = write(*session, reinterpret_cast<const unsigned char*>(data), length);
    if (error != 0) {
      setError(error);
      return -1;
    }
    return length;
  });
}

static int commandExport(int handle, unsigned char command) {
  return guarded(0, [&] {
    const auto session = lookupIdle(handle);
    if (session == nullptr) return 0;
    const int error = sendCommand(*session, command, -1);
    if (error != 0) {
      setError(error);
      return 0;
    }
    return 1;
  });
}

int TelnetBreak(int handle) { return commandExport(handle, kBRK); }

int TelnetIsThere(int handle) { return commandExport(handle, kAYT); }

int TelnetAsyncNotify(int handle, HWND window, UINT message) {
  return guarded(0, [&] {
    const auto session = lookupIdle(handle);
    if (session == nullptr) return 0;
    if (window != nullptr && !IsWindow(window)) {
      setError(TELNET_ERROR_INVALID_PARAMETER);
      return 0;
    }
    stopWatch(session->watch);
    session->watch.reset();
    session->window = nullptr;
    session->message = 0;
    if (window == nullptr) return 1;
    session->watch = startWatch(session->sock, window, message,
                                TELNET_EVENT_READ | TELNET_EVENT_WRITE | TELNET_EVENT_CLOSE);
    if (session->watch == nullptr) {
      setError(TELNET_ERROR_INVALID_SOCKET);
      return 0;
    }
    session->window = window;
    session->message = message;
    return 1;
  });
}

int TelnetGetMode(int handle) {
  const auto session = lookup(handle);
  return session == nullptr ? -1 : session->mode;
}

int TelnetSetMode(int handle, int bits, int set) {
  const auto session = lookup(handle);
  if (session == nullptr) return -1;
  if (bits == -1) {
    setError(TELNET_ERROR_INVALID_PARAMETER);
    return -1;
  }
  const int previous = session->mode;
  session->mode = set != 0 ? (previous | bits) : (previous & ~bits);
  return previous;
}

int TelnetGetTimeout(int handle) {
  const auto session = lookup(handle);
  return session == nullptr ? -1 : session->timeout;
}

int TelnetSetTimeout(int handle, int seconds) {
  const auto session = lookup(handle);
  if (session == nullptr) return -1;
  if (seconds < 0) {
    setError(TELNET_ERROR_INVALID_PARAMETER);
    return -1;
  }
  session->timeout = std::min(seconds, kMaxTimeout);
  return 0;
}

int TelnetGetTerminalTypeA(int handle, char* buffer, int size) {
  return guarded(0, [&] {
    std::string type;
    if (!terminalTypeGet(handle, &type)) return 0;
    return copyOut(type, buffer, size);
  });
}

int TelnetSetTerminalTypeA(int handle, const char* type) {
  return guarded(0, [&] { return terminalTypeSet(handle, type); });
}

int TelnetGetSocket(int handle) {
  const auto session = lookup(handle);
  return session == nullptr ? -1 : session->sock;
}

int TelnetIsBlocking(int handle) {
  const int saved = lastError();
  const auto session = lookup(handle);
  setError(saved);  // an unknown handle only asks whether this thread waits
  if (session != nullptr && session->blocking) return 1;
  return threadBlocking > 0 ? 1 : 0;
}

int TelnetGetLastError(void) { return lastError(); }

void TelnetSetLastError(int code) { setError(code); }

int TelnetGetErrorStringA(int code, char* buffer, int size) {
  if (code < 27500 || buffer == nullptr || size < 1) return 0;
  const char* text = errorText(code);
  if (text == nullptr) return 0;
  const size_t n = std::min(std::strlen(text), static_cast<size_t>(size - 1));
  std::memcpy(buffer, text, n);
  buffer[n] = '\0';
  return static_cast<int>(n);
}

int TelnetEnableTraceA(const char* fileName, DWORD flags) {
  return guarded(0, [&] {
    if (!initialized()) return 0;
    return traceOn(fileName, flags) ? 1 : 0;
  });
}

int TelnetDisableTrace(void) {
  return guarded(0, [&] { return traceRelease() ? 1 : 0; });
}

int TelnetGetSecurityInformationA(int handle, TelnetSecurityInfoA* info) {
  return guarded(0, [&] {
    const auto session = lookup(handle);
    if (session == nullptr) return 0;
    if (info == nullptr || info->size < sizeof(TelnetSecurityInfoA)) {
      setError(TELNET_ERROR_INVALID_PARAMETER);
      return 0;
    }
    std::memset(info, 0, sizeof *info);
    info->size = sizeof(TelnetSecurityInfoA);
    if (!session->secure) return 1;
    if (const int error = tlsInfo(*session, info); error != 0) {
      setError(error);
      return 0;
    }
    info->issuer = session->tls->issuer.c_str();
    info->subject = session->tls->subject.c_str();
    return 1;
  });
}

}  // extern "C"
