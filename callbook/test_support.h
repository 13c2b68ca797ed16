// What the callbook tests share: a drive of their own holding a data set
// written by the data set writer, and a fresh library state for each test.
#ifndef KESTREL_CALLBOOK_TEST_SUPPORT_H
#define KESTREL_CALLBOOK_TEST_SUPPORT_H

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "internal.h"
#include "cbxwrite.h"
#include "testing/tempdir.h"
#include "winlayer/host.h"

namespace kscbx::testing {

// A temporary directory served as drive Q, and the library as freshly
// loaded; both undone at the end.
class Drive {
 public:
  Drive() : scoped_(host_), path_(root_.path()) {
    ::setenv("KESTREL_DRIVE_Q", path_.c_str(), 1);
    resetSession();
  }
  ~Drive() {
    resetSession();
    ::unsetenv("KESTREL_DRIVE_Q");
  }
  Drive(const Drive&) = delete;
  Drive& operator=(const Drive&) = delete;

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/callbk/" + name; }
  kswin::HeadlessHost& host() { return host_; }

  bool write(const std::vector<kscbx::writer::CallbookRecord>& records,
             const std::vector<kscbx::writer::CallbookCrossReference>& crossReferences = {},
             const std::vector<kscbx::writer::CallbookEmail>& emails = {},
             const kscbx::writer::CallbookOptions& options = {}) {
    std::string error;
    return kscbx::writer::writeCallbook(path_, records, crossReferences, emails, options, &error);
  }

  void overwrite(const std::string& name, const std::string& bytes) {
    std::ofstream out(file(name), std::ios::binary | std::ios::trunc);
    out << bytes;
  }

 private:
  kswin::HeadlessHost host_;
  kswin::ScopedHost scoped_;
  kstest::TempDir root_;
  std::string path_;
};

// A holder with the fields the tests look at; the rest made up.
inline kscbx::writer::CallbookRecord holder(std::string call, std::string last, std::string first,
                                      std::string state = "CT", std::string city = "HARTFORD",
                                      std::string zip = "06101",
                                      std::string street = "1 MAIN ST") {
  kscbx::writer::CallbookRecord r;
  r.call = std::move(call);
  r.lastName = std::move(last);
  r.firstName = std::move(first);
  r.state = std::move(state);
  r.city = std::move(city);
  r.zip = std::move(zip);
  r.street = std::move(street);
  r.born = "45123";
  r.issued = "95200";
  r.expires = "05200";
  r.licenceClass = "E";
  return r;
}

}  // namespace kscbx::testing

#endif
