#include "commands.h"

#include <cstdio>
#include <cstring>

namespace kcli {

int runDate(std::span<char*> args);
int runTime(std::span<char*> args);
int runNow(std::span<char*> args);
int runBand(std::span<char*> args);
int runMode(std::span<char*> args);
int runState(std::span<char*> args);
int runSetup(std::span<char*> args);
int runHost(std::span<char*> args);
int runLookup(std::span<char*> args);
int runImport(std::span<char*> args);
int runExport(std::span<char*> args);
int runTelnet(std::span<char*> args);
int runGrayline(std::span<char*> args);
int runAward(std::span<char*> args);
int runTally(std::span<char*> args);
int runCallbook(std::span<char*> args);
int runKit(std::span<char*> args);
int runDesk(std::span<char*> args);
int runBrowse(std::span<char*> args);
int runCountry(std::span<char*> args);
int runIota(std::span<char*> args);
int runQslmgr(std::span<char*> args);

namespace {

const Command table[] = {
    {"date", "DATE...", "check a date and show its day number and its three forms",
     "DATE is 8 characters: MM-DD-YY, DD/MM/YY or YY.MM.DD, or YYYY-MM-DD.\n"
     "Two-digit years 00-44 are 2000-2044, 45-99 are 1945-1999.",
     runDate},
    {"time", "TIME...", "check a time (HH:MM, HH:MM:SS, HH.MM, HH.MM.SS, HHMM, HHMMSS)", "",
     runTime},
    {"now", "[--format 0|1|2] [--offset HOURS]",
     "today's date and time as the log writes them",
     "--format  0 MM-DD-YY (default), 1 DD/MM/YY, 2 YY.MM.DD\n"
     "--offset  hours to add to the local clock (your offset to UTC)",
     runNow},
    {"band", "BAND...", "a band number's default frequency and class",
     "Bands are metres up to 2 (160, 80, 60 ... 6, 4, 2) and MHz from 220 up.", runBand},
    {"mode", "MODE...", "which mode families a mode word belongs to", "", runMode},
    {"state", "ABBREV...", "a US state's CQ and ITU zones, or an ARRL section's state", "",
     runState},
    {"setup", "[DIR]", "make the dictionary directory, logbook skeletons and KESTREL.INI",
     "Makes the settings directory ($KESTREL_HOME, else ~/.kestrel) and the\n"
     "dictionary directory: DIR if given, else the DictPath already in\n"
     "KESTREL.INI, else <settings>/dict. Writes the logbook skeletons\n"
     "LOGDBD.SKL ... LOGK02.SKL there (replacing older ones; they hold no data)\n"
     "and makes the reference databases COUNTRY, USCOUNTY, QSLMGR and IOTA that\n"
     "are missing; ones already there are kept as they are. In KESTREL.INI it\n"
     "sets Database/DictPath to the dictionary directory and adds the Settings\n"
     "keys that are missing (PowerLevel, DateFormat, TimeZone, OtherZone);\n"
     "values already set are kept. Safe to run again.",
     runSetup},
    {"host", "[--exit-after N] | --send|--post MESSAGE [WPARAM [LPARAM]]",
     "play the main logbook window that the suite's programs send messages to",
     "Publishes a window of class Kestrel4WClass for this user, prints every\n"
     "message it receives and answers 1101 with the date format (low half) and\n"
     "UTC offset (high half) from KESTREL.INI. Ends on Ctrl-C, or after N\n"
     "messages with --exit-after.\n"
     "--send, --post  send (and print the answer) or post one message to the\n"
     "                running host from another shell",
     runHost},
    {"lookup", "CALL [DATE] | -", "the country, zones and position of a call on a day",
     "DATE is MM-DD-YY, DD/MM/YY, YY.MM.DD or YYYY-MM-DD; without it, today.\n"
     "The call is resolved as an import resolves a contact: deleted entities,\n"
     "then prefixes shared by date, then plain prefixes; zones are corrected\n"
     "for the call area. One letter and \"/\" in front of a call (F/DL3RBF) is\n"
     "the country the operator is in.\n"
     "With -, reads CALL [DATE] lines from standard input and writes one line\n"
     "each, tab-separated: call, prefix, country, continent, CQ zone, ITU zone,\n"
     "latitude, longitude, the date rule that applied (fields after the call\n"
     "are empty when no country is found). Needs kestrel setup first.",
     runLookup},
    {"import",
     "FORMAT LOGBOOK FILE [--new] [--report] [--tag] [--columns NAME,...] "
     "[--date-order mdy|dmy|ymd] [--contest NAME|--other TEXT] [--power P] [--yes|--no] "
     "[--answer N=WORD] [--quiet]",
     "import a file of another logger into a logbook, with error log and award value report",
     "FORMAT is adif, ascii, the dBASE logs (.DBF) of DXLog (dxlog), DX Desktop\n"
     "(dxdesktop), LogPlus! (logplus) and Q6QB 2nd Op (secondop), or CT results\n"
     "(ct), DXBase (dxbase), Easy-DX (easydx), HyperLog (hyperlog), LogMaster\n"
     "(logmaster), Log View (logview), PakRatt (pakratt), RTTY by Q1QA (rtty).\n"
     "LOGBOOK is the logbook's path without extension (LOGBOOK.DAT and its\n"
     "five companion files), made from the dictionary's skeletons when it is not\n"
     "there; --new makes it anew (an existing one is overwritten only when the\n"
     "question is answered yes).\n"
     "The import program's console goes to standard output, questions and\n"
     "messages to standard error, a running count to a terminal. Contacts that\n"
     "cannot be stored are listed with their reasons in FILE's name with .ERR;\n"
     "the award value report goes to FILE's name with .VAL.\n"
     "--report   write the award value report (and offer to show it in $VISUAL,\n"
     "           $EDITOR, or Program/Editor of KESTREL.INI)\n"
     "--tag      tag every imported contact for labels (QSL sent today)\n"
     "--columns  ascii: the columns of each line, in order, separated by commas\n"
     "           (quote the list when a name has a blank): Call, Date, Time, Mode,\n"
     "           Freq, RST Rcv, RST Sent, Power, Name, City, State, QTH, Grid,\n"
     "           Remarks, QSL Sent, QSL Rcv, QSL Date, Prefix, CQ Zone, ITU Zone,\n"
     "           Continent, Sat Id, DXCC, DXCC Mode, DXCC Band, CQ, CQ Mode, CQ Band,\n"
     "           Sat, USCA, VUCC, WAS, WAS Mode, WAS Band, Band (any case). Lines\n"
     "           starting with \";\" are comments; a field in double quotes may\n"
     "           hold commas.\n"
     "--date-order  ascii, hyperlog: the order of the date's numbers (default mdy)\n"
     "--yes, --no      answer every other question so (with --new, --yes also\n"
     "                 overwrites an existing logbook)\n"
     "--answer N=WORD  answer message N with yes, no, ok or cancel\n"
     "--quiet          show only questions and errors\n"
     "--contest NAME   ct: the contest (cqww-cw, cqww-ssb, ss-cw, ss-ssb, arrldx-cw,\n"
     "                 arrldx-ssb, fieldday, vhf, wae-cw, wae-ssb, wpx-cw, wpx-ssb,\n"
     "                 arrl160, arrl10, dxpedition); default cqww-cw\n"
     "--other TEXT     ct: a contest not in that list, by its name\n"
     "--power P        ct, rtty: the contest power (default Settings/PowerLevel)\n"
     "Ctrl-C cancels the import; the contacts read until then stay stored.\n"
     "Needs kestrel setup first.",
     runImport},
    {"export", "adif LOGBOOK FILE [--from DATE] [--to DATE] [--tagged] [--since-last]",
     "write a logbook's contacts to an ADIF file for the online logs and other loggers",
     "LOGBOOK is the logbook's path without extension. Every contact goes to\n"
     "FILE as one ADIF record a line, with its country's DXCC entity number and,\n"
     "for US contacts with a county, the county's state and name.\n"
     "--from, --to   only contacts of these days and between (DATE is YYYYMMDD,\n"
     "               YYYY-MM-DD, MM-DD-YY, DD/MM/YY or YY.MM.DD)\n"
     "--tagged       only contacts tagged for labels\n"
     "--since-last   only contacts stored since the last export (an export of\n"
     "               all contacts or with --since-last remembers its last\n"
     "               contact in LOGBOOK.EXP)\n"
     "The count goes to standard output, a progress bar to a terminal. When a\n"
     "write fails the partial FILE is removed. Needs kestrel setup first.",
     runExport},
    {"telnet", "HOST [PORT] [--tls] [--terminal TYPE] [--timeout S]",
     "a Telnet session with a server (a DX cluster, say)",
     "PORT is 23 unless given (992 with --tls). What the server sends goes to\n"
     "standard output; lines typed or piped in go to the server with the Telnet\n"
     "line end CR LF. On a pipe the server's CR LF become LF, so a session can be\n"
     "scripted: printf 'N0CALL\\nsh/dx\\nbye\\n' | kestrel telnet HOST 7300.\n"
     "Once the input ends, the session ends when the server closes it or has\n"
     "been quiet for the timeout.\n"
     "--tls       take up TLS when the server offers START-TLS; the certificate\n"
     "            must be valid for HOST. Nothing is sent until TLS is running.\n"
     "--terminal  the terminal type told to the server (default DEC-VT100)\n"
     "--timeout   seconds to wait to connect, and for a quiet server after the\n"
     "            input ended (default 10, at most 600)",
     runTelnet},
    {"grayline", "[--at YYYY-MM-DDTHH:MM:SSZ] --png FILE [--scale N]",
     "draw the day/night map of the grayline window for an instant as a PNG file",
     "The world map with the half of the Earth in daylight bright and the half\n"
     "in darkness dark, the gray line between them, as the grayline window draws\n"
     "it: for the instant given (UTC), else for now.\n"
     "--scale  draw each map pixel as N x N pixels, N from 1 to 8 (the map is\n"
     "         720 x 360 pixels, two a degree)\n"
     "Prints where the Sun stands. A bad instant or a file that cannot be\n"
     "written is an error (exit status 2) and leaves no file behind.",
     runGrayline},
    {"award",
     "KIND LOGBOOK [--type mixed|phone|cw|fsk|sat] [--band BAND] [--variant NAME|CODE] "
     "[--sort status|band] [--submission] [--csv]",
     "an award's details: every country, zone, state, grid, county or island with its contact",
     "KIND is dxcc, dxcc2000, was, cq, vucc, usca or iota. Prints the report's\n"
     "title, then one line per row: a marker (* worked, x tagged for submission,\n"
     "- submitted, + a second tagged contact), the entity and the contact that\n"
     "stands for it, QSL Cfm (confirmed) or Snt (sent), then a blank line and the\n"
     "total.\n"
     "--type       mixed (default), phone (SSB for was and cq), cw, fsk, sat\n"
     "--band       the per-band report (dxcc, was, cq: 160 ... 10, 6, 2; vucc, where\n"
     "             it is required: 6, 2, 220, 432, 902, 1240, 2300, 3300, 5650, 10000)\n"
     "--variant    full (default), needed, worked, not-tagged, qsl-needed, qsl-sent,\n"
     "             duplicate-tags, not-submitted, submitted, or a variant number\n"
     "--sort       dxcc order: status (country status, prefix) or band (band, mode,\n"
     "             prefix); without it, the country database's order\n"
     "--submission the lines of a submission list (numbered, dates DD/MM/YY)\n"
     "--csv        the shown columns as CSV with a header line, without the title\n"
     "The needed lists read the logbook's tallies: run kestrel tally after\n"
     "changing contacts outside an import. Ctrl-C cancels; the rows so far are\n"
     "printed. Needs kestrel setup first.",
     runAward},
    {"tally", "LOGBOOK", "bring a logbook's award tallies up to date from its contacts",
     "Recomputes what is worked and confirmed per country, CQ zone, US state and\n"
     "VHF grid, per award mode and band, from every contact of LOGBOOK. The\n"
     "needed lists of kestrel award and the import's award value report read\n"
     "these tallies; an import brings them up to date when it completes.",
     runTally},
    {"callbook",
     "call CALL | name LAST [FIRST] | city STATE [CITY] | zip LOW [HIGH] | "
     "street STATE CITY STREET [--format 1-6] [--count] [--next N] [--email] [--drive L]",
     "look licence holders up in a callbook CD's data set",
     "The data set is the directory callbk (callbkc.idx, callbkc.dat ...) at the\n"
     "root of a drive: the first of the drives C to Z (from --drive L) that holds\n"
     "it, each drive being the directory named by KESTREL_DRIVE_<letter>.\n"
     "Shows the first match; a callsign listed under another shows that one's\n"
     "record. Texts are upper-cased; a * ends a last name or city that is only\n"
     "the beginning of one. A callsign with its only digit first (1ABC) matches\n"
     "every call of that district and suffix, one with no digit (ABC) every call\n"
     "with that suffix.\n"
     "--format N  1 columns with dates and class, 2 name and address, 3 one line,\n"
     "            4 the record as stored (default), 5 quoted fields, 6 tabs\n"
     "--count     count the matches\n"
     "--next N    show up to N further matches\n"
     "--email     the e-mail address listed for the first match\n"
     "Exit status 1 when nothing matches or there is no data set.",
     runCallbook},
    {"kit", "CALL... [--template TEXT]",
     "look US and Canadian calls up in the KIT licence data set",
     "Prints the holder's data for each CALL, laid out by TEXT (default: call,\n"
     "class and year of birth; name; street; city, state and ZIP, one a line).\n"
     "Tags in TEXT: [CL] call, [CA] call in six places, [LC] class, [DB] year\n"
     "and [BE] date of birth, [FN] [MI] [MS] [MS1] [LN] name, [AD] street,\n"
     "[CI] city, [ST] state, [ZI] [ZZ] ZIP or postal code, [CO] county, [RN]\n"
     "record number, [TAn] blanks up to column n, [C+n] [C-n] column moves,\n"
     "[NLn] line ends, [CCn] character n, [UC1] names in mixed case, [UC0] off.\n"
     "The data set's folder is KITDIR (or WKITDIR), else a PATH entry ending\n"
     "in KIT, else any PATH entry, else KIT or KITHD on a drive mapped by\n"
     "KESTREL_DRIVE_C ... KESTREL_DRIVE_Z. Exit status 1 when a call is not\n"
     "found or the data set cannot be used.",
     runKit},
    {"desk", "[LOGBOOK] [--start COMPANION]... [--qt|--console|--headless]",
     "the suite's main window on a desktop, starting every companion program",
     "Opens the main window (class Kestrel4WClass, answering the companions'\n"
     "messages as kestrel host does) on LOGBOOK, else the logbook opened last\n"
     "([Desk] Logbook in KESTREL.INI); File/Open Logbook chooses another. The\n"
     "Programs menu starts the import program, the log browser, the award detail\n"
     "windows and the grayline map on the open logbook; the status line shows its\n"
     "name and contact count. While the import program runs, the main window\n"
     "steps aside.\n"
     "--start C  start companion C at once: import, browse, dxcc, was, cq, iota,\n"
     "           usca, grayline (may be given more than once)\n"
     "The window shows on the desktop (Qt) when WAYLAND_DISPLAY or DISPLAY is set,\n"
     "unless --console, --headless or KESTREL_UI=console|headless|qt says otherwise.",
     runDesk},
    {"browse",
     "LOGBOOK [--date FROM[,TO]] [--prefix P] [--zone Z] [--state S] [--band METRES] "
     "[--mode WORD] [--qsl not-sent|sent-not-cfm|cfm|not-sent-cfm] [--exclude LIST] "
     "[--sort band|call|zone|date|mode|prefix|state] [--save FILE] [--print PDF] [--tag]",
     "list a logbook's contacts as the log browser does, by query, and save, print or tag them",
     "Prints one line per contact: date, time, call, mode, band, RST sent and\n"
     "received, country, QSL sent and received, prefix, CQ zone and state. Without\n"
     "a query, every contact in date order; with one, the contacts that meet all\n"
     "of its flags (criteria kept from an earlier run are not used):\n"
     "--date     a day, or FROM,TO (MM-DD-YY, DD/MM/YY, YY.MM.DD or YYYY-MM-DD)\n"
     "--prefix   a country prefix of the country database\n"
     "--zone     a CQ zone 1-40;  --state  a US state\n"
     "--band     160 ... 10, 6, 2, 220 ... 10000, 60, 4\n"
     "--mode     AMT ASC CW FSK LSB PAC Phone PKT RTTY SAT SSB SSTV USB PSK MFSK\n"
     "           (Phone, SSB and FSK take their families, SAT satellite contacts)\n"
     "--qsl      not-sent, sent-not-cfm, cfm (received) or not-sent-cfm\n"
     "--exclude  prefixes to leave out, comma separated (at most 100)\n"
     "--sort     the browser's sort of the list\n"
     "--save     the list as text with CR LF line ends (BROWSER.TXT's form)\n"
     "--print    the list printed to a PDF file\n"
     "--tag      tag the listed contacts for labels (QSL sent, today's QSL date)\n"
     "--yes, --no, --quiet  answer the questions (an existing --save FILE is\n"
     "           replaced unless --no) and show only questions and errors\n"
     "Messages go to standard error. Exit status 1 when nothing is listed or a\n"
     "file could not be written, 2 for a query the browser refuses. The query is\n"
     "kept in KESTREL.INI as the browser keeps it. Needs kestrel setup first.",
     runBrowse},
    {"country", "find PREFIX | save FIELD=VALUE... | delete PREFIX | import FILE | export FILE | print PDF | list",
     "edit the country database: find, save, delete, import, export, print, list",
     "Runs the country editor (atlasw) on the COUNTRY database of the dictionary\n"
     "directory. Fields: prefix, country, cont, latitude (D.MM and N or S),\n"
     "longitude (D.MM and E or W), cq, itu, status (A or D), date (MM-DD-YY or\n"
     "another form of the log), table (the other prefixes, comma-separated).\n"
     "An import replaces the whole database, and is refused while another\n"
     "program has the database open. A saved change counts in every program at\n"
     "its next search. The editor's messages go to standard error.\n"
     "--yes, --no, --answer N=WORD, --quiet as for every command that asks.\n"
     "Without an action, on a desktop (--qt, KESTREL_UI=qt, or a display and\n"
     "neither --console nor --headless), the editor opens in a window of its\n"
     "own; the same holds for kestrel iota and kestrel qslmgr.",
     runCountry},
    {"iota", "find IOTA | save FIELD=VALUE... | delete IOTA | import FILE | export FILE | print PDF | list",
     "edit the IOTA database of island groups: find, save, delete, import, export, print, list",
     "Runs the IOTA editor (islesw) on the IOTA database: the country fields\n"
     "(see kestrel help country) and iota (the reference, EU-005) and grp (the\n"
     "group flag). Records are found by their IOTA reference. An import\n"
     "replaces the whole database; empty references are stored as 00000 and\n"
     "empty group flags as N.",
     runIota},
    {"qslmgr",
     "CALL | find CALL | save FIELD=VALUE... | delete CALL | import FILE [--append] | export FILE | print PDF | list",
     "edit the QSL manager database: who answers a station's QSL cards",
     "Runs the QSL manager editor (ksqslmgr) on the QSLMGR database. Fields:\n"
     "call, via (the manager's call), name, address1, address2, address3,\n"
     "comment. An import replaces the whole database, or with --append adds the\n"
     "calls it does not hold yet. kestrel setup fills it with a public list of\n"
     "managers (see the README). A CALL alone starts the editor with that call\n"
     "sign, as the main program does: its record is shown when there is one.",
     runQslmgr},
};

}  // namespace

std::span<const Command> commands() { return table; }

const Command* findCommand(const char* name) {
  for (const Command& command : table)
    if (std::strcmp(command.name, name) == 0) return &command;
  return nullptr;
}

int usageError(const Command& command, const char* problem) {
  std::fprintf(stderr, "kestrel %s: %s\nusage: kestrel %s %s\n", command.name, problem,
               command.name, command.usage);
  return kUsage;
}

}  // namespace kcli
