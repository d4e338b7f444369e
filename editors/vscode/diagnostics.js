// Reads what `kestro-pack check --format json` prints into editor ranges. Plain
// Node: nothing here needs the editor, so the tests load it directly.
//
// The checker prints one JSON array of findings, each
//   {"file", "line", "column", "endColumn", "severity", "code", "message", "encoding"}
// with the line and columns counted from 1 and endColumn just after the text
// concerned. In a UTF-8 script ("encoding": "UTF-8") the columns count
// characters (code points); in an ANSI script, and from checkers that name no
// encoding, they count bytes. The editor counts UTF-16 units of the decoded
// text, so a line with characters beyond ASCII needs its columns counted again:
// an emoji is one character, four bytes and two UTF-16 units.
'use strict';

// Parses the checker's standard output; throws an Error saying what is wrong
// when it is not the array of findings the checker prints.
function parseReport(stdout) {
  let report;
  try {
    report = JSON.parse(stdout);
  } catch (e) {
    throw new Error('kestro-pack printed no JSON report: ' + firstLine(stdout));
  }
  if (!Array.isArray(report)) throw new Error('kestro-pack printed JSON that is not a list of findings');
  for (const item of report) {
    if (!item || typeof item !== 'object' || !Number.isInteger(item.line) ||
        !Number.isInteger(item.column) || typeof item.message !== 'string') {
      throw new Error('kestro-pack printed a finding without line, column and message: ' +
                      JSON.stringify(item));
    }
  }
  return report;
}

function firstLine(text) {
  const line = String(text).trim().split(/\r?\n/)[0];
  return line ? JSON.stringify(line.slice(0, 120)) : '(nothing)';
}

// Bytes the script file holds for one character of the decoded text. A file
// opened as UTF-8 decodes each byte it cannot read to U+FFFD, one byte each
// (scripts are often saved in a Windows code page).
function bytesOf(codePoint) {
  if (codePoint === 0xfffd) return 1;
  if (codePoint < 0x80) return 1;
  if (codePoint < 0x800) return 2;
  if (codePoint < 0x10000) return 3;
  return 4;
}

// The 0-based UTF-16 index in lineText of a 1-based byte column; a column past
// the end of the line gives the line's length.
function byteColumnToIndex(lineText, column) {
  let bytes = 0;
  let index = 0;
  const want = Math.max(column - 1, 0);
  while (index < lineText.length && bytes < want) {
    const codePoint = lineText.codePointAt(index);
    bytes += bytesOf(codePoint);
    index += codePoint > 0xffff ? 2 : 1;
  }
  return index;
}

// The 0-based UTF-16 index in lineText of a 1-based character (code point)
// column; a column past the end of the line gives the line's length.
function characterColumnToIndex(lineText, column) {
  let index = 0;
  for (let chars = Math.max(column - 1, 0); chars > 0 && index < lineText.length; --chars) {
    index += lineText.codePointAt(index) > 0xffff ? 2 : 1;
  }
  return index;
}

// Turns findings into plain ranges: {line, start, end} 0-based, end exclusive,
// with severity, code and message. lineTextAt(line) gives the text of a 0-based
// line, or undefined for a line the document does not have. singleByte: the
// document was decoded from a one-byte code page, each character one byte, so
// the columns are its characters (a UTF-8 script decoded so is shown as one
// character a byte and cannot be placed better). A finding that would cover
// nothing is widened to the rest of its line (or one character).
function toRanges(findings, lineTextAt, singleByte = false) {
  return findings.map((item) => {
    const line = Math.max(item.line - 1, 0);
    const text = lineTextAt(line);
    const endColumn = Number.isInteger(item.endColumn) ? item.endColumn : item.column + 1;
    let start = item.column - 1;
    let end = endColumn - 1;
    if (typeof text === 'string') {
      const index = (column) => {
        if (singleByte) return Math.min(Math.max(column - 1, 0), text.length);
        if (item.encoding === 'UTF-8') return characterColumnToIndex(text, column);
        return byteColumnToIndex(text, column);
      };
      start = index(item.column);
      end = index(endColumn);
      if (end <= start) end = start < text.length ? text.length : start;
    }
    start = Math.max(start, 0);
    if (end <= start) end = start + 1;
    return {
      line,
      start,
      end,
      severity: item.severity === 'warning' ? 'warning' : 'error',
      code: typeof item.code === 'string' ? item.code : '',
      message: item.message,
    };
  });
}

// What one run of the checker came to, from execFile's error, stdout and stderr:
//   {ranges: [...]}                 the findings (exit code 0 or 1)
//   {problem: 'text'}               the checker could not be run or said something else
function readCheckRun(error, stdout, stderr, lineTextAt, packer, singleByte = false) {
  if (error && error.code === 'ENOENT') {
    return { problem: `cannot find kestro-pack ("${packer}"): set kestro.packerPath`, missing: true };
  }
  if (error && error.killed) return { problem: `kestro-pack check took too long and was stopped` };
  const status = error ? error.code : 0;
  if (status !== 0 && status !== 1) {
    return { problem: `kestro-pack check failed (${status}): ${firstLine(stderr || stdout)}` };
  }
  let findings;
  try {
    findings = parseReport(stdout);
  } catch (e) {
    return { problem: e.message };
  }
  // Exit code 1 with no finding: the script could not be read.
  if (status === 1 && findings.length === 0) {
    return { problem: `kestro-pack check: ${firstLine(stderr)}` };
  }
  return { ranges: toRanges(findings, lineTextAt, singleByte) };
}

module.exports = { parseReport, byteColumnToIndex, characterColumnToIndex, toRanges, readCheckRun };
