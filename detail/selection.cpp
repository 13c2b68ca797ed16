// The contact that stands for an award entity, its marker, and the rows a
// report variant admits.
#include <cstdio>
#include <cstring>

#include "internal.h"
#include "funct/ksfunct.h"
#include "winlayer/winlayer.h"

namespace ksdetail {

const int kVuccBands[10] = {6, 2, 220, 432, 902, 1240, 2300, 3300, 5650, 10000};
const int kVuccMegahertz[10] = {50, 144, 220, 432, 902, 1240, 2300, 3300, 5650, 10000};

namespace {
constexpr int kBands[11] = {160, 80, 40, 30, 20, 17, 15, 12, 10, 6, 2};
}

int bandIndex(int band) {
  for (int i = 0; i < 11; ++i)
    if (kBands[i] == band) return i;
  return -1;
}

int dayOf(const char* date) { return CalcJulianDate(date); }

int iotaCode(const char* reference, char groupLetter) {
  static const char* const continents[] = {"AF", "AN", "AS", "EU", "NA", "OC", "SA"};
  int continent = 0;
  for (int i = 0; i < 7; ++i)
    if (std::strncmp(reference, continents[i], 2) == 0) continent = i + 1;
  // The digits after "XX-", at most three of them.
  int number = 0;
  const std::size_t length = strnlen(reference, 8);
  for (std::size_t i = 3; i < length && i < 6; ++i) {
    if (reference[i] < '0' || reference[i] > '9') break;
    number = number * 10 + (reference[i] - '0');
  }
  int group = 0;
  switch (groupLetter) {
    case 'A': case 'a': group = 1024; break;
    case 'B': case 'b': group = 2048; break;
    case 'W': case 'w': group = 3072; break;
    default: break;
  }
  return number + 4096 * continent + group;
}

void Selection::fill(const LogRecord& r, DB_ADDR address) {
  copyField(row_.call, r.call);
  copyField(row_.date, r.date);
  copyField(row_.time, r.time);
  copyField(row_.rcv, r.rstRcvd);
  copyField(row_.country, r.qth);
  copyField(row_.mode, r.mode);
  char band[16];
  std::snprintf(band, sizeof band, "%3d", r.band);
  putField(row_.band, band);
  const std::string received = fieldText(r.qslRcvd);
  std::memset(row_.qsl, 0, sizeof row_.qsl);
  std::memset(row_.qslDate, 0, sizeof row_.qslDate);
  if (isConfirmed(received.c_str())) {
    putField(row_.qsl, "Cfm");
    confirmed = true;
  } else if (r.qslSent[0] == 'Y') {
    putField(row_.qsl, "Snt");
    copyField(row_.qslDate, r.qslDate);
    sent = true;
  }
  row_.address = address;
}

void Selection::take(const LogRecord& r, DB_ADDR address, int tag) {
  const std::string received = fieldText(r.qslRcvd);
  const bool c = isConfirmed(received.c_str()) != 0;
  char& marker = row_.marker[0];
  if (tag != 0 && tagged) {
    if (tag == 2)
      marker = '-';
    else if (marker != '-')
      marker = '+';
    if ((c && !confirmedShown) || !confirmed || tag == 2) {
      fill(r, address);
      if (c) confirmedShown = true;
    }
    return;
  }
  bool untagged = tag == 0;
  if (tag != 0) {
    if ((c && !confirmedShown) || !confirmed) {
      marker = tag == 2 ? '-' : 'x';
    } else if (tag == 1) {
      untagged = true;  // counts as an untagged contact
    } else {
      marker = '-';
    }
    if (!untagged) {
      fill(r, address);
      worked = tagged = true;
      if (c) confirmedShown = true;
    }
  }
  if (untagged && !worked) {
    marker = '*';
    fill(r, address);
    worked = true;
  }
  if (!confirmed && c) {
    marker = '*';
    fill(r, address);
  }
}

bool admits(int variant, const Selection& s, const DetailRow& row, bool allowsYear2000) {
  const char marker = row.marker[0];
  switch (variant) {
    case 301: return true;
    case 309: return allowsYear2000;
    case 300: return marker == '+';
    case 303: return s.worked && !s.tagged;
    case 304: return s.worked && !s.confirmed;
    case 305: return s.worked && s.sent && !s.confirmed;
    case 306: return s.worked;
    case 307: return marker != '-' && s.confirmed;
    case 900: return marker == '-';
    default: return false;
  }
}

}  // namespace ksdetail
