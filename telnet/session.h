// Inside the Telnet client: the session record, the slot table, the
// per-thread last error, and the pieces of the data path that the library
// files share. Nothing outside telnet/ includes this header.
#ifndef KESTREL_TELNET_SESSION_H
#define KESTREL_TELNET_SESSION_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "telnet/tnclient.h"

namespace kstelnet {

// Telnet bytes.
inline constexpr unsigned char kIAC = 255, kDONT = 254, kDO = 253, kWONT = 252, kWILL = 251,
                               kSB = 250, kAYT = 246, kIP = 244, kBRK = 243, kSE = 240,
                               kABORT = 238;
inline constexpr unsigned char kOptBinary = 0, kOptEcho = 1, kOptSuppressGoAhead = 3,
                               kOptTerminalType = 24, kOptStartTls = 46;
inline constexpr unsigned char kIS = 0, kSEND = 1, kFOLLOWS = 1;

inline constexpr int kSlots = 256;
inline constexpr int kBufferSize = 1024;
inline constexpr int kFlushAt = 1023;
inline constexpr int kDefaultTimeout = 60;
inline constexpr int kMaxTimeout = 600;
inline constexpr std::size_t kTerminalTypeMax = 30;
inline constexpr std::size_t kSubnegotiationMax = 120;

struct TlsState;  // tls.cpp
struct Watch;     // notify.cpp

// Where the reader is inside a Telnet command that may arrive in pieces.
enum class Sequence : uint8_t {
  data,        // plain data
  iac,         // after IAC
  verb,        // after IAC WILL/WONT/DO/DONT: the option comes next
  sbOption,    // after IAC SB: the option comes next
  sbCode,      // after IAC SB option: its first code comes next
};

struct Session {
  std::thread::id owner;
  int handle = -1;
  int slot = -1;
  HWND window = nullptr;
  UINT message = 0;
  int sock = -1;
  uint32_t address = 0xFFFFFFFFu;  // IPv4, network order; none = all ones
  int port = 0;
  DWORD options = 0;
  std::string host;
  int mode = 0;
  int timeout = kDefaultTimeout;
  bool blocking = false;
  bool subnegotiation = false;
  bool closed = false;
  bool timedOut = false;
  bool iacPending = false;
  unsigned char lastChar = 0;
  std::string terminalType = "DEC-VT100";

  unsigned char receive[kBufferSize] = {};
  int unread = 0;
  int readPos = 0;
  unsigned char send[kBufferSize] = {};
  int fill = 0;

  // The reader's place in a command, kept between reads.
  Sequence sequence = Sequence::data;
  unsigned char verb = 0;
  unsigned char sbOption = 0;
  bool startTlsAtSE = false;  // START-TLS FOLLOWS seen: the handshake follows IAC SE

  std::unique_ptr<TlsState> tls;  // credentials from connect; secure once started
  bool secure = false;
  std::shared_ptr<Watch> watch;  // window notification

  Session();
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
};

// The per-thread last error.
void setError(int code);
int lastError();

// The session of `handle` when it belongs to the calling thread, else null
// with 27505 set.
std::shared_ptr<Session> lookup(int handle);
// The same, failing with 27518 while an operation of the session waits
// (a window procedure run by the blocking hook calling back).
std::shared_ptr<Session> lookupIdle(int handle);

// Waits for the socket to be readable (POLLIN) or writable (POLLOUT) for up
// to `milliseconds` (negative: without limit). 1 ready, 0 timed out, -1 failed.
int waitSocket(Session& session, short events, int milliseconds);
// The session's timeout in milliseconds for waitSocket.
int timeoutMs(const Session& session);

// Data path (engine.cpp). Results: 0 or an error code.
int receive(Session& session);
int read(Session& session, unsigned char* out, int count, int* stored);
int write(Session& session, const unsigned char* data, int length);
// `more`: the caller's data goes on past this flush, so the socket may hold
// the bytes back to join them with the next ones in one segment.
int flush(Session& session, bool more = false);
int sendCommand(Session& session, unsigned char command, int option);
int sendSubnegotiation(Session& session, unsigned char option, unsigned char value,
                       const std::string& text);
// Sends bytes straight to the socket (or the secure layer), waiting for room
// up to the timeout; *sent gets how many went.
int sendRaw(Session& session, const unsigned char* data, int length, int* sent,
            bool more = false);

// Trace (trace.cpp): a readable line per socket transfer while tracing is on.
void traceData(const char* what, int socket, const unsigned char* data, long length);
void traceLine(const char* format, long value);
bool tracing();

}  // namespace kstelnet

#endif
