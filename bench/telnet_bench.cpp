// Throughput of a Telnet session in binary mode over a loopback connection:
// the caller reading what a server streams, and the caller writing to a
// server that drains. Bytes counted are the caller's data bytes (a 255 in
// the data travels twice on the wire).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include <benchmark/benchmark.h>

#include "telnet/tnclient.h"

namespace {

// A session on a loopback connection and the server's end of it.
struct Loopback {
  int listener = -1, server = -1, handle = -1;
  Loopback() {
    TelnetInitializeA(nullptr, nullptr);
    listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(listener, 4);
    socklen_t length = sizeof address;
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    handle = TelnetConnectA("127.0.0.1", ntohs(address.sin_port), 10);
    server = accept(listener, nullptr, nullptr);
  }
  ~Loopback() {
    TelnetDisconnect(handle);
    close(server);
    close(listener);
    TelnetUninitialize();
  }
};

// Data with 255 where a byte of random data would have it.
std::string sample(size_t size) {
  std::string out(size, '\0');
  uint32_t state = 12345;
  for (char& c : out) {
    state = state * 1103515245u + 12345u;
    c = static_cast<char>(state >> 24);
  }
  return out;
}

void BM_Read(benchmark::State& state) {
  Loopback loop;
  if (loop.handle < 0 || loop.server < 0) {
    state.SkipWithError("no loopback session");
    return;
  }
  // The server streams the sample's wire form for as long as it can.
  std::string wire;
  const std::string data = sample(1 << 16);
  size_t dataPerRound = data.size();
  for (const char c : data) {
    wire.push_back(c);
    if (static_cast<unsigned char>(c) == 255) wire.push_back(c);
  }
  std::atomic<bool> stop{false};
  std::thread writer([&] {
    while (!stop) {
      size_t at = 0;
      while (at < wire.size() && !stop) {
        const ssize_t n = send(loop.server, wire.data() + at, wire.size() - at, MSG_NOSIGNAL);
        if (n <= 0) return;
        at += static_cast<size_t>(n);
      }
    }
  });
  std::vector<char> buffer(static_cast<size_t>(state.range(0)));
  int64_t total = 0;
  for (auto _ : state) {
    size_t got = 0;
    while (got < dataPerRound) {
      const int n = TelnetRead(loop.handle, buffer.data(), static_cast<int>(buffer.size()));
      if (n <= 0) {
        state.SkipWithError("read failed");
        break;
      }
      got += static_cast<size_t>(n);
    }
    total += static_cast<int64_t>(got);
  }
  stop = true;
  shutdown(loop.server, SHUT_RDWR);
  writer.join();
  state.SetBytesProcessed(total);
}
BENCHMARK(BM_Read)->Arg(4096)->Arg(65536)->UseRealTime();

void BM_Write(benchmark::State& state) {
  Loopback loop;
  if (loop.handle < 0 || loop.server < 0) {
    state.SkipWithError("no loopback session");
    return;
  }
  std::atomic<bool> stop{false};
  std::thread drainer([&] {
    std::vector<char> sink(1 << 17);
    while (recv(loop.server, sink.data(), sink.size(), 0) > 0) {
    }
  });
  const std::string data = sample(static_cast<size_t>(state.range(0)));
  int64_t total = 0;
  for (auto _ : state) {
    if (TelnetWrite(loop.handle, data.data(), static_cast<int>(data.size())) !=
        static_cast<int>(data.size())) {
      state.SkipWithError("write failed");
      break;
    }
    total += static_cast<int64_t>(data.size());
  }
  TelnetDisconnect(loop.handle);
  loop.handle = -1;
  drainer.join();
  state.SetBytesProcessed(total);
}
BENCHMARK(BM_Write)->Arg(4096)->Arg(65536)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
