// The debug adapter driven as any DAP client drives it, with the real debugging
// runner under Wine: breakpoints, variables, stepping through Gosub, restart, a
// pause in a Sleep, a wait or a box and its "Waiting for" scope, a script error,
// stop, and a runner that dies.
'use strict';

const test = require('node:test');
const assert = require('node:assert');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { DebugClient } = require('@vscode/debugadapter-testsupport');
const { escapeField, adlibMarkerLine } = require('../debugAdapter');

const ADAPTER = path.join(__dirname, '..', 'debugAdapter.js');
const PACKER = process.env.KESTRO_PACK;
const RUNNER = process.env.KESTRO_DEBUG_RUNNER;
const LOADER = process.env.KESTRO_WINE || '';
const runs = PACKER && RUNNER ? {} : { skip: 'needs KESTRO_PACK and KESTRO_DEBUG_RUNNER (tools/test.sh editor)' };
const BOUND_MS = 60000;
const PAUSE_MS = 2000;  // a pause stops the script at once, even in a Sleep or a wait

// A debug session of a script whose lines are given; its clients are stopped afterwards.
async function session(t, lines) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'kestro-dap-'));
  const program = path.join(dir, 'debugged.kst');
  fs.writeFileSync(program, lines.join('\r\n') + '\r\n');
  const clients = [];
  t.after(async () => {
    for (const client of clients) await client.stop().catch(() => {});
    fs.rmSync(dir, { recursive: true, force: true });
  });
  const output = [];
  const connect = async () => {
    const dc = new DebugClient('node', ADAPTER, 'kestro');
    dc.defaultTimeout = BOUND_MS;
    await dc.start();
    clients.push(dc);
    dc.on('output', (e) => output.push(e.body.output));
    // Stops are queued as they come, so one that comes with the answer to a
    // request is not missed.
    const stops = [];
    let wake = null;
    dc.on('stopped', (e) => { stops.push(e); if (wake) wake(); });
    dc.nextStop = async () => {
      const bound = Date.now() + BOUND_MS;
      while (!stops.length && Date.now() < bound) {
        await new Promise((resolve) => { wake = resolve; setTimeout(resolve, 1000); });
      }
      assert.ok(stops.length, 'no stop within the bound');
      return stops.shift();
    };
    return dc;
  };
  const s = { dc: await connect(), output };
  // Launches with the breakpoints given ({line, condition, hitCondition, logMessage}).
  s.start = async (breakpoints, extra) => {
    const dc = s.dc;
    const configured = dc.waitForEvent('initialized').then(async () => {
      const set = await dc.setBreakpointsRequest({ source: { path: program }, breakpoints: breakpoints || [] });
      await dc.configurationDoneRequest();
      return set.body.breakpoints;
    });
    const [set] = await Promise.all([configured, dc.launch(Object.assign(
      { program, packer: PACKER, runner: RUNNER, loader: LOADER }, extra || {}))]);
    return set;
  };
  // Restart as VS Code does it for an adapter without a restart request: the
  // session is terminated, and a fresh adapter launches the script again.
  s.restart = async () => {
    const ended = s.dc.waitForEvent('terminated');
    await s.dc.terminateRequest({ restart: true });
    await ended;
    await s.dc.stop();
    clients.splice(clients.indexOf(s.dc), 1);  // a stopped client's requests are never answered
    s.dc = await connect();
    return s.dc;
  };
  s.has = (name) => fs.existsSync(path.join(dir, name));
  s.read = (name) => fs.readFileSync(path.join(dir, name), 'utf8').replace(/\r\n/g, '\n');
  return s;
}

// Waits for a condition, polling, within the bound.
async function until(holds, what) {
  const bound = Date.now() + BOUND_MS;
  while (!holds() && Date.now() < bound) await new Promise((resolve) => setTimeout(resolve, 100));
  assert.ok(holds(), `${what} within the bound`);
}

