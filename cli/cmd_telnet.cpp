// kestrel telnet: a Telnet session through the client library, for a person
// at a terminal or for a script (a DX cluster session can be piped).
//
// The session connects blocking, then switches to window notification so
// that reads never wait: standard input and the socket are watched together
// and whatever the server sends is shown as it comes. Lines typed or piped
// in go out with the Telnet line end CR LF.
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "commands.h"
#include "telnet/tnclient.h"
#include "winlayer/winlayer.h"

namespace kcli {

namespace {

constexpr UINT kSocketMessage = WM_USER + 20;

LRESULT CALLBACK socketWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProc(window, message, wParam, lParam);
}

std::string errorText(int code) {
  char text[160] = {};
  if (TelnetGetErrorStringA(code, text, sizeof text) == 0)
    std::snprintf(text, sizeof text, "error %d", code);
  return text;
}

bool number(const char* text, int* out) {
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || value < 0 || value > 65535) return false;
  *out = static_cast<int>(value);
  return true;
}

// Writes the server's bytes; for a pipe, the Telnet line end CR LF becomes LF.
class Output {
 public:
  explicit Output(bool terminal) : terminal_(terminal) {}
  void put(const char* data, int length) {
    if (terminal_) {
      std::fwrite(data, 1, static_cast<size_t>(length), stdout);
    } else {
      for (int i = 0; i < length; ++i) {
        const char c = data[i];
        if (pendingCr_ && c != '\n') std::fputc('\r', stdout);
        pendingCr_ = c == '\r';
        if (!pendingCr_) std::fputc(c, stdout);
      }
    }
    std::fflush(stdout);
  }

 private:
  bool terminal_;
  bool pendingCr_ = false;
};

bool isSecure(int handle) {
  TelnetSecurityInfoA info{};
  info.size = sizeof info;
  return TelnetGetSecurityInformationA(handle, &info) == 1 && info.protocol != 0;
}

void tellSecure(int handle) {
  TelnetSecurityInfoA info{};
  info.size = sizeof info;
  if (TelnetGetSecurityInformationA(handle, &info) == 1 && info.protocol != 0)
    std::fprintf(stderr, "kestrel telnet: secure session with %s (%u-bit cipher)\n",
                 info.subject != nullptr ? info.subject : "?", info.cipherStrength);
}

// Drains what the session has now: 1 while it goes on, 0 when the server
// closed it, -1 when it failed.
int drain(int handle, Output& output, bool* gotData) {
  char buffer[4096];
  for (;;) {
    const int n = TelnetRead(handle, buffer, sizeof buffer);
    if (n > 0) {
      output.put(buffer, n);
      *gotData = true;
      continue;
    }
    if (n == 0) return 1;  // nothing more for now
    const int error = TelnetGetLastError();
    if (error == TELNET_ERROR_TIMEOUT) return 1;  // a command still arriving
    if (error == TELNET_ERROR_CLOSED) return 0;
    std::fprintf(stderr, "kestrel telnet: %s\n", errorText(error).c_str());
    return -1;
  }
}

