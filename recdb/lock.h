// Advisory locks that let the programs of the suite share a database: every
// program that opens one holds a shared "open" lock on its dictionary; the
// one that writes also holds the "writer" lock, so there is one writer at a
// time. Each lock is paired with a lock on a byte numbered after the
// holder's process id, which is how a refused program learns whom to name.
#ifndef KESTREL_RECDB_LOCK_H
#define KESTREL_RECDB_LOCK_H

#include <sys/types.h>

#include <memory>
#include <string>

namespace recdb {

class DatabaseLock {
 public:
  // Takes the open lock on `dictionary`. Fails (RECDB_E_BUSY) only when the
  // file cannot be opened or locked; `error` says why.
  static int acquire(const std::string& dictionary, std::unique_ptr<DatabaseLock>& out,
                     std::string& error);
  ~DatabaseLock();
  DatabaseLock(const DatabaseLock&) = delete;
  DatabaseLock& operator=(const DatabaseLock&) = delete;

  // Takes the writer lock, waiting up to `waitMs` for another program to
  // let it go. RECDB_OK, or RECDB_E_BUSY with `error` naming the holder.
  int acquireWriter(int waitMs, std::string& error);
  bool writer() const { return writer_; }

 // The descriptor of one dictionary, shared by this process's users.
  struct Shared;

 private:
  explicit DatabaseLock(std::shared_ptr<Shared> shared) : shared_(std::move(shared)) {}
  std::shared_ptr<Shared> shared_;
  bool writer_ = false;
};

// Another process than this one holding the open lock (`writer` false) or
// the writer lock of `dictionary`: its process id, 0 when there is none,
// -1 when the file cannot be read.
long lockHolder(const std::string& dictionary, bool writer);

// A short description of process `pid` for messages: "process 1234
// (kestrel)".
std::string describeProcess(long pid);

}  // namespace recdb

#endif
