#include "strings.h"

namespace ksbrowse {
namespace {

struct Entry {
  int number;
  const char* text;
};

const Entry table[] = {
    {2, "Error retrieving KESTREL window handle."},
    {3, "Query prefix is blank."},
    {4, "Query mode has not been selected."},
    {5, "Query band has not been selected."},
    {6, "No records found!"},
    {7, "Query QSL type has not been selected."},
    {8, "Query 'from' date is blank."},
    {9, "Query 'from' date must be \nMM-DD-YY, DD/MM/YY, or YY.MM.DD"},
    {10, "Query 'to' date must be \nMM-DD-YY, DD/MM/YY, or YY.MM.DD"},
    {11, "Query 'from' date must be less than 'to' date."},
    {12, "Illegal or unknown query prefix."},
    {13, "No query defined."},
    {14, "Do you wish to tag all\nbroswer items for labels?"},
    {15, "Error Opening File %s."},
    {16, "Error Writing File %s."},
    {17, "Do you wish to overwrite\n%s?"},
    {18, "Error initializing printer."},
    {19, "Error starting printer job %s."},
    {20, "Error setting printer abort process."},
    {21, "Not Enough Memory to\nallocate Ignore Prefix Table."},
    {22, "CQ Zone must be between 1 and 40."},
    {23, "Illegal or unknown query state code.   "},
    {24, "Query state is blank."},
    {25, "Not Enough Memory to\nallocate Temporary Prefix Table."},
    // A tag that could not be stored stops the tagging; the lines before it
    // are tagged, the rest are not.
    {26, "Error writing contact %s; tagging stopped."},
    // The printed document could not be finished (the file not written).
    {27, "Error finishing printer job %s."},
    // The data table control's own failures.
    {65512, "Internal overflow in Data table."},
    {65513, "Data table string table is corrupt."},
    {65514, "Error locking Data table memory."},
    {65515, "No more Data table memory."},
    {65523, "Null value passed to Data table."},
    {65524, "Null string pointer passed to Data table."},
    {65531, "Invalid row number passed to Data table."},
};

}  // namespace

const char* message(int number) {
  for (const Entry& e : table)
    if (e.number == number) return e.text;
  return "";
}

}  // namespace ksbrowse
