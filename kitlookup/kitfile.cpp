#include "kitfile.h"

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>

// The one place this room meets the suite's path resolver.
#include "base/paths.h"
namespace paths = ksbase;

namespace kitapi {

std::string hostPath(std::string_view name) { return paths::mapPath(name); }

std::string driveRootOf(std::string_view directory) {
  if (directory.size() >= 2 && directory[1] == ':')
    return std::string(directory.substr(0, 2)) + "\\";
  const std::string here = hostPath(directory);
  for (char letter = 'C'; letter <= 'Z'; ++letter) {
    const std::string root = paths::driveRoot(letter);
    if (root.empty() || here.compare(0, root.size(), root) != 0) continue;
    if (here.size() == root.size() || here[root.size()] == '/' || root == "/")
      return std::string(1, letter) + ":\\";
  }
  return "/";
}

bool DataFile::signatureOf(const std::string& path, Signature& out) {
  struct stat info;
  if (path.empty() || ::stat(path.c_str(), &info) != 0) return false;
  out.device = info.st_dev;
  out.inode = info.st_ino;
  out.size = info.st_size;
  out.modifiedNs = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
  return true;
}

bool DataFile::open(const std::string& name, bool keep) {
  forget();
  name_ = name;
  keep_ = keep;
  path_ = hostPath(name);
  if (path_.empty()) return false;
  if (keep) return load();
  fd_ = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ >= 0) {
    struct stat info;
    if (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) close();
  }
  return fd_ >= 0;
}

bool DataFile::load() {
  loaded_ = false;
  data_.clear();
  const int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return false;
  }
  signature_.device = info.st_dev;
  signature_.inode = info.st_ino;
  signature_.size = info.st_size;
  signature_.modifiedNs =
      static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
  data_.resize(static_cast<std::size_t>(info.st_size));
  std::size_t got = 0;
  while (got < data_.size()) {
    const ssize_t n = ::read(fd, data_.data() + got, data_.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  data_.resize(got);  // a file cut short meanwhile holds what was there
  ::close(fd);
  loaded_ = true;
  return true;
}

bool DataFile::refresh() {
  if (name_.empty()) return false;
  if (!keep_) {
    close();
    path_ = hostPath(name_);
    fd_ = path_.empty() ? -1 : ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    return true;
  }
  Signature now;
  if (!signatureOf(path_, now)) {
    // Gone (or renamed to another case): look it up by name once more.
    path_ = hostPath(name_);
    if (!signatureOf(path_, now)) {
      const bool had = loaded_;
      loaded_ = false;
      data_.clear();
      signature_ = {};
      return had;
    }
  }
  if (loaded_ && now == signature_) return false;
  load();
  return true;
}

bool DataFile::changedOnDisk() const {
  if (!loaded_) return false;
  Signature now;
  return !signatureOf(path_, now) || !(now == signature_);
}

void DataFile::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

void DataFile::forget() {
  close();
  loaded_ = false;
  data_.clear();
  data_.shrink_to_fit();
  signature_ = {};
  name_.clear();
  path_.clear();
}

std::size_t DataFile::read(std::uint64_t offset, void* out, std::size_t size) const {
  if (loaded_) {
    if (offset >= data_.size()) return 0;
    const std::size_t n = std::min<std::uint64_t>(size, data_.size() - offset);
    std::memcpy(out, data_.data() + offset, n);
    return n;
  }
  if (fd_ < 0 || offset > static_cast<std::uint64_t>(INT64_MAX)) return 0;
  std::size_t got = 0;
  while (got < size) {
    const ssize_t n = ::pread(fd_, static_cast<char*>(out) + got, size - got,
                              static_cast<off_t>(offset + got));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  return got;
}

std::span<const std::uint8_t> DataFile::view(std::uint64_t offset, std::size_t size,
                                             std::uint8_t* scratch) const {
  if (loaded_) {
    if (offset >= data_.size()) return {};
    return {data_.data() + offset, std::min<std::uint64_t>(size, data_.size() - offset)};
  }
  return {scratch, read(offset, scratch, size)};
}

void DirectoryWatch::start(const std::string& directory) {
  stop();
  const std::string path = hostPath(directory);
  if (path.empty()) return;
  fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (fd_ < 0) return;
  const std::uint32_t events = IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_CREATE | IN_DELETE |
                               IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF;
  if (::inotify_add_watch(fd_, path.c_str(), events) < 0) stop();
}

void DirectoryWatch::stop() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

bool DirectoryWatch::maybeChanged() {
  if (fd_ < 0) return true;
  bool any = false;
  alignas(inotify_event) char events[4096];
  for (;;) {
    const ssize_t n = ::read(fd_, events, sizeof events);
    if (n > 0) {
      any = true;
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    // Nothing more queued (EAGAIN); an overflowed or broken watch says
    // "maybe" from now on.
    if (n < 0 && errno != EAGAIN) {
      stop();
      return true;
    }
    return any;
  }
}

}  // namespace kitapi
