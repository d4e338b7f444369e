// The Kestro debug adapter: the Debug Adapter Protocol over standard input and
// output, on one side; the debugging runner kestro-debug.exe over a local socket
// on the other (its protocol is in docs/debugging.md).
'use strict';

const childProcess = require('child_process');
const fs = require('fs');
const net = require('net');
const os = require('os');
const path = require('path');
const {
  DebugSession, InitializedEvent, StoppedEvent, ContinuedEvent, OutputEvent, TerminatedEvent,
  Thread, StackFrame, Scope, Source,
} = require('@vscode/debugadapter');

const THREAD_ID = 1;
const PACK_TIMEOUT_MS = 60000;
const CONNECT_TIMEOUT_MS = 60000;  // Wine's first start in a fresh prefix is slow
const QUIT_TIMEOUT_MS = 5000;
const SCOPES = [
  { name: 'Variables', scope: 'script', editable: true },
  { name: 'Built-ins', scope: 'builtins', editable: true },
  { name: 'Settings', scope: 'settings', editable: false },
  { name: 'Waiting for', scope: 'waiting', editable: false },
];

// One field of a request line: tabs, line ends and backslashes escaped.
function escapeField(value) {
  return String(value === undefined || value === null ? '' : value)
    .replace(/\\/g, '\\\\').replace(/\t/g, '\\t').replace(/\n/g, '\\n').replace(/\r/g, '\\r');
}

// The line of the first "[ADLIB]" line of a script (1-based), or Infinity: the
// lines after it are the Adlib section's.
function adlibMarkerLine(text) {
  const lines = text.split(/\r?\n/);
  for (let i = 0; i < lines.length; i++) {
    if (/^\s*\[adlib\]/i.test(lines[i])) return i + 1;
  }
  return Infinity;
}

// Runs a program to its end; resolves with its exit code and output.
function runToEnd(command, args, options) {
  return new Promise((resolve) => {
    childProcess.execFile(command, args, options, (error, stdout, stderr) => {
      resolve({ error, stdout: String(stdout || ''), stderr: String(stderr || '') });
    });
  });
}

class KestroDebugSession extends DebugSession {
  constructor() {
    super();
    this.setDebuggerLinesStartAt1(true);
    this.setDebuggerColumnsStartAt1(true);
    this.runner = null;     // the child process
    this.socket = null;
    this.pending = new Map();
    this.seq = 0;
    this.inbox = '';
    this.ended = false;
    this.quitting = false;
    this.exception = null;
    this.program = '';
    this.adlibLine = Infinity;
    this.stopOnEntry = false;
  }

  initializeRequest(response) {
    response.body = {
      supportsConfigurationDoneRequest: true,
      supportsConditionalBreakpoints: true,
      supportsHitConditionalBreakpoints: true,
      supportsLogPoints: true,
      supportsEvaluateForHovers: true,
      supportsSetVariable: true,
      supportsTerminateRequest: true,
      supportsExceptionInfoRequest: true,
    };
    this.sendResponse(response);
  }

  // Packs the script onto the debugging runner, starts it with a port to
  // connect back to, and waits for its greeting.
  async launchRequest(response, args) {
    try {
      await this.launch(args);
      this.sendResponse(response);
      this.sendEvent(new InitializedEvent());
    } catch (e) {
      this.sendErrorResponse(response, 1, String(e.message || e));
      this.finish();
    }
  }

