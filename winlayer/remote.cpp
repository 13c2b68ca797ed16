// Windows shared between processes of one user: a window published here is
// reached through a Unix socket named after its class, in a directory only
// this user can enter. Each request carries one message (numbers only) and
// gets the window procedure's result back.
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

#include "base/paths.h"
#include "window_internal.h"

namespace kswin::detail {
namespace {

constexpr uint32_t kMagic = 0x4B535731;  // "KSW1"
constexpr int kSendTimeoutMs = 30000;

struct Request {
  uint32_t magic;
  uint32_t post;
  uint32_t message;
  uint32_t reserved;
  uint64_t wParam;
  int64_t lParam;
};

struct Reply {
  uint32_t magic;
  uint32_t ok;
  int64_t result;
};

// Parameters cross as numbers: the platform's own messages that carry
// pointers (texts, structures) would point into the other process, so only
// the suite's own messages and the plain ones cross.
bool crosses(UINT message) { return message >= WM_USER || message == WM_NULL || message == WM_CLOSE; }

std::string socketDirectory() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  std::string base = runtime != nullptr && runtime[0] != '\0' ? runtime : ksbase::settingsDirectory();
  return base + "/kestrel-windows";
}

bool readAll(int fd, void* data, size_t size, int timeoutMs) {
  char* at = static_cast<char*>(data);
  while (size > 0) {
    pollfd wait{fd, POLLIN, 0};
    if (::poll(&wait, 1, timeoutMs) <= 0) return false;
    const ssize_t got = ::read(fd, at, size);
    if (got <= 0) {
      if (got < 0 && errno == EINTR) continue;
      return false;
    }
    at += got;
    size -= static_cast<size_t>(got);
  }
  return true;
}

bool writeAll(int fd, const void* data, size_t size) {
  const char* at = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t put = ::send(fd, at, size, MSG_NOSIGNAL);
    if (put <= 0) {
      if (put < 0 && errno == EINTR) continue;
      return false;
    }
    at += put;
    size -= static_cast<size_t>(put);
  }
  return true;
}

bool makeAddress(const std::string& path, sockaddr_un* address) {
  std::memset(address, 0, sizeof *address);
  address->sun_family = AF_UNIX;
  if (path.size() >= sizeof address->sun_path) return false;
  std::memcpy(address->sun_path, path.c_str(), path.size() + 1);
  return true;
}

int connectTo(const std::string& path) {
  sockaddr_un address;
  if (!makeAddress(path, &address)) return -1;
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// Serves one published window until it is withdrawn.
class Publisher {
 public:
  Publisher(HWND window, std::string path, int listener)
      : window_(window), path_(std::move(path)), listener_(listener) {
    thread_ = std::thread([this] { serve(); });
  }
  ~Publisher() {
    ::shutdown(listener_, SHUT_RDWR);
    if (thread_.joinable()) thread_.join();
    ::close(listener_);
    ::unlink(path_.c_str());
  }
  HWND window() const { return window_; }

 private:
  void serve() {
    for (;;) {
      const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd < 0) {
        if (errno == EINTR || errno == ECONNABORTED) continue;
        return;  // withdrawn
      }
      answer(fd);
      ::close(fd);
    }
  }

  void answer(int fd) {
    // Only processes of this user may talk to the window.
    ucred peer{};
    socklen_t length = sizeof peer;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0 || peer.uid != ::getuid())
      return;
    Request request;
    if (!readAll(fd, &request, sizeof request, 5000) || request.magic != kMagic) return;
    Reply reply{kMagic, 0, 0};
    if (IsWindow(window_) && crosses(request.message)) {
      if (request.post) {
        reply.ok = PostMessage(window_, request.message, request.wParam,
                               static_cast<LPARAM>(request.lParam))
                       ? 1
                       : 0;
      } else {
        reply.result = SendMessage(window_, request.message, request.wParam,
                                   static_cast<LPARAM>(request.lParam));
        reply.ok = 1;
      }
    }
    writeAll(fd, &reply, sizeof reply);
  }

  HWND window_;
  std::string path_;
  int listener_;
  std::thread thread_;
};

