// Reading the checker's JSON into editor ranges, and the helpers that find
// the tools and start a packed script.
'use strict';

const test = require('node:test');
const assert = require('node:assert');
const childProcess = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { parseReport, byteColumnToIndex, characterColumnToIndex, toRanges, readCheckRun } = require('../diagnostics');
const { resolveTool, findOnPath, runPlan } = require('../launch');

// A script and what `kestro-pack check --format json` printed for it.
const SCRIPT = ['Sleep 100', 'Send, é{ENTR}', 'WinClose', 'Goto, Nowhere'];
const REPORT = `[
  {"file": "/tmp/bad.kst", "line": 1, "column": 1, "endColumn": 10, "severity": "error", "code": "missing-comma", "message": "Error: Invalid command! (a comma is missing after \\"Sleep\\")"},
  {"file": "/tmp/bad.kst", "line": 2, "column": 8, "endColumn": 13, "severity": "warning", "code": "unknown-key", "message": "Send knows no key {ENTR}: it types \\"E\\"", "encoding": "UTF-8"},
  {"file": "/tmp/bad.kst", "line": 3, "column": 1, "endColumn": 9, "severity": "warning", "code": "any-window", "message": "WinClose with an empty title and text acts on the first visible top-level window in Z order, which may be the taskbar; name the window"},
  {"file": "/tmp/bad.kst", "line": 4, "column": 7, "endColumn": 14, "severity": "error", "code": "unknown-label", "message": "Error: Cannot find requested label! (no main-section line reads \\"Nowhere:\\")"}
]
`;
const EXPECTED = [
  { line: 0, start: 0, end: 9, severity: 'error', code: 'missing-comma' },
  { line: 1, start: 7, end: 12, severity: 'warning', code: 'unknown-key' },  // é: one character
  { line: 2, start: 0, end: 8, severity: 'warning', code: 'any-window' },  // a dangerous line: a warning
  { line: 3, start: 6, end: 13, severity: 'error', code: 'unknown-label' },
];

const lineOf = (lines) => (line) => lines[line];
const shape = (ranges) => ranges.map(({ line, start, end, severity, code }) => ({ line, start, end, severity, code }));

test('the checker\'s report becomes ranges in the decoded text', () => {
  const ranges = toRanges(parseReport(REPORT), lineOf(SCRIPT));
  assert.deepStrictEqual(shape(ranges), EXPECTED);
  assert.match(ranges[0].message, /comma is missing after "Sleep"/);
});

test('byte columns count UTF-8 bytes, an undecodable byte as one', () => {
  const cases = [
    ['abc', 1, 0], ['abc', 3, 2], ['abc', 9, 3], ['abc', 0, 0],
    ['é{x}', 3, 1],           // two bytes
    ['€{x}', 4, 1],           // three bytes
    ['😀{x}', 5, 2],          // four bytes, two UTF-16 units
    ['\ufffd\ufffd{x}', 3, 2],  // bytes of a code page, opened as UTF-8
  ];
  for (const [text, column, index] of cases) {
    assert.strictEqual(byteColumnToIndex(text, column), index, `${text} column ${column}`);
  }
});

// The checker counts a UTF-8 script's columns in characters; the editor counts
// UTF-16 units. An older checker, naming no encoding, counted bytes.
test('character columns land on the same character in UTF-16 units', () => {
  const line = 'Send, 日本語😀{ENTR}';
  const at = line.indexOf('{ENTR}');  // 11: the emoji is two units
  const findings = [
    { line: 1, column: 11, endColumn: 17, severity: 'warning', message: 'x', encoding: 'UTF-8' },
    { line: 1, column: 20, endColumn: 26, severity: 'warning', message: 'x' },  // bytes
    { line: 1, column: 20, endColumn: 26, severity: 'warning', message: 'x', encoding: 'ANSI' },
  ];
  for (const range of toRanges(findings, lineOf([line]))) {
    assert.deepStrictEqual([range.start, range.end], [at, at + 6]);
  }
  const cases = [['abc', 1, 0], ['abc', 9, 3], ['😀😀x', 3, 4], ['日x', 2, 1], ['', 0, 0]];
  for (const [text, column, index] of cases) {
    assert.strictEqual(characterColumnToIndex(text, column), index, `${text} column ${column}`);
  }
});

test('a document decoded from a one-byte code page counts one byte a character', () => {
  // "Send, \xe9{ENTR}" saved in Windows-1252: {ENTR} is at byte 8 there.
  const findings = [{ line: 1, column: 8, endColumn: 14, severity: 'warning', message: 'x' }];
  const ranges = toRanges(findings, lineOf(['Send, é{ENTR}']), true);
  assert.deepStrictEqual([ranges[0].start, ranges[0].end], [7, 13]);
});

test('a range never covers nothing, and lines the document lacks keep their columns', () => {
  const findings = [
    { line: 1, column: 5, endColumn: 5, severity: 'error', message: 'a' },    // empty: the rest of the line
    { line: 2, column: 4, endColumn: 4, severity: 'error', message: 'b' },    // at the end: one character
    { line: 9, column: 3, endColumn: 6, severity: 'warning', message: 'c' },  // not in the document
    { line: 1, column: 2, severity: 'info', message: 'd' },                   // no endColumn, odd severity
  ];
  const ranges = toRanges(findings, lineOf(['Sleep, 1', 'abc']));
  assert.deepStrictEqual(ranges.map((r) => [r.line, r.start, r.end, r.severity]),
                         [[0, 4, 8, 'error'], [1, 3, 4, 'error'], [8, 2, 5, 'warning'], [0, 1, 2, 'error']]);
  assert.strictEqual(ranges[3].code, '');
});