// Pauses, and continues, until the pause finds the frames it looks for; every
// pause stops within PAUSE_MS. Returns the frames of the last stop.
async function pauseUntil(dc, wanted) {
  const bound = Date.now() + BOUND_MS;
  for (;;) {
    await new Promise((resolve) => setTimeout(resolve, 250));
    const asked = Date.now();
    await dc.pauseRequest({ threadId: 1 });
    const frames = await stoppedAt(dc, 'pause');
    assert.ok(Date.now() - asked < PAUSE_MS, `the pause took ${Date.now() - asked} ms`);
    if (wanted(frames) || Date.now() > bound) return frames;
    await dc.continueRequest({ threadId: 1 });
  }
}

async function stoppedAt(dc, reason, line) {
  const event = await dc.nextStop();
  assert.strictEqual(event.body.reason, reason);
  const stack = await dc.stackTraceRequest({ threadId: 1 });
  if (line !== undefined) assert.strictEqual(stack.body.stackFrames[0].line, line);
  return stack.body.stackFrames;
}

async function variables(dc, scopeName) {
  const scopes = await dc.scopesRequest({ frameId: 0 });
  const scope = scopes.body.scopes.find((s) => s.name === scopeName);
  if (!scope) return null;
  const list = await dc.variablesRequest({ variablesReference: scope.variablesReference });
  return Object.fromEntries(list.body.variables.map((v) => [v.name, v.value]));
}

test('request fields are escaped and the Adlib section is found', () => {
  assert.strictEqual(escapeField('a\tb\\c\nd'), 'a\\tb\\\\c\\nd');
  assert.strictEqual(adlibMarkerLine('Send, a\r\n  [Adlib] extra\r\nx, , Send, b'), 2);
  assert.strictEqual(adlibMarkerLine('Send, a'), Infinity);
});

test('a breakpoint stops the script; variables are read, set and used; conditions, hit counts and logpoints', runs, async (t) => {
  const { dc, start, read, output } = await session(t, [
    '; debugging test',                // 1
    'SetEnv, NAME, first',             // 2
    '',                                // 3: a breakpoint here moves to line 4
    'Repeat, 3',                       // 4
    'EnvAdd, COUNT, 1',                // 5: logpoint
    'FileAppend, %COUNT%\\n, counts.txt', // 6: stops when COUNT is 2
    'EndRepeat',                       // 7
    'FileAppend, %NAME%\\n, out.txt',  // 8
  ]);
  const set = await start([{ line: 3 }, { line: 5, logMessage: 'count is %COUNT%' },
    { line: 6, condition: '%COUNT% = 2' }, { line: 8, hitCondition: '2' }]);
  assert.deepStrictEqual(set.map((b) => [b.verified, b.line]), [[true, 4], [true, 5], [true, 6], [true, 8]]);
  await stoppedAt(dc, 'breakpoint', 4);
  assert.strictEqual((await variables(dc, 'Variables')).NAME, 'first');
  assert.ok('ERRORLEVEL' in (await variables(dc, 'Built-ins')));
  assert.strictEqual((await variables(dc, 'Settings'))['Title match mode'], '1');
  const scopes = await dc.scopesRequest({ frameId: 0 });
  const mine = scopes.body.scopes.find((s) => s.name === 'Variables').variablesReference;
  assert.strictEqual((await dc.setVariableRequest({ variablesReference: mine, name: 'NAME', value: 'second' })).body.value, 'second');
  assert.strictEqual((await dc.evaluateRequest({ expression: '%NAME%, %COUNT%!', context: 'repl' })).body.result, 'second, !');
  assert.strictEqual((await dc.evaluateRequest({ expression: 'NAME', context: 'hover' })).body.result, 'second');
  await dc.continueRequest({ threadId: 1 });
  const frames = await stoppedAt(dc, 'breakpoint', 6);
  assert.strictEqual(frames[1].name, 'Repeat 2 of 3');
  assert.strictEqual((await variables(dc, 'Variables')).COUNT, '2');
  assert.deepStrictEqual(output.filter((o) => o.startsWith('count is')), ['count is \n', 'count is 1\n']);
  const ended = dc.waitForEvent('terminated');
  await dc.continueRequest({ threadId: 1 });  // line 8 is reached once: its hit count of 2 never stops it
  await ended;
  assert.strictEqual(read('counts.txt'), '1\n2\n3\n');
  assert.strictEqual(read('out.txt'), 'second\n');
});

