// What the export files of the Telnet client share beyond the session
// record: the calls behind both the A and the W forms, the trace switch,
// and the name resolver that tests replace.
#ifndef KESTREL_TELNET_INTERNAL_H
#define KESTREL_TELNET_INTERNAL_H

#include <cstdint>
#include <string>

#include "session.h"

namespace kstelnet {

// Resolves a host name to an IPv4 address (network order).
using Resolver = bool (*)(const char* host, uint32_t* address);
// Replaces the system's resolver (null puts it back).
void setResolver(Resolver replacement);

// The handle a session in `slot` gets.
int handleOf(int slot);
bool initialized();

int connectCall(const char* host, int port, int timeout, DWORD options, HWND window,
                UINT message);
int terminalTypeGet(int handle, std::string* out);  // 1, or 0 with the error set
int terminalTypeSet(int handle, const char* type);
// Copies text into a caller's buffer of `size` bytes, cut and terminated.
int copyOut(const std::string& text, char* buffer, int size);

// The trace file: on (counted), the count lowered, and off for good.
bool traceOn(const char* fileName, DWORD flags);
bool traceRelease();
void traceOff();

}  // namespace kstelnet

#endif
