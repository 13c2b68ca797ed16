// Line reader and tokenizer shared by the text importers (ADIF, ASCII, the
// foreign logger formats).
#ifndef KESTREL_IMPORT_TEXTREAD_H
#define KESTREL_IMPORT_TEXTREAD_H

#include <cstdio>

#include "winlayer/wintypes.h"

namespace ksimport {

// ReadLine result at the end of the file (nothing left to read).
inline constexpr int kEndOfFile = -2;

// Reads one line from `file` into `buffer` (NUL-terminated): the bytes up to
// and including a line feed or a NUL byte, whichever comes first. The NUL
// ends the line and is not stored. With `keepEnds` carriage returns and the
// final line feed are stored; without it neither is. A line longer than
// size - 1 bytes is cut there and the rest comes with the next call. A last
// line without a line feed is returned like any other.
// Returns the number of bytes stored; kEndOfFile when the file had nothing
// left; 0 after a read error, having shown message 17 with `fileName`.
int ReadLine(HWND window, const char* fileName, std::FILE* file, char* buffer, int size,
             int keepEnds);

// Takes the next token of `text` from `*position` into `out` (NUL-terminated;
// characters beyond outSize - 1 are consumed but dropped).
//   caseMode    0 leaves letters as they are, 1 upper-cases, 2 lower-cases
//               (never inside quotes)
//   spaces      characters that separate tokens and are otherwise skipped
//   delimiters  characters that end a token and are consumed with it
//   quotes      characters that open a quoted stretch closed by the same one
//   escape      takes the next character literally; 0 for none
// Returns 1 when nothing is left at the position, else 0 with the token,
// `*delimiter` the character that ended it (0 at the end of the text; a quote
// that ended a token is reported but not consumed) and `*quoted` set when the
// token began with a quote.
int NextToken(int caseMode, char* out, int outSize, const char* text, const char* spaces,
              const char* delimiters, const char* quotes, char escape, char* delimiter,
              int* position, int* quoted);

// ParseTag result for a length that is not a non-negative decimal number.
inline constexpr long kBadLength = -1;

// Splits tag text "NAME:LENGTH:TYPE" into the name (cut to nameSize - 1),
// the declared length and the optional type letter (0 when absent).
// Returns the length, 0 when there is none, kBadLength when it is not a
// decimal number that fits a long.
long ParseTag(const char* tag, char* name, int nameSize, char* type);

}  // namespace ksimport

#endif
