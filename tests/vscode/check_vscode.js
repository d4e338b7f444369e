#!/usr/bin/env node
// The Kestro extension as users install it: the packed .vsix goes into a fresh code-server
// profile, and Debian's Chromium, driven by playwright-core, checks what a user sees: a .kst
// opens as Kestro with coloured words, a mistake saved in the file is listed in Problems at
// its line and column, and fixing it clears the entry. With a debugging runner (run inside
// tools/wine-session.sh, whose KESTRO_WINE is the loader): a breakpoint set in the gutter, F5,
// the paused line and its variables, a window command's "Waiting for" scope, and Continue
// running the script to its end.
//
//   node check_vscode.js --code-server BIN --vsix FILE --packer KESTRO-PACK
//                        --playwright DIR [--chromium /usr/bin/chromium] [--shots DIR]
//                        [--debug-runner KESTRO-DEBUG.EXE]
//
// Prints one PASS or FAIL line per check and "N passed, N failed". Every wait is bounded;
// code-server, its extension hosts and the browser are ended before it exits.
'use strict';

const childProcess = require('child_process');
const fs = require('fs');
const net = require('net');
const os = require('os');
const path = require('path');

const STEP_MS = 30000;      // any one thing the page must show
const START_MS = 90000;     // code-server answering, the workbench loaded

function options() {
  const opts = { chromium: '/usr/bin/chromium' };
  const argv = process.argv.slice(2);
  for (let i = 0; i < argv.length; i += 2) {
    const name = argv[i].replace(/^--/, '').replace(/-(.)/g, (_, c) => c.toUpperCase());
    opts[name] = argv[i + 1];
  }
  for (const need of ['codeServer', 'vsix', 'packer', 'playwright']) {
    if (!opts[need]) {
      console.error('usage: check_vscode.js --code-server BIN --vsix FILE --packer KESTRO-PACK --playwright DIR');
      process.exit(2);
    }
  }
  return opts;
}

let passed = 0;
let failed = 0;
function check(name, problem) {
  if (problem) {
    failed += 1;
    console.log(`FAIL ${name}: ${problem}`);
  } else {
    passed += 1;
    console.log(`PASS ${name}`);
  }
}

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// Polls fn until it returns something truthy; resolves with that, or with null after ms.
async function until(fn, ms) {
  const end = Date.now() + ms;
  for (;;) {
    let value = null;
    try { value = await fn(); } catch (e) { value = null; }
    if (value) return value;
    if (Date.now() > end) return null;
    await sleep(250);
  }
}

function freePort() {
  return new Promise((resolve, reject) => {
    const server = net.createServer();
    server.listen(0, '127.0.0.1', () => {
      const { port } = server.address();
      server.close(() => resolve(port));
    });
    server.on('error', reject);
  });
}

// Every process below pid, read from /proc (extension hosts may leave the process group).
function descendants(pid) {
  const children = new Map();
  for (const entry of fs.readdirSync('/proc')) {
    if (!/^\d+$/.test(entry)) continue;
    let stat;
    try { stat = fs.readFileSync(`/proc/${entry}/stat`, 'utf8'); } catch (e) { continue; }
    const ppid = Number(stat.slice(stat.lastIndexOf(')') + 2).split(' ')[1]);
    if (!children.has(ppid)) children.set(ppid, []);
    children.get(ppid).push(Number(entry));
  }
  const found = [];
  const walk = (p) => (children.get(p) || []).forEach((c) => { found.push(c); walk(c); });
  walk(pid);
  return found;
}

function alive(pid) {
  try { process.kill(pid, 0); return true; } catch (e) { return false; }
}

// Ends code-server and everything it started, and waits until they are all gone.
async function stopTree(pid) {
  const tree = [pid, ...descendants(pid)];
  const signal = (sig) => {
    try { process.kill(-pid, sig); } catch (e) { /* the group is gone */ }
    for (const p of tree) { try { process.kill(p, sig); } catch (e) { /* gone */ } }
  };
  signal('SIGTERM');
  if (await until(() => !tree.some(alive), 15000)) return true;
  signal('SIGKILL');
  return Boolean(await until(() => !tree.some(alive), 5000));
}

