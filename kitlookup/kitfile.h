// The data set's files as the lookup reads them, and where a suite name
// (C:\KIT\KITDB1.DAT) lives on this system.
#ifndef KESTREL_KITLOOKUP_KITFILE_H
#define KESTREL_KITLOOKUP_KITFILE_H

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kitapi {

// The file of this system that the suite's name `name` stands for.
std::string hostPath(std::string_view name);

// The root of the drive that holds `directory`, in the suite's form with its
// trailing backslash: "Q:\" for a directory named by drive letter, else the
// drive whose mapped directory holds it, else "/".
std::string driveRootOf(std::string_view directory);

// One file of the data set, read only. Two ways of holding it:
//  - kept: the whole file is read into memory when opened and read again
//    when it changes on disk (another file, size or modification time);
//  - by name: opened by name when a lookup needs it and closed after it,
//    every read going to the disk.
class DataFile {
 public:
  DataFile() = default;
  DataFile(const DataFile&) = delete;
  DataFile& operator=(const DataFile&) = delete;
  ~DataFile() { close(); }

  // Opens the file of suite name `name`; false when it cannot be opened.
  bool open(const std::string& name, bool keep);
  // Opens it again by the name it was opened with (by-name files), or
  // reads it again if it changed on disk (kept files). A file that is gone
  // reads as empty. True when the content may have changed.
  bool refresh();
  // Kept files: whether the file on disk is no longer the one read (another
  // file, size or modification time, or gone).
  bool changedOnDisk() const;
  // Closes the file (a kept file keeps its name for refresh()).
  void close();
  // Forgets the file altogether.
  void forget();

  bool isOpen() const { return fd_ >= 0 || loaded_; }
  const std::string& name() const { return name_; }

  // Copies up to `size` bytes from `offset`; returns the number copied.
  std::size_t read(std::uint64_t offset, void* out, std::size_t size) const;
  bool readAll(std::uint64_t offset, void* out, std::size_t size) const {
    return read(offset, out, size) == size;
  }
  // Up to `size` bytes from `offset`: in place for a kept file, else read
  // into `scratch` (which holds `size` bytes).
  std::span<const std::uint8_t> view(std::uint64_t offset, std::size_t size,
                                     std::uint8_t* scratch) const;

 private:
  struct Signature {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = -1;
    std::int64_t modifiedNs = 0;
    bool operator==(const Signature&) const = default;
  };
  bool load();
  static bool signatureOf(const std::string& path, Signature& out);

  std::string name_;  // the suite's name
  std::string path_;  // this system's
  bool keep_ = true;
  bool loaded_ = false;
  int fd_ = -1;
  Signature signature_;
  std::vector<std::uint8_t> data_;
};

// Tells whether anything in a directory may have changed since last asked,
// so that kept files need not be looked at on disk for every lookup. Where
// the directory cannot be watched, every question answers "maybe".
class DirectoryWatch {
 public:
  DirectoryWatch() = default;
  DirectoryWatch(const DirectoryWatch&) = delete;
  DirectoryWatch& operator=(const DirectoryWatch&) = delete;
  ~DirectoryWatch() { stop(); }

  // Watches the directory of suite name `directory`.
  void start(const std::string& directory);
  void stop();
  // True when something happened in the directory since the last call (or
  // when it is not being watched).
  bool maybeChanged();

 private:
  int fd_ = -1;
};

}  // namespace kitapi

#endif
