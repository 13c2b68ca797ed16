// A scripted Telnet server on a loopback port for the library's tests: the
// test connects a session, takes the server's end of the connection, and
// writes and reads raw bytes on it.
#ifndef KESTREL_TELNET_TESTPEER_H
#define KESTREL_TELNET_TESTPEER_H

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include <gtest/gtest.h>

#include "telnet/tnclient.h"

namespace kstelnet::testing {

class Listener {
 public:
  explicit Listener(int port = 0) {
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(fd_, 512) != 0) {
      close(fd_);
      fd_ = -1;
      return;
    }
    socklen_t length = sizeof address;
    getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
  }
  ~Listener() {
    if (fd_ >= 0) close(fd_);
  }
  Listener(const Listener&) = delete;
  Listener& operator=(const Listener&) = delete;
  bool ok() const { return fd_ >= 0; }
  int port() const { return port_; }
  int fd() const { return fd_; }
  // The server's end of the next connection, or -1 after two seconds.
  int accept() {
    pollfd p{fd_, POLLIN, 0};
    if (poll(&p, 1, 2000) != 1) return -1;
    return ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
  }

 private:
  int fd_ = -1;
  int port_ = 0;
};

// The server's end of one session.
class Peer {
 public:
  Peer() = default;
  explicit Peer(int fd) : fd_(fd) {}
  ~Peer() { hangUp(); }
  Peer(const Peer&) = delete;
  Peer& operator=(const Peer&) = delete;
  void adopt(int fd) {
    hangUp();
    fd_ = fd;
  }
  bool ok() const { return fd_ >= 0; }
  int fd() const { return fd_; }
  void send(const std::string& bytes) {
    size_t at = 0;
    while (at < bytes.size()) {
      const ssize_t n = ::send(fd_, bytes.data() + at, bytes.size() - at, MSG_NOSIGNAL);
      if (n <= 0) return;
      at += static_cast<size_t>(n);
    }
  }
  // Everything that arrives within `milliseconds` of quiet.
  std::string receive(int milliseconds = 200) {
    std::string out;
    char buffer[65536];
    for (;;) {
      pollfd p{fd_, POLLIN, 0};
      if (poll(&p, 1, milliseconds) != 1) break;
      const ssize_t n = recv(fd_, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      out.append(buffer, static_cast<size_t>(n));
    }
    return out;
  }
  // Reads until `count` bytes came or two seconds passed.
  std::string receiveExactly(size_t count) {
    std::string out;
    char buffer[65536];
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (out.size() < count && std::chrono::steady_clock::now() < until) {
      pollfd p{fd_, POLLIN, 0};
      if (poll(&p, 1, 100) != 1) continue;
      const ssize_t n = recv(fd_, buffer, std::min(sizeof buffer, count - out.size()), 0);
      if (n <= 0) break;
      out.append(buffer, static_cast<size_t>(n));
    }
    return out;
  }
  void hangUp() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }

 private:
  int fd_ = -1;
};

inline std::string bytes(std::initializer_list<int> values) {
  std::string out;
  for (const int v : values) out.push_back(static_cast<char>(v));
  return out;
}

// The library initialized for one test, and a session on a scripted server.
class SessionTest : public ::testing::Test {
 public:
  void SetUp() override {
    ASSERT_EQ(TelnetInitializeA(nullptr, nullptr), 1);
    ASSERT_TRUE(listener.ok());
  }
  void TearDown() override {
    if (handle >= 0) TelnetDisconnect(handle);
    TelnetUninitialize();
  }
  // A blocking session, and the server's end of it.
  void open(DWORD options = 0, int timeout = 5) {
    handle = TelnetConnectExA("127.0.0.1", listener.port(), timeout, options);
    ASSERT_GE(handle, 0) << TelnetGetLastError();
    peer.adopt(listener.accept());
    ASSERT_TRUE(peer.ok());
  }
  // Reads what the session has now (the server's bytes must be there).
  std::string readAll(int count = 4096) {
    std::string buffer(static_cast<size_t>(count), '\0');
    const int n = TelnetRead(handle, buffer.data(), count);
    return n > 0 ? buffer.substr(0, static_cast<size_t>(n)) : std::string();
  }
  Listener listener;
  Peer peer;
  int handle = -1;
};

}  // namespace kstelnet::testing

#endif
