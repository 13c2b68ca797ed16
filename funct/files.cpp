// File, dictionary and disk helpers. Every operation opens, uses and closes
// its files within the call and reports its own failures in a message box.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "internal.h"
#include "base/cabi.h"
#include "ksfunct.h"
#include "winlayer/winlayer.h"

namespace ksfunct {

void (*copyChunkObserver)(size_t chunk) = nullptr;

namespace {

constexpr size_t kCopyChunk = 16000;
constexpr const char* kCopyCaption = "Copy File";

// Dictionary name slots: file numbers 0..4 live 60 bytes apart from 22.
constexpr size_t kSlotOffset = 22;
constexpr size_t kSlotWidth = 60;

class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  bool ok() const { return fd_ >= 0; }

 private:
  int fd_;
};

// Opens an existing regular file for reading. Directories, pipes and
// devices are no files of the suite's (and opening a pipe must not block).
int openForReading(const char* name) {
  if (name == nullptr || name[0] == '\0') return -1;
  int fd = ::open(name, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return -1;
  struct stat info;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return -1;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

// Reads `size` bytes unless the file ends first; the count read.
size_t readFully(int fd, char* buffer, size_t size) {
  size_t done = 0;
  while (done < size) {
    ssize_t got = ::read(fd, buffer + done, size - done);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    done += static_cast<size_t>(got);
  }
  return done;
}

// Writes a destination file safely: the bytes go to a temporary file beside
// it, which replaces the destination only when every byte reached the disk.
// A copy that fails part way leaves the destination as it was (a new
// destination is not created at all), so nobody mistakes half a file for a
// copy.
class SafeFile {
 public:
  bool open(const char* destination) {
    if (destination == nullptr || destination[0] == '\0') return false;
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
      temp_ = std::string(destination) + ".~" + std::to_string(::getpid()) + "-" +
              std::to_string(counter++);
      fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (fd_ >= 0 || errno != EEXIST) break;
    }
    if (fd_ < 0) return false;
    destination_ = destination;
    struct stat existing;  // a replaced file keeps its permissions
    if (::stat(destination, &existing) == 0) ::fchmod(fd_, existing.st_mode & 07777);
    return true;
  }

  bool write(const char* data, size_t size) {
    while (size > 0) {
      ssize_t put = ::write(fd_, data, size);
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) return false;
      data += put;
      size -= static_cast<size_t>(put);
    }
    return true;
  }

  bool commit() {
    bool ok = ::fsync(fd_) == 0;
    ok = ::close(fd_) == 0 && ok;
    fd_ = -1;
    if (ok && ::rename(temp_.c_str(), destination_.c_str()) == 0) {
      temp_.clear();
      return true;
    }
    return false;
  }

  ~SafeFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!temp_.empty()) ::unlink(temp_.c_str());
  }

 private:
  int fd_ = -1;
  std::string temp_;
  std::string destination_;
};

void tell(HWND window, int id, const char* name, const char* caption = kCopyCaption) {
  const unsigned icon = id == 304 ? MB_ICONERROR : MB_ICONWARNING;
  showFileMessage(window, id, name, id == 304 ? nullptr : caption, icon);
}

// The shape of a path: where its directory ends and its extension begins.
struct PathParts {
  std::string directory;  // drive and directory, separator included
  std::string base;       // file name without extension
  std::string extension;  // from the last "." of the file name, "." included
};

PathParts splitPath(const char* path) {
  std::string text = path ? path : "";
  size_t nameStart = text.find_last_of("/\\");
  nameStart = nameStart == std::string::npos ? 0 : nameStart + 1;
  if (nameStart == 0 && text.size() >= 2 && text[1] == ':') nameStart = 2;  // "C:NAME"
  PathParts parts;
  parts.directory = text.substr(0, nameStart);
  std::string name = text.substr(nameStart);
  size_t dot = name.find_last_of('.');
  if (dot == std::string::npos) {
    parts.base = name;
  } else {
    parts.base = name.substr(0, dot);
    parts.extension = name.substr(dot);
  }
  return parts;
}

