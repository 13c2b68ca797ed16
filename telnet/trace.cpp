// The trace of the socket traffic: while on, every transfer of every session
// is written to the trace file as a line with the direction, socket and
// count, followed by the bytes in hex and as text, 16 to a line.
#include <cstdio>
#include <atomic>
#include <ctime>
#include <mutex>

#include "internal.h"
#include "session.h"

namespace kstelnet {
namespace {

std::mutex traceLock;
std::FILE* traceFile = nullptr;
int traceUsers = 0;
// Whether a trace file is open, for the data path to ask without the lock.
std::atomic<bool> traceActive{false};

void stamp() {
  std::timespec now{};
  std::timespec_get(&now, TIME_UTC);
  std::tm parts{};
  gmtime_r(&now.tv_sec, &parts);
  std::fprintf(traceFile, "%02d:%02d:%02d.%03ld ", parts.tm_hour, parts.tm_min, parts.tm_sec,
               now.tv_nsec / 1000000);
}

}  // namespace

bool tracing() {
  std::lock_guard<std::mutex> guard(traceLock);
  return traceFile != nullptr;
}

bool traceOn(const char* fileName, DWORD) {
  if (fileName == nullptr || *fileName == '\0') {
    setError(TELNET_ERROR_INVALID_PARAMETER);
    return false;
  }
  std::FILE* file = std::fopen(fileName, "a");
  if (file == nullptr) {
    setError(TELNET_ERROR_INVALID_PARAMETER);
    return false;
  }
  std::lock_guard<std::mutex> guard(traceLock);
  if (traceFile != nullptr) std::fclose(traceFile);
  traceFile = file;
  traceActive = true;
  ++traceUsers;
  return true;
}

bool traceRelease() {
  std::lock_guard<std::mutex> guard(traceLock);
  if (traceUsers == 0) return false;
  if (--traceUsers == 0 && traceFile != nullptr) {
    std::fclose(traceFile);
    traceFile = nullptr;
    traceActive = false;
  }
  return true;
}

void traceOff() {
  std::lock_guard<std::mutex> guard(traceLock);
  if (traceFile != nullptr) std::fclose(traceFile);
  traceFile = nullptr;
  traceActive = false;
  traceUsers = 0;
}

void traceData(const char* what, int socket, const unsigned char* data, long length) {
  if (!traceActive.load(std::memory_order_relaxed)) return;
  std::lock_guard<std::mutex> guard(traceLock);
  if (traceFile == nullptr) return;
  stamp();
  std::fprintf(traceFile, "%s socket %d: %ld bytes\n", what, socket, length);
  for (long at = 0; at < length; at += 16) {
    std::fprintf(traceFile, "  %06lx ", static_cast<unsigned long>(at));
    for (long i = at; i < at + 16; ++i) {
      if (i < length)
        std::fprintf(traceFile, " %02x", data[i]);
      else
        std::fputs("   ", traceFile);
    }
    std::fputs("  ", traceFile);
    for (long i = at; i < at + 16 && i < length; ++i)
      std::fputc(data[i] >= 0x20 && data[i] < 0x7f ? data[i] : '.', traceFile);
    std::fputc('\n', traceFile);
  }
  std::fflush(traceFile);
}

void traceLine(const char* format, long value) {
  std::lock_guard<std::mutex> guard(traceLock);
  if (traceFile == nullptr) return;
  stamp();
  std::fprintf(traceFile, format, value);
  std::fputc('\n', traceFile);
  std::fflush(traceFile);
}

}  // namespace kstelnet
