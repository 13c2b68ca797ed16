/* recdb: the record database engine behind recdb/dbengine.h.
 *
 * A database is a dictionary file (".DBD") naming up to five files beside
 * it; each file is an SQLite database holding either records (a data file)
 * or key entries (a key file). All files of a database are attached to one
 * connection, so one commit spans them all. A write is committed before
 * it returns, except in bulk work, whose batches are committed at least
 * once a second and when the database is closed, its task closed or the
 * process exits. Reads share one snapshot of the files for at most 100 ms.
 * Programs sharing a database: every one that opens it holds an advisory
 * "open" lock on its dictionary, and the one that writes the "writer" lock.
 *
 * The C part: the results of the engine's operations and their texts. The
 * C++ part: how a schema is described, the writer that compiles one into
 * a dictionary and creates its empty files, and a pass over a key's entries
 * for checking it.
 */
#ifndef KESTREL_RECDB_RECDB_H
#define KESTREL_RECDB_RECDB_H

#ifdef __cplusplus
extern "C" {
#endif

struct DB_TASK;

/* Results of every engine operation. */
#define RECDB_OK 0
#define RECDB_NOTFOUND 1    /* no entry or record with that value */
#define RECDB_END 2         /* no further entry or record */
#define RECDB_DUPLICATE 3   /* a unique key already holds the value */
#define RECDB_NOCURRENT 4   /* no current record (or key entry) to act on */
#define RECDB_E_ARG 5       /* null pointer, bad mode or bad file number */
#define RECDB_E_NODB 6      /* no such database open in the task */
#define RECDB_E_TYPE 7      /* record type unknown in this database */
#define RECDB_E_FIELD 8     /* field unknown, not a key, or of another type */
#define RECDB_E_ADDR 9      /* address of no record */
#define RECDB_E_DICT 10     /* dictionary missing, truncated or damaged */
#define RECDB_E_FILE 11     /* data or key file missing or not a database */
#define RECDB_E_IO 12       /* the file system refused a read or write */
#define RECDB_E_CURRENCY 13 /* currency block damaged or of another database */
#define RECDB_E_BUSY 14     /* task already has a logbook open, or file locked */
#define RECDB_E_FULL 15     /* data file holds the most records an address allows */

/* A short English text for a result ("not found", ...). */
#pragma GCC visibility push(default)
const char* dbResultText(int result);

/* Bulk work (an import, a key rebuild) on database `db` of the task: its
 * writes go in batches, committed at least once a second. dbBulkEnd
 * commits what is pending and ends the batching; its result says whether
 * the last batch is stored. */
int dbBulkBegin(struct DB_TASK* task, int db);
int dbBulkEnd(struct DB_TASK* task, int db);
/* Commits what is pending now. */
int dbCommit(struct DB_TASK* task, int db);
/* How many records dbRecordCreate stored through this open database and
 * are committed; -1 for no such database. */
long dbStoredCount(struct DB_TASK* task, int db);
/* Ends the read snapshot of every open database of the process: called
 * when the program goes back to wait for input. */
void dbIdle(void);
/* The text of the last failure of this thread that names more than its
 * result code (the file, the process holding the database); "" for none. */
const char* dbLastError(void);
/* The process id of another program that has database `name` (path
 * without extension) open, 0 when none has, -1 when it cannot be told. */
long dbInUse(const char* name);
#pragma GCC visibility pop

#ifdef __cplusplus
}

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "recdb/dbengine.h"

namespace recdb {

/* Where a field's bytes come from and how its key values order. */
enum class FieldType : std::uint8_t {
  Text = 1,  // NUL-terminated, zero-padded; orders by bytes up to the NUL
  Int16,     // little-endian, signed
  UInt16,
  Int32,
  Byte,      // unsigned
  Binary,    // raw bytes; orders bytewise
  Compound,  // a key made of two fields of the same record, one after the other
};

enum class KeyKind : std::uint8_t { None = 0, Unique, Duplicate };

inline constexpr int kFileSlots = 5;

/* One field of a record type. Field numbers are 1000 x (record index) +
 * (position in the record); compound keys come after the data fields. */
struct FieldDef {
  long number;
  const char* name;
  std::uint16_t offset;  // 0 for compound keys
  std::uint16_t width;   // sum of both parts for compound keys
  FieldType type;
  KeyKind key = KeyKind::None;
  bool optional = false;   // stored only by dbKeyStore
  std::uint8_t keyFile = 0;
  long parts[2] = {-1, -1};  // compound keys: the two fields
};

struct RecordDef {
  int type;  // 10000 + index
  const char* name;
  std::uint16_t size;
  std::uint8_t file;  // the data file that holds it
};

/* A database's whole schema. Slot extensions name the files by number
 * (".DAT", ".KEY" ...); an empty text leaves the slot unused. */
struct SchemaDef {
  const char* name;
  std::span<const RecordDef> records;
  std::span<const FieldDef> fields;
  std::array<const char*, kFileSlots> extensions;
};

#pragma GCC visibility push(default)

/* Checks a schema for the faults that would make a broken dictionary (gaps in
 * record numbering, fields outside their record, keys in data files ...).
 * Returns an empty text when it is sound, else what is wrong. */
std::string checkSchema(const SchemaDef& schema);

/* Writes the dictionary `dictionaryPath` for `schema`, naming in its slots
 * the files of `fileNames` (one per slot, empty for an unused slot; names
 * without a directory, resolved beside the dictionary), and creates each of
 * those files as an empty database. Existing files are replaced only when
 * `replace` is set. Returns RECDB_OK or a result code, with a message in
 * `error`. */
int writeDatabase(const SchemaDef& schema, const std::string& dictionaryPath,
                  const std::array<std::string, kFileSlots>& fileNames, bool replace,
                  std::string& error);

/* What a key rebuild needs of a database's schema: each record type, its
 * size and its keys in schema order. */
struct KeyShape {
  long field;
  bool optional;
  bool unique;
};
struct RecordShape {
  int type;
  std::uint16_t size;
  std::vector<KeyShape> keys;
};
/* The record types of database `db` of the task, and the numbers of its
 * files that hold only key entries. */
int describe(DB_TASK* task, int db, std::vector<RecordShape>& records, std::vector<int>& keyFiles);

/* A number that changes whenever the records of database `db` (its first
 * data file) may have changed: at once for writes through the task, within
 * 100 ms for other programs' commits. 0 for no such database. Cheap enough
 * to ask before every search over tables loaded from the database. */
std::uint64_t changeStamp(DB_TASK* task, int db);

/* Makes every key file of database `name` (path without extension) that is
 * missing, empty, not a database or missing tables anew and empty, from
 * the dictionary; data files are never touched. Refuses (RECDB_E_BUSY)
 * while another program has the database open. The files made are added
 * to `repaired`. Their keys are then rebuilt from the records. */
int repairKeyFiles(const std::string& name, std::vector<std::string>& repaired,
                   std::string& error);

/* The file names of a database named `baseName` (no directory): the base name
 * with each used slot's extension. */
std::array<std::string, kFileSlots> fileNamesFor(const SchemaDef& schema,
                                                 const std::string& baseName);

/* Calls `each` with the address of every entry of key `field` of database
 * `db` in one pass over the key, in no promised order, without touching the
 * currency. Meant for checking a key against its records: much cheaper than
 * one dbKeyExists per record. Returns RECDB_OK or a result code. */
int keyAddresses(DB_TASK* task, int db, long field, const std::function<void(DB_ADDR)>& each);

#pragma GCC visibility pop

}  // namespace recdb

#endif
#endif
