// Reads an ADIF file with the npm package adif-parser-ts and prints what it
// found as JSON, values as UTF-8 text: the export test's independent reader.
//   NODE_PATH=<dir>/node_modules node export_reader.js FILE
const fs = require('fs');
const { AdifParser } = require('adif-parser-ts');

// Byte for character, so that the declared lengths count bytes as ADIF's do.
const parsed = AdifParser.parseAdi(fs.readFileSync(process.argv[2], 'latin1'));
const utf8 = (fields) => Object.fromEntries(
  Object.entries(fields).map(([k, v]) => [k, Buffer.from(String(v), 'latin1').toString('utf8')]));
console.log(JSON.stringify({ header: utf8(parsed.header || {}), records: (parsed.records || []).map(utf8) }));
