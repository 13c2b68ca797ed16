// UTF-16 text of the W exports, to and from the UTF-8 of the A forms.
#ifndef KESTREL_TELNET_WIDE_H
#define KESTREL_TELNET_WIDE_H

#include <string>
#include <vector>

#include "telnet/tnclient.h"

namespace kstelnet {

// UTF-8 of a terminated UTF-16 text; a lone surrogate becomes U+FFFD.
std::string toUtf8(const TNWCHAR* text);
// Terminated UTF-16 of UTF-8 text; a malformed sequence becomes U+FFFD.
std::vector<TNWCHAR> toUtf16(const std::string& text);

}  // namespace kstelnet

#endif