  async launch(args) {
    if (!args.program) throw new Error('Name the script to debug in "program".');
    this.program = path.resolve(args.program);
    this.stopOnEntry = !!args.stopOnEntry;
    this.adlibLine = adlibMarkerLine(fs.readFileSync(this.program, 'latin1'));
    const packer = args.packer || 'kestro-pack';
    const runner = args.runner;
    if (!runner) throw new Error('Name the debugging runner kestro-debug.exe in "runner" (setting kestro.debugRunnerPath).');
    const loader = args.loader !== undefined ? args.loader : (process.platform === 'win32' ? '' : 'wine');
    this.dir = fs.mkdtempSync(path.join(os.tmpdir(), 'kestro-debug-'));
    const exe = path.join(this.dir, path.parse(this.program).name + '.exe');
    const built = await runToEnd(packer, ['build', this.program, '-o', exe, '--runner', runner, '--no-check'],
      { cwd: path.dirname(this.program), timeout: PACK_TIMEOUT_MS });
    if (built.error) {
      const why = built.error.code === 'ENOENT' ? `cannot find kestro-pack ("${packer}")` : (built.stderr.trim() || built.error.message);
      throw new Error(`Packing ${path.basename(this.program)} failed: ${why}`);
    }
    const server = net.createServer();
    await new Promise((resolve, reject) => {
      server.once('error', reject);
      server.listen(0, '127.0.0.1', resolve);
    });
    const port = server.address().port;
    const programArgs = [`/debug:${port}`].concat(args.args && args.args.length ? ['/p'].concat(args.args) : []);
    const command = loader ? loader : exe;
    const commandArgs = loader ? [exe].concat(programArgs) : programArgs;
    this.runner = childProcess.spawn(command, commandArgs,
      { cwd: path.dirname(this.program), stdio: 'ignore', windowsHide: false });
    this.runner.on('error', (e) => this.runnerGone(`The debugging runner could not start: ${e.message}`));
    this.runner.on('exit', (code) => {
      this.runner = null;
      this.runnerGone(`The debugging runner ended unexpectedly (exit code ${code}).`);
    });
    try {
      this.socket = await new Promise((resolve, reject) => {
        const timer = setTimeout(() => reject(new Error('The debugging runner did not connect.')), CONNECT_TIMEOUT_MS);
        server.once('connection', (socket) => { clearTimeout(timer); resolve(socket); });
        this.runner.once('exit', () => { clearTimeout(timer); reject(new Error('The debugging runner ended before it connected.')); });
      });
    } finally {
      server.close();
    }
    this.socket.setEncoding('utf8');
    this.socket.setNoDelay(true);
    const hello = new Promise((resolve) => { this.onHello = resolve; });
    this.socket.on('data', (data) => this.receive(data));
    // A closed connection ends the session once the runner has ended too (its
    // exit code then goes with the message), or after a short bound.
    this.socket.on('close', () => {
      if (this.ended || this.quitting || !this.runner) return this.runnerGone(null);
      setTimeout(() => this.runnerGone('The debugging runner closed its connection.'), QUIT_TIMEOUT_MS);
    });
    this.socket.on('error', () => {});
    await hello;
  }

  // Messages from the runner, one JSON object a line.
  receive(data) {
    this.inbox += data;
    let end;
    while ((end = this.inbox.indexOf('\n')) >= 0) {
      const line = this.inbox.slice(0, end);
      this.inbox = this.inbox.slice(end + 1);
      let message;
      try { message = JSON.parse(line); } catch (e) { continue; }
      if (message.seq !== undefined) {
        const waiter = this.pending.get(message.seq);
        this.pending.delete(message.seq);
        if (waiter) waiter(message);
      } else {
        this.onRunnerEvent(message);
      }
    }
  }

  onRunnerEvent(message) {
    switch (message.event) {
      case 'hello':
        if (this.onHello) this.onHello(message);
        break;
      case 'stopped': {
        this.exception = message.reason === 'exception' ? message.text : null;
        const event = new StoppedEvent(message.reason, THREAD_ID, message.text);
        if (message.text) event.body.description = message.text;
        this.sendEvent(event);
        break;
      }
      case 'continued':
        break;
      case 'output':
        this.sendEvent(new OutputEvent(message.text, 'console'));
        break;
      case 'ended':
        this.ended = true;
        break;
    }
  }

  // Sends a request to the runner and resolves with its answer; one that is
  // gone answers with an error.
  ask(...fields) {
    if (!this.socket || this.socket.destroyed) return Promise.resolve({ error: 'The script is not running.' });
    const seq = ++this.seq;
    return new Promise((resolve) => {
      this.pending.set(seq, resolve);
      this.socket.write([seq].concat(fields).map(escapeField).join('\t') + '\n');
    });
  }

  // The runner ended or its socket closed: the session ends, with a message
  // when that was not the script's own end.
  runnerGone(message) {
    if (message && !this.ended && !this.quitting) this.sendEvent(new OutputEvent(message + '\n', 'stderr'));
    for (const waiter of this.pending.values()) waiter({ error: 'The script is not running.' });
    this.pending.clear();
    this.finish();
  }

  finish() {
    if (this.finished) return;
    this.finished = true;
    if (this.socket) this.socket.destroy();
    if (this.dir) setTimeout(() => fs.rm(this.dir, { recursive: true, force: true }, () => {}), 2000);
    this.sendEvent(new TerminatedEvent());
  }

  async setBreakPointsRequest(response, args) {
    const wanted = args.breakpoints || [];
    const sections = { main: [], adlib: [] };
    wanted.forEach((bp, i) => sections[bp.line > this.adlibLine ? 'adlib' : 'main'].push({ bp, i }));
    response.body = { breakpoints: wanted.map(() => ({ verified: false })) };
    // Only the debugged script's own lines run.
    const file = args.source && args.source.path ? path.resolve(args.source.path) : this.program;
    const same = process.platform === 'win32' ? file.toLowerCase() === this.program.toLowerCase() : file === this.program;
    if (!same) return this.sendResponse(response);
    for (const section of ['main', 'adlib']) {
      const entries = sections[section];
      const fields = ['breakpoints', section];
      for (const { bp } of entries) fields.push(bp.line, bp.condition || '', bp.hitCondition || '', bp.logMessage || '');
      const answer = await this.ask(...fields);
      const lines = (answer.body && answer.body.lines) || [];
      entries.forEach(({ bp, i }, k) => {
        const line = lines[k] || 0;
        response.body.breakpoints[i] = line ? { verified: true, line } :
          { verified: false, line: bp.line, message: 'No line runs here or after it in its section.' };
      });
    }
    this.sendResponse(response);
  }

