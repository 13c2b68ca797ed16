// The secure layer of a session: OpenSSL over the session's own socket
// through memory buffers, so every wait keeps the session's timeout and
// every transfer can be traced.
#ifndef KESTREL_TELNET_TLS_H
#define KESTREL_TELNET_TLS_H

#include <string>
#include <vector>

#include "session.h"

typedef struct ssl_ctx_st SSL_CTX;
typedef struct ssl_st SSL;
typedef struct bio_st BIO;

namespace kstelnet {

struct TlsState {
  SSL_CTX* context = nullptr;
  SSL* ssl = nullptr;
  BIO* fromNet = nullptr;  // bytes received from the server, for OpenSSL
  BIO* toNet = nullptr;    // bytes OpenSSL wants sent
  std::vector<unsigned char> work;  // one network read
  int certificateStatus = 0;        // of the record: 1 valid ... 6 other
  std::string issuer, subject;
  std::vector<TNWCHAR> issuerW, subjectW;  // terminated
  TelnetSystemTime validFrom{}, validUntil{};
  ~TlsState();
};

// Checks that the secure layer can run in this process: 0 or 27581.
int securityLoad();
// The session's credentials, made at connect: 0 or 27583.
int tlsCredentials(Session& session);
// Runs the handshake on the open connection and checks the server's
// certificate against the session's host name; `early` holds bytes already
// received after the Telnet negotiation. 0 (the session is then secure) or
// an error code.
int tlsHandshake(Session& session, const unsigned char* early, int earlyLength);
// Fills the receive buffer with decrypted bytes: 0 or an error code.
int tlsReceive(Session& session);
// Encrypts and sends; *sent gets the bytes taken.
int tlsSend(Session& session, const unsigned char* data, int length, int* sent);
// Whether decrypted bytes are waiting inside the secure layer.
bool tlsPending(const Session& session);
// Sends the closing message (best effort) and frees the context.
void tlsEnd(Session& session);
// Fills the figures of the security record (not size, not the texts).
int tlsInfo(const Session& session, TelnetSecurityInfoA* info);

}  // namespace kstelnet

#endif
