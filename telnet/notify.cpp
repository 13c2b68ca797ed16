// The notification watcher of a session.
#include "notify.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <thread>

#include "winlayer/winlayer.h"

namespace kstelnet {

struct Watch {
  int socket = -1;
  HWND window = nullptr;
  UINT message = 0;
  int mask = 0;
  int wake = -1;  // eventfd: re-arm or stop
  std::atomic<bool> readArmed{true};
  std::atomic<bool> writeArmed{true};
  std::atomic<bool> stop{false};
  std::thread thread;
  ~Watch() {
    if (wake >= 0) close(wake);
  }
};

namespace {

void post(const Watch& watch, int event, int error) {
  PostMessage(watch.window, watch.message, static_cast<WPARAM>(watch.socket),
              static_cast<LPARAM>(static_cast<DWORD>(MAKELONG(event, error))));
}

void nudge(const Watch& watch) {
  const uint64_t one = 1;
  [[maybe_unused]] ssize_t ignored = ::write(watch.wake, &one, sizeof one);
}

void run(Watch* watch) {
  bool connecting = (watch->mask & TELNET_EVENT_CONNECT) != 0;
  bool closeSent = false;
  while (!watch->stop) {
    pollfd fds[2] = {{watch->socket, 0, 0}, {watch->wake, POLLIN, 0}};
    if (connecting) {
      fds[0].events = POLLOUT;
    } else {
      if ((watch->mask & (TELNET_EVENT_READ | TELNET_EVENT_CLOSE)) && watch->readArmed &&
          !closeSent)
        fds[0].events |= POLLIN | POLLRDHUP;
      if ((watch->mask & TELNET_EVENT_WRITE) && watch->writeArmed) fds[0].events |= POLLOUT;
    }
    if (fds[0].events == 0) fds[0].fd = -1;  // nothing to watch until re-armed
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[1].revents & POLLIN) {
      uint64_t count = 0;
      [[maybe_unused]] ssize_t ignored = ::read(watch->wake, &count, sizeof count);
      continue;  // the armed states may have changed
    }
    const short got = fds[0].revents;
    if (got == 0) continue;
    if (connecting) {
      int error = 0;
      socklen_t length = sizeof error;
      getsockopt(watch->socket, SOL_SOCKET, SO_ERROR, &error, &length);
      connecting = false;
      post(*watch, TELNET_EVENT_CONNECT, error);
      if (error != 0) return;  // a failed connect has nothing more to tell
      continue;                // the write event follows on the next round
    }
    if ((got & POLLOUT) && watch->writeArmed.exchange(false)) post(*watch, TELNET_EVENT_WRITE, 0);
    if ((got & (POLLIN | POLLRDHUP | POLLHUP | POLLERR)) && watch->readArmed && !closeSent) {
      unsigned char byte;
      const ssize_t n = recv(watch->socket, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
      if (n > 0) {
        if ((watch->mask & TELNET_EVENT_READ) && watch->readArmed.exchange(false))
          post(*watch, TELNET_EVENT_READ, 0);
      } else if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
        closeSent = true;
        if (watch->mask & TELNET_EVENT_CLOSE)
          post(*watch, TELNET_EVENT_CLOSE, n == 0 ? 0 : errno);
      }
    }
  }
}

}  // namespace

std::shared_ptr<Watch> startWatch(int socket, HWND window, UINT message, int mask) {
  auto watch = std::make_shared<Watch>();
  watch->socket = socket;
  watch->window = window;
  watch->message = message;
  watch->mask = mask;
  watch->wake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (watch->wake < 0) return nullptr;
  try {
    watch->thread = std::thread(run, watch.get());
  } catch (...) {
    return nullptr;
  }
  return watch;
}

void stopWatch(const std::shared_ptr<Watch>& watch) {
  if (watch == nullptr) return;
  watch->stop = true;
  nudge(*watch);
  if (watch->thread.joinable()) watch->thread.join();
}

void rearmRead(const std::shared_ptr<Watch>& watch) {
  if (watch == nullptr || watch->readArmed.exchange(true)) return;
  nudge(*watch);
}

void rearmWrite(const std::shared_ptr<Watch>& watch) {
  if (watch == nullptr || watch->writeArmed.exchange(true)) return;
  nudge(*watch);
}

void postEvent(const Session& session, int event, int error) {
  if (session.window == nullptr) return;
  PostMessage(session.window, session.message, static_cast<WPARAM>(session.sock),
              static_cast<LPARAM>(static_cast<DWORD>(MAKELONG(event, error))));
}

}  // namespace kstelnet