test('the script\'s arguments; stepping into a Gosub, out of it and over it; a restart runs the script afresh', runs, async (t) => {
  const s = await session(t, [
    'Gosub, Sub',                      // 1
    'FileAppend, after\\n, steps.txt', // 2
    'Exit',                            // 3
    'Sub:',                            // 4
    'FileAppend, in\\n, steps.txt',    // 5
    'Return',                          // 6
  ]);
  let dc = s.dc;
  const launch = { stopOnEntry: true, args: ['first arg', 'b'] };
  await s.start([], launch);
  await stoppedAt(dc, 'entry', 1);
  assert.strictEqual((await dc.evaluateRequest({ expression: '%1%|%2%', context: 'repl' })).body.result, 'first arg|b');
  await dc.stepInRequest({ threadId: 1 });
  const frames = await stoppedAt(dc, 'step', 5);
  assert.deepStrictEqual(frames.map((f) => [f.name, f.line]), [['FileAppend, in\\n, steps.txt', 5], ['Sub', 1]]);
  await dc.stepOutRequest({ threadId: 1 });
  await stoppedAt(dc, 'step', 2);
  assert.strictEqual(s.read('steps.txt'), 'in\n');
  // The runner held on line 2 ends with its session: line 2 runs only once more, in the new one.
  dc = await s.restart();
  await s.start([], launch);
  await stoppedAt(dc, 'entry', 1);
  assert.strictEqual((await dc.evaluateRequest({ expression: '%1%|%2%', context: 'repl' })).body.result, 'first arg|b');
  await dc.nextRequest({ threadId: 1 });
  await stoppedAt(dc, 'step', 2);
  assert.strictEqual(s.read('steps.txt'), 'in\nin\n');
  await dc.nextRequest({ threadId: 1 });
  await stoppedAt(dc, 'step', 3);
  assert.strictEqual(s.read('steps.txt'), 'in\nin\nafter\n');
  const ended = dc.waitForEvent('terminated');
  await dc.continueRequest({ threadId: 1 });
  await ended;
});

// The e2e test program childproc.exe of the runner's build tree: it ends after --sleep MS.
function findChildproc() {
  if (!RUNNER) return null;
  for (let dir = path.dirname(path.resolve(RUNNER)), up = 0; up < 4; dir = path.dirname(dir), up++) {
    const candidate = path.join(dir, 'tests', 'e2e', 'childproc', 'childproc.exe');
    if (fs.existsSync(candidate)) return candidate;
  }
  return null;
}

