// The debug adapter driven as any DAP client drives it, with the real debugging
// runner under Wine: breakpoints, variables, stepping through Gosub, a wait's
// "Waiting for" scope, a script error, stop, and a runner that dies.
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

// A debug session of a script whose lines are given; the client is stopped afterwards.
async function session(t, lines) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'kestro-dap-'));
  const program = path.join(dir, 'debugged.kst');
  fs.writeFileSync(program, lines.join('\r\n') + '\r\n');
  const dc = new DebugClient('node', ADAPTER, 'kestro');
  dc.defaultTimeout = BOUND_MS;
  await dc.start();
  t.after(async () => {
    await dc.stop().catch(() => {});
    fs.rmSync(dir, { recursive: true, force: true });
  });
  const output = [];
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
  // Launches with the breakpoints given ({line, condition, hitCondition, logMessage}).
  const start = async (breakpoints, extra) => {
    const configured = dc.waitForEvent('initialized').then(async () => {
      const set = await dc.setBreakpointsRequest({ source: { path: program }, breakpoints: breakpoints || [] });
      await dc.configurationDoneRequest();
      return set.body.breakpoints;
    });
    const [set] = await Promise.all([configured, dc.launch(Object.assign(
      { program, packer: PACKER, runner: RUNNER, loader: LOADER }, extra || {}))]);
    return set;
  };
  const read = (name) => fs.readFileSync(path.join(dir, name), 'utf8').replace(/\r\n/g, '\n');
  return { dc, start, read, output };
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

test('the script\'s arguments; stepping into a Gosub, out of it and over lines', runs, async (t) => {
  const { dc, start, read } = await session(t, [
    'Gosub, Sub',                      // 1
    'FileAppend, after\\n, steps.txt', // 2
    'Exit',                            // 3
    'Sub:',                            // 4
    'FileAppend, in\\n, steps.txt',    // 5
    'Return',                          // 6
  ]);
  await start([], { stopOnEntry: true, args: ['first arg', 'b'] });
  await stoppedAt(dc, 'entry', 1);
  assert.strictEqual((await dc.evaluateRequest({ expression: '%1%|%2%', context: 'repl' })).body.result, 'first arg|b');
  await dc.stepInRequest({ threadId: 1 });
  const frames = await stoppedAt(dc, 'step', 5);
  assert.deepStrictEqual(frames.map((f) => [f.name, f.line]), [['FileAppend, in\\n, steps.txt', 5], ['Sub', 1]]);
  await dc.stepOutRequest({ threadId: 1 });
  await stoppedAt(dc, 'step', 2);
  await dc.nextRequest({ threadId: 1 });
  await stoppedAt(dc, 'step', 3);
  assert.strictEqual(read('steps.txt'), 'in\nafter\n');
  const ended = dc.waitForEvent('terminated');
  await dc.continueRequest({ threadId: 1 });
  await ended;
});

test('a pause during a WinWait shows what it waits for and the closest title; stop ends the runner', runs, async (t) => {
  const { dc, start } = await session(t, [
    'SplashTextOn, 300, 80, Kestro Targex, one character off',
    'WinWait, Kestro Target, , 60',
    'FileAppend, never\\n, never.txt',
  ]);
  await start([]);
  let frames = [];
  for (let round = 0; round < 40; round++) {  // until the pause finds the wait going on
    await new Promise((resolve) => setTimeout(resolve, 250));
    await dc.pauseRequest({ threadId: 1 });
    frames = await stoppedAt(dc, 'pause');
    if (/^WinWait, Kestro Target \u2014 \d+\.\d s of 60 s$/.test(frames[0].name)) break;
    await dc.continueRequest({ threadId: 1 });
  }
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
