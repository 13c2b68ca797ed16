// libFuzzer target: any bytes as what a Telnet server sends, read to the end
// by a session (text or binary mode, plain or offering TLS) in reads of
// changing sizes; then the same bytes written by a session, which must reach
// the server with every 255 doubled and nothing else changed. Built with
// clang in a folder of its own:
//   CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DKESTREL_FUZZERS=ON \
//     -DKESTREL_BENCHMARKS=OFF && cmake --build build-fuzz --target engine_fuzz
//   mkdir -p fuzz-corpus-telnet && build-fuzz/bin/engine_fuzz fuzz-corpus-telnet \
//     -max_len=65536 -max_total_time=600
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "session.h"
#include "tls.h"

namespace {

// Takes whatever the session sent to the server so far.
std::string drainPeer(int fd) {
  std::string out;
  char buffer[65536];
  for (;;) {
    const ssize_t n = recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
    if (n <= 0) return out;
    out.append(buffer, static_cast<size_t>(n));
  }
}

struct Pair {
  int client = -1, server = -1;
  Pair() {
    int fds[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) == 0) {
      client = fds[0];
      server = fds[1];
      const int size = 1 << 20;
      setsockopt(server, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
      setsockopt(client, SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
    }
  }
  ~Pair() {
    if (server >= 0) close(server);
  }
};

void sendAll(int fd, const uint8_t* data, size_t size) {
  size_t at = 0;
  while (at < size) {
    const ssize_t n = send(fd, data + at, size - at, MSG_NOSIGNAL);
    if (n <= 0) return;
    at += static_cast<size_t>(n);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 65536) return 0;
  const uint8_t control = data[0];
  ++data;
  --size;
  {
    Pair pair;
    if (pair.client < 0) return 0;
    kstelnet::Session session;
    session.sock = pair.client;  // the session closes it
    session.timeout = 1;
    session.host = "localhost";
    session.mode = control & 3;
    if (control & 4) {
      session.options = TELNET_OPTION_SECURE;
      if (kstelnet::tlsCredentials(session) != 0) return 0;
    }
    if (control & 8) session.terminalType.clear();
    sendAll(pair.server, data, size);
    shutdown(pair.server, SHUT_WR);
    unsigned char out[4096];
    int count = 1 + (control >> 4);
    for (int round = 0; round < 100000; ++round) {
      int stored = -1;
      const int error = kstelnet::read(session, out, count, &stored);
      if (stored < 0 || stored > count) std::abort();
      drainPeer(pair.server);
      if (error != 0 && error != TELNET_ERROR_UNSUPPORTED_OPTION) break;
      count = count * 7 % 4096 + 1;
    }
    kstelnet::tlsEnd(session);
  }
  {
    // The way out: the caller's bytes arrive with 255 doubled.
    Pair pair;
    if (pair.client < 0) return 0;
    kstelnet::Session session;
    session.sock = pair.client;
    session.timeout = 1;
    if (kstelnet::write(session, data, static_cast<int>(size)) != 0) std::abort();
    const std::string wire = drainPeer(pair.server);
    std::string back;
    for (size_t i = 0; i < wire.size(); ++i) {
      back.push_back(wire[i]);
      if (static_cast<unsigned char>(wire[i]) == 255) {
        if (i + 1 >= wire.size() || static_cast<unsigned char>(wire[i + 1]) != 255) std::abort();
        ++i;
      }
    }
    if (back != std::string(reinterpret_cast<const char*>(data), size)) std::abort();
  }
  return 0;
}
