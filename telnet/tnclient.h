/* TNCLIENT: Telnet client sessions over TCP, blocking with a timeout or
 * notified through a window of the window layer, with the Telnet option
 * negotiation handled underneath and TLS through START-TLS.
 *
 * Export table, in ordinal order (programs of the suite bind by these
 * positions; on Linux the names are the binding):
 *
 *    1 TelnetInitializeA          20 TelnetSetMode
 *    2 TelnetInitializeW          21 TelnetGetTimeout
 *    3 TelnetUninitialize         22 TelnetSetTimeout
 *    4 TelnetConnectA             23 TelnetGetTerminalTypeA
 *    5 TelnetConnectW             24 TelnetGetTerminalTypeW
 *    6 TelnetConnectExA           25 TelnetSetTerminalTypeA
 *    7 TelnetConnectExW           26 TelnetSetTerminalTypeW
 *    8 TelnetAsyncConnectA        27 TelnetGetSocket
 *    9 TelnetAsyncConnectW        28 TelnetIsBlocking
 *   10 TelnetAsyncConnectExA      29 TelnetGetLastError
 *   11 TelnetAsyncConnectExW      30 TelnetSetLastError
 *   12 TelnetDisconnect           31 TelnetGetErrorStringA
 *   13 TelnetCancel               32 TelnetGetErrorStringW
 *   14 TelnetRead                 33 TelnetEnableTraceA
 *   15 TelnetWrite                34 TelnetEnableTraceW
 *   16 TelnetBreak                35 TelnetDisableTrace
 *   17 TelnetIsThere              36 TelnetGetSecurityInformationA
 *   18 TelnetAsyncNotify          37 TelnetGetSecurityInformationW
 *   19 TelnetGetMode              38 DllGetVersion
 *
 * End of the table.
 *
 * Handle-taking calls fail for a handle that is unknown or belongs to
 * another thread (27505). Failed calls return -1 or 0 as listed and leave
 * their code in the calling thread's last error (TelnetGetLastError); the
 * codes and their texts are the TELNET_ERROR_ values below. W forms take
 * and give UTF-16 text and convert it to and from UTF-8.
 */
#ifndef KESTREL_TELNET_TNCLIENT_H
#define KESTREL_TELNET_TNCLIENT_H

#include <stdint.h>

#include "winlayer/wintypes.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef uint16_t TNWCHAR; /* one UTF-16 code unit */

/* Error codes. */
#define TELNET_ERROR_NETWORK_INIT 27501
#define TELNET_ERROR_NO_HANDLES 27503
#define TELNET_ERROR_NOT_OWNER 27504
#define TELNET_ERROR_INVALID_HANDLE 27505
#define TELNET_ERROR_NO_MEMORY 27506
#define TELNET_ERROR_INVALID_PARAMETER 27507
#define TELNET_ERROR_INVALID_HOST 27508
#define TELNET_ERROR_INVALID_SOCKET 27509
#define TELNET_ERROR_CONNECT 27510
#define TELNET_ERROR_TIMEOUT 27511
#define TELNET_ERROR_BAD_RESPONSE 27512
#define TELNET_ERROR_READ 27513
#define TELNET_ERROR_WRITE 27514
#define TELNET_ERROR_WOULD_BLOCK 27515
#define TELNET_ERROR_BUFFER_OVERFLOW 27516
#define TELNET_ERROR_CLOSED 27517
#define TELNET_ERROR_BLOCKING 27518
#define TELNET_ERROR_CANCELED 27519
#define TELNET_ERROR_SYNC 27520
#define TELNET_ERROR_UNSUPPORTED_OPTION 27521
#define TELNET_ERROR_SECURITY_INIT 27581
#define TELNET_ERROR_SECURITY_CONTEXT 27582
#define TELNET_ERROR_CREDENTIALS 27583
#define TELNET_ERROR_CERTIFICATE 27584

/* Connection options. */
#define TELNET_OPTION_SECURE 0x1000 /* TLS when the server offers START-TLS */

/* Session mode bits. */
#define TELNET_MODE_ECHO 1
#define TELNET_MODE_BINARY 2

/* Socket events posted to a notification window: the message's wParam is
 * the socket, the low half of lParam the event, the high half an error. */
#define TELNET_EVENT_READ 0x01
#define TELNET_EVENT_WRITE 0x02
#define TELNET_EVENT_CONNECT 0x10
#define TELNET_EVENT_CLOSE 0x20

/* The library's information record (TelnetInitializeA: 160 bytes). */
typedef struct TelnetInfoA {
  uint32_t size;         /* set by the caller: 160 */
  uint32_t majorVersion; /* 3 */
  uint32_t minorVersion; /* 60 */
  uint32_t build;        /* 3630 */
  uint32_t reserved[3];  /* 0 */
  char description[132];
} TelnetInfoA;

/* The same with a UTF-16 description (TelnetInitializeW: 288 bytes). */
typedef struct TelnetInfoW {
  uint32_t size; /* set by the caller: 288 */
  uint32_t majorVersion;
  uint32_t minorVersion;
  uint32_t build;
  uint32_t reserved[3];
  TNWCHAR description[130];
} TelnetInfoW;