int session(int handle, bool wantTls, int timeout) {
  const bool terminal = isatty(STDOUT_FILENO) != 0;
  Output output(terminal);
  WNDCLASS wc{};
  wc.lpfnWndProc = socketWindowProc;
  wc.lpszClassName = "KestrelTelnetSocketWClass";
  RegisterClass(&wc);
  HWND window = CreateWindow(wc.lpszClassName, "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr,
                             nullptr);
  if (window == nullptr || TelnetAsyncNotify(handle, window, kSocketMessage) != 1) {
    std::fprintf(stderr, "kestrel telnet: %s\n", errorText(TelnetGetLastError()).c_str());
    return kFailed;
  }
  bool inputOpen = true, secureTold = false;
  std::string line;
  auto lastHeard = std::chrono::steady_clock::now();
  const int socket = TelnetGetSocket(handle);
  int status = kOk;
  for (;;) {
    // The socket events posted to the window say nothing the poll does not.
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessage(&msg);
    pollfd fds[2] = {{socket, POLLIN, 0}, {inputOpen ? STDIN_FILENO : -1, POLLIN, 0}};
    if (poll(fds, 2, 200) < 0) continue;
    if (fds[0].revents != 0) {
      bool gotData = false;
      const int open = drain(handle, output, &gotData);
      if (gotData) lastHeard = std::chrono::steady_clock::now();
      if (wantTls && !secureTold && isSecure(handle)) {
        tellSecure(handle);
        secureTold = true;
      }
      if (open < 0) status = kFailed;
      if (open <= 0) break;
    }
    if (fds[1].revents != 0) {
      char chunk[4096];
      const ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
      if (n <= 0) {
        inputOpen = false;
        lastHeard = std::chrono::steady_clock::now();
      } else {
        line.append(chunk, static_cast<size_t>(n));
      }
      // Whole lines go out with CR LF; what follows the last one waits.
      size_t end;
      while ((end = line.find('\n')) != std::string::npos || (!inputOpen && !line.empty())) {
        std::string text = line.substr(0, end == std::string::npos ? line.size() : end);
        line.erase(0, end == std::string::npos ? line.size() : end + 1);
        if (!text.empty() && text.back() == '\r') text.pop_back();
        if (wantTls && !isSecure(handle)) {
          // Asked for TLS: nothing typed goes out in the clear.
          std::fprintf(stderr, "kestrel telnet: the server has not started TLS; nothing sent\n");
          status = kFailed;
          goto done;
        }
        text += "\r\n";
        if (TelnetWrite(handle, text.data(), static_cast<int>(text.size())) < 0) {
          std::fprintf(stderr, "kestrel telnet: %s\n", errorText(TelnetGetLastError()).c_str());
          status = kFailed;
          goto done;
        }
      }
    }
    // With the input ended, the session ends when the server has been
    // quiet for the timeout.
    if (!inputOpen && std::chrono::steady_clock::now() - lastHeard > std::chrono::seconds(timeout))
      break;
  }
done:
  TelnetAsyncNotify(handle, nullptr, 0);
  DestroyWindow(window);
  return status;
}

}  // namespace

int runTelnet(std::span<char*> args) {
  const Command& command = *findCommand("telnet");
  const char* host = nullptr;
  const char* terminalType = nullptr;
  int port = 0, timeout = 10;
  bool tls = false, havePort = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const char* arg = args[i];
    if (std::strcmp(arg, "--tls") == 0) {
      tls = true;
    } else if (std::strcmp(arg, "--terminal") == 0 || std::strcmp(arg, "--timeout") == 0) {
      if (i + 1 >= args.size()) return usageError(command, "a value must follow this option");
      const char* value = args[++i];
      if (std::strcmp(arg, "--terminal") == 0) {
        terminalType = value;
      } else if (!number(value, &timeout) || timeout < 1 || timeout > 600) {
        return usageError(command, "--timeout takes 1 to 600 seconds");
      }
    } else if (arg[0] == '-' && arg[1] != '\0') {
      return usageError(command, "unknown option");
    } else if (host == nullptr) {
      host = arg;
    } else if (!havePort) {
      if (!number(arg, &port) || port == 0) return usageError(command, "PORT is 1 to 65535");
      havePort = true;
    } else {
      return usageError(command, "too many arguments");
    }
  }
  if (host == nullptr) return usageError(command, "HOST is missing");
  if (TelnetInitializeA(nullptr, nullptr) != 1) {
    std::fprintf(stderr, "kestrel telnet: %s\n", errorText(TelnetGetLastError()).c_str());
    return kFailed;
  }
  const int handle =
      TelnetConnectExA(host, port, timeout, tls ? static_cast<DWORD>(TELNET_OPTION_SECURE) : 0);
  if (handle < 0) {
    const int error = TelnetGetLastError();
    std::fprintf(stderr, "kestrel telnet: %s: %s\n", host, errorText(error).c_str());
    TelnetUninitialize();
    return kFailed;
  }
  if (terminalType != nullptr) TelnetSetTerminalTypeA(handle, terminalType);
  // A text session: the server is asked for no binary mode, so that CR LF
  // stays the line end both ways.
  TelnetSetMode(handle, TELNET_MODE_BINARY, 0);
  const int status = session(handle, tls, timeout);
  TelnetDisconnect(handle);
  TelnetUninitialize();
  return status;
}

}  // namespace kcli
