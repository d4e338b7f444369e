// The extension's glue, against a stand-in for the editor API and a stand-in
// kestro-pack (a shell script): checks on open and save, pack and run.
'use strict';

const test = require('node:test');
const assert = require('node:assert');
const fs = require('fs');
const os = require('os');
const path = require('path');
const Module = require('module');

// The part of the editor API the extension uses, recording what it is asked.
function fakeEditor() {
  const listeners = {};
  const on = (name) => (fn) => (listeners[name] = listeners[name] || []).push(fn);
  const none = { dispose() {} };
  const api = {
    settings: {}, shown: [], registered: {}, diagnostics: new Map(),
    fire: (name, arg) => (listeners[name] || []).forEach((fn) => fn(arg)),
    Range: class { constructor(l1, c1, l2, c2) { Object.assign(this, { l1, c1, l2, c2 }); } },
    Diagnostic: class { constructor(range, message, severity) { Object.assign(this, { range, message, severity }); } },
    DiagnosticSeverity: { Error: 0, Warning: 1 },
    languages: {
      createDiagnosticCollection: () => ({
        set: (uri, list) => api.diagnostics.set(uri.toString(), list),
        delete: (uri) => api.diagnostics.delete(uri.toString()),
      }),
    },
    window: {
      createOutputChannel: () => ({ append() {}, appendLine() {}, show() {} }),
      showWarningMessage: (text) => api.shown.push(['warning', text]),
      showInformationMessage: (text) => api.shown.push(['info', text]),
      showErrorMessage: (text) => api.shown.push(['error', text]),
    },
    workspace: {
      textDocuments: [],
      getConfiguration: (section) => ({ get: (key) => api.settings[`${section}.${key}`] }),
      getWorkspaceFolder: () => undefined,
      onDidOpenTextDocument: on('open'),
      onDidSaveTextDocument: on('save'),
      onDidCloseTextDocument: on('close'),
    },
    commands: { registerCommand: (name, fn) => { api.registered[name] = fn; return none; } },
    debug: {
      registerDebugConfigurationProvider: (type, provider) => { api.registered[`debug:${type}`] = provider; return none; },
      registerDebugAdapterDescriptorFactory: () => none,
    },
  };
  return api;
}

const vscode = fakeEditor();
const resolve = Module._resolveFilename;
Module._resolveFilename = function (request, ...rest) {
  return request === 'vscode' ? 'vscode' : resolve.call(this, request, ...rest);
};
require.cache.vscode = { id: 'vscode', filename: 'vscode', loaded: true, exports: vscode };
const extension = require('../extension');

function document(file, lines, languageId = 'kestro') {
  const uri = { fsPath: file, scheme: 'file', toString: () => 'file://' + file };
  const lineAt = (i) => ({ text: lines[i] });
  return { uri, languageId, isClosed: false, isDirty: false, lineCount: lines.length, lineAt };
}

async function until(what, condition) {
  for (let i = 0; i < 200 && !condition(); ++i) await new Promise((r) => setTimeout(r, 25));
  assert.ok(condition(), 'timed out waiting for ' + what);
}

// A folder with a stand-in kestro-pack: check prints report.json and exits 1; build
// writes the -o file. Every call is logged to calls. Shell built-ins only, as the
// tests run it with a PATH of their own.
const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'kestro-ext-'));
const packer = path.join(dir, 'kestro-pack');
fs.writeFileSync(packer, `#!/bin/sh
here=\${0%/*}
echo "$*" >> "$here/calls"
case $1 in
  check) while IFS= read -r line; do echo "$line"; done < "$here/report.json"; exit 1 ;;
  build) while [ $# -gt 0 ]; do [ "$1" = -o ] && : > "$2"; shift; done; echo packed; exit 0 ;;
esac
exit 2
`, { mode: 0o755 });
fs.writeFileSync(path.join(dir, 'report.json'), JSON.stringify([
  { file: 'x', line: 2, column: 9, endColumn: 14, severity: 'warning', code: 'unknown-key', message: 'Send knows no key {ENTR}' },
  { file: 'x', line: 1, column: 1, endColumn: 10, severity: 'error', code: 'missing-comma', message: 'Error: Invalid command!' },
]) + '\n');
const script = path.join(dir, 'setup.kst');
fs.writeFileSync(script, 'Sleep 100\nSend, é{ENTR}\n');
const calls = () => (fs.existsSync(path.join(dir, 'calls')) ? fs.readFileSync(path.join(dir, 'calls'), 'utf8') : '');

extension.activate({ subscriptions: [] });
test.after(() => fs.rmSync(dir, { recursive: true }));

