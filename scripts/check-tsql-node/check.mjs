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

// The grammar takes any function name and even LIMIT, so texts that only
// SQLite understands are caught by their words, outside quotes and brackets.
const sqliteOnly =
  /\b(julianday|strftime|ifnull|changes\s*\(|last_insert_rowid|glob|group_concat|substr\s*\(|date\s*\(|datetime\s*\(|limit\s+[0-9@]|insert\s+or|on\s+conflict|pragma)|\|\|/i;
function outsideLiterals(sql) {
  return sql.replace(/'[^']*'|\[[^\]]*\]/g, "''");
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
    const word = outsideLiterals(sql).match(sqliteOnly);
    if (word) throw new Error(`SQLite only: ${word[0]}`);
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
