// Times a widely used ADIF parser (npm adif-parser-ts) on the same file as
// adif_read_bench, parsing only, for comparison:
//   npm install --prefix /tmp/adifts adif-parser-ts@0.7.7
//   NODE_PATH=/tmp/adifts/node_modules node bench/node/parse_adif.js FILE [RUNS]
const fs = require('fs');
const { AdifParser } = require('adif-parser-ts');

const [file, runsText] = process.argv.slice(2);
if (!file) {
  console.error('usage: node parse_adif.js FILE [RUNS]');
  process.exit(2);
}
const runs = Number(runsText || 3);
let best = Infinity;
let records = 0;
for (let i = 0; i < runs; i++) {
  const start = process.hrtime.bigint();
  const text = fs.readFileSync(file, 'latin1');
  records = AdifParser.parseAdi(text).records.length;
  const seconds = Number(process.hrtime.bigint() - start) / 1e9;
  best = Math.min(best, seconds);
}
const rssMiB = process.memoryUsage().rss / 1048576;
console.log(`${file}: ${records} records, best of ${runs}: ${best.toFixed(3)} s, ` +
            `${Math.round(records / best)} records/s, RSS ${rssMiB.toFixed(0)} MiB`);