test('a script is checked when opened and saved, and forgotten when closed', async () => {
  vscode.settings['kestro.packerPath'] = packer;
  const doc = document(script, ['Sleep 100', 'Send, é{ENTR}']);
  const other = document(path.join(dir, 'notes.txt'), ['x'], 'plaintext');
  vscode.fire('open', other);
  vscode.fire('open', doc);
  await until('the findings', () => vscode.diagnostics.has(doc.uri.toString()));
  const found = vscode.diagnostics.get(doc.uri.toString());
  assert.deepStrictEqual(found.map((d) => [d.range.l1, d.range.c1, d.range.c2, d.severity, d.code, d.source]),
                         [[1, 7, 12, 1, 'unknown-key', 'kestro-pack'], [0, 0, 9, 0, 'missing-comma', 'kestro-pack']]);
  assert.strictEqual(calls(), `check --format json ${script}\n`);

  vscode.diagnostics.clear();
  vscode.fire('save', doc);
  await until('the findings after saving', () => vscode.diagnostics.has(doc.uri.toString()));
  vscode.fire('close', doc);
  assert.ok(!vscode.diagnostics.has(doc.uri.toString()));

  // The same file opened in Windows-1252: {ENTR} at byte 8 is character 7 there too.
  vscode.settings['files.encoding'] = 'windows1252';
  fs.writeFileSync(path.join(dir, 'report.json'), JSON.stringify([
    { file: 'x', line: 2, column: 8, endColumn: 14, severity: 'warning', code: 'unknown-key', message: 'm' },
  ]) + '\n');
  vscode.fire('open', doc);
  await until('the findings in Windows-1252', () => vscode.diagnostics.has(doc.uri.toString()));
  const range = vscode.diagnostics.get(doc.uri.toString())[0].range;
  assert.deepStrictEqual([range.c1, range.c2], [7, 13]);
  delete vscode.settings['files.encoding'];
  assert.ok(!calls().includes('notes.txt'));
});

test('a missing kestro-pack is said once, not on every save', async () => {
  vscode.settings['kestro.packerPath'] = path.join(dir, 'no-such-packer');
  const doc = document(path.join(dir, 'other.kst'), ['Exit']);
  vscode.fire('open', doc);
  vscode.fire('save', doc);
  await until('the warning', () => vscode.shown.length > 0);
  await new Promise((r) => setTimeout(r, 200));
  assert.strictEqual(vscode.shown.length, 1);
  assert.match(vscode.shown[0][1], /cannot find kestro-pack .*no-such-packer.*kestro.packerPath/);
  assert.ok(!vscode.diagnostics.has(doc.uri.toString()));
  vscode.shown.length = 0;
});

test('pack and run packs next to the script, then starts it under Wine or says it needs Windows', async () => {
  vscode.settings['kestro.packerPath'] = packer;
  vscode.settings['kestro.runnerPath'] = '/opt/kestro/kestro.exe';
  vscode.window.activeTextEditor = { document: document(script, ['Exit']) };
  const exe = path.join(dir, 'setup.exe');
  const path_ = process.env.PATH;
  try {
    process.env.PATH = '/nonexistent';
    await vscode.registered['kestro.packAndRun']();
    assert.ok(calls().includes(`build ${script} -o ${exe} --runner /opt/kestro/kestro.exe\n`), calls());
    assert.ok(fs.existsSync(exe));
    assert.match(vscode.shown.pop()[1], /packed setup.exe\. .*needs Windows/);

    const wineDir = path.join(dir, 'bin');
    fs.mkdirSync(wineDir);
    fs.writeFileSync(path.join(wineDir, 'wine'), `#!/bin/sh\necho "$*" > "${dir}/wine-ran"\n`, { mode: 0o755 });
    process.env.PATH = wineDir;
    await vscode.registered['kestro.packAndRun']();
    await until('Wine to start the program', () => fs.existsSync(path.join(dir, 'wine-ran')));
    assert.strictEqual(fs.readFileSync(path.join(dir, 'wine-ran'), 'utf8'), `${exe}\n`);
  } finally {
    process.env.PATH = path_;
  }

  vscode.settings['kestro.packerPath'] = path.join(dir, 'no-such-packer');
  await vscode.registered['kestro.packAndRun']();
  assert.deepStrictEqual(vscode.shown.pop()[0], 'error');
});

test('F5 without launch.json debugs the open script with the tools the settings name', () => {
  const provider = vscode.registered['debug:kestro'];
  vscode.settings['kestro.packerPath'] = packer;
  vscode.settings['kestro.debugRunnerPath'] = '';
  vscode.settings['kestro.loader'] = 'wine64';
  fs.writeFileSync(path.join(dir, 'kestro-debug.exe'), '');
  vscode.window.activeTextEditor = { document: document(script, ['Exit']) };
  const filled = provider.resolveDebugConfiguration(undefined, {});
  assert.deepStrictEqual(filled, { type: 'kestro', request: 'launch', name: 'Debug Kestro script', program: script,
    packer, runner: path.join(dir, 'kestro-debug.exe'), loader: process.platform === 'win32' ? '' : 'wine64' });
  // A launch.json's own choices stay.
  const own = provider.resolveDebugConfiguration(undefined,
    { type: 'kestro', request: 'launch', name: 'x', program: '/s.kst', runner: '/r.exe', loader: '' });
  assert.deepStrictEqual([own.program, own.runner, own.loader, own.packer], ['/s.kst', '/r.exe', '', packer]);
  vscode.window.activeTextEditor = undefined;
  assert.strictEqual(provider.resolveDebugConfiguration(undefined, {}), undefined);
  assert.match(vscode.shown.pop()[1], /Open a .kst script/);
});