function run(command, args, ms) {
  const result = childProcess.spawnSync(command, args, { encoding: 'utf8', timeout: ms });
  return result.status === 0 ? null
      : `${path.basename(command)} exited ${result.status}${result.error ? ` (${result.error.message})` : ''}: ${(result.stderr || result.stdout || '').trim().slice(-400)}`;
}

async function main() {
  const opts = options();
  const { chromium } = require(path.join(path.resolve(opts.playwright), 'playwright-core'));
  const home = fs.mkdtempSync(path.join(os.tmpdir(), 'kestro-vscode.'));
  const userData = path.join(home, 'user-data');
  const extensions = path.join(home, 'extensions');
  const project = path.join(home, 'project');
  const script = path.join(project, 'hello.kst');
  fs.mkdirSync(path.join(userData, 'User'), { recursive: true });
  fs.mkdirSync(project);
  fs.writeFileSync(script, '; Greets, then waits for Notepad.\nMsgBox, 0, Greeting, Hello %A_USERNAME%\n');
  const debugged = path.join(project, 'debugged.kst');
  fs.writeFileSync(debugged, [
    '; Debugged in code-server: a breakpoint, its variables, a wait.',
    'SetEnv, GREETING, hello from the debugger',
    'SplashTextOn, 300, 80, Kestro Targex, one character off',
    'WinWait, Kestro Target, , 2',
    'FileAppend, %GREETING%\\n, debugged.txt',
  ].join('\r\n') + '\r\n');
  // A fresh profile that asks nothing, and completes nothing while the test types.
  fs.writeFileSync(path.join(userData, 'User', 'settings.json'), JSON.stringify({
    'kestro.packerPath': path.resolve(opts.packer),
    'kestro.debugRunnerPath': opts.debugRunner ? path.resolve(opts.debugRunner) : '',
    'kestro.loader': process.env.KESTRO_WINE || 'wine',
    'debug.openDebug': 'openOnDebugBreak',
    'editor.acceptSuggestionOnEnter': 'off',
    'editor.quickSuggestions': { other: false, comments: false, strings: false },
    'editor.suggestOnTriggerCharacters': false,
    'editor.wordBasedSuggestions': 'off',
    'files.autoSave': 'off',
    'security.workspace.trust.enabled': false,
    'workbench.startupEditor': 'none',
    'workbench.tips.enabled': false,
    'telemetry.telemetryLevel': 'off',
    'update.mode': 'none',
    'extensions.autoCheckUpdates': false,
    'extensions.autoUpdate': false,
  }, null, 2));

  const profile = ['--user-data-dir', userData, '--extensions-dir', extensions];
  const installed = run(opts.codeServer, [...profile, '--install-extension', path.resolve(opts.vsix)], 120000);
  const listed = installed ? '' : childProcess.spawnSync(opts.codeServer, [...profile, '--list-extensions', '--show-versions'],
                                                         { encoding: 'utf8', timeout: 60000 }).stdout || '';
  check('the .vsix installs into a fresh code-server profile', installed ||
        (/^kestro\.kestro@/m.test(listed) ? null : `installed extensions: ${listed.trim() || 'none'}`));
  if (installed) return;

  const port = await freePort();
  const log = fs.openSync(path.join(home, 'code-server.log'), 'w');
  const server = childProcess.spawn(opts.codeServer, [...profile, '--auth', 'none',
    '--bind-addr', `127.0.0.1:${port}`, '--disable-telemetry', '--disable-update-check',
    '--disable-workspace-trust', '--disable-getting-started-override', '--ignore-last-opened',
    project], { detached: true, stdio: ['ignore', log, log] });
  let browser = null;
  try {
    const up = await until(() => new Promise((resolve) => {
      const socket = net.connect(port, '127.0.0.1', () => { socket.end(); resolve(true); });
      socket.on('error', () => resolve(false));
    }), START_MS);
    check('code-server answers', up ? null : `nothing on port ${port} after ${START_MS / 1000}s`);
    if (!up) return;

    const root = process.getuid && process.getuid() === 0;
    browser = await chromium.launch({
      executablePath: opts.chromium, headless: true, timeout: START_MS,
      // Chromium's own background traffic has nowhere to go here; as root it needs no sandbox.
      args: ['--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
             '--disable-component-update', '--disable-sync', ...(root ? ['--no-sandbox'] : [])],
    });
    const page = await browser.newPage({ viewport: { width: 1280, height: 800 } });
    page.setDefaultTimeout(STEP_MS);
    await page.goto(`http://127.0.0.1:${port}/?folder=${encodeURIComponent(project)}`,
                    { timeout: START_MS });
    await page.waitForSelector('.monaco-workbench .part.statusbar', { timeout: START_MS });

    // Open the script by name, as a user does with Quick Open.
    await until(async () => {
      await page.keyboard.press('Control+P');
      await page.waitForSelector('.quick-input-widget input', { state: 'visible', timeout: 3000 });
      return true;
    }, STEP_MS);
    await page.keyboard.type('hello.kst');
    await until(() => page.$('.quick-input-list .monaco-list-row'), STEP_MS);
    await page.keyboard.press('Enter');
    const mode = await until(async () => {
      const text = await page.textContent('[id="status.editor.mode"]', { timeout: 1000 });
      return text && text.trim() === 'Kestro' ? text.trim() : null;
    }, STEP_MS);
    check('a .kst file opens as Kestro', mode ? null :
          `the status bar's language is ${JSON.stringify(await page.textContent('[id="status.editor.mode"]').catch(() => null))}`);

    // Colours: the command and the comment each get a colour of their own, not the text's.
    const colours = await until(() => page.evaluate(() => {
      const spans = [...document.querySelectorAll('.monaco-editor .view-line span span')]
        .filter((s) => /\bmtk\d+\b/.test(s.className));
      const colourOf = (re) => {
        // The editor writes spaces as no-break spaces.
        const span = spans.find((s) => re.test(s.textContent.replace(/\u00a0/g, ' ')));
        return span ? getComputedStyle(span).color : null;
      };
      const result = { command: colourOf(/^MsgBox$/), comment: colourOf(/^; Greets/),
                       variable: colourOf(/%A_USERNAME%/), text: colourOf(/Greeting/) };
      return result.command && result.comment && result.text ? result : null;
    }), STEP_MS);
    let problem = colours ? null : `the editor's words: ${JSON.stringify(await page.evaluate(() =>
      [...document.querySelectorAll('.monaco-editor .view-line span span')].slice(0, 12)
        .map((s) => `${s.className}:${s.textContent}`)))}`;
    if (colours) {
      const distinct = new Set([colours.command, colours.comment, colours.text]);
      if (distinct.size !== 3) problem = `colours ${JSON.stringify(colours)}`;
    }
    check('the command, the comment and the plain text are coloured apart', problem);
    if (opts.shots) {
      fs.mkdirSync(opts.shots, { recursive: true });
      await page.screenshot({ path: path.join(opts.shots, 'vscode-colours.png') });
    }

    // A misspelt command, typed and saved: the checker's finding at line 3, column 1.
    await page.click('.monaco-editor .view-lines');
    await page.keyboard.press('Control+End');   // the empty line 3 after the file's last line feed
    await page.keyboard.type('WinWiat, Notepad');
    await page.keyboard.press('Escape');
    await page.keyboard.press('Control+S');
    const saved = await until(() => fs.readFileSync(script, 'utf8').includes('WinWiat, Notepad'), STEP_MS);
    check('the typed line is saved', saved ? null : JSON.stringify(fs.readFileSync(script, 'utf8')));
    await page.keyboard.press('Control+Shift+M');
    const problems = () => page.evaluate(() => {
      const panel = document.querySelector('.markers-panel');
      return panel ? panel.innerText : null;
    });
    const listedProblem = await until(async () => {
      const text = await problems();
      return text && /Invalid command!/.test(text) && /\[Ln 3, Col 1\]/.test(text) ? text : null;
    }, STEP_MS);
    check('the saved mistake is listed in Problems at line 3, column 1',
          listedProblem ? null : `Problems shows ${JSON.stringify(await problems())}`);
    const squiggle = await page.$('.monaco-editor .squiggly-error');
    check('the mistake is underlined in the editor', squiggle ? null : 'no error underline');
    if (opts.shots) await page.screenshot({ path: path.join(opts.shots, 'vscode-problem.png') });

    // Fixed and saved: the entry goes.
    await page.click('.monaco-editor .view-lines');
    await page.keyboard.press('Control+End');
    await page.keyboard.press('Home');
    await page.keyboard.press('Shift+End');
    await page.keyboard.type('WinWait, Notepad');
    await page.keyboard.press('Escape');
    await page.keyboard.press('Control+S');
    const fixed = await until(() => /\nWinWait, Notepad$/.test(fs.readFileSync(script, 'utf8')), STEP_MS);
    const cleared = fixed && await until(async () => {
      const text = await problems();
      return text !== null && !/Invalid command!/.test(text);
    }, STEP_MS);
    check('fixing the mistake and saving clears it from Problems', cleared ? null :
          `file ${JSON.stringify(fs.readFileSync(script, 'utf8'))}, Problems ${JSON.stringify(await problems())}`);

    // A mistake after Japanese text and an emoji: the checker counts characters,
    // the editor UTF-16 units (the emoji is two), so the "%" is at column 14.
    const unicodeLine = 'Send, \u65e5\u672c\u{1F600} 50%';
    await page.click('.monaco-editor .view-lines');
    await page.keyboard.press('Control+End');
    await page.keyboard.press('End');
    await page.keyboard.press('Enter');
    await page.keyboard.type(unicodeLine);
    await page.keyboard.press('Delete');  // the "%" the editor closed by itself, if it did
    await page.keyboard.press('Escape');
    await page.keyboard.press('Control+S');
    await until(() => fs.readFileSync(script, 'utf8').includes(unicodeLine), STEP_MS);
    const unicodeProblem = await until(async () => {
      const text = await problems();
      return text && /Incorrectly formatted ENV string!/.test(text) && /\[Ln 4, Col 14\]/.test(text)
        ? text : null;
    }, STEP_MS);
    check('a mistake after Japanese text and an emoji is listed at its character',
          unicodeProblem ? null : `file ${JSON.stringify(fs.readFileSync(script, 'utf8'))}, ` +
          `Problems ${JSON.stringify(await problems())}`);

    if (opts.debugRunner) await debugSession(page, opts, project);
  } catch (e) {
    check('the browser session', e && e.stack ? e.stack.split('\n').slice(0, 3).join(' ') : String(e));
  } finally {
    if (browser) await Promise.race([browser.close().catch(() => {}), sleep(15000)]);
    const stopped = await stopTree(server.pid);
    check('code-server and its extension hosts end', stopped ? null : 'processes left after SIGKILL');
    fs.closeSync(log);
    if (failed) {
      console.log(`(code-server's log: ${path.join(home, 'code-server.log')})`);
    } else {
      fs.rmSync(home, { recursive: true, force: true });
    }
  }
}