  async configurationDoneRequest(response) {
    await this.ask('run', this.stopOnEntry ? 1 : 0);
    this.sendResponse(response);
  }

  threadsRequest(response) {
    response.body = { threads: [new Thread(THREAD_ID, 'Script')] };
    this.sendResponse(response);
  }

  async resume(response, what) {
    const answer = await this.ask(what);
    if (answer.error) return this.sendErrorResponse(response, 2, answer.error);
    if (response.command === 'continue') response.body = { allThreadsContinued: true };
    this.sendResponse(response);
  }

  continueRequest(response) { this.resume(response, 'continue'); }
  nextRequest(response) { this.resume(response, 'next'); }
  stepInRequest(response) { this.resume(response, 'stepIn'); }
  stepOutRequest(response) { this.resume(response, 'stepOut'); }
  pauseRequest(response) { this.resume(response, 'pause'); }

  async stackTraceRequest(response) {
    const answer = await this.ask('stack');
    const frames = (answer.body && answer.body.frames) || [];
    const source = new Source(path.basename(this.program), this.program);
    response.body = {
      stackFrames: frames.map((f, i) => new StackFrame(i, f.name, source, f.line, 1)),
      totalFrames: frames.length,
    };
    this.sendResponse(response);
  }

  // The "Waiting for" scope is there only while the script waits or stands on
  // a window command.
  async scopesRequest(response) {
    const waiting = await this.ask('variables', 'waiting');
    const shown = SCOPES.filter((s) => s.scope !== 'waiting' ||
      (waiting.body && waiting.body.variables && waiting.body.variables.length));
    response.body = {
      scopes: shown.map((s) => new Scope(s.name, SCOPES.indexOf(s) + 1, false)),
    };
    this.sendResponse(response);
  }

  async variablesRequest(response, args) {
    const scope = SCOPES[args.variablesReference - 1];
    const answer = scope ? await this.ask('variables', scope.scope) : {};
    const variables = (answer.body && answer.body.variables) || [];
    response.body = {
      variables: variables.map((v) => ({ name: v.name, value: v.value, variablesReference: 0 })),
    };
    this.sendResponse(response);
  }

  // Setting a variable works as SetEnv does.
  async setVariableRequest(response, args) {
    const scope = SCOPES[args.variablesReference - 1];
    if (!scope || !scope.editable) return this.sendErrorResponse(response, 3, 'Settings change through script commands only.');
    const answer = await this.ask('set', args.name, args.value);
    if (answer.error) return this.sendErrorResponse(response, 3, answer.error);
    response.body = { value: answer.body.value };
    this.sendResponse(response);
  }

  // A text with %NAME% references is expanded as the runner expands a line;
  // a bare name (a hover) reads that variable.
  async evaluateRequest(response, args) {
    const answer = await this.ask('evaluate', args.expression);
    if (answer.error) return this.sendErrorResponse(response, 4, answer.error);
    response.body = { result: answer.body.result, variablesReference: 0 };
    this.sendResponse(response);
  }

  exceptionInfoRequest(response) {
    response.body = { exceptionId: 'Script error', description: this.exception || '', breakMode: 'always' };
    this.sendResponse(response);
  }

  // Stop: the runner is asked to end, and is ended when it does not.
  async terminateRequest(response) {
    await this.quit();
    this.sendResponse(response);
  }

  // The client ends the adapter soon after this answer, before finish's delayed
  // removal would run: the packed program's folder goes now, the runner being gone.
  async disconnectRequest(response) {
    await this.quit();
    if (this.dir) {
      try {
        fs.rmSync(this.dir, { recursive: true, force: true, maxRetries: 5, retryDelay: 200 });
      } catch (e) {
        // left for the system's temporary folder cleaning
      }
    }
    this.sendResponse(response);
    this.finish();
  }

  async quit() {
    this.quitting = true;
    const child = this.runner;
    if (!child) return;
    const exited = new Promise((resolve) => child.once('exit', resolve));
    this.ask('quit');
    const timer = new Promise((resolve) => setTimeout(resolve, QUIT_TIMEOUT_MS, 'late'));
    if (await Promise.race([exited, timer]) === 'late') child.kill();
  }
}

module.exports = { KestroDebugSession, escapeField, adlibMarkerLine };

if (require.main === module) DebugSession.run(KestroDebugSession);
