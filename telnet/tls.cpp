// TLS through OpenSSL in place of the platform's security provider. OpenSSL
// reads and writes memory buffers; this file moves the bytes between them
// and the session's socket, so waits follow the session's timeout.
#include "tls.h"

#include <arpa/inet.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <string>

#include "notify.h"
#include "wide.h"

namespace kstelnet {
namespace {

constexpr size_t kWorkSize = 64 * 1024;

// Moves what OpenSSL wants sent to the socket.
int pushOut(Session& session) {
  TlsState& tls = *session.tls;
  unsigned char chunk[16 * 1024];
  for (;;) {
    const int pending = BIO_read(tls.toNet, chunk, sizeof chunk);
    if (pending <= 0) return 0;
    int offset = 0;
    while (offset < pending) {
      const ssize_t n = ::send(session.sock, chunk + offset, static_cast<size_t>(pending - offset),
                               MSG_DONTWAIT | MSG_NOSIGNAL);
      if (n > 0) {
        traceData("send", session.sock, chunk + offset, n);
        offset += static_cast<int>(n);
        continue;
      }
      if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        rearmWrite(session.watch);
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
  }
}

// Receives what the socket has into OpenSSL's input, waiting up to `wait`
// milliseconds (0: not at all; negative: without limit).
int pullIn(Session& session, int wait) {
  TlsState& tls = *session.tls;
  ssize_t n = recv(session.sock, tls.work.data(), tls.work.size(), MSG_DONTWAIT);
  if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && wait != 0) {
    const int ready = waitSocket(session, POLLIN, wait);
    if (ready == 0) {
      session.timedOut = true;
      return TELNET_ERROR_TIMEOUT;
    }
    if (ready < 0) return TELNET_ERROR_READ;
    n = recv(session.sock, tls.work.data(), tls.work.size(), MSG_DONTWAIT);
  }
  rearmRead(session.watch);
  if (n > 0) {
    traceData("recv", session.sock, tls.work.data(), n);
    BIO_write(tls.fromNet, tls.work.data(), static_cast<int>(n));
    return 0;
  }
  if (n == 0) {
    session.closed = true;
    return TELNET_ERROR_CLOSED;
  }
  return errno == EAGAIN || errno == EWOULDBLOCK ? TELNET_ERROR_WOULD_BLOCK : TELNET_ERROR_READ;
}

std::string nameText(X509_NAME* name) {
  BIO* out = BIO_new(BIO_s_mem());
  if (out == nullptr) return {};
  X509_NAME_print_ex(out, name, 0, XN_FLAG_ONELINE & ~ASN1_STRFLGS_ESC_MSB);
  char* data = nullptr;
  const long length = BIO_get_mem_data(out, &data);
  std::string text(data != nullptr ? data : "", static_cast<size_t>(length > 0 ? length : 0));
  BIO_free(out);
  return text;
}

TelnetSystemTime systemTime(const ASN1_TIME* time) {
  TelnetSystemTime out{};
  std::tm tm{};
  if (time == nullptr || ASN1_TIME_to_tm(time, &tm) != 1) return out;
  out.year = static_cast<uint16_t>(tm.tm_year + 1900);
  out.month = static_cast<uint16_t>(tm.tm_mon + 1);
  out.day = static_cast<uint16_t>(tm.tm_mday);
  out.hour = static_cast<uint16_t>(tm.tm_hour);
  out.minute = static_cast<uint16_t>(tm.tm_min);
  out.second = static_cast<uint16_t>(tm.tm_sec);
  // Day of the week by Sakamoto's rule (0 = Sunday).
  static const int offsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  int y = tm.tm_year + 1900;
  if (tm.tm_mon < 2) --y;
  out.dayOfWeek =
      static_cast<uint16_t>((y + y / 4 - y / 100 + y / 400 + offsets[tm.tm_mon] + tm.tm_mday) % 7);
  return out;
}

int statusOf(long verify) {
  switch (verify) {
    case X509_V_OK: return 1;
    case X509_V_ERR_HOSTNAME_MISMATCH:
    case X509_V_ERR_IP_ADDRESS_MISMATCH: return 2;
    case X509_V_ERR_CERT_HAS_EXPIRED:
    case X509_V_ERR_CERT_NOT_YET_VALID: return 3;
    case X509_V_ERR_CERT_REVOKED: return 4;
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
    case X509_V_ERR_CERT_UNTRUSTED:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE: return 5;
    default: return 6;
  }
}

// One client context serves every session: loading the system's CA store
// takes long. It is made again when the store's location (SSL_CERT_FILE,
// SSL_CERT_DIR) changes. The caller gets its own reference.
SSL_CTX* sharedContext() {
  static std::mutex lock;
  static SSL_CTX* context = nullptr;
  static std::string madeFor;
  const char* file = std::getenv("SSL_CERT_FILE");
  const char* dir = std::getenv("SSL_CERT_DIR");
  const std::string key = std::string(file != nullptr ? file : "") + '\n' + (dir != nullptr ? dir : "");
  std::lock_guard<std::mutex> guard(lock);
  if (context == nullptr || key != madeFor) {
    // Whatever old protocols a caller allows, a session runs TLS 1.2 or later.
    SSL_CTX* made = SSL_CTX_new(TLS_client_method());
    if (made == nullptr || SSL_CTX_set_min_proto_version(made, TLS1_2_VERSION) != 1 ||
        SSL_CTX_set_default_verify_paths(made) != 1) {
      SSL_CTX_free(made);
      return nullptr;
    }
    // The certificate is checked by hand after the handshake, so that its
    // status can be reported; a failed check ends the session.
    SSL_CTX_set_verify(made, SSL_VERIFY_NONE, nullptr);
    SSL_CTX_free(context);
    context = made;
    madeFor = key;
  }
  SSL_CTX_up_ref(context);
  return context;
}

}  // namespace

TlsState::~TlsState() {
  if (ssl != nullptr) SSL_free(ssl);  // frees both buffers with it
  if (context != nullptr) SSL_CTX_free(context);
}

int securityLoad() {
  return OPENSSL_init_ssl(0, nullptr) == 1 ? 0 : TELNET_ERROR_SECURITY_INIT;
}

int tlsCredentials(Session& session) {
  auto tls = std::make_unique<TlsState>();
  tls->context = sharedContext();
  if (tls->context == nullptr) return TELNET_ERROR_CREDENTIALS;
  tls->ssl = SSL_new(tls->context);
  if (tls->ssl == nullptr) return TELNET_ERROR_CREDENTIALS;
  tls->fromNet = BIO_new(BIO_s_mem());
  tls->toNet = BIO_new(BIO_s_mem());
  if (tls->fromNet == nullptr || tls->toNet == nullptr) {
    BIO_free(tls->fromNet);
    BIO_free(tls->toNet);
    return TELNET_ERROR_CREDENTIALS;
  }
  SSL_set_bio(tls->ssl, tls->fromNet, tls->toNet);
  SSL_set_connect_state(tls->ssl);
  if (!session.host.empty()) {
    in_addr ip4{};
    in6_addr ip6{};
    const bool literal = inet_pton(AF_INET, session.host.c_str(), &ip4) == 1 ||
                         inet_pton(AF_INET6, session.host.c_str(), &ip6) == 1;
    X509_VERIFY_PARAM* param = SSL_get0_param(tls->ssl);
    if (literal) {
      if (X509_VERIFY_PARAM_set1_ip_asc(param, session.host.c_str()) != 1)
        return TELNET_ERROR_CREDENTIALS;
    } else {
      if (SSL_set1_host(tls->ssl, session.host.c_str()) != 1 ||
          SSL_set_tlsext_host_name(tls->ssl, session.host.c_str()) != 1)
        return TELNET_ERROR_CREDENTIALS;
    }
  }
  tls->work.resize(kWorkSize);
  session.tls = std::move(tls);
  return 0;
}

int tlsHandshake(Session& session, const unsigned char* early, int earlyLength) {
  if (session.tls == nullptr) return TELNET_ERROR_SECURITY_CONTEXT;
  TlsState& tls = *session.tls;
  if (earlyLength > 0) BIO_write(tls.fromNet, early, earlyLength);
  for (;;) {
    ERR_clear_error();
    const int result = SSL_do_handshake(tls.ssl);
    const int pushed = pushOut(session);
    if (pushed != 0) return pushed;
    if (result == 1) break;
    if (SSL_get_error(tls.ssl, result) != SSL_ERROR_WANT_READ)
      return TELNET_ERROR_SECURITY_CONTEXT;
    int wait = timeoutMs(session);
    const int pulled = pullIn(session, wait == 0 ? -1 : wait);
    if (pulled == TELNET_ERROR_TIMEOUT) return pulled;
    if (pulled != 0) return TELNET_ERROR_READ;
  }
  // The server's certificate, against the host name the session was given.
  X509* certificate = SSL_get1_peer_certificate(tls.ssl);
  if (certificate == nullptr) {
    tls.certificateStatus = 6;
    return TELNET_ERROR_CERTIFICATE;
  }
  tls.issuer = nameText(X509_get_issuer_name(certificate));
  tls.subject = nameText(X509_get_subject_name(certificate));
  tls.issuerW = toUtf16(tls.issuer);
  tls.subjectW = toUtf16(tls.subject);
  tls.validFrom = systemTime(X509_get0_notBefore(certificate));
  tls.validUntil = systemTime(X509_get0_notAfter(certificate));
  X509_free(certificate);
  const long verify = SSL_get_verify_result(tls.ssl);
  tls.certificateStatus = statusOf(verify);
  if (session.host.empty()) return TELNET_ERROR_INVALID_HOST;
  if (verify != X509_V_OK) return TELNET_ERROR_CERTIFICATE;
  session.secure = true;
  return 0;
}

bool tlsPending(const Session& session) {
  return session.tls != nullptr && session.tls->ssl != nullptr &&
         (SSL_pending(session.tls->ssl) > 0 || BIO_ctrl_pending(session.tls->fromNet) > 0);
}

int tlsReceive(Session& session) {
  TlsState& tls = *session.tls;
  for (;;) {
    ERR_clear_error();
    const int n = SSL_read(tls.ssl, session.receive, kBufferSize);
    if (n > 0) {
      traceLine("Decrypted buffer of %ld bytes", n);
      session.unread = n;
      session.readPos = 0;
      session.timedOut = false;
      return 0;
    }
    const int why = SSL_get_error(tls.ssl, n);
    if (pushOut(session) != 0) return TELNET_ERROR_READ;
    if (why == SSL_ERROR_ZERO_RETURN) {
      session.closed = true;
      return TELNET_ERROR_CLOSED;
    }
    if (why != SSL_ERROR_WANT_READ) return TELNET_ERROR_READ;
    int wait;
    if (session.iacPending)
      wait = 1000;
    else if (session.window != nullptr)
      wait = 0;
    else
      wait = timeoutMs(session) == 0 ? -1 : timeoutMs(session);
    const int pulled = pullIn(session, wait);
    if (pulled != 0) return pulled;
  }
}

int tlsSend(Session& session, const unsigned char* data, int length, int* sent) {
  TlsState& tls = *session.tls;
  *sent = 0;
  if (length <= 0) return 0;
  ERR_clear_error();
  const int n = SSL_write(tls.ssl, data, length);
  if (n <= 0) return TELNET_ERROR_WRITE;
  traceLine("Encrypted buffer of %ld bytes", n);
  *sent = n;
  return pushOut(session);
}

void tlsEnd(Session& session) {
  if (session.tls == nullptr) return;
  if (session.secure && !session.closed && session.sock >= 0) {
    ERR_clear_error();
    SSL_shutdown(session.tls->ssl);
    const int timeout = session.timeout;
    session.timeout = 1;  // a closing message is not worth a long wait
    pushOut(session);
    session.timeout = timeout;
  }
  session.secure = false;
  session.tls.reset();
}

int tlsInfo(const Session& session, TelnetSecurityInfoA* info) {
  if (session.tls == nullptr || session.tls->ssl == nullptr) return TELNET_ERROR_SECURITY_CONTEXT;
  SSL* ssl = session.tls->ssl;
  const SSL_CIPHER* cipher = SSL_get_current_cipher(ssl);
  if (cipher == nullptr) return TELNET_ERROR_SECURITY_CONTEXT;
  const int version = SSL_version(ssl);
  info->protocol = version == SSL3_VERSION ? 2u : version == TLS1_VERSION ? 8u : 256u;
  switch (SSL_CIPHER_get_cipher_nid(cipher)) {
    case NID_rc2_cbc: info->cipher = 1; break;
    case NID_rc4: info->cipher = 2; break;
    case NID_des_cbc: info->cipher = 4; break;
    case NID_des_ede3_cbc: info->cipher = 8; break;
    default: info->cipher = 256; break;
  }
  info->cipherStrength = static_cast<uint32_t>(SSL_CIPHER_get_bits(cipher, nullptr));
  const EVP_MD* digest = SSL_CIPHER_get_handshake_digest(cipher);
  if (digest == nullptr) {
    info->hash = 256;
  } else {
    const int type = EVP_MD_get_type(digest);
    info->hash = type == NID_md5 ? 1u
                 : (type == NID_sha1 || type == NID_sha224 || type == NID_sha256 ||
                    type == NID_sha384 || type == NID_sha512)
                     ? 2u
                     : 256u;
    info->hashStrength = static_cast<uint32_t>(EVP_MD_get_size(digest) * 8);
  }
  switch (SSL_CIPHER_get_kx_nid(cipher)) {
    case NID_kx_rsa: info->keyExchange = 1; break;
    case NID_kx_dhe: info->keyExchange = 2; break;
    case NID_kx_ecdhe: info->keyExchange = 4; break;
    default: {
      // TLS 1.3 names no exchange in the suite: the server's key share does.
      info->keyExchange = 256;
      EVP_PKEY* key = nullptr;
      if (SSL_get_peer_tmp_key(ssl, &key) == 1 && key != nullptr) {
        const int id = EVP_PKEY_get_base_id(key);
        if (id == EVP_PKEY_DH) info->keyExchange = 2;
        if (id == EVP_PKEY_EC || id == EVP_PKEY_X25519 || id == EVP_PKEY_X448)
          info->keyExchange = 4;
        EVP_PKEY_free(key);
      }
      break;
    }
  }
  info->certificateStatus = static_cast<uint32_t>(session.tls->certificateStatus);
  info->validFrom = session.tls->validFrom;
  info->validUntil = session.tls->validUntil;
  return 0;
}

}  // namespace kstelnet
