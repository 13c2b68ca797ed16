// The Telnet data path of a session: refilling the receive buffer, turning
// the server's stream into the caller's data while answering its option
// negotiation, escaping the caller's data on the way out, and commands.
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstring>

#include "notify.h"
#include "session.h"
#include "tls.h"

namespace kstelnet {
namespace {

// Sets the session's blocking flag for the life of a socket operation.
class Blocking {
 public:
  explicit Blocking(Session& session) : session_(session) { session_.blocking = true; }
  ~Blocking() { session_.blocking = false; }
  Blocking(const Blocking&) = delete;
  Blocking& operator=(const Blocking&) = delete;

 private:
  Session& session_;
};

bool wouldBlock(int error) { return error == EAGAIN || error == EWOULDBLOCK; }

// One receive from the socket into the buffer.
int receivePlain(Session& session) {
  const Blocking blocking(session);
  ssize_t n = recv(session.sock, session.receive, kBufferSize, MSG_DONTWAIT);
  if (n < 0 && wouldBlock(errno)) {
    // Nothing there yet: wait as the reader's state asks. Inside a command
    // the rest is due within a second; a notified session does not wait.
    int wait;
    if (session.iacPending)
      wait = 1000;
    else if (session.window != nullptr)
      wait = 0;
    else
      wait = timeoutMs(session);
    if (wait != 0) {
      const int ready = waitSocket(session, POLLIN, wait);
      if (ready == 0) {
        session.timedOut = true;
        return TELNET_ERROR_TIMEOUT;
      }
      if (ready < 0) return TELNET_ERROR_READ;
      n = recv(session.sock, session.receive, kBufferSize, MSG_DONTWAIT);
    }
  }
  rearmRead(session.watch);
  if (n > 0) {
    session.unread = static_cast<int>(n);
    session.readPos = 0;
    session.timedOut = false;
    traceData("recv", session.sock, session.receive, n);
    return 0;
  }
  if (n == 0) {
    session.closed = true;
    return TELNET_ERROR_CLOSED;
  }
  return wouldBlock(errno) ? TELNET_ERROR_WOULD_BLOCK : TELNET_ERROR_READ;
}

int answer(Session& session, unsigned char verb, unsigned char option) {
  return sendCommand(session, verb, option);
}

// The answer to WILL, WONT, DO or DONT for an option.
int negotiate(Session& session, unsigned char verb, unsigned char option) {
  const bool will = verb == kWILL, doVerb = verb == kDO;
  if (verb == kWONT || verb == kDONT) {
    if (option == kOptBinary) session.mode &= ~TELNET_MODE_BINARY;
    if (option == kOptEcho) session.mode &= ~TELNET_MODE_ECHO;
    return 0;  // never answered
  }
  bool yes = false;
  switch (option) {
    case kOptBinary: yes = (session.mode & TELNET_MODE_BINARY) != 0; break;
    case kOptEcho: yes = (session.mode & TELNET_MODE_ECHO) == 0; break;
    case kOptSuppressGoAhead: yes = true; break;
    case kOptTerminalType: yes = !session.terminalType.empty(); break;
    case kOptStartTls: yes = !will && (session.options & TELNET_OPTION_SECURE) != 0; break;
    default: yes = false; break;
  }
  if (will) return answer(session, yes ? kDO : kDONT, option);
  if (doVerb) return answer(session, yes ? kWILL : kWONT, option);
  return 0;
}

// IAC SB option code: the first two bytes of a subnegotiation. Whatever it
// asks, the caller learns through 27521 that one went by.
int subnegotiate(Session& session, unsigned char option, unsigned char code) {
  int result = 0;
  if (option == kOptTerminalType && code == kSEND && !session.terminalType.empty()) {
    result = sendSubnegotiation(session, kOptTerminalType, kIS, session.terminalType);
  } else if (option == kOptStartTls && code == kFOLLOWS &&
             (session.options & TELNET_OPTION_SECURE) != 0 && !session.secure &&
             session.tls != nullptr) {
    // Our FOLLOWS tells the server we start; the handshake itself waits for
    // the server's IAC SE so that no Telnet byte is taken for TLS.
    result = sendSubnegotiation(session, kOptStartTls, kFOLLOWS, std::string());
    if (result == 0) session.startTlsAtSE = true;
  }
  setError(TELNET_ERROR_UNSUPPORTED_OPTION);
  return result;
}

// The server's IAC SE after START-TLS FOLLOWS: the rest of the buffer, if
// any, already belongs to TLS.
int startTls(Session& session) {
  session.startTlsAtSE = false;
  const unsigned char* early = session.receive + session.readPos;
  const int earlyLength = session.unread - session.readPos;
  session.unread = session.readPos = 0;
  const int result = tlsHandshake(session, early, earlyLength);
  if (result != 0) {
    // The server now speaks TLS: nothing sound can follow in the clear.
    session.closed = true;
    shutdown(session.sock, SHUT_RDWR);
  }
  return result;
}

// Takes one byte of a command. 0, or an error code (the sequence is kept so
// that the next read goes on where this one stopped).
int command(Session& session, unsigned char byte, bool* store) {
  *store = false;
  switch (session.sequence) {
    case Sequence::data: break;
    case Sequence::iac:
      session.sequence = Sequence::data;
      if (byte == kIAC) {
        *store = true;
      } else if (byte == kSE) {
        session.subnegotiation = false;
        if (session.startTlsAtSE) return startTls(session);
      } else if (byte == kSB) {
        session.subnegotiation = true;
        session.sequence = Sequence::sbOption;
      } else if (byte >= kWILL && byte <= kDONT) {
        session.verb = byte;
        session.sequence = Sequence::verb;
      }
      return 0;
    case Sequence::verb:
      session.sequence = Sequence::data;
      return negotiate(session, session.verb, byte);
    case Sequence::sbOption:
      session.sbOption = byte;
      session.sequence = Sequence::sbCode;
      return 0;
    case Sequence::sbCode:
      session.sequence = Sequence::data;
      return subnegotiate(session, session.sbOption, byte);
  }
  return 0;
}

}  // namespace

int receive(Session& session) {
  if (session.readPos < session.unread) return 0;
  if (session.closed) return TELNET_ERROR_CLOSED;
  if (session.secure) return tlsReceive(session);
  return receivePlain(session);
}

int read(Session& session, unsigned char* out, int count, int* stored) {
  int n = 0, error = 0;
  while (n < count) {
    if (n > 0 && session.readPos >= session.unread) break;
    session.iacPending = session.sequence != Sequence::data;
    error = receive(session);
    if (error != 0) break;
    const bool binary = (session.mode & TELNET_MODE_BINARY) != 0;
    if (session.sequence == Sequence::data && binary) {
      // The common case: a run of data up to the next IAC goes over as is.
      const unsigned char* from = session.receive + session.readPos;
      const int available = std::min(session.unread - session.readPos, count - n);
      const void* iac = std::memchr(from, kIAC, static_cast<size_t>(available));
      const int run = iac != nullptr ? static_cast<int>(static_cast<const unsigned char*>(iac) - from)
                                     : available;
      if (run > 0) {
        std::memcpy(out + n, from, static_cast<size_t>(run));
        n += run;
        session.readPos += run;
        session.lastChar = from[run - 1];
        continue;
      }
    }
    const unsigned char byte = session.receive[session.readPos];
    if (session.sequence == Sequence::data) {
      if (!binary && byte == '\n' && session.lastChar != '\r') {
        // A bare line feed reaches the caller as CR LF.
        out[n++] = '\r';
        session.lastChar = '\r';
        continue;
      }
      ++session.readPos;
      if (!binary && byte == 0) continue;
      if (byte == kIAC) {
        session.sequence = Sequence::iac;
        continue;
      }
      out[n++] = byte;
      session.lastChar = byte;
      continue;
    }
    ++session.readPos;
    bool store = false;
    error = command(session, byte, &store);
    if (store) {
      out[n++] = byte;
      session.lastChar = byte;
    }
    if (error != 0) break;
  }
  session.iacPending = session.sequence != Sequence::data;
  *stored = n;
  if (session.window != nullptr) {
    // Bytes left over would wait for an event that never comes: ask the
    // caller to read again.
    if (session.readPos >= session.unread && !session.closed && error == 0) {
      session.iacPending = false;
      if (receive(session) != 0) {
        // nothing more there now
      }
      session.iacPending = session.sequence != Sequence::data;
    }
    if (session.readPos < session.unread || (session.secure && tlsPending(session)))
      postEvent(session, TELNET_EVENT_READ, 0);
  }
  return error;
}

int sendRaw(Session& session, const unsigned char* data, int length, int* sent, bool more) {
  *sent = 0;
  if (session.secure) return tlsSend(session, data, length, sent);
  const Blocking blocking(session);
  // The connection sends every segment at once (no Nagle delay): bytes of a
  // long write that more bytes follow are marked so, and go out in full
  // segments with them instead of one small segment per flush.
  const int flags = MSG_DONTWAIT | MSG_NOSIGNAL | (more ? MSG_MORE : 0);
  while (*sent < length) {
    const ssize_t n =
        ::send(session.sock, data + *sent, static_cast<size_t>(length - *sent), flags);
    if (n > 0) {
      traceData("send", session.sock, data + *sent, n);
      *sent += static_cast<int>(n);
      continue;
    }
    if (n < 0 && wouldBlock(errno)) {
      rearmWrite(session.watch);
      // No room: wait for it up to the timeout, window or not, so that
      // bytes taken from the caller are not left behind.
      const int ready = waitSocket(session, POLLOUT, timeoutMs(session));
      if (ready == 0) {
        session.timedOut = true;
        return TELNET_ERROR_TIMEOUT;
      }
      if (ready < 0) return TELNET_ERROR_WRITE;
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    return TELNET_ERROR_WRITE;
  }
  return 0;
}

int flush(Session& session, bool more) {
  if (session.fill == 0) return TELNET_ERROR_BUFFER_OVERFLOW;
  if (session.closed) return TELNET_ERROR_CLOSED;
  int sent = 0;
  const int error = sendRaw(session, session.send, session.fill, &sent, more);
  if (sent > 0 && sent < session.fill)
    std::memmove(session.send, session.send + sent, static_cast<size_t>(session.fill - sent));
  session.fill -= sent;
  return error;
}

int write(Session& session, const unsigned char* data, int length) {
  int i = 0;
  while (i < length) {
    // Gather the run up to the next byte 255 at once; a 255 goes out twice.
    const int room = kFlushAt - session.fill;
    const int want = std::min(length - i, room);
    const void* iac = std::memchr(data + i, kIAC, static_cast<size_t>(want));
    const int run =
        iac != nullptr ? static_cast<int>(static_cast<const unsigned char*>(iac) - (data + i)) : want;
    std::memcpy(session.send + session.fill, data + i, static_cast<size_t>(run));
    session.fill += run;
    i += run;
    if (iac != nullptr) {
      session.send[session.fill++] = kIAC;
      session.send[session.fill++] = kIAC;  // the buffer has one byte spare past 1023
      ++i;
    }
    if (session.fill >= kFlushAt) {
      const int error = flush(session, i < length);
      if (error != 0) return error;
    }
  }
  // Everything taken goes out now; a buffer already empty is no failure.
  while (session.fill > 0) {
    const int error = flush(session);
    if (error != 0) return error;
  }
  return 0;
}

int sendCommand(Session& session, unsigned char command, int option) {
  if (session.closed) return TELNET_ERROR_CLOSED;
  unsigned char bytes[3] = {kIAC, command, static_cast<unsigned char>(option & 0xFF)};
  const int length = option >= 0 ? 3 : 2;
  int sent = 0;
  const int error = sendRaw(session, bytes, length, &sent);
  if (error != 0) return error;
  return sent == length ? 0 : TELNET_ERROR_WRITE;
}

int sendSubnegotiation(Session& session, unsigned char option, unsigned char value,
                       const std::string& text) {
  if (session.closed) return TELNET_ERROR_CLOSED;
  if (text.size() > kSubnegotiationMax) return TELNET_ERROR_INVALID_PARAMETER;
  unsigned char bytes[6 + 2 * kSubnegotiationMax];
  int length = 0;
  bytes[length++] = kIAC;
  bytes[length++] = kSB;
  bytes[length++] = option;
  bytes[length++] = value;
  for (const char c : text) {
    bytes[length++] = static_cast<unsigned char>(c);
    if (static_cast<unsigned char>(c) == kIAC) bytes[length++] = kIAC;
  }
  bytes[length++] = kIAC;
  bytes[length++] = kSE;
  int sent = 0;
  const int error = sendRaw(session, bytes, length, &sent);
  if (error != 0) return error;
  return sent == length ? 0 : TELNET_ERROR_WRITE;
}

}  // namespace kstelnet
