// What the lookup's tests share: a data set written into a temporary
// directory, the environment set to find it, a headless host that records
// the message boxes, and the library's state forgotten before each test.
#ifndef KESTREL_KITLOOKUP_TESTSET_H
#define KESTREL_KITLOOKUP_TESTSET_H

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "kit.h"
#include "kitapi32.h"
#include "kitwriter.h"
#include "testing/tempdir.h"
#include "winlayer/host.h"
#include "winlayer/winlayer.h"

namespace kitapi::testing {

inline kitapi::writer::KitRecord usRecord(std::string call, std::string last, std::string first,
                                   char middle, std::string street, std::string city,
                                   std::string state, long zip, char cls = 'E', int year = 47,
                                   int day = 60) {
  kitapi::writer::KitRecord r;
  r.call = std::move(call);
  r.lastName = std::move(last);
  r.firstName = std::move(first);
  r.middle = middle;
  r.street = std::move(street);
  r.city = std::move(city);
  r.state = std::move(state);
  r.zip = zip;
  r.licenceClass = cls;
  r.birthYear = year;
  r.birthDay = day;
  return r;
}

inline kitapi::writer::KitDataSet smallSet() {
  kitapi::writer::KitDataSet set;
  set.us = {
      usRecord("W1AW", "HIRAM", "PERCY", 'M', "225 MAIN ST", "NEWINGTON", "CT", 6111, 'E', 71, 60),
      usRecord("KA1ABC", "MC'DONALD", "ANNE", 0, "22ND ST", "BOSTON", "MA", 2134, 'G', 80, 366),
      usRecord("N2X", "SMITH", " ", 'J', "RR 2 BOX 5", "ALBANY", "NY", 0, 'T', 0, 0),
      usRecord("AA0A", "SMITHSON", "BO", 'Q', "1 ELM ST", "DENVER", "CO", 80202, 'A', 64, 0),
      usRecord("K9ZZZ", "SMYTHE", "AL", 'Z', "PO BOX 9", "CHICAGO", "IL", 60601, 'N', 99, 1),
  };
  kitapi::writer::KitRecord ve;
  ve.call = "VE3ABC";
  ve.lastName = "TREMBLAY";
  ve.firstName = "LUC";
  ve.street = "12 RUE PRINCIPALE";
  ve.city = "OTTAWA";
  ve.state = "ON";
  ve.postal = "K1A0B1";
  set.ve = {ve};
  set.counties = {{6111, "HARTFORD"}, {2134, "SUFFOLK"}, {80202, "DENVER"}};
  return set;
}

class KitTest : public ::testing::Test {
 public:
  void SetUp() override {
    root_ = temp_.path();
    ASSERT_FALSE(root_.empty());
    dir_ = root_ + "/set";
    std::filesystem::create_directory(dir_);
    for (const char* name : {"KITDIR", "WKITDIR", "PATH"}) {
      const char* value = std::getenv(name);
      saved_.push_back({name, value ? value : "", value != nullptr});
    }
    ::unsetenv("WKITDIR");
    ::setenv("PATH", "/nonexistent", 1);
    ::setenv("KITDIR", dir_.c_str(), 1);
    module().keepFiles = true;
    resetModule();
    previous_ = kswin::setHost(&host_);
  }
  void TearDown() override {
    kswin::setHost(previous_);
    resetModule();
    module().keepFiles = true;
    for (const Saved& s : saved_) {
      if (s.present) ::setenv(s.name.c_str(), s.value.c_str(), 1);
      else ::unsetenv(s.name.c_str());
    }
  }

  void write(const kitapi::writer::KitDataSet& set, const std::string& where = "") {
    const std::string problem = kitapi::writer::writeKitDataSet(where.empty() ? dir_ : where, set);
    ASSERT_EQ(problem, "");
  }

  // FindCall's text for `call` (with its result in `result`).
  std::string find(const char* call, const char* layout, int& result, int length = 2048) {
    std::vector<char> buffer(static_cast<std::size_t>(std::max(length, 1)), '#');
    result = FindCall(call, buffer.data(), length, layout);
    return result == 0 ? std::string(buffer.data()) : std::string();
  }
  std::string find(const char* call, const char* layout = "[CL]") {
    int result = 0;
    std::string text = find(call, layout, result);
    return result == 0 ? text : "result " + std::to_string(result);
  }

  std::string file(const std::string& name) const { return dir_ + "/" + name; }
  // Overwrites `bytes` at `offset` of a file of the set.
  void patch(const std::string& name, long offset, const std::vector<unsigned char>& bytes) {
    std::fstream f(file(name), std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(offset);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  void truncate(const std::string& name, long size) {
    std::filesystem::resize_file(file(name), static_cast<std::uintmax_t>(size));
  }
  // The one box shown since the last call, as "caption|text|icon".
  std::string lastBox() {
    if (host_.boxes().empty()) return "no box";
    const kswin::BoxRecord& b = host_.boxes().back();
    std::string text = b.caption + "|" + b.text + "|" + std::to_string(b.icon()) +
                       ((b.style & MB_TASKMODAL) ? "|task" : "|");
    host_.clear();
    return text;
  }
  std::string upperDir() const {
    std::string d = dir_;
    for (char& c : d) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return d;
  }

  struct Saved {
    std::string name, value;
    bool present;
  };
  std::vector<Saved> saved_;
  kstest::TempDir temp_;
  std::string root_, dir_;
  kswin::HeadlessHost host_;
  kswin::UiHost* previous_ = nullptr;
};

}  // namespace kitapi::testing

#endif
