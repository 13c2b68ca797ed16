#include "strings.h"

#include <cstddef>

namespace kseditor {
namespace {

struct Entry {
  int id;
  const char* text;
};

constexpr Entry kAtlas[] = {
    {1, "Country database\n%s\ndoes not exist."},
    {2, "Error opening country database."},
    {3, "Country database is not opened."},
    {4, "Nothing to find!"},
    {5, "Nothing to save!"},
    {6, "Nothing to delete!"},
    {7, "Prefix not found!"},
    {8, "You must supply a country name."},
    {9, "Illegal Continent field."},
    {10, "CQ Zone must be between 1 and 40."},
    {11, "ITU Zone must be between 1 and 90."},
    {12, "Status must be either\nA (Active), or D (Deleted)."},
    {13, "Illegal Date\nor Format (MM-DD-YY)."},
    {14, "Prefix table must containt at least one prefix."},
    {15, "Error updating record!"},
    {16, "Error storing record!"},
    {17, "Record stored sucessfully!"},
    {18, "Record updated sucessfully!"},
    {19, "Do you wish to delete %s?"},
    {20, "Error deleting record!"},
    {21, "Latitude Out of Range (90N to 90S)."},
    {22, "Longitude Out of Range (180W to 180E)."},
    {23, "Minutes Out of Range (0 to 59)."},
    {24, "Latitude must be either 'N' or 'S'."},
    {25, "Longitude must be either 'E' or 'W'."},
    {26, "Do you wish to overwrite %s?"},
    {27, "Error opening %s."},
    {28, "Error writing %s."},
    {29, "%d records written."},
    {30, "Illegal or null prefix at line %d."},
    {31, "Import Done."},
    {32, "Error initializing printer."},
    {33, "Error setting printer abort process instance."},
    {34, "Error setting printer dialog instance."},
    {35, "Error setting printer abort process."},
    {36, "Error starting printing job."},
    {37, "Error creating printer dialog."},
    {38, "Error opening IOTA Database"},
    {39, "Illegal or null IOTA number at line %d."},
    {40, "Invalid IOTA NUM"},
    {41, "Error storing IOTA record!"},
    // Added: a database another program has open is not replaced.
    {42, "The database\n%s\nis open in another program (process %ld).\nClose it there first."},
};

constexpr Entry kQsl[] = {
    {1, "Country database\n%s\ndoes not exist."},
    {2, "Error opening QSL Manager database."},
    {3, "QSL Manager database is not opened."},
    {4, "Nothing to find!"},
    {5, "Nothing to save!"},
    {6, "Nothing to delete!"},
    {7, "Callsign not found!"},
    {15, "Error updating record!"},
    {16, "Error storing record!"},
    {17, "Record stored sucessfully!"},
    {18, "Record updated sucessfully!"},
    {19, "Do you wish to delete %s?"},
    {20, "Error deleting record!"},
    {21, "\"Do you wish to initalize the QSL Manager before restoring?\n\nChoose YES to "
         "initialize, NO to append, or CANCEL to return.\""},
    {26, "Do you wish to overwrite %s?"},
    {27, "Error opening %s."},
    {28, "Error writing %s."},
    {29, "%d records written."},
    {30, "Illegal or null callsign at line %d."},
    {31, "Import Done."},
    {32, "Error initializing printer."},
    {33, "Error setting printer abort process instance."},
    {34, "Error setting printer dialog instance."},
    {35, "Error setting printer abort process."},
    {36, "Error starting printing job."},
    {37, "Error creating printer dialog."},
    {42, "The database\n%s\nis open in another program (process %ld).\nClose it there first."},
    {65512, "Internal overflow in Data table."},
    {65513, "Data table string table is corrupt."},
    {65514, "Error locking Data table memory."},
    {65515, "No more Data table memory."},
    {65523, "Null value passed to Data table."},
    {65524, "Null string pointer passed to Data table."},
    {65531, "Invalid row number passed to Data table."},
};

template <std::size_t N>
const char* lookUp(const Entry (&table)[N], int id) {
  for (const Entry& e : table)
    if (e.id == id) return e.text;
  return "";
}

}  // namespace

const char* atlasMessage(int id) { return lookUp(kAtlas, id); }
const char* qslMessage(int id) { return lookUp(kQsl, id); }

}  // namespace kseditor
