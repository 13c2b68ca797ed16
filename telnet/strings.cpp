// The library's texts: the error messages by code, and its description.
#include "strings.h"

namespace kstelnet {
namespace {

struct Text {
  int code;
  const char* text;
};

constexpr Text kTexts[] = {
    {27501, "Network subsystem failed to initialize"},
    {27503, "No handles available to this process"},
    {27504, "Handle is not owned by current thread or process"},
    {27505, "Invalid handle passed to function"},
    {27506, "Memory allocation failed"},
    {27507, "Invalid parameter passed to function"},
    {27508, "Invalid host name specified"},
    {27509, "Invalid socket descriptor passed to function"},
    {27510, "Unable to establish connection with server"},
    {27511, "Operation timed out waiting for response from server"},
    {27512, "Invalid response from server"},
    {27513, "Failed to read data from server"},
    {27514, "Failed to write data to server"},
    {27515, "Operation should be retried"},
    {27516, "Internal buffer overflow"},
    {27517, "Connection to server is closed"},
    {27518, "Blocking operation in progress"},
    {27519, "Operation canceled by client"},
    {27520, "Unable to synchronize with server"},
    {27521, "Unsupported option"},
    {27581, "Unable to initialize security interface for this process"},
    {27582, "Unable to establish security context for this session"},
    {27583, "Unable to open client certificate store or establish client credentials"},
    {27584, "Unable to validate server certificate"},
};

}  // namespace

const char* errorText(int code) {
  for (const Text& entry : kTexts)
    if (entry.code == code) return entry.text;
  return nullptr;
}

const char* description() { return "Kestrel Telnet Client Library"; }

}  // namespace kstelnet
