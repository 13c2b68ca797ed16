// The log's mode word for an ADIF MODE and SUBMODE.
//
// The log keeps a mode in four characters. ADIF names its modes and
// submodes in full ("PSK31", "OLIVIA 8/250", "JT65B"), so a name is judged
// whole, by the table of adifmode.cpp, before anything is cut: every name of
// the table gives a word that one of the mode families accepts, and never a
// word that means another mode.
#ifndef KESTREL_IMPORT_ADIFMODE_H
#define KESTREL_IMPORT_ADIFMODE_H

#include <span>
#include <string>
#include <string_view>

namespace ksimport {

struct ModeName {
  std::string_view name;  // as ADIF writes it, upper case
  std::string_view word;  // the log's mode word
};

// Every mode and submode name the table knows, for the tests.
std::span<const ModeName> adifModeNames();

// The log word of one ADIF name (any case, blanks around it ignored); empty
// when the table does not know the name.
std::string_view modeWordOf(std::string_view name);

// The mode word of a contact: the SUBMODE's when the table knows it, else the
// MODE's, else the MODE cut to four characters ("TOR" read as "AMT"). Empty
// when both are empty.
std::string logModeOf(std::string_view mode, std::string_view submode);

// Whether a mode word belongs to one of the families a contact may have:
// phone, CW, SSTV or FSK.
bool isLoggableMode(const char* word);

}  // namespace ksimport

#endif