/* A point in time, UTC. */
typedef struct TelnetSystemTime {
  uint16_t year, month, dayOfWeek, day, hour, minute, second, milliseconds;
} TelnetSystemTime;

/* What a secure session runs on (TelnetGetSecurityInformation). The caller
 * sets size to at least sizeof(TelnetSecurityInfoA) first. The texts belong
 * to the session and live until it ends. */
typedef struct TelnetSecurityInfoA {
  uint32_t size;
  uint32_t protocol;          /* 1 SSL 2, 2 SSL 3, 4 PCT, 8 TLS 1, 256 other */
  uint32_t cipher;            /* 1 RC2, 2 RC4, 4 DES, 8 triple DES, 16 Skipjack, 256 other */
  uint32_t cipherStrength;    /* bits */
  uint32_t hash;              /* 1 MD5, 2 SHA, 256 other */
  uint32_t hashStrength;      /* bits */
  uint32_t keyExchange;       /* 1 RSA, 2 Diffie-Hellman, 4 elliptic-curve D-H, 256 other */
  uint32_t certificateStatus; /* 1 valid, 2 name does not match, 3 expired, 4 revoked,
                                 5 untrusted root or issuer, 6 other failure */
  TelnetSystemTime validFrom;
  TelnetSystemTime validUntil;
  const char* issuer;
  const char* subject;
} TelnetSecurityInfoA;

typedef struct TelnetSecurityInfoW {
  uint32_t size;
  uint32_t protocol;
  uint32_t cipher;
  uint32_t cipherStrength;
  uint32_t hash;
  uint32_t hashStrength;
  uint32_t keyExchange;
  uint32_t certificateStatus;
  TelnetSystemTime validFrom;
  TelnetSystemTime validUntil;
  const TNWCHAR* issuer;
  const TNWCHAR* subject;
} TelnetSecurityInfoW;

/* DllGetVersion's record (20 bytes). */
typedef struct TelnetDllVersionInfo {
  uint32_t size; /* set by the caller: 20 */
  uint32_t majorVersion;
  uint32_t minorVersion;
  uint32_t build;
  uint32_t platform;
} TelnetDllVersionInfo;

/* DllGetVersion's results. */
#define TELNET_S_OK 0
#define TELNET_E_INVALIDARG ((int32_t)0x80070057)
#define TELNET_E_POINTER ((int32_t)0x80004003)

/* The library. */
int TelnetInitializeA(const char* unused, TelnetInfoA* info);
int TelnetInitializeW(const TNWCHAR* unused, TelnetInfoW* info);
void TelnetUninitialize(void);
int32_t DllGetVersion(TelnetDllVersionInfo* info);

/* Sessions: a handle, or -1. A port of 0 means 23 (992 with the secure
 * option); port 992 implies the secure option. */
int TelnetConnectA(const char* host, int port, int timeout);
int TelnetConnectW(const TNWCHAR* host, int port, int timeout);
int TelnetConnectExA(const char* host, int port, int timeout, DWORD options);
int TelnetConnectExW(const TNWCHAR* host, int port, int timeout, DWORD options);
int TelnetAsyncConnectA(const char* host, int port, int timeout, HWND window, UINT message);
int TelnetAsyncConnectW(const TNWCHAR* host, int port, int timeout, HWND window,
                        UINT message);
int TelnetAsyncConnectExA(const char* host, int port, int timeout, DWORD options,
                          HWND window, UINT message);
int TelnetAsyncConnectExW(const TNWCHAR* host, int port, int timeout, DWORD options,
                          HWND window, UINT message);
int TelnetDisconnect(int handle);
int TelnetCancel(int handle);

/* The data stream and the Telnet commands. */
int TelnetRead(int handle, char* buffer, int count);
int TelnetWrite(int handle, const char* data, int length);
int TelnetBreak(int handle);
int TelnetIsThere(int handle);
int TelnetAsyncNotify(int handle, HWND window, UINT message);

/* Session settings. */
int TelnetGetMode(int handle);
int TelnetSetMode(int handle, int bits, int set);
int TelnetGetTimeout(int handle);
int TelnetSetTimeout(int handle, int seconds);
int TelnetGetTerminalTypeA(int handle, char* buffer, int size);
int TelnetGetTerminalTypeW(int handle, TNWCHAR* buffer, int size);
int TelnetSetTerminalTypeA(int handle, const char* type);
int TelnetSetTerminalTypeW(int handle, const TNWCHAR* type);
int TelnetGetSocket(int handle);
int TelnetIsBlocking(int handle);
int TelnetGetSecurityInformationA(int handle, TelnetSecurityInfoA* info);
int TelnetGetSecurityInformationW(int handle, TelnetSecurityInfoW* info);

/* Errors. */
int TelnetGetLastError(void);
void TelnetSetLastError(int code);
int TelnetGetErrorStringA(int code, char* buffer, int size);
int TelnetGetErrorStringW(int code, TNWCHAR* buffer, int size);

/* A readable trace of the socket traffic of every session, to a file. */
int TelnetEnableTraceA(const char* fileName, DWORD flags);
int TelnetEnableTraceW(const TNWCHAR* fileName, DWORD flags);
int TelnetDisableTrace(void);

#ifdef __cplusplus
}
#endif

#endif
