// The W exports: UTF-16 text in and out, the A forms underneath.
#include "wide.h"

#include <cstring>

#include "internal.h"
#include "strings.h"
#include "tls.h"

namespace kstelnet {

std::string toUtf8(const TNWCHAR* text) {
  std::string out;
  if (text == nullptr) return out;
  for (size_t i = 0; text[i] != 0; ++i) {
    uint32_t code = text[i];
    if (code >= 0xD800 && code <= 0xDBFF && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00u);
      ++i;
    } else if (code >= 0xD800 && code <= 0xDFFF) {
      code = 0xFFFD;
    }
    if (code < 0x80) {
      out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (code >> 6)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (code >> 12)));
      out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (code >> 18)));
      out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
  }
  return out;
}

std::vector<TNWCHAR> toUtf16(const std::string& text) {
  std::vector<TNWCHAR> out;
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const size_t size = text.size();
  size_t i = 0;
  while (i < size) {
    const unsigned char lead = bytes[i];
    size_t extra = 0;
    uint32_t code = lead;
    uint32_t least = 0;
    if (lead >= 0xF0 && lead <= 0xF4) {
      extra = 3, code = lead & 0x07u, least = 0x10000;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      extra = 2, code = lead & 0x0Fu, least = 0x800;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      extra = 1, code = lead & 0x1Fu, least = 0x80;
    } else if (lead >= 0x80) {
      code = 0xFFFD;  // a stray continuation or an impossible lead
    }
    bool good = i + extra < size || extra == 0;
    for (size_t k = 1; good && k <= extra; ++k) {
      if ((bytes[i + k] & 0xC0) != 0x80)
        good = false;
      else
        code = (code << 6) | (bytes[i + k] & 0x3Fu);
    }
    if (!good || code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
      code = 0xFFFD;
      i += 1;
    } else {
      i += extra + 1;
    }
    if (code >= 0x10000) {
      code -= 0x10000;
      out.push_back(static_cast<TNWCHAR>(0xD800 + (code >> 10)));
      out.push_back(static_cast<TNWCHAR>(0xDC00 + (code & 0x3FF)));
    } else {
      out.push_back(static_cast<TNWCHAR>(code));
    }
  }
  out.push_back(0);
  return out;
}

namespace {

// Copies terminated UTF-16 text into a caller's buffer of `size` units.
int copyWide(const std::vector<TNWCHAR>& text, TNWCHAR* buffer, int size) {
  if (buffer == nullptr || size < 1) return 0;
  size_t n = std::min(text.size() - 1, static_cast<size_t>(size - 1));
  if (n > 0 && n < text.size() - 1 && text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF)
    --n;  // never cut a pair in two
  std::memcpy(buffer, text.data(), n * sizeof(TNWCHAR));
  buffer[n] = 0;
  return static_cast<int>(n);
}

template <typename F>
auto guarded(int failure, F body) noexcept -> decltype(body()) {
  try {
    return body();
  } catch (...) {
    setError(TELNET_ERROR_NO_MEMORY);
    return static_cast<decltype(body())>(failure);
  }
}

}  // namespace
}  // namespace kstelnet

using namespace kstelnet;

extern "C" {

int TelnetInitializeW(const TNWCHAR*, TelnetInfoW* info) {
  return guarded(0, [&] {
    if (info != nullptr && info->size != sizeof(TelnetInfoW)) {
      setError(TELNET_ERROR_INVALID_PARAMETER);
      return 0;
    }
    TelnetInfoA narrow{};
    narrow.size = sizeof narrow;
    if (!TelnetInitializeA(nullptr, &narrow)) return 0;
    if (info != nullptr) {
      std::memset(info, 0, sizeof *info);
      info->size = sizeof(TelnetInfoW);
      info->majorVersion = narrow.majorVersion;
      info->minorVersion = narrow.minorVersion;
      info->build = narrow.build;
      copyWide(toUtf16(narrow.description), info->description,
               static_cast<int>(sizeof info->description / sizeof(TNWCHAR)));
    }
    return 1;
  });
}

int TelnetConnectW(const TNWCHAR* host, int port, int timeout) {
  return TelnetAsyncConnectExW(host, port, timeout, 0, nullptr, 0);
}

int TelnetConnectExW(const TNWCHAR* host, int port, int timeout, DWORD options) {
  return TelnetAsyncConnectExW(host, port, timeout, options, nullptr, 0);
}

int TelnetAsyncConnectW(const TNWCHAR* host, int port, int timeout, HWND window, UINT message) {
  return TelnetAsyncConnectExW(host, port, timeout, 0, window, message);
}

int TelnetAsyncConnectExW(const TNWCHAR* host, int port, int timeout, DWORD options, HWND window,
                          UINT message) {
  return guarded(-1, [&] {
    if (host == nullptr) return connectCall(nullptr, port, timeout, options, window, message);
    const std::string narrow = toUtf8(host);
    return connectCall(narrow.c_str(), port, timeout, options, window, message);
  });
}

int TelnetGetTerminalTypeW(int handle, TNWCHAR* buffer, int size) {
  return guarded(0, [&] {
    std::string type;
    if (!terminalTypeGet(handle, &type)) return 0;
    if (buffer == nullptr || size < 1) {
      setError(TELNET_ERROR_INVALID_PARAMETER);
      return 0;
    }
    return copyWide(toUtf16(type), buffer, size);
  });
}

int TelnetSetTerminalTypeW(int handle, const TNWCHAR* type) {
  return guarded(0, [&] {
    if (type == nullptr) return terminalTypeSet(handle, nullptr);
    return terminalTypeSet(handle, toUtf8(type).c_str());
  });
}

int TelnetGetErrorStringW(int code, TNWCHAR* buffer, int size) {
  return guarded(0, [&] {
    if (code < 27500 || buffer == nullptr || size < 1) return 0;
    const char* text = errorText(code);
    if (text == nullptr) return 0;
    return copyWide(toUtf16(text), buffer, size);
  });
}

int TelnetEnableTraceW(const TNWCHAR* fileName, DWORD flags) {
  return guarded(0, [&] {
    if (fileName == nullptr) return TelnetEnableTraceA(nullptr, flags);
    return TelnetEnableTraceA(toUtf8(fileName).c_str(), flags);
  });
}

int TelnetGetSecurityInformationW(int handle, TelnetSecurityInfoW* info) {
  return guarded(0, [&] {
    if (info == nullptr || info->size < sizeof(TelnetSecurityInfoW)) {
      if (lookup(handle) != nullptr) setError(TELNET_ERROR_INVALID_PARAMETER);
      return 0;
    }
    TelnetSecurityInfoA narrow{};
    narrow.size = sizeof narrow;
    if (!TelnetGetSecurityInformationA(handle, &narrow)) return 0;
    std::memset(info, 0, sizeof *info);
    static_assert(offsetof(TelnetSecurityInfoA, issuer) == offsetof(TelnetSecurityInfoW, issuer));
    std::memcpy(info, &narrow, offsetof(TelnetSecurityInfoA, issuer));
    info->size = sizeof(TelnetSecurityInfoW);
    if (narrow.issuer != nullptr) {
      const auto session = lookup(handle);
      info->issuer = session->tls->issuerW.data();
      info->subject = session->tls->subjectW.data();
    }
    return 1;
  });
}

}  // extern "C"
