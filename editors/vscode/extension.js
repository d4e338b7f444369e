// The Kestro extension: checks a script with `kestro-pack check` when it is
// opened or saved and shows the findings, and packs and runs the script.
'use strict';

const vscode = require('vscode');
const childProcess = require('child_process');
const path = require('path');
const { readCheckRun } = require('./diagnostics');
const { resolveTool, findOnPath, runPlan, packedPath, debugConfiguration } = require('./launch');

const CHECK_TIMEOUT_MS = 10000;  // a check of any script takes well under a second
const BUILD_TIMEOUT_MS = 60000;
const MAX_OUTPUT = 4 * 1024 * 1024;

let findings;  // the diagnostic collection
let output;    // the "Kestro" output channel
const runs = new Map();  // document uri -> number of its latest check; older answers are dropped
let toldMissing = false;  // the "cannot find kestro-pack" box is shown once a session

function settings(document) {
  const config = vscode.workspace.getConfiguration('kestro', document.uri);
  const folder = vscode.workspace.getWorkspaceFolder(document.uri);
  const dir = folder ? folder.uri.fsPath : undefined;
  return {
    packer: resolveTool(config.get('packerPath') || 'kestro-pack', dir),
    runner: resolveTool(config.get('runnerPath') || '', dir),
    debugRunner: resolveTool(config.get('debugRunnerPath') || '', dir),
    loader: config.get('loader') === undefined ? 'wine' : config.get('loader'),
  };
}

// F5 on an open script with no launch.json, and the settings' tools for the
// attributes a launch.json leaves out.
const debugProvider = {
  resolveDebugConfiguration(folder, config) {
    const editor = vscode.window.activeTextEditor;
    const open = editor && isScript(editor.document) ? editor.document : null;
    const tools = settings(open || { uri: folder ? folder.uri : undefined });
    const filled = debugConfiguration(config, tools, open ? open.uri.fsPath : null, process.env, process.platform);
    if (filled.problem) {
      output.appendLine(`Debug: ${filled.problem}`);
      vscode.window.showInformationMessage(`Kestro: ${filled.problem}`);
      return undefined;
    }
    output.appendLine(`Debug: ${filled.program} on ${filled.runner}${filled.loader ? ` through ${filled.loader}` : ''}`);
    return filled;
  },
};

// Whether the document was decoded from a one-byte code page (scripts are often
// saved in the Windows one): an ANSI script's byte columns are then its characters.
function singleByte(document) {
  const encoding = document.encoding ||
      vscode.workspace.getConfiguration('files', document.uri).get('encoding') || 'utf8';
  return !/^utf/i.test(encoding);
}

function isScript(document) {
  return document.languageId === 'kestro' && document.uri.scheme === 'file';
}

// Runs the checker on the saved file and replaces the document's findings.
function check(document) {
  if (!isScript(document)) return;
  const { packer } = settings(document);
  const file = document.uri.fsPath;
  const run = (runs.get(document.uri.toString()) || 0) + 1;
  runs.set(document.uri.toString(), run);
  const options = { timeout: CHECK_TIMEOUT_MS, maxBuffer: MAX_OUTPUT, cwd: path.dirname(file) };
  childProcess.execFile(packer, ['check', '--format', 'json', file], options,
                        (error, stdout, stderr) => {
    if (runs.get(document.uri.toString()) !== run || document.isClosed) return;
    const lineTextAt = (line) => (line < document.lineCount ? document.lineAt(line).text : undefined);
    const result = readCheckRun(error, stdout, stderr, lineTextAt, packer, singleByte(document));
    if (result.problem) {
      findings.delete(document.uri);
      output.appendLine(result.problem);
      if (result.missing && !toldMissing) {
        toldMissing = true;
        vscode.window.showWarningMessage(`Kestro: ${result.problem}`);
      }
      return;
    }
    findings.set(document.uri, result.ranges.map((r) => {
      const range = new vscode.Range(r.line, r.start, r.line, r.end);
      const severity = r.severity === 'warning' ? vscode.DiagnosticSeverity.Warning
                                                : vscode.DiagnosticSeverity.Error;
      const diagnostic = new vscode.Diagnostic(range, r.message, severity);
      diagnostic.source = 'kestro-pack';
      diagnostic.code = r.code;
      return diagnostic;
    }));
  });
}

