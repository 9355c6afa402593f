// Parses every recorded statement text with node-sql-parser's T-SQL grammar.
// Usage: node check.mjs RECORDED.jsonl GAPS.txt
// A statement the grammar rejects fails the check unless GAPS.txt lists it
// as a gap of the grammar (one statement a line, "\n" for a line break,
// after a "#" line that says why).
import { readFileSync } from "node:fs";
import pkg from "node-sql-parser";

const { Parser } = pkg;
const [recordedFile, gapsFile] = process.argv.slice(2);

// SQL Server's ODBC drivers send each "?" as @P1, @P2, ...; so does this.
// Text inside quotes or brackets is left alone.
export function numbered(sql) {
  let out = "";
  let n = 0;
  let close = null;
  for (const c of sql) {
    if (close) {
      if (c === close) close = null;
    } else if (c === "'") close = "'";
    else if (c === "[") close = "]";
    else if (c === "?") {
      out += `@P${++n}`;
      continue;
    }
    out += c;
  }
  return out;
}

const texts = new Set();
for (const line of readFileSync(recordedFile, "utf8").split("\n")) {
  if (line.trim()) texts.add(JSON.parse(line)[0]);
}
const gaps = new Set(
  readFileSync(gapsFile, "utf8")
    .split("\n")
    .filter((l) => l.trim() && !l.startsWith("#"))
    .map((l) => l.replaceAll("\\n", "\n")),
);

const parser = new Parser();
let passed = 0;
let failed = 0;
let known = 0;
for (const sql of [...texts].sort()) {
  try {
    parser.astify(numbered(sql), { database: "transactsql" });
    passed++;
  } catch (e) {
    if (gaps.has(sql)) {
      known++;
      continue;
    }
    failed++;
    console.log(`REJECTED: ${JSON.stringify(sql)}\n  ${e.message.split("\n")[0].slice(0, 200)}`);
  }
}
console.log(`statements: ${texts.size}, listed gaps of the grammar: ${known}`);
console.log(`${passed + known} passed, ${failed} failed`);
process.exit(failed ? 1 : 0);