test('output that is not a list of findings is refused with a reason', () => {
  assert.deepStrictEqual(parseReport('[]\n'), []);
  assert.throws(() => parseReport('Usage:\n  kestro-pack build'), /no JSON report: "Usage:"/);
  assert.throws(() => parseReport(''), /no JSON report: \(nothing\)/);
  assert.throws(() => parseReport('{"line": 1}'), /not a list/);
  assert.throws(() => parseReport('[{"line": 1, "message": "x"}]'), /without line, column and message/);
});

test('a check run: findings, a missing or slow checker, a script it cannot read', () => {
  const lines = lineOf(SCRIPT);
  assert.deepStrictEqual(shape(readCheckRun({ code: 1 }, REPORT, '', lines, 'kp').ranges), EXPECTED);
  assert.deepStrictEqual(readCheckRun(null, '[]\n', '', lines, 'kp'), { ranges: [] });
  const missing = readCheckRun({ code: 'ENOENT' }, '', '', lines, 'kp');
  assert.ok(missing.missing);
  assert.match(missing.problem, /cannot find kestro-pack \("kp"\): set kestro.packerPath/);
  assert.match(readCheckRun({ killed: true, code: null }, '', '', lines, 'kp').problem, /too long/);
  assert.match(readCheckRun({ code: 2 }, '', 'kestro-pack: unknown option --format\n', lines, 'kp').problem,
               /failed \(2\): "kestro-pack: unknown option --format"/);
  assert.match(readCheckRun({ code: 1 }, '[]\n', 'kestro-pack: a.kst: cannot read: No such file\n', lines, 'kp').problem,
               /cannot read/);
});

test('Wine is looked for on PATH; a packed script starts under it, or on Windows by itself', () => {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'kestro-path-'));
  fs.writeFileSync(path.join(dir, 'wine'), '#!/bin/sh\n', { mode: 0o755 });
  fs.writeFileSync(path.join(dir, 'notes'), '', { mode: 0o644 });
  const env = { PATH: `/nonexistent:${dir}` };
  assert.strictEqual(findOnPath('wine', env, 'linux'), path.join(dir, 'wine'));
  assert.strictEqual(findOnPath('notes', env, 'linux'), null);  // not executable
  fs.rmSync(dir, { recursive: true });

  assert.deepStrictEqual(runPlan('C:\\s.exe', 'win32', null), { command: 'C:\\s.exe', args: [] });
  assert.deepStrictEqual(runPlan('/w/s.exe', 'linux', '/usr/bin/wine'), { command: '/usr/bin/wine', args: ['/w/s.exe'] });
  assert.match(runPlan('/w/s.exe', 'darwin', null).problem, /needs Windows/);
  assert.strictEqual(resolveTool('build/kestro-pack', '/ws'), '/ws/build/kestro-pack');
  assert.strictEqual(resolveTool('kestro-pack', '/ws'), 'kestro-pack');
});

// With KESTRO_PACK naming a built kestro-pack, the same reading of its real output.
test('the real checker\'s output reads the same', { skip: !process.env.KESTRO_PACK && 'KESTRO_PACK not set' }, () => {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'kestro-check-'));
  const file = path.join(dir, 'bad.kst');
  fs.writeFileSync(file, SCRIPT.join('\n') + '\n');
  // Every spelling of the JSON option people type gives the same report.
  for (const options of [['--format', 'json'], ['--format=json'], ['--json']]) {
    const run = childProcess.spawnSync(process.env.KESTRO_PACK, ['check', ...options, file],
                                       { encoding: 'utf8', timeout: 10000 });
    assert.strictEqual(run.status, 1, run.stderr);
    const result = readCheckRun({ code: run.status }, run.stdout, run.stderr, lineOf(SCRIPT), 'kp');
    assert.deepStrictEqual(shape(result.ranges), EXPECTED, options.join(' '));
  }
  const typo = childProcess.spawnSync(process.env.KESTRO_PACK, ['check', '--formt=json', file],
                                      { encoding: 'utf8', timeout: 10000 });
  fs.rmSync(dir, { recursive: true });
  assert.strictEqual(typo.status, 2);
  assert.match(typo.stderr, /unknown option --formt; did you mean --format\?/);
});

// The real checker on UTF-8 lines with Japanese text and an emoji before the
// mistake, with and without a byte order mark.
test('the real checker\'s columns land on the mistake after Japanese text', { skip: !process.env.KESTRO_PACK && 'KESTRO_PACK not set' }, () => {
  // A one-character key name is any one character: {ü 3} and {日} are no finding.
  const lines = ['WinWait, 日本語 – Übersicht', 'Send, 日本語{ENTR}', 'Send, 😀😀 {ENTR}', 'Send, {ü}{ü 3}{日}'];
  for (const bom of ['', '\ufeff']) {
    const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'kestro-check-'));
    const file = path.join(dir, 'jp.kst');
    fs.writeFileSync(file, bom + lines.join('\r\n') + '\r\n');
    const run = childProcess.spawnSync(process.env.KESTRO_PACK, ['check', '--format', 'json', file],
                                       { encoding: 'utf8', timeout: 10000 });
    fs.rmSync(dir, { recursive: true });
    const result = readCheckRun({ code: run.status }, run.stdout, run.stderr, lineOf(lines), 'kp');
    assert.deepStrictEqual(result.ranges.map((r) => [r.line, r.start, r.end, r.code]),
                           [[1, 9, 14, 'unknown-key'], [2, 11, 16, 'unknown-key']], run.stdout);
  }
});
