// The queue of new records' entries in keys that allow duplicates: kept in
// memory, sorted and inserted key by key.
#include <algorithm>
#include <cstring>

#include "engine.h"

namespace recdb {

int Database::addKey(Key& key, const std::uint8_t* value, std::size_t length, DB_ADDR address) {
  if (!key.deferred) return insertKey(key, value, length, address);
  // Make room first, so that a failure leaves this entry out altogether.
  std::size_t need = 1 + length + sizeof address + sizeof(std::uint32_t);
  if (pendingBytes_ + need > kPendingBytes)
    if (int rc = flushKeys(); rc != RECDB_OK) return rc;
  std::size_t at = key.pending.size();
  key.order.push_back(static_cast<std::uint32_t>(at));
  key.pending.resize(at + 1 + length + sizeof address);
  key.pending[at] = static_cast<std::uint8_t>(length);
  std::memcpy(&key.pending[at + 1], value, length);
  std::memcpy(&key.pending[at + 1 + length], &address, sizeof address);
  pendingBytes_ += need;
  return RECDB_OK;
}

int Database::flushKey(Key& key) {
  if (key.order.empty()) return RECDB_OK;
  const std::uint8_t* base = key.pending.data();
  // Value order as SQLite compares blobs, equal values by address. Each
  // entry is sorted with its first eight bytes as a number beside it, so
  // that most comparisons need no look into the queue.
  std::vector<std::pair<std::uint64_t, std::uint32_t>> sorted(key.order.size());
  for (std::size_t i = 0; i < sorted.size(); ++i) {
    const std::uint8_t* entry = base + key.order[i];
    std::uint64_t head = 0;
    for (std::size_t b = 0; b < 8; ++b) head = head << 8 | (b < entry[0] ? entry[1 + b] : 0);
    sorted[i] = {head, key.order[i]};
  }
  std::sort(sorted.begin(), sorted.end(), [base](const auto& p, const auto& q) {
    if (p.first != q.first) return p.first < q.first;
    const std::uint8_t* a = base + p.second;
    const std::uint8_t* b = base + q.second;
    std::size_t la = a[0], lb = b[0];
    int c = std::memcmp(a + 1, b + 1, std::min(la, lb));
    if (c != 0) return c < 0;
    if (la != lb) return la < lb;
    DB_ADDR x, y;
    std::memcpy(&x, a + 1 + la, sizeof x);
    std::memcpy(&y, b + 1 + lb, sizeof y);
    return x < y;
  });
  for (std::size_t i = 0; i < sorted.size(); ++i) key.order[i] = sorted[i].second;
  sorted = {};
  ++generation_;  // cursors on this key step from where they stood again
  int rc = RECDB_OK;
  std::size_t done = 0;
  // Whole statements first: a queued entry is of a new record, so none is
  // in the key already; a statement that fails stores none of its rows.
  for (; rc == RECDB_OK && key.order.size() - done >= kFlushRows; done += kFlushRows) {
    Use use(key.insertMany);
    for (int row = 0; row < kFlushRows; ++row) {
      const std::uint8_t* entry = base + key.order[done + row];
      DB_ADDR address;
      std::memcpy(&address, entry + 1 + entry[0], sizeof address);
      sqlite3_bind_blob(*use, 2 * row + 1, entry + 1, entry[0], SQLITE_STATIC);
      sqlite3_bind_int64(*use, 2 * row + 2, address);
    }
    const int step = sqlite3_step(*use);
    if (step != SQLITE_DONE) rc = fail(step);
  }
  if (rc != RECDB_OK) done -= kFlushRows;
  for (; rc == RECDB_OK && done < key.order.size(); ++done) {
    const std::uint8_t* entry = base + key.order[done];
    DB_ADDR address;
    std::memcpy(&address, entry + 1 + entry[0], sizeof address);
    rc = insertKey(key, entry + 1, entry[0], address);
    if (rc != RECDB_OK) break;
  }
  if (rc != RECDB_OK && !sqlite3_get_autocommit(db_)) {
    // Keep what did not go in for the next attempt.
    std::vector<std::uint8_t> rest;
    std::vector<std::uint32_t> order;
    for (std::size_t i = done; i < key.order.size(); ++i) {
      const std::uint8_t* entry = base + key.order[i];
      order.push_back(static_cast<std::uint32_t>(rest.size()));
      rest.insert(rest.end(), entry, entry + 1 + entry[0] + sizeof(DB_ADDR));
    }
    pendingBytes_ -= key.pending.size() - rest.size() +
                     (key.order.size() - order.size()) * sizeof(std::uint32_t);
    key.pending.swap(rest);
    key.order.swap(order);
    return rc;
  }
  if (rc != RECDB_OK) {
    // SQLite took the whole batch back; its queued entries go with it.
    inTransaction_ = false;
    dropPending();
    return rc;
  }
  pendingBytes_ -= key.pending.size() + key.order.size() * sizeof(std::uint32_t);
  key.pending.clear();
  key.order.clear();
  return RECDB_OK;
}

int Database::flushKeys() {
  for (Key& k : keys_)
    if (int rc = flushKey(k); rc != RECDB_OK) return rc;
  pendingBytes_ = 0;
  return RECDB_OK;
}

void Database::dropPending() {
  forgetCreated();  // the batch that made it was taken back
  createdInBatch_ = 0;
  for (Key& k : keys_) {
    k.pending.clear();
    k.order.clear();
  }
  pendingBytes_ = 0;
}
}  // namespace recdb
