// Tokenises script text with the committed grammar the way VS Code does
// (vscode-textmate over the Oniguruma regex engine), for the grammar tests.
'use strict';

const fs = require('fs');
const path = require('path');
const vsctm = require('vscode-textmate');
const oniguruma = require('vscode-oniguruma');

const GRAMMAR = path.join(__dirname, '..', 'syntaxes', 'kestro.tmLanguage.json');

let loading;

function loadGrammar() {
  if (!loading) {
    const wasm = fs.readFileSync(require.resolve('vscode-oniguruma/release/onig.wasm'));
    const onigLib = oniguruma
        .loadWASM(wasm.buffer.slice(wasm.byteOffset, wasm.byteOffset + wasm.byteLength))
        .then(() => ({
          createOnigScanner: (patterns) => new oniguruma.OnigScanner(patterns),
          createOnigString: (text) => new oniguruma.OnigString(text),
        }));
    const registry = new vsctm.Registry({
      onigLib,
      loadGrammar: async (scopeName) => scopeName === 'source.kestro'
          ? vsctm.parseRawGrammar(fs.readFileSync(GRAMMAR, 'utf8'), GRAMMAR)
          : null,
    });
    loading = registry.loadGrammar('source.kestro');
  }
  return loading;
}

// The lines of a script, each {text, tokens: [{start, end, text, scopes}]}.
async function tokenize(script) {
  const grammar = await loadGrammar();
  let state = vsctm.INITIAL;
  return script.split('\n').map((text) => {
    const result = grammar.tokenizeLine(text, state, 1000);
    if (result.stoppedEarly) throw new Error('tokenising stopped early on: ' + text);
    state = result.ruleStack;
    const tokens = result.tokens.map((t) => ({
      start: t.startIndex,
      end: Math.min(t.endIndex, text.length),
      text: text.slice(t.startIndex, t.endIndex),
      scopes: t.scopes,
    }));
    return { text, tokens };
  });
}

// The scopes that every token covering a piece of a line carries. The piece is
// the first occurrence of needle at or after position from.
function scopesOf(line, needle, from = 0) {
  const at = line.text.indexOf(needle, from);
  if (at < 0) throw new Error(`"${needle}" is not in the line "${line.text}"`);
  const covering = line.tokens.filter((t) => t.start < at + needle.length && t.end > at);
  return covering
      .map((t) => t.scopes)
      .reduce((common, scopes) => common.filter((s) => scopes.includes(s)));
}

module.exports = { tokenize, scopesOf };
