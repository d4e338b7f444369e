// The grammar as VS Code applies it: each construct of a script gets its scope,
// and text that only looks like one does not.
'use strict';

const test = require('node:test');
const assert = require('node:assert');
const fs = require('fs');
const path = require('path');
const { tokenize, scopesOf } = require('./tokenize');

const ROOT = path.join(__dirname, '..', '..', '..');

// Asserts that a piece of a line carries a scope (exactly, or as a prefix ending in ".").
function has(line, needle, scope, from) {
  const scopes = scopesOf(line, needle, from);
  const found = scope.endsWith('.') ? scopes.some((s) => s.startsWith(scope)) : scopes.includes(scope);
  assert.ok(found, `"${needle}" in "${line.text}" should be ${scope}, is ${scopes.join(' ')}`);
}

function lacks(line, needle, scope, from) {
  const scopes = scopesOf(line, needle, from);
  assert.ok(!scopes.some((s) => s.startsWith(scope)),
            `"${needle}" in "${line.text}" should not be ${scope}, is ${scopes.join(' ')}`);
}

// The commands of the runner's table: keyword, spelling and form.
function tableCommands() {
  const table = fs.readFileSync(path.join(ROOT, 'script', 'command_list.h'), 'utf8');
  return [...table.matchAll(/^KST_COMMAND\((\w+),\s*"(\w+)",\s*(\w+)/gm)]
    .map((m) => ({ keyword: m[1], spelling: m[2], form: m[3] }));
}

// The flow commands, from the runner's one list of them (script/flow_keywords.cpp).
function flowCommands() {
  const source = fs.readFileSync(path.join(ROOT, 'script', 'flow_keywords.cpp'), 'utf8');
  const list = source.match(/kFlowCommands\[\] = \{([^;]*)\};/);
  assert.ok(list, 'script/flow_keywords.cpp holds no kFlowCommands list');
  return [...list[1].matchAll(/\{CMD_(\w+),/g)].map((m) => m[1]);
}

// A keyword written as people do: first letter of each word upper, or all mixed up.
function mixedCase(word) {
  return [...word].map((c, i) => (i % 2 ? c.toLowerCase() : c)).join('');
}

test('every command of the table is a keyword in any letter case', async () => {
  const flow = flowCommands();
  const commands = tableCommands();
  assert.ok(flow.length > 0 && flow.every((k) => commands.some((c) => c.keyword === k)), flow.join());
  assert.strictEqual(commands.length, 73);
  for (const { keyword, spelling, form } of commands) {
    const scope = form === 'kTailFields' ? 'keyword.control.conditional.kestro'
                : flow.includes(keyword) ? 'keyword.control.flow.kestro' : 'support.function.kestro';
    for (const written of [keyword, spelling, keyword.toLowerCase(), mixedCase(keyword)]) {
      const lines = await tokenize(`${written}, x\n  ${written}\n${written} , x`);
      lines.forEach((line) => has(line, written, scope));
    }
  }
});

test('a line that is not a command has no keyword', async () => {
  const lines = await tokenize('Sleep 500\nWinWiat, x\nSleepy, 1\nHello world\n, x');
  for (const line of lines) {
    for (const token of line.tokens) {
      assert.ok(!token.scopes.some((s) => s.startsWith('keyword') || s.startsWith('support')),
                `"${token.text}" in "${line.text}" is ${token.scopes.join(' ')}`);
    }
  }
});

test('comments are lines whose first non-blank character is ";"', async () => {
  const [whole, indented, later] = await tokenize('; a note\n \t; indented\nSleep, 1 ; not a note');
  has(whole, '; a note', 'comment.line.semicolon.kestro');
  has(indented, '; indented', 'comment.line.semicolon.kestro');
  lacks(later, '; not a note', 'comment');
  has(later, 'Sleep', 'support.function.kestro');
});

test('a label is a line of its own ending in ":"', async () => {
  const [plain, spaced, withNote, withText, target] =
      await tokenize('Start:\n  Main loop:\nStart: ; note\nStart:, x\nGoto, Main loop');
  has(plain, 'Start:', 'entity.name.label.kestro');
  has(spaced, 'Main loop:', 'entity.name.label.kestro');
  lacks(withNote, 'Start:', 'entity.name.label');
  lacks(withText, 'Start:', 'entity.name.label');
  has(target, 'Main loop', 'entity.name.label.kestro');
});

test('[ADLIB] in any case starts a section of title, text, command lines', async () => {
  const lines = await tokenize([
    'Sleep, 1',
    '[Adlib]',
    '; handlers',
    'Replace File, , Send, {ENTER}',
    'Sleep\\, Title, Exit, WinClose, Setup Error',
    'Handler:',
    'WinClose, x',
    '[ADLIB] again',
  ].join('\n'));
  const [, marker, note, replace, escaped, handler, short, again] = lines;
  has(marker, '[Adlib]', 'keyword.control.adlib.kestro');
  has(note, '; handlers', 'comment.line.semicolon.kestro');
  lacks(replace, 'Replace File', 'support');
  has(replace, ',', 'punctuation.separator.kestro');
  has(replace, 'Send', 'support.function.kestro');
  has(replace, 'ENTER', 'constant.language.key.kestro');
  // The title and text are window names, even when they read like keywords.
  lacks(escaped, 'Sleep', 'support');
  lacks(escaped, 'Exit', 'keyword');
  has(escaped, '\\,', 'constant.character.escape.kestro');
  has(escaped, 'WinClose', 'support.function.kestro');
  // A label or a line with fewer than two commas is no Adlib line.
  lacks(handler, 'Handler:', 'entity.name.label');
  lacks(short, 'WinClose', 'support');
  has(again, '[ADLIB]', 'keyword.control.adlib.kestro');
  lines.slice(2).forEach((line) => has(line, line.text.slice(0, 3), 'meta.section.adlib.kestro'));
});

test('a condition runs the rest of its line as a command', async () => {
  const [win, nested, field, missing, escaped] = await tokenize([
    'IfWinExist, Save As, , WinActivate, Save As',
    'ifequal, a, 1, IFLESS, b, 2, goto, Done',
    'IfEqual, Sleep, Exit, Exit',
    'IfEqual, x',
    'IfExist, C:\\\\a\\,b.txt, Run, notepad',
  ].join('\n'));
  has(win, 'IfWinExist', 'keyword.control.conditional.kestro');
  lacks(win, 'Save As', 'support');
  has(win, 'WinActivate', 'support.function.kestro');
  has(nested, 'IFLESS', 'keyword.control.conditional.kestro');
  has(nested, 'goto', 'keyword.control.flow.kestro');
  has(nested, 'Done', 'entity.name.label.kestro');
  // The condition's own fields are text: the tail starts after its last field.
  lacks(field, 'Sleep', 'support');
  has(field, 'Exit', 'keyword.control.flow.kestro', field.text.lastIndexOf('Exit'));
  lacks(field, 'Exit', 'keyword');
  has(missing, 'IfEqual', 'keyword.control.conditional.kestro');
  has(escaped, '\\,', 'constant.character.escape.kestro');
  has(escaped, 'Run', 'support.function.kestro');
});

test('only commas that end a field are separators', async () => {
  const [box, send, move] =
      await tokenize('MsgBox, 0, Title, a, b\nSend, Dear Sir, thanks\nWinMove, A, , 0, 0, default, 400');
  const separators = (line) => line.tokens.filter((t) => t.scopes.includes('punctuation.separator.kestro'));
  assert.deepStrictEqual(separators(box).map((t) => t.start), [6, 9, 16]);
  assert.deepStrictEqual(separators(send).map((t) => t.start), [4]);
  assert.strictEqual(separators(move).length, 6);
  has(box, '0', 'constant.numeric.kestro');
  has(move, 'default', 'constant.language.default.kestro');
  has(move, '400', 'constant.numeric.kestro');
});

test('references and escapes', async () => {
  const [refs, escapes, dropped, unclosed] = await tokenize([
    'FileAppend, %A_HOUR%:%A_MIN%, %A_SCRIPTDIR%log.txt',
    'Send, 50\\% a\\,b\\n\\r\\t\\\\%x%',
    'Run, C:\\Tools\\app.exe',
    'Send, 50% off',
  ].join('\n'));
  has(refs, '%A_HOUR%', 'variable.other.kestro');
  has(refs, '%A_MIN%', 'variable.other.kestro');
  has(refs, '%A_SCRIPTDIR%', 'variable.other.kestro');
  lacks(refs, ':', 'variable');
  for (const escape of ['\\%', '\\,', '\\n', '\\r', '\\t', '\\\\']) {
    has(escapes, escape, 'constant.character.escape.kestro');
  }
  // After \\ the % starts a reference; after \% it does not.
  has(escapes, '%x%', 'variable.other.kestro');
  lacks(escapes, '% a', 'variable');
  has(dropped, '\\T', 'constant.character.escape.dropped.kestro');
  has(unclosed, '%', 'invalid.illegal.reference.kestro');
});

test('Send colours the key names it knows, in braces and any case', async () => {
  const source = fs.readFileSync(path.join(ROOT, 'script', 'key_scan.cpp'), 'utf8');
  const table = source.slice(source.indexOf('kKeyNames[] = {'), source.indexOf('};', source.indexOf('kKeyNames[] = {')));
  const names = [...table.matchAll(/\{"(\w+)",/g)].map((m) => m[1]);
  assert.strictEqual(names.length, 63);
  const lines = await tokenize(names.map((n) => `Send, a{${n.toLowerCase()}}{${n} 2}`).join('\n'));
  lines.forEach((line, i) => {
    has(line, names[i].toLowerCase(), 'constant.language.key.kestro', line.text.indexOf('{'));
    has(line, names[i], 'constant.language.key.kestro', line.text.lastIndexOf('{'));
    has(line, '2', 'constant.numeric.kestro', line.text.lastIndexOf(' '));
    lacks(line, 'a{', 'constant');
  });
});

test('Send leaves unknown names plain and marks prefixes and braced characters', async () => {
  const [send, other] = await tokenize('Send, ^+s{ENTR}{!}{}}#x{ENTER\nMsgBox, 0, T, {ENTER}^s');
  lacks(send, 'ENTR', 'constant.language.key');
  lacks(send, '{ENTER', 'constant.language.key', send.text.lastIndexOf('{'));
  has(send, '^', 'keyword.operator.modifier.kestro');
  has(send, '+', 'keyword.operator.modifier.kestro');
  has(send, '#', 'keyword.operator.modifier.kestro');
  has(send, '{!}', 'constant.character.kestro');
  has(send, '{}}', 'constant.character.kestro');
  // Only Send types keys: the same text elsewhere is plain.
  lacks(other, 'ENTER', 'constant.language.key');
  lacks(other, '^', 'keyword.operator');
});
