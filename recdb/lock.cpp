// Open-file-description locks on the dictionary file: they belong to the
// descriptor, not the process, so closing another descriptor of the same
// file (reading the dictionary, copying it) never drops them. A process
// keeps one descriptor per dictionary and counts its own users, so two
// tasks of one program share its locks instead of refusing each other.
#include "lock.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <fstream>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

#include "recdb.h"

namespace recdb {

namespace {

// Byte 0: held shared by every program that has the database open.
// Byte 1: held alone by the writer.
// Bytes from kOpenPids and kWriterPids: one per holder, at its process id.
constexpr off_t kOpenByte = 0;
constexpr off_t kWriterByte = 1;
constexpr off_t kOpenPids = off_t{1} << 32;
constexpr off_t kWriterPids = off_t{1} << 33;
constexpr off_t kPidRange = off_t{1} << 31;

int setLock(int fd, short type, off_t start, off_t length, bool wait = false) {
  struct flock lock {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = start;
  lock.l_len = length;
  int rc;
  do rc = ::fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &lock);
  while (rc != 0 && errno == EINTR);
  return rc;
}

// The start of the first lock of another descriptor that conflicts with
// `type` over the range, or -1.
off_t firstConflict(int fd, short type, off_t start, off_t length) {
  struct flock lock {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = start;
  lock.l_len = length;
  if (::fcntl(fd, F_OFD_GETLK, &lock) != 0 || lock.l_type == F_UNLCK) return -1;
  return lock.l_start;
}

}  // namespace

struct DatabaseLock::Shared {
  int fd = -1;
  bool writable = false;  // a dictionary the user may not change takes no writer lock
  int writers = 0;
  dev_t device = 0;
  ino_t inode = 0;
  pid_t owner = 0;  // a child made by fork() has descriptors of its own
  ~Shared() {
    if (fd >= 0) ::close(fd);  // lets every lock of the descriptor go
  }
};

namespace {

std::mutex& registryLock() {
  static std::mutex lock;
  return lock;
}
// The descriptors of this process, by file; entries go when unused.
std::map<std::pair<dev_t, ino_t>, std::weak_ptr<DatabaseLock::Shared>>& registry() {
  static auto* files = new std::map<std::pair<dev_t, ino_t>, std::weak_ptr<DatabaseLock::Shared>>;
  return *files;
}

}  // namespace

int DatabaseLock::acquire(const std::string& dictionary, std::unique_ptr<DatabaseLock>& out,
                          std::string& error) {
  int fd = ::open(dictionary.c_str(), O_RDWR | O_CLOEXEC);
  const bool writable = fd >= 0;
  if (fd < 0) fd = ::open(dictionary.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat st {};
  if (fd < 0 || ::fstat(fd, &st) != 0) {
    if (fd >= 0) ::close(fd);
    error = "cannot open " + dictionary;
    return RECDB_E_DICT;
  }
  std::lock_guard<std::mutex> guard(registryLock());
  auto& files = registry();
  const auto id = std::make_pair(st.st_dev, st.st_ino);
  if (auto found = files.find(id); found != files.end()) {
    std::shared_ptr<Shared> shared = found->second.lock();
    if (shared && shared->owner == ::getpid()) {
      ::close(fd);
      out.reset(new DatabaseLock(std::move(shared)));
      return RECDB_OK;
    }
  }
  auto shared = std::make_shared<Shared>();
  shared->fd = fd;
  shared->writable = writable;
  shared->owner = ::getpid();
  shared->device = st.st_dev;
  shared->inode = st.st_ino;
  // Shared locks only meet a conflict while a replacement holds the open
  // byte alone, which takes no time: wait for it.
  if (setLock(fd, F_RDLCK, kOpenByte, 1, true) != 0 ||
      setLock(fd, F_RDLCK, kOpenPids + ::getpid(), 1) != 0) {
    error = "cannot lock " + dictionary;
    return RECDB_E_BUSY;
  }
  files[id] = shared;
  out.reset(new DatabaseLock(std::move(shared)));
  return RECDB_OK;
}

DatabaseLock::~DatabaseLock() {
  std::lock_guard<std::mutex> guard(registryLock());
  if (writer_ && --shared_->writers == 0 && shared_->writable) {
    setLock(shared_->fd, F_UNLCK, kWriterByte, 1);
    setLock(shared_->fd, F_UNLCK, kWriterPids + ::getpid(), 1);
  }
  if (shared_.use_count() == 1 && shared_->owner == ::getpid())
    registry().erase({shared_->device, shared_->inode});
  shared_.reset();
}

int DatabaseLock::acquireWriter(int waitMs, std::string& error) {
  if (writer_) return RECDB_OK;
  std::unique_lock<std::mutex> guard(registryLock());
  if (shared_->writers > 0) {  // another task of this program writes already
    ++shared_->writers;
    writer_ = true;
    return RECDB_OK;
  }
  const int fd = shared_->fd;
  if (!shared_->writable) {
    ++shared_->writers;
    writer_ = true;
    return RECDB_OK;
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
  for (;;) {
    if (setLock(fd, F_WRLCK, kWriterByte, 1) == 0) break;
    if (errno != EAGAIN && errno != EACCES) {
      error = "cannot lock the database for writing";
      return RECDB_E_BUSY;
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      off_t at = firstConflict(fd, F_WRLCK, kWriterPids, kPidRange);
      long pid = at >= kWriterPids ? static_cast<long>(at - kWriterPids) : 0;
      error = "the database is being written by " +
              (pid > 0 ? describeProcess(pid) : std::string("another program"));
      return RECDB_E_BUSY;
    }
    guard.unlock();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    guard.lock();
    if (shared_->writers > 0) break;
  }
  if (shared_->writers == 0) setLock(fd, F_RDLCK, kWriterPids + ::getpid(), 1);
  ++shared_->writers;
  writer_ = true;
  return RECDB_OK;
}

long lockHolder(const std::string& dictionary, bool writer) {
  int fd = ::open(dictionary.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return -1;
  // A probe from a descriptor of its own sees this process's locks too:
  // leave them out.
  const off_t base = writer ? kWriterPids : kOpenPids;
  long holder = 0;
  for (off_t from = base; holder == 0 && from < base + kPidRange;) {
    off_t at = firstConflict(fd, F_WRLCK, from, base + kPidRange - from);
    if (at < 0) break;
    long pid = static_cast<long>(at - base);
    if (pid != ::getpid()) holder = pid;
    from = at + 1;
  }
  ::close(fd);
  return holder;
}

std::string describeProcess(long pid) {
  std::string text = "process " + std::to_string(pid);
  std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
  std::string name;
  if (comm && std::getline(comm, name) && !name.empty()) text += " (" + name + ")";
  return text;
}

}  // namespace recdb
