// Reads the tags of an ADIF file one at a time, with their values.
//
// The reader knows the file format only: which tag means what is the
// importer's business. It never gives up on bad input: a tag it cannot use is
// reported through the problem sink and reading goes on right after it, so
// the good records around it are kept.
#ifndef KESTREL_IMPORT_ADIFREAD_H
#define KESTREL_IMPORT_ADIFREAD_H

#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "winlayer/wintypes.h"

namespace ksimport {

// One tag and its value, valid until the next call of AdifReader::next.
struct AdifField {
  const char* name = "";   // as written: letters keep their case
  const char* value = "";  // the declared number of bytes, NUL-terminated
  long length = 0;         // bytes in value (fewer than declared only at the end of the file)
  char type = '\0';        // the type letter, 0 when absent
  long line = 0;           // line of the file on which the tag stands, from 1
};

class AdifReader {
 public:
  // Buffer sizes: a line (longer lines come in pieces of this size), a value,
  // and a tag.
  static constexpr int kLineSize = 16384;
  static constexpr int kFieldSize = 16384;
  static constexpr int kTokenSize = 1024;

  using ProblemSink = std::function<void(long line, const std::string& text)>;

  // `fileName` names the file in messages; `file` stays the caller's.
  AdifReader(HWND window, const char* fileName, std::FILE* file);
  ~AdifReader();
  AdifReader(const AdifReader&) = delete;
  AdifReader& operator=(const AdifReader&) = delete;

  // Which of the three buffers could not be allocated: message 122 (line),
  // 120 (field) or 121 (token); 0 when all are there.
  int allocationFailure() const { return allocationFailure_; }

  void setProblemSink(ProblemSink sink) { problems_ = std::move(sink); }

  // The next tag: 1 with `field` filled; 0 at the end of the file; -1 after a
  // read error (message 17 has been shown).
  int next(AdifField& field);

  // Whether the file has no header: its first character other than blanks
  // and line ends (after a UTF-8 byte order mark) is "<". Known once next
  // has returned a tag.
  bool headerless() const { return headerless_; }

  // The line being read, from 1.
  long lineNumber() const { return lineNumber_; }

 private:
  bool readLine(int keep);
  int readValue(long length);
  void problem(long line, const std::string& text);

  HWND window_;
  std::string fileName_;
  std::FILE* file_;
  std::unique_ptr<char[]> line_;
  std::unique_ptr<char[]> field_;
  std::unique_ptr<char[]> token_;
  char name_[kTokenSize] = {};
  int allocationFailure_ = 0;
  ProblemSink problems_;

  int lineLength_ = 0;
  int position_ = 0;
  bool haveLine_ = false;
  bool lineEnded_ = true;     // the last piece read ended a line of the file
  bool started_ = false;
  bool finished_ = false;
  bool failed_ = false;
  bool decided_ = false;      // the first character that is not blank was read
  bool headerless_ = false;
  long lineNumber_ = 0;
  int openTag_ = -1;          // position of the "<" that opened the pending tag
};

}  // namespace ksimport

#endif
