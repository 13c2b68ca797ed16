/* The suite's view of its record database engine.
 *
 * A task context owns any number of open databases, numbered 0 (the one
 * given to dbOpen) and then 1, 2 ... in dbOpenAdd order. Every operation
 * returns 0 for success or found; dbRecordCreate returns 3 when a unique key
 * already holds the value. The other non-zero results are named in
 * recdb/recdb.h. A database argument of DB_CURRENT means the database chosen
 * with dbSelect.
 *
 * Record types are 10000 + n and field numbers 1000 x n + m (see
 * schema/logschema.h). Key values are passed as the field's bytes in record
 * form; a compound key's value is its two fields' bytes at their record
 * widths, one after the other.
 *
 * A task belongs to the thread that made it: only that thread may use it
 * and the databases open in it.
 */
#ifndef KESTREL_RECDB_DBENGINE_H
#define KESTREL_RECDB_DBENGINE_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct DB_TASK DB_TASK; /* opaque task context */
typedef int32_t DB_ADDR;        /* data file number in the high byte, row below */

#define DB_CURRENT (-1) /* the database chosen with dbSelect */

#pragma GCC visibility push(default)
int dbOpenTask(DB_TASK** task); /* makes a task */
int dbCloseTask(DB_TASK* task);
int dbOpen(const char* name, const char* mode, DB_TASK* task);
int dbOpenAdd(const char* name, DB_TASK* task);
int dbClose(DB_TASK* task);
int dbSetPages(int pages, int keyPages, DB_TASK* task);
int dbInitFile(int fileNo, DB_TASK* task, int db);
int dbSelect(int db, DB_TASK* task);
int dbRecordCreate(int type, const void* record, DB_TASK* task, int db);
int dbRecordRead(void* record, DB_TASK* task, int db);
int dbRecordWrite(const void* record, DB_TASK* task, int db);
int dbDelete(DB_TASK* task, int db);
int dbRecordFirst(int type, DB_TASK* task, int db);
int dbRecordNext(DB_TASK* task, int db);
int dbKeyFind(long field, const void* value, DB_TASK* task, int db);
int dbKeyNext(long field, DB_TASK* task, int db);
int dbKeyStore(long field, DB_TASK* task, int db);
int dbKeyExists(long field, DB_TASK* task, int db);
int dbKeyDelete(long field, DB_TASK* task, int db);
int dbCurrentGet(DB_ADDR* address, DB_TASK* task, int db);
int dbCurrentSet(const DB_ADDR* address, DB_TASK* task, int db);
int dbCurrencySave(void** block, int* size, DB_TASK* task, int db);
int dbCurrencyRestore(void* block, DB_TASK* task, int db); /* frees block */
int dbRecordPrepare(int type, DB_TASK* task, int db);
int dbAfterFind(DB_TASK* task, int db);
#pragma GCC visibility pop

#ifdef __cplusplus
}
#endif

#endif
