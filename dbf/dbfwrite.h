// Writes dBASE III tables: the import tests' fixtures and the benchmark's
// large tables. Records are added one at a time; the header, with the count,
// is written when the table is finished.
#ifndef KESTREL_DBF_DBFWRITE_H
#define KESTREL_DBF_DBFWRITE_H

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace ksdbf::writer {

struct DbfColumn {
  std::string name;  // up to 10 characters
  char type = 'C';   // C text, N number, D date (YYYYMMDD), L logical (T/F)
  int length = 1;
  int decimals = 0;
};

class DbfWriter {
 public:
  explicit DbfWriter(std::vector<DbfColumn> columns);
  ~DbfWriter();
  DbfWriter(const DbfWriter&) = delete;
  DbfWriter& operator=(const DbfWriter&) = delete;

  // Creates `path`; false when it cannot be made.
  bool open(const std::string& path);
  // One record: a value per column (missing ones blank), each fitted to its
  // column (texts left-aligned, numbers right-aligned, cut when too long).
  // A deleted record carries the deletion mark.
  bool add(const std::vector<std::string>& values, bool deleted = false);
  // Writes the header and the end-of-file mark and closes the file.
  bool finish();

  int recordLength() const { return recordLength_; }
  const std::vector<DbfColumn>& columns() const { return columns_; }

 private:
  std::vector<DbfColumn> columns_;
  int recordLength_ = 1;
  std::FILE* file_ = nullptr;
  unsigned long count_ = 0;
  std::string record_;
  bool ok_ = true;
};

}  // namespace ksdbf::writer

#endif