// Runs a program to its end within a time limit; resolves with its outcome.
function runToEnd(command, args, cwd, timeout) {
  return new Promise((resolve) => {
    childProcess.execFile(command, args, { cwd, timeout, maxBuffer: MAX_OUTPUT },
                          (error, stdout, stderr) => resolve({ error, stdout, stderr }));
  });
}

// Kestro: Pack and Run — saves the script, packs it next to itself and starts it.
async function packAndRun() {
  const editor = vscode.window.activeTextEditor;
  if (!editor || !isScript(editor.document)) {
    vscode.window.showInformationMessage('Kestro: open a saved .kst script first.');
    return;
  }
  const document = editor.document;
  if (document.isDirty && !(await document.save())) return;
  const { packer, runner } = settings(document);
  const script = document.uri.fsPath;
  const exe = packedPath(script);
  const args = ['build', script, '-o', exe];
  if (runner) args.push('--runner', runner);

  output.show(true);
  output.appendLine(`$ ${packer} ${args.join(' ')}`);
  const built = await runToEnd(packer, args, path.dirname(script), BUILD_TIMEOUT_MS);
  if (built.stdout) output.append(built.stdout);
  if (built.stderr) output.append(built.stderr);
  check(document);
  if (built.error) {
    const why = built.error.code === 'ENOENT' ? `cannot find kestro-pack ("${packer}"): set kestro.packerPath`
              : built.error.killed ? 'packing took too long and was stopped'
              : 'packing failed; see the Kestro output';
    vscode.window.showErrorMessage(`Kestro: ${why}`);
    return;
  }

  const plan = runPlan(exe, process.platform, findOnPath('wine', process.env, process.platform));
  if (plan.problem) {
    output.appendLine(`Packed ${exe}. ${plan.problem}`);
    vscode.window.showInformationMessage(`Kestro: packed ${path.basename(exe)}. ${plan.problem}`);
    return;
  }
  output.appendLine(`$ ${[plan.command].concat(plan.args).join(' ')}`);
  // The script runs on its own, as a double-click would start it.
  const child = childProcess.spawn(plan.command, plan.args,
                                   { cwd: path.dirname(script), detached: true, stdio: 'ignore' });
  child.on('error', (e) => output.appendLine(`cannot start ${plan.command}: ${e.message}`));
  child.on('exit', (code) => output.appendLine(`${path.basename(exe)} ended (exit code ${code})`));
  child.unref();
}

// The adapter runs as a Node program of its own, started with the Node the
// extension host runs on (an Electron one runs scripts as Node when asked to).
const adapterFactory = {
  createDebugAdapterDescriptor() {
    return new vscode.DebugAdapterExecutable(process.execPath, [path.join(__dirname, 'debugAdapter.js')],
      { env: Object.assign({}, process.env, { ELECTRON_RUN_AS_NODE: '1' }) });
  },
};

function activate(context) {
  findings = vscode.languages.createDiagnosticCollection('kestro');
  output = vscode.window.createOutputChannel('Kestro');
  context.subscriptions.push(
      findings, output,
      vscode.workspace.onDidOpenTextDocument(check),
      vscode.workspace.onDidSaveTextDocument(check),
      vscode.workspace.onDidCloseTextDocument((document) => {
        findings.delete(document.uri);
        runs.delete(document.uri.toString());
      }),
      vscode.commands.registerCommand('kestro.check', () => {
        const editor = vscode.window.activeTextEditor;
        if (editor) check(editor.document);
      }),
      vscode.commands.registerCommand('kestro.packAndRun', packAndRun),
      vscode.debug.registerDebugConfigurationProvider('kestro', debugProvider),
      vscode.debug.registerDebugAdapterDescriptorFactory('kestro', adapterFactory));
  vscode.workspace.textDocuments.forEach(check);
}

function deactivate() {}

module.exports = { activate, deactivate, debugProvider };