std::mutex remoteLock;
std::map<std::string, std::unique_ptr<Publisher>>& publishers() {
  static std::map<std::string, std::unique_ptr<Publisher>> table;
  return table;
}
std::map<std::string, HWND>& proxies() {
  static std::map<std::string, HWND> table;
  return table;
}

std::string key(std::string_view className) {
  std::string out(className);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace

HWND findRemote(const std::string& className) {
  const std::string path = publishedSocketPath(className);
  {
    std::lock_guard<std::mutex> guard(remoteLock);
    if (publishers().count(key(className)) != 0) return nullptr;  // our own, and gone
  }
  const int fd = connectTo(path);
  if (fd < 0) return nullptr;
  ::close(fd);
  std::lock_guard<std::mutex> guard(remoteLock);
  HWND& proxy = proxies()[key(className)];
  if (proxy == nullptr || find(proxy) == nullptr) {
    auto window = std::make_shared<Window>();
    window->className = className;
    window->remotePeer = 1;
    window->remotePath = path;
    window->visible = true;
    proxy = adopt(window);
  }
  return proxy;
}

LRESULT remoteDeliver(const Window& window, UINT message, WPARAM wParam, LPARAM lParam,
                      bool post, bool* ok) {
  *ok = false;
  if (!crosses(message)) return 0;
  const int fd = connectTo(window.remotePath);
  if (fd < 0) return 0;
  Request request{kMagic, post ? 1u : 0u, message, 0, static_cast<uint64_t>(wParam),
                  static_cast<int64_t>(lParam)};
  Reply reply{};
  const bool answered = writeAll(fd, &request, sizeof request) &&
                        readAll(fd, &reply, sizeof reply, kSendTimeoutMs) &&
                        reply.magic == kMagic;
  ::close(fd);
  if (!answered) return 0;
  *ok = reply.ok != 0;
  return static_cast<LRESULT>(reply.result);
}

void windowGone(HWND window) {
  std::unique_ptr<Publisher> gone;
  std::lock_guard<std::mutex> guard(remoteLock);
  for (auto it = publishers().begin(); it != publishers().end(); ++it) {
    if (it->second->window() == window) {
      gone = std::move(it->second);
      publishers().erase(it);
      break;
    }
  }
}

}  // namespace kswin::detail

namespace kswin {

std::string publishedSocketPath(std::string_view className) {
  return detail::socketDirectory() + "/" + detail::key(className) + ".sock";
}

bool publishWindow(HWND window) {
  detail::WindowPtr record = detail::find(window);
  if (record == nullptr || record->remotePeer) return false;
  const std::string directory = detail::socketDirectory();
  const size_t parentEnd = directory.rfind('/');
  if (parentEnd != std::string::npos && parentEnd > 0)
    ::mkdir(directory.substr(0, parentEnd).c_str(), 0700);
  ::mkdir(directory.c_str(), 0700);
  struct stat info;
  if (::stat(directory.c_str(), &info) != 0 || info.st_uid != ::getuid() ||
      (info.st_mode & 0077) != 0)
    return false;  // not a private directory: refuse rather than expose the window
  const std::string path = publishedSocketPath(record->className);
  std::lock_guard<std::mutex> guard(detail::remoteLock);
  if (detail::publishers().count(detail::key(record->className)) != 0) return false;
  // A live socket belongs to another running process; a dead one is left
  // over from a process that ended without withdrawing it.
  const int probe = detail::connectTo(path);
  if (probe >= 0) {
    ::close(probe);
    return false;
  }
  ::unlink(path.c_str());
  sockaddr_un address;
  if (!detail::makeAddress(path, &address)) return false;
  const int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listener < 0) return false;
  if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(listener, 16) != 0) {
    ::close(listener);
    return false;
  }
  detail::publishers()[detail::key(record->className)] =
      std::make_unique<detail::Publisher>(window, path, listener);
  return true;
}

void unpublishWindow(HWND window) { detail::windowGone(window); }

}  // namespace kswin
