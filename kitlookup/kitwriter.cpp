#include "kitwriter.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <stdexcept>

namespace kitapi::writer {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kLongest[5] = {24, 11, 35, 20, 2};
constexpr int kGroups = 7020;
constexpr std::size_t kBlock = 512;
constexpr std::uint8_t kEnd = '_' - 32;

struct Failure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

void put(Bytes& out, std::size_t at, std::uint64_t value, int size) {
  if (out.size() < at + static_cast<std::size_t>(size)) out.resize(at + static_cast<std::size_t>(size));
  for (int i = 0; i < size; ++i) out[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

// Least significant bit first, as the lookup reads them.
void putBits(Bytes& out, std::uint64_t bit, std::uint64_t value, unsigned width) {
  for (unsigned i = 0; i < width; ++i, ++bit) {
    const std::size_t byte = static_cast<std::size_t>(bit / 8);
    if (out.size() <= byte) out.resize(byte + 1);
    if ((value >> i) & 1) out[byte] = static_cast<std::uint8_t>(out[byte] | (1u << (bit % 8)));
  }
}

unsigned bitsFor(std::uint64_t largest) {
  unsigned bits = 1;
  while (bits < 32 && (largest >> bits) != 0) ++bits;
  return bits;
}

int code(char c) { return c == ' ' ? 0 : c - 'A' + 1; }

struct Placed {
  const KitRecord* record;
  char p[6];
  int group;
  std::uint32_t key;
};

Placed place(const KitRecord& r) {
  Placed out{&r, {' ', ' ', ' ', ' ', ' ', ' '}, 0, 0};
  const std::string& c = r.call;
  const std::size_t from = c.size() >= 2 && std::isdigit(static_cast<unsigned char>(c[1])) ? 1 : 0;
  if (c.size() + from > 6 || c.size() < 3) throw Failure("call does not fit: " + c);
  for (std::size_t i = 0; i < c.size(); ++i) out.p[from + i] = c[i];
  auto letter = [](char x) { return x >= 'A' && x <= 'Z'; };
  if (!(out.p[0] == ' ' || letter(out.p[0])) || !letter(out.p[1]) || !std::isdigit(static_cast<unsigned char>(out.p[2])) ||
      !letter(out.p[3]) || !(out.p[4] == ' ' || letter(out.p[4])) ||
      !(out.p[5] == ' ' || letter(out.p[5])) || (out.p[4] == ' ' && out.p[5] != ' '))
    throw Failure("call does not fit: " + c);
  out.group = (out.p[2] - '0') * 702 + (code(out.p[3]) - 1) * 27 + code(out.p[4]);
  out.key = static_cast<std::uint32_t>(code(out.p[1]) + 32 * code(out.p[0]) + 1024 * code(out.p[5]));
  return out;
}

std::string checkedText(const std::string& text, std::size_t field) {
  std::string out;
  for (char c : text) {
    const char u = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (u < ' ' || u >= '_') throw Failure("character not in the dictionaries' set: " + text);
    out += u;
  }
  if (out.size() > kLongest[field]) throw Failure("text too long: " + text);
  if (field == 4 && out.size() != 2) throw Failure("a state has 2 characters: " + text);
  return out;
}

// A stream of 6-bit characters being written from file offset `start`.
struct Stream {
  std::uint64_t start;
  std::vector<std::uint8_t> chars;
  std::uint64_t byteOf(std::size_t character) const { return start + character * 6 / 8; }
  Bytes bytes() const {
    Bytes out;
    for (std::size_t i = 0; i < chars.size(); ++i) putBits(out, i * 6, chars[i], 6);
    return out;
  }
};

std::size_t sharedLength(const std::string& a, const std::string& b) {
  std::size_t n = 0;
  while (n < a.size() && n < b.size() && a[n] == b[n]) ++n;
  return n;
}

// Writes `texts` (sorted, distinct) as one dictionary stream: each entry
// the count of leading characters it shares with the entry after it, its
// other characters and '_'. Every entry starts on an even character; the
// first entry of each 512-byte block and any entry that runs into the next
// block share nothing, so that a lookup never reads past the 1024 bytes
// from the block its entry starts in. Returns each text's reference.
std::vector<std::uint32_t> writeStream(Stream& s, const std::vector<std::string>& texts, bool state,
                                       std::uint32_t firstReference) {
  std::vector<std::uint32_t> refs;
  std::uint64_t lastBlock = UINT64_MAX;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const std::string& t = texts[i];
    const std::size_t at = s.chars.size();
    refs.push_back(firstReference + static_cast<std::uint32_t>(at / 2));
    if (state) {
      for (char c : t) s.chars.push_back(static_cast<std::uint8_t>(c - 32));
      continue;
    }
    std::size_t shared = i + 1 < texts.size() ? sharedLength(t, texts[i + 1]) : 0;
    if (shared > 0 && (t.size() - shared) % 2 == 1) --shared;  // keep the next entry even
    const std::uint64_t block = s.byteOf(at) / kBlock;
    const std::size_t count = 2 + t.size() - shared;
    if (block != lastBlock || s.byteOf(at + count - 1) / kBlock != block) shared = 0;
    lastBlock = block;
    s.chars.push_back(static_cast<std::uint8_t>(shared));
    for (std::size_t k = shared; k < t.size(); ++k) s.chars.push_back(static_cast<std::uint8_t>(t[k] - 32));
    s.chars.push_back(kEnd);
    if (s.chars.size() % 2) s.chars.push_back(kEnd);  // only after an entry that shares nothing
  }
  return refs;
}

struct Dictionaries {
  std::array<std::map<std::string, std::uint32_t>, 5> refs;
  std::array<std::uint32_t, 5> base{}, split{}, alternate{};
  std::array<unsigned, 5> widths{};
  Bytes bytes;  // from offset `start`
};

// Every dictionary after `start` (an absolute offset in its file; bases are
// stored relative to `relativeTo`).
Dictionaries buildDictionaries(const std::vector<KitRecord>& records, std::uint64_t start,
                               std::uint64_t relativeTo, bool extended) {
  Dictionaries d;
  std::array<std::vector<std::string>, 5> texts;
  for (const KitRecord& r : records) {
    const std::string* fields[5] = {&r.lastName, &r.firstName, &r.street, &r.city, &r.state};
    for (std::size_t i = 0; i < 5; ++i) texts[i].push_back(checkedText(*fields[i], i));
  }
  std::uint64_t at = start;
  for (std::size_t i = 0; i < 5; ++i) {
    std::sort(texts[i].begin(), texts[i].end());
    texts[i].erase(std::unique(texts[i].begin(), texts[i].end()), texts[i].end());
    const std::size_t half = extended ? texts[i].size() / 2 : texts[i].size();
    std::vector<std::string> first(texts[i].begin(), texts[i].begin() + static_cast<long>(half));
    std::vector<std::string> second(texts[i].begin() + static_cast<long>(half), texts[i].end());

    Stream one{at, {}};
    const std::vector<std::uint32_t> refsOne = writeStream(one, first, i == 4, 0);
    const std::uint32_t pairs = static_cast<std::uint32_t>((one.chars.size() + 1) / 2);
    d.base[i] = static_cast<std::uint32_t>(at - relativeTo);
    d.split[i] = 2 * pairs;
    Bytes b = one.bytes();
    d.bytes.insert(d.bytes.end(), b.begin(), b.end());
    at += b.size();
    for (std::size_t k = 0; k < first.size(); ++k) d.refs[i][first[k]] = refsOne[k];
    std::uint32_t largest = pairs;
    if (extended) {
      Stream two{at, {}};
      const std::vector<std::uint32_t> refsTwo = writeStream(two, second, i == 4, pairs);
      d.alternate[i] = static_cast<std::uint32_t>(at - relativeTo);
      b = two.bytes();
      d.bytes.insert(d.bytes.end(), b.begin(), b.end());
      at += b.size();
      for (std::size_t k = 0; k < second.size(); ++k) d.refs[i][second[k]] = refsTwo[k];
      largest += static_cast<std::uint32_t>(two.chars.size() / 2 + 1);
    }
    d.widths[i] = bitsFor(largest);
  }
  d.bytes.resize(d.bytes.size() + 2 * kBlock);  // every window can be read whole
  return d;
}

// D records, sorted by group and key, and the Cx table of their groups.
struct Records {
  Bytes records;
  Bytes districts;
  unsigned size = 0;
  std::array<std::array<std::uint8_t, 3>, 5> places{};
  std::vector<const KitRecord*> order;
};

Records buildRecords(const std::vector<KitRecord>& list, const Dictionaries& d, bool ve) {
  std::vector<Placed> placed;
  for (const KitRecord& r : list) placed.push_back(place(r));
  std::sort(placed.begin(), placed.end(), [](const Placed& a, const Placed& b) {
    return a.group != b.group ? a.group < b.group : a.key < b.key;
  });
  for (std::size_t i = 1; i < placed.size(); ++i)
    if (placed[i].group == placed[i - 1].group && placed[i].key == placed[i - 1].key)
      throw Failure("call given twice: " + placed[i].record->call);
  if (placed.size() >= (1u << 20)) throw Failure("too many records");

  Records out;
  unsigned bit = 48;
  for (std::size_t i = 0; i < 5; ++i) {
    out.places[i] = {static_cast<std::uint8_t>(bit / 8), static_cast<std::uint8_t>(bit % 8),
                     static_cast<std::uint8_t>(d.widths[i])};
    bit += d.widths[i];
  }
  out.size = (bit + 7) / 8;
  if (out.size > 255) throw Failure("record too large");

  std::vector<std::uint32_t> firsts(kGroups + 1, 0);
  std::size_t n = 0;
  for (int g = 0; g <= kGroups; ++g) {
    while (n < placed.size() && placed[n].group < g) ++n;
    firsts[static_cast<std::size_t>(g)] = static_cast<std::uint32_t>(n);
  }
  for (std::size_t g = 0; g < firsts.size(); ++g) putBits(out.districts, g * 20, firsts[g], 20);

  out.records.assign(placed.size() * out.size, 0);
  for (std::size_t i = 0; i < placed.size(); ++i) {
    const Placed& p = placed[i];
    const KitRecord& r = *p.record;
    Bytes one(out.size, 0);
    putBits(one, 0, p.key, 15);
    if (ve) {
      if (!r.postal.empty()) {
        if (r.postal.size() != 6) throw Failure("postal code of 6 characters: " + r.postal);
        std::uint64_t at = 16;
        for (int k = 5; k >= 0; --k) {
          const char c = r.postal[static_cast<std::size_t>(k)];
          const unsigned width = k % 2 ? 4 : 5;
          putBits(one, at, static_cast<std::uint64_t>(c - (k % 2 ? '0' : 'A')), width);
          at += width;
        }
      }
    } else {
      putBits(one, 16, static_cast<std::uint64_t>(r.zip), 17);
      putBits(one, 33, static_cast<std::uint64_t>(r.birthYear), 7);
      const char* cls = std::strchr("NTGAECRM", r.licenceClass);
      if (r.licenceClass == 0 || cls == nullptr) throw Failure("licence class: " + r.call);
      putBits(one, 40, static_cast<std::uint64_t>(cls - "NTGAECRM"), 3);
    }
    putBits(one, 43, r.middle ? static_cast<std::uint64_t>(r.middle - 'A' + 1) : 0, 5);
    const std::string* fields[5] = {&r.lastName, &r.firstName, &r.street, &r.city, &r.state};
    for (std::size_t k = 0; k < 5; ++k)
      putBits(one, out.places[k][0] * 8u + out.places[k][1], d.refs[k].at(checkedText(*fields[k], k)),
              out.places[k][2]);
    std::copy(one.begin(), one.end(), out.records.begin() + static_cast<long>(i * out.size));
    out.order.push_back(&r);
  }
  return out;
}

Bytes identityHeader(const KitDataSet& set, std::size_t size, int version, std::size_t count) {
  Bytes h(size, 0);
  if (set.identity.size() != 9) throw Failure("the identity has 9 characters");
  std::memcpy(h.data(), set.identity.data(), 9);
  const std::string text = "KIT CALLSIGN DATA BASE\n" + set.title + "\r\n";
  std::memcpy(h.data() + 11, text.data(), std::min<std::size_t>(text.size(), 128 - 11));
  put(h, 128, count, 4);
  h[132] = static_cast<std::uint8_t>(version);
  h[134] = set.extended ? 1 : 0;
  return h;
}

void writeFile(const std::string& path, const Bytes& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) throw Failure("cannot write " + path);
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  if (std::fclose(f) != 0 || !ok) throw Failure("cannot write " + path);
}

void writeUs(const std::string& dir, const KitDataSet& set) {
  const std::size_t dictionaryStart = 184 + (set.extended ? 80 : 0);
  const Dictionaries d = buildDictionaries(set.us, dictionaryStart, 0, set.extended);
  const Records r = buildRecords(set.us, d, false);
  const Bytes identity = identityHeader(set, 144, set.version, set.us.size());

  Bytes db1 = identity;
  db1.resize(168, 0);
  db1[144] = static_cast<std::uint8_t>(r.size);
  for (std::size_t i = 0; i < 5; ++i)
    for (std::size_t k = 0; k < 3; ++k) db1[148 + 4 * static_cast<std::size_t>(i) + static_cast<std::size_t>(k)] = r.places[i][k];
  db1.insert(db1.end(), r.records.begin(), r.records.end());
  writeFile(dir + "/KITDB1.DAT", db1);

  Bytes db2 = identity;
  db2.resize(184, 0);
  for (std::size_t i = 0; i < 5; ++i) {
    put(db2, 144 + 8 * static_cast<std::size_t>(i), d.base[i], 4);
    put(db2, 148 + 8 * static_cast<std::size_t>(i), d.split[i], 4);
  }
  if (set.extended) {
    put(db2, 144, 184, 4);  // dictionary 0's base names the table
    for (std::size_t i = 0; i < 5; ++i) {
      put(db2, 184 + 8 * static_cast<std::size_t>(i), d.base[i], 4);
      put(db2, 188 + 8 * static_cast<std::size_t>(i), d.split[i], 4);
      put(db2, 224 + 8 * static_cast<std::size_t>(i), d.alternate[i], 4);
      put(db2, 228 + 8 * static_cast<std::size_t>(i), 0, 4);
    }
  }
  db2.insert(db2.end(), d.bytes.begin(), d.bytes.end());
  writeFile(dir + "/KITDB2.DAT", db2);

  Bytes db3 = identity;
  db3.insert(db3.end(), r.districts.begin(), r.districts.end());
  writeFile(dir + "/KITDB3.DAT", db3);

  if (set.birthDays) {
    Bytes dbb = identity;
    for (std::size_t i = 0; i < r.order.size(); ++i)
      putBits(dbb, 144 * 8 + 9 * i, static_cast<std::uint64_t>(r.order[i]->birthDay), 9);
    dbb.resize(144 + (9 * r.order.size() + 7) / 8 + 1, 0);
    writeFile(dir + "/KITDBB.DAT", dbb);
  }
}

void writeVe(const std::string& dir, const KitDataSet& set) {
  KitDataSet plain = set;
  plain.extended = false;
  // Records, then the Cx table, then the dictionaries; the record size has
  // to be known first, so the dictionaries are laid out twice.
  // Records, then the Cx table, then the dictionaries from a block
  // boundary: a stream's layout depends only on where in its block it
  // starts, so the record size measured on a first layout holds.
  Dictionaries d = buildDictionaries(set.ve, 0, 0, false);
  Records r = buildRecords(set.ve, d, true);
  const std::uint64_t cx = 220 + r.records.size();
  const std::uint64_t area = (cx + r.districts.size() + kBlock - 1) / kBlock * kBlock;
  d = buildDictionaries(set.ve, area, area, false);
  r = buildRecords(set.ve, d, true);
  if (220 + r.records.size() != cx) throw Failure("VE layout moved");

  Bytes ve = identityHeader(plain, 220, set.veVersion, set.ve.size());
  ve[144] = static_cast<std::uint8_t>(r.size);
  put(ve, 148, area, 4);
  put(ve, 152, cx, 4);
  put(ve, 156, area + d.bytes.size(), 4);
  for (std::size_t i = 0; i < 5; ++i) {
    for (std::size_t k = 0; k < 3; ++k) ve[160 + 4 * static_cast<std::size_t>(i) + static_cast<std::size_t>(k)] = r.places[i][k];
    put(ve, 180 + 8 * static_cast<std::size_t>(i), d.base[i], 4);
    put(ve, 184 + 8 * static_cast<std::size_t>(i), d.split[i], 4);
  }
  ve.insert(ve.end(), r.records.begin(), r.records.end());
  ve.insert(ve.end(), r.districts.begin(), r.districts.end());
  ve.resize(area, 0);
  ve.insert(ve.end(), d.bytes.begin(), d.bytes.end());
  writeFile(dir + "/KITDBVE.DAT", ve);
}

void writeCounties(const std::string& dir, const KitDataSet& set) {
  std::vector<KitCounty> list = set.counties;
  std::sort(list.begin(), list.end(), [](const KitCounty& a, const KitCounty& b) { return a.zip < b.zip; });
  Bytes z(108, 0);
  put(z, 92, 108, 4);
  put(z, 96, list.size(), 2);
  put(z, 100, 600, 2);
  put(z, 104, 31, 2);
  const std::size_t text = 108 + 6 * list.size();
  z.resize(text, 0);
  Bytes names;
  for (std::size_t i = 0; i < list.size(); ++i) {
    const KitCounty& c = list[i];
    if (c.name.size() > 31) throw Failure("county name too long: " + c.name);
    const std::size_t offset = text + names.size();
    const std::size_t at = 108 + 6 * i;
    put(z, at, static_cast<std::uint64_t>(c.zip) & 0xFFFF, 2);
    z[at + 2] = static_cast<std::uint8_t>(((static_cast<std::uint64_t>(c.zip) >> 16) & 0x0F) | ((offset >> 16) & 0x0F) << 4);
    z[at + 3] = 0;
    put(z, at + 4, offset & 0xFFFF, 2);
    names.insert(names.end(), {0xFF, 0xFF, 0xFF, static_cast<std::uint8_t>(c.name.size() + 2), 0, 0, 0});
    names.insert(names.end(), c.name.begin(), c.name.end());
  }
  z.insert(z.end(), names.begin(), names.end());
  z.resize(z.size() + 38, 0);
  writeFile(dir + "/KITDBZ.DAT", z);
}

}  // namespace

std::string writeKitDataSet(const std::string& directory, const KitDataSet& set) {
  try {
    writeUs(directory, set);
    if (!set.ve.empty()) writeVe(directory, set);
    if (!set.counties.empty()) writeCounties(directory, set);
    return {};
  } catch (const Failure& failure) {
    return failure.what();
  } catch (const std::out_of_range&) {
    return "a text missing from its dictionary";
  }
}

}  // namespace kitapi::writer
