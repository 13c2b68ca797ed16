// Turns the Census Bureau's county list into the suite's county file: one
// line per county, "ST,NAME", with the state's postal code and the county's
// name upper-case and without the kind of county, as county hunters and the
// ADIF CNTY field write it ("MA,MIDDLESEX").
#ifndef KESTREL_TOOLS_USCOUNTY_H
#define KESTREL_TOOLS_USCOUNTY_H

#include <istream>
#include <ostream>
#include <string>

namespace kstools {

// "Middlesex County" -> "MIDDLESEX", "Juneau City and Borough" -> "JUNEAU",
// "Alexandria city" -> "ALEXANDRIA CITY" (Virginia's independent cities keep
// the word: several share a name with a county of their state).
std::string countyName(const std::string& censusName);

// Whether a postal code is one of the 50 states or the District of Columbia
// (the territories have no counties in the county award).
bool isCountyState(const std::string& postalCode);

// Reads the list as CSV with a header line naming the columns "state" and
// "countyname" and writes the county file. Returns the number of counties
// written, or -1 with `error` set when the input is not such a list.
long convertCountyList(std::istream& in, std::ostream& out, std::string& error);

}  // namespace kstools

#endif
