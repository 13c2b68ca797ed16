// Internals of the award detail library: the row record of the detail
// table, the library's state, and the pieces every award shares.
#ifndef KESTREL_DETAIL_INTERNAL_H
#define KESTREL_DETAIL_INTERNAL_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/fields.h"
#include "ksdetail.h"
#include "schema/logschema.h"

namespace ksdetail {

// One row of the detail table, its 17 columns in order.
using DetailRow = KSD_DETAILROW;

static_assert(sizeof(DetailRow) == 112);
static_assert(offsetof(DetailRow, marker) == 0);
static_assert(offsetof(DetailRow, prefix) == 2);
static_assert(offsetof(DetailRow, iota) == 8);
static_assert(offsetof(DetailRow, cqZone) == 14);
static_assert(offsetof(DetailRow, state) == 16);
static_assert(offsetof(DetailRow, grid) == 19);
static_assert(offsetof(DetailRow, country) == 24);
static_assert(offsetof(DetailRow, call) == 45);
static_assert(offsetof(DetailRow, date) == 60);
static_assert(offsetof(DetailRow, time) == 69);
static_assert(offsetof(DetailRow, band) == 75);
static_assert(offsetof(DetailRow, mode) == 81);
static_assert(offsetof(DetailRow, rcv) == 86);
static_assert(offsetof(DetailRow, qsl) == 90);
static_assert(offsetof(DetailRow, qslDate) == 94);
static_assert(offsetof(DetailRow, status) == 103);
static_assert(offsetof(DetailRow, address) == 108);

using ksbase::copyField;
using ksbase::fieldText;
using ksbase::putField;

// Report kinds: which layout the line exports use.
enum Kind { kNoKind = -1, kDxcc = 1, kCq = 2, kWas = 3, kVucc = 4, kUsca = 5, kIota = 6 };

// Which of the 17 columns an award shows, with its titles and widths.
enum class Layout { Dxcc, Cq, Was, Vucc, Usca, Iota };

// The library's state (one detail window per process).
struct State {
  HWND window = nullptr;
  HWND table = nullptr;
  int kind = kNoKind;
  bool cancel = false;
  HWND progress = nullptr;
  long recordsRead = 0;
  int charWidth = 8, lineHeight = 16;
};
State& state();

// Window class registration (idempotent).
void registerClasses();

// The table: define the columns of a layout and empty it; append a row;
// sort; the blank and total rows.
void defineTable(Layout layout);
int appendRow(const DetailRow& row);
void sortByKeys(int key1, int key2 = -1, int key3 = -1, bool announce = false);
void sortByColumn(int column);
void appendTotals(int count);
// Sets the detail window's title (with the variant's suffix unless
// `suffix` is false) and focuses the table.
void setTitle(const std::string& title, int variant, bool suffix = true);

// The frame every computation runs in: the progress dialog, the owner
// disabled, the logbook's position saved; undone by its destructor.
class Computation {
 public:
  Computation(HWND owner, DB_TASK* task);
  ~Computation();
  Computation(const Computation&) = delete;
  Computation& operator=(const Computation&) = delete;
  // Lets messages through after a record was read; false once cancelled.
  bool step();
  bool cancelled() const { return state().cancel; }

 private:
  HWND owner_;
  DB_TASK* task_;
  void* position_ = nullptr;
};

// The choice of the contact that stands for an award entity and of the
// entity's marker, contact by contact.
class Selection {
 public:
  explicit Selection(DetailRow& row) : row_(row) {}
  // Takes contact `record` (at database address `address`) whose tag for
  // the award is `tag`.
  void take(const LogRecord& record, DB_ADDR address, int tag);

  bool worked = false, tagged = false, confirmedShown = false, confirmed = false, sent = false;

 private:
  void fill(const LogRecord& record, DB_ADDR address);
  DetailRow& row_;
};

// Whether the variant admits a row of this marker and these states (the
// needed list, 302, has its own computation).
bool admits(int variant, const Selection& s, const DetailRow& row, bool allowsYear2000);

// Clears a row and sets the blank marker.
void clearRow(DetailRow& row);

// Band tables.
int bandIndex(int band);  // position in 160 ... 10, 6, 2; -1 when none
extern const int kVuccBands[10];
extern const int kVuccMegahertz[10];

// The computations.
int dxccAward(HWND owner, DB_TASK* task, int awardType, int band, int variant, int sortOrder);
int wasAward(HWND owner, DB_TASK* task, int awardType, int band, int variant);
int cqAward(HWND owner, DB_TASK* task, int awardType, int band, int variant);
int vuccAward(HWND owner, DB_TASK* task, int vuccBand, int variant);
int uscaAward(HWND owner, DB_TASK* task, int awardType, int variant);
int iotaAward(HWND owner, DB_TASK* task);

// Walks the logbook's key `field` from the entry equal to `value` while
// `same` holds for the record read, calling `each(record, address)`.
// False when the user cancelled.
template <class Same, class Each>
bool walkKey(Computation& c, DB_TASK* task, long field, const void* value, Same same, Each each) {
  if (dbKeyFind(field, value, task, 0) != 0) return true;
  do {
    LogRecord record{};
    if (dbRecordRead(&record, task, 0) != 0 || !same(record)) break;
    DB_ADDR address = 0;
    dbCurrentGet(&address, task, 0);
    each(record, address);
    if (!c.step()) return false;
  } while (dbKeyNext(field, task, 0) == 0);
  return true;
}

// Reads every contact of the logbook once, in record order, calling
// `each(record, address)`. A key keeps the entries of one value in address
// order, which is record order, so the contacts of one entity reach `each`
// in the order a walk of that entity's key would give them; read in record
// order they come off the data file page after page instead of one page per
// contact. False when the user cancelled.
template <class Each>
bool scanContacts(Computation& c, DB_TASK* task, Each each) {
  for (int rc = dbRecordFirst(kLogRecordType, task, 0); rc == 0; rc = dbRecordNext(task, 0)) {
    LogRecord record{};
    if (dbRecordRead(&record, task, 0) == 0) {
      DB_ADDR address = 0;
      dbCurrentGet(&address, task, 0);
      each(record, address);
    }
    if (!c.step()) return false;
  }
  return !c.cancelled();
}

// The IOTA code of a reference ("EU-005") and group letter.
int iotaCode(const char* reference, char groupLetter);

// Day numbers of the award date limits.
int dayOf(const char* date);

}  // namespace ksdetail

#endif