// Copies a dictionary, naming the database files of the copy after
// `baseFrom` with the given extensions in the slots of files 0, 1, ...
int copyDictionaryNamed(HWND window, const char* source, const char* destination,
                        const char* baseFrom, const std::vector<const char*>& extensions) {
  Fd in(openForReading(source));
  if (!in.ok()) {
    tell(window, 300, source);
    return 0;
  }
  struct stat info;
  ::fstat(in.get(), &info);
  const size_t size = static_cast<size_t>(info.st_size);
  std::unique_ptr<char[]> buffer(new (std::nothrow) char[size + 1]());
  if (!buffer) {
    tell(window, 304, nullptr);
    return 0;
  }
  // A file too short to hold the name slots is no dictionary.
  if (readFully(in.get(), buffer.get(), size) != size ||
      size < kSlotOffset + kSlotWidth * extensions.size()) {
    tell(window, 301, source);
    return 0;
  }
  const std::string base = splitPath(baseFrom).base;
  for (size_t slot = 0; slot < extensions.size(); ++slot) {
    const std::string name = base + extensions[slot];
    if (name.size() + 1 > kSlotWidth) {  // the copy could not name its files
      tell(window, 302, destination);
      return 0;
    }
    std::memcpy(buffer.get() + kSlotOffset + slot * kSlotWidth, name.c_str(), name.size() + 1);
  }
  SafeFile out;
  if (!out.open(destination)) {
    tell(window, 300, destination);
    return 0;
  }
  if (!out.write(buffer.get(), size) || !out.commit()) {
    tell(window, 302, destination);
    return 0;
  }
  return 1;
}

}  // namespace
}  // namespace ksfunct

using namespace ksfunct;

extern "C" {

// Every export that builds texts or reports through message boxes runs
// guarded: running out of memory fails it instead of crossing the C boundary.

int FileExists(const char* name) {
  Fd file(openForReading(name));
  return file.ok() ? 1 : 0;
}

int KSDeleteFile(const char* name) {
  return name != nullptr && ::unlink(name) == 0 ? 0 : 1;
}

int KSCopyFile(HWND window, const char* source, const char* destination) {
  return ksbase::guarded(0, [&] {
    Fd in(openForReading(source));
    if (!in.ok()) {
      tell(window, 300, source);
      return 0;
    }
    SafeFile out;
    if (!out.open(destination)) {
      tell(window, 300, destination);
      return 0;
    }
    struct stat info;
    ::fstat(in.get(), &info);
    size_t remaining = static_cast<size_t>(info.st_size);
    size_t chunk = std::min(kCopyChunk, remaining);
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[chunk + 1]());
    if (!buffer) {
      tell(window, 304, nullptr);
      return 0;
    }

    HCURSOR previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    int failure = 0;  // the message that ended the copy
    while (remaining > 0) {
      UpdateWindow(window);
      if (readFully(in.get(), buffer.get(), chunk) != chunk) {
        failure = 301;
        break;
      }
      if (!out.write(buffer.get(), chunk)) {
        failure = 302;
        break;
      }
      if (copyChunkObserver) copyChunkObserver(chunk);
      remaining -= chunk;
      chunk = std::min(chunk, remaining);
    }
    if (failure == 0 && !out.commit()) failure = 302;
    SetCursor(previous);

    if (failure != 0) {
      tell(window, failure, failure == 301 ? source : destination);
      return 0;
    }
    return 1;
  });
}

int CopyDictionary(HWND window, const char* source, const char* destination) {
  return ksbase::guarded(0, [&] {
    return copyDictionaryNamed(window, source, destination, destination,
                               {".DAT", ".KEY", ".K01", ".DA1", ".K02"});
  });
}

int CopyNoteDictionary(HWND window, const char* source, const char* destination,
                       const char* nameFrom) {
  return ksbase::guarded(0, [&] {
    return copyDictionaryNamed(window, source, destination, nameFrom, {".DA2", ".K03"});
  });
}

long FileSize(HWND window, const char* name) {
  return ksbase::guarded(0L, [&] {
    Fd file(openForReading(name));
    struct stat info;
    if (!file.ok() || ::fstat(file.get(), &info) != 0) {
      tell(window, 300, name, "File Size");
      return 0L;
    }
    return static_cast<long>(info.st_size);
  });
}

// The whole count of bytes free to the user (the result is 64 bits wide).
long FreeDiskSpace(const char* rootPath) {
  struct statvfs info;
  if (rootPath == nullptr || ::statvfs(rootPath, &info) != 0) return 0;
  return static_cast<long>(info.f_bavail) * static_cast<long>(info.f_frsize);
}

// A result longer than KS_MAKEFILENAME_MAX characters would name another
// file than the one meant: `out` is then left empty, so opening it fails.
void MakeFileName(const char* path, const char* extension, char* out) {
  if (out == nullptr) return;
  ksbase::guardedVoid([&] {
    const PathParts parts = splitPath(path);
    std::string name = parts.directory + parts.base;
    if (extension != nullptr && extension[0] != '\0') {
      if (extension[0] != '.') name += '.';
      name += extension;
    }
    if (name.size() > KS_MAKEFILENAME_MAX) name.clear();
    std::memcpy(out, name.c_str(), name.size() + 1);
  }, [&] { out[0] = '\0'; });
}

}  // extern "C"