// F5 on a script with breakpoints set in the gutter: the paused line, its variables, the
// "Waiting for" scope of the window command at the second breakpoint, then the end.
async function debugSession(page, opts, project) {
  const opened = await until(async () => {
    await page.click('.editor-instance .monaco-editor .view-lines');
    await page.keyboard.press('Control+P');
    await page.waitForSelector('.quick-input-widget input', { state: 'visible', timeout: 3000 });
    await page.keyboard.type('debugged.kst');
    // Enter takes the first row, which is a recently opened file until the search has
    // found the one typed: wait for that file's row to lead the list.
    const found = await until(() => page.evaluate(() => {
      const row = document.querySelector('.quick-input-list .monaco-list-row');
      return row !== null && row.textContent.includes('debugged.kst');
    }), 5000);
    if (!found) {
      await page.keyboard.press('Escape');
      return false;
    }
    await page.keyboard.press('Enter');
    return until(() => page.evaluate(() => [...document.querySelectorAll('.tab.active')]
      .some((t) => t.textContent.includes('debugged.kst'))), 5000);
  }, STEP_MS);
  check('the script to debug opens', opened ? null : 'Quick Open did not bring up debugged.kst');
  // The breakpoints: a click in the glyph margin, left of the line number.
  const gutter = async (line) => {
    const box = await until(() => page.evaluate((n) => {
      const number = [...document.querySelectorAll('.editor-instance .margin-view-overlays .line-numbers')]
        .find((e) => e.textContent.trim() === String(n));
      if (!number) return null;
      const r = number.getBoundingClientRect();
      return { y: r.top + r.height / 2 };
    }, line), STEP_MS);
    const margin = await page.evaluate(() => {
      const g = document.querySelector('.editor-instance .margin-view-overlays');
      const r = g.getBoundingClientRect();
      return { x: r.left + 8 };
    });
    await page.mouse.click(margin.x, box.y);
  };
  await gutter(3);
  await gutter(4);
  const marks = await until(async () => {
    const n = await page.evaluate(() => document.querySelectorAll('.editor-instance .codicon-debug-breakpoint').length);
    return n === 2 ? n : null;
  }, STEP_MS);
  check('two breakpoints are set in the gutter', marks ? null : 'no breakpoint marks in the glyph margin');

  const consoleErrors = [];
  page.on('console', (m) => { if (m.type() === 'error') consoleErrors.push(m.text().slice(0, 300)); });
  await page.click('.editor-instance .monaco-editor .view-lines');
  await page.keyboard.press('F5');
  if (opts.shots) {
    await sleep(5000);
    await page.screenshot({ path: path.join(opts.shots, 'debug-f5.png') });
  }
  // The paused line: the editor shows the top frame's mark and puts the cursor on its line.
  const pausedLine = () => page.evaluate(() => {
    if (!document.querySelector('.editor-instance .codicon-debug-stackframe')) return null;
    const active = document.querySelector('.editor-instance .line-numbers.active-line-number');
    return active ? Number(active.textContent.trim()) : null;
  });
  const sidebar = () => page.evaluate(() => {
    const bar = document.querySelector('.part.sidebar');
    return bar ? bar.innerText : '';
  });
  const first = await until(async () => (await pausedLine()) === 3, 120000);
  const said = () => page.evaluate(() => [...document.querySelectorAll(
    '.notification-list-item-message, .dialog-message-text, .repl-tree .monaco-list-row')]
    .map((e) => e.textContent).join(' | '));
  check('F5 stops at the breakpoint on line 3', first ? null :
        `paused line ${await pausedLine()}; notifications and console: ${JSON.stringify(await said())}; ` +
        `page errors: ${JSON.stringify(consoleErrors.slice(-5))}`);
  const value = await until(async () => /GREETING[\s\S]*hello from the debugger/.test(await sidebar()), STEP_MS);
  check('the Variables view shows the variable the script set', value ? null :
        `the side bar shows ${JSON.stringify((await sidebar()).slice(0, 400))}`);
  if (opts.shots) await page.screenshot({ path: path.join(opts.shots, 'debug-breakpoint.png') });

  await page.keyboard.press('F5');
  const second = await until(async () => (await pausedLine()) === 4, STEP_MS);
  check('Continue stops at the window command on line 4', second ? null : `paused line ${await pausedLine()}`);
  await until(async () => {
    const scope = await page.$('.debug-pane .monaco-list-row:has-text("Waiting for")');
    if (!scope) return false;
    if ((await sidebar()).includes('Closest 1')) return true;
    // A click toggles the scope: click only while it is closed, and give its variables,
    // which the adapter fetches when it opens, the next rounds to arrive.
    if ((await scope.getAttribute('aria-expanded')) !== 'true') await scope.click();
    return (await sidebar()).includes('Closest 1');
  }, STEP_MS);
  const waiting = await sidebar();
  check('the Waiting for scope shows the pattern and the window one character off',
        /Kestro Target/.test(waiting) && /Closest 1[\s\S]*Kestro Targex[\s\S]*1 character off/.test(waiting)
          ? null : `the side bar shows ${JSON.stringify(waiting.slice(0, 600))}`);
  if (opts.shots) await page.screenshot({ path: path.join(opts.shots, 'debug-waiting.png') });

  await page.keyboard.press('F5');
  const out = path.join(project, 'debugged.txt');
  const ended = await until(async () => fs.existsSync(out) &&
    !(await page.$('.debug-toolbar:visible')), 60000);
  check('Continue runs the script to its end', ended ? null :
        `${fs.existsSync(out) ? 'the debug toolbar stays' : 'the script wrote nothing'}`);
}

main().catch((e) => { check('the check script', e.stack || String(e)); })
  .finally(() => {
    console.log(`${passed} passed, ${failed} failed`);
    process.exit(failed ? 1 : 0);
  });