test('a pause stops at once during a Sleep, a WinWait, a RunWait and a message box; what the script waits for; stop ends the runner', runs, async (t) => {
  {
    const { dc, start, has, read } = await session(t, [
      'FileAppend, asleep\\n, sleep.txt',  // 1
      'Sleep, 20000',                     // 2
      'FileAppend, awake\\n, sleep.txt',   // 3
    ]);
    await start([]);
    await until(() => has('sleep.txt'), 'the script started');
    // Held on line 3 is held in the Sleep: line 2 has run.
    assert.strictEqual((await pauseUntil(dc, (frames) => frames[0].line === 3))[0].line, 3);
    assert.strictEqual(read('sleep.txt'), 'asleep\n');
    const ended = dc.waitForEvent('terminated');
    await dc.terminateRequest({});
    await ended;
    assert.strictEqual(read('sleep.txt'), 'asleep\n');
  }
  {
    const { dc, start } = await session(t, [
      'SplashTextOn, 300, 80, Kestro Targex, one character off',
      'WinWait, Kestro Target, , 60',
      'FileAppend, never\\n, never.txt',
    ]);
    await start([]);
    const frames = await pauseUntil(dc, (f) => /^WinWait, Kestro Target \u2014 \d+\.\d s of 60 s$/.test(f[0].name));
    assert.match(frames[0].name, /^WinWait, Kestro Target \u2014 \d+\.\d s of 60 s$/);
    assert.strictEqual(frames[0].line, 2);
    const waiting = await variables(dc, 'Waiting for');
    assert.strictEqual(waiting.Title, 'Kestro Target');
    assert.strictEqual(waiting['Match mode'], '1 (title starts with)');
    assert.strictEqual(waiting['Matches now'], 'no');
    assert.match(waiting['Closest 1'], /^"Kestro Targex" \(class .*\) \(1 character off\)$/);
    const ended = dc.waitForEvent('terminated');
    await dc.terminateRequest({});
    await ended;
  }
  const childproc = findChildproc();
  if (!childproc) return t.diagnostic('no childproc.exe in the runner\'s build tree: RunWait and the box left out');
  {
    process.env.KESTRO_CHILDPROC = process.platform === 'win32' ? childproc : 'Z:' + childproc.replace(/\//g, '\\');
    const { dc, start } = await session(t, [
      'RunWait, %KESTRO_CHILDPROC% --sleep 3000 --text done', // 1
      'MsgBox, 0, Kestro Box, held',                          // 2
      'FileAppend, never\\n, never.txt',                      // 3
    ]);
    await start([]);
    let frames = await pauseUntil(dc, (f) => /^RunWait\b/.test(f[0].name));
    assert.match(frames[0].name, /^RunWait, \S*childproc\.exe --sleep 3000 --text done \u2014 \d+\.\d s$/);
    assert.strictEqual(frames[0].line, 1);
    let waiting = await variables(dc, 'Waiting for');
    assert.match(waiting.Command, /childproc\.exe --sleep 3000 --text done$/);
    assert.match(waiting.Waiting, /^\d+\.\d s$/);
    await dc.continueRequest({ threadId: 1 });
    // The box cannot be answered here: the session is stopped while it is up.
    frames = await pauseUntil(dc, (f) => /^MsgBox\b/.test(f[0].name));
    assert.match(frames[0].name, /^MsgBox\b.* \u2014 \d+\.\d s$/);
    assert.strictEqual(frames[0].line, 2);
    waiting = await variables(dc, 'Waiting for');
    assert.strictEqual(waiting.Command, 'MsgBox, 0, Kestro Box, held');
    // The runner ends by itself with the box up, well before the adapter would end it.
    const ended = dc.waitForEvent('terminated');
    const asked = Date.now();
    await dc.terminateRequest({});
    await ended;
    assert.ok(Date.now() - asked < 4000, `the stop took ${Date.now() - asked} ms`);
  }
});

test('a script error stops as an exception with the runner\'s message; continuing ends the script', runs, async (t) => {
  const { dc, start } = await session(t, ['SetEnv, X, 1', 'Bogus, x', 'SetEnv, X, 2']);
  await start([]);
  const event = await dc.nextStop();
  assert.strictEqual(event.body.reason, 'exception');
  assert.strictEqual(event.body.text, 'Error: Invalid command!');
  const info = await dc.exceptionInfoRequest({ threadId: 1 });
  assert.strictEqual(info.body.description, 'Error: Invalid command!');
  assert.strictEqual((await dc.stackTraceRequest({ threadId: 1 })).body.stackFrames[0].line, 2);
  const ended = dc.waitForEvent('terminated');
  await dc.continueRequest({ threadId: 1 });
  await ended;
});

test('a runner that dies mid-session ends the session with a message', runs, async (t) => {
  const { dc, start, output } = await session(t, ['Sleep, 300', 'RunWait, taskkill /f /im debugged.exe', 'Sleep, 60000']);
  const ended = dc.waitForEvent('terminated');
  await start([]);
  await ended;
  assert.ok(output.some((o) => /ended unexpectedly/.test(o)), output.join(''));
});
