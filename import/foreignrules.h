// The field rules every foreign reader shares: call, date, mode, frequency
// and country as ADIF's importer has them, and the small text helpers.
#ifndef KESTREL_IMPORT_FOREIGNRULES_H
#define KESTREL_IMPORT_FOREIGNRULES_H

#include <span>
#include <string>
#include <string_view>

#include "foreign.h"
#include "foreignlayout.h"

namespace ksimport::foreign {

// Blanks (spaces and tabs) at both ends removed.
std::string_view trimmed(std::string_view text);
// Every space removed, as the log strips a call.
std::string withoutSpaces(std::string_view text);
// A stretch of a fixed-column line; the part of it the line holds.
std::string_view column(std::string_view line, layout::Zone zone);
// A decimal number, or `fallback` when the text is not one.
long decimal(std::string_view text, long fallback = 0);

// The call: spaces removed, cut to the field; an empty one is error 1.
void setCall(Contact& contact, std::string_view call);
// The country of the call on the contact's day, or the mobile names;
// error 2 when there is no prefix. Nothing is searched for an empty call.
void resolveCountry(Contact& contact, ForeignServices& services);
// The country named by its key in the country database, with the DXBase
// code mappings ("W" is "K" ...); when there is none, the call's country as
// resolveCountry finds it.
void countryFromCode(Contact& contact, ForeignServices& services, std::string_view code);
// The country database's key of a DXBase or RTTY country code.
std::string mappedCountryCode(std::string_view code);

// A date given as MM-DD-YY: checked (error 5), written in the user's date
// format and numbered. False when it was not a date.
bool setUsDate(Contact& contact, std::string_view mmddyy, int dateFormat);
// Two-digit year, month and day texts as MM-DD-YY ("" when one is not two
// digits), for setUsDate.
std::string usDate(std::string_view yy, std::string_view mm, std::string_view dd);

// The mode word: named modes through the ADIF importer's table, then cut
// to four characters; error 4 unless phone, CW or FSK.
void setMode(Contact& contact, std::string_view mode);
// The frequency text as given (spaces removed) and its band; error 3 when
// it is on no band.
void setFrequency(Contact& contact, ForeignServices& services, std::string_view frequency);
// `freq` from a band number's usual frequency, `band` the band; error 3
// for a band the log does not know.
void setBand(Contact& contact, int band);

// Tags the contact for labels (sent card, today's date) when the user said
// so; call last.
void finish(Contact& contact, const ReadContext& context);

// Whether the text is a QSL "yes".
inline char yesNo(bool yes) { return yes ? 'Y' : 'N'; }
void setLetter(char (&field)[2], char letter);

}  // namespace ksimport::foreign

#endif
