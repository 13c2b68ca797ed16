#!/bin/sh
# The engine's benchmark work done by the sqlite3 shell alone, for comparison:
# RECORDS plain inserts of 228-byte contacts into one table carrying the same
# ten automatic keys as indexes (one transaction, the same 44 MiB of page
# cache as the engine's ceiling), then a walk of the date index reading every
# row.
#   bench/sqlite_shell.sh [RECORDS]
set -e
records=${1:-1000000}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
sqlite3 "$dir/bench.db" <<SQL
PRAGMA cache_size=-45056;
PRAGMA synchronous=NORMAL;
CREATE TABLE log(id INTEGER PRIMARY KEY, day INTEGER, mode TEXT, prefix TEXT, band INTEGER,
                 zone INTEGER, iota INTEGER, data BLOB);
CREATE INDEX k2 ON log(day);
CREATE INDEX k5 ON log(mode);
CREATE INDEX k17 ON log(prefix);
CREATE INDEX k22 ON log(zone);
CREATE INDEX k24 ON log(band);
CREATE INDEX k37 ON log(iota);
CREATE INDEX k42 ON log(band, prefix);
CREATE INDEX k43 ON log(band, zone);
CREATE INDEX k46 ON log(prefix, mode);
CREATE INDEX k47 ON log(zone, mode);
.timer on
BEGIN;
WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < $records - 1),
     h(i, v) AS (SELECT i, (i * 2654435761) % 4294967296 FROM n)
INSERT INTO log(day, mode, prefix, band, zone, iota, data)
SELECT 30000 + i / 50,
       CASE (v >> 4) % 5 WHEN 0 THEN 'CW' WHEN 1 THEN 'SSB' WHEN 2 THEN 'RTTY' WHEN 3 THEN 'FT8'
                         ELSE 'FM' END,
       'P' || ((v >> 8) % 340), (v >> 12) % 12, 1 + (v >> 16) % 40, 0, zeroblob(228)
FROM h;
COMMIT;
SELECT count(*), sum(length(data)) FROM (SELECT data FROM log ORDER BY day);
SQL
