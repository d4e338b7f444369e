// Renders a script as an HTML page coloured by the grammar's scopes, with a
// dark theme close to VS Code's default, for the picture in docs/editor.md:
//   node render-html.js SCRIPT.kst > page.html
'use strict';

const fs = require('fs');
const { tokenize } = require('./tokenize');

// The most specific rule wins: a longer scope prefix, then the inner scope.
const COLOURS = [
  ['comment', '#6a9955'],
  ['keyword.control', '#c586c0'],
  ['keyword.operator', '#d16969'],
  ['support.function', '#dcdcaa'],
  ['entity.name.label', '#4ec9b0'],
  ['variable.other', '#9cdcfe'],
  ['constant.character.escape', '#d7ba7d'],
  ['constant.character.escape.dropped', '#d7ba7d; text-decoration: underline wavy #cca700'],
  ['constant.numeric', '#b5cea8'],
  ['constant.language', '#569cd6'],
  ['constant.character', '#ce9178'],
  ['punctuation.separator', '#808080'],
  ['invalid', '#f44747'],
];

function colourOf(scopes) {
  for (let i = scopes.length - 1; i >= 0; --i) {
    let best = null;
    for (const [prefix, colour] of COLOURS) {
      if ((scopes[i] === prefix || scopes[i].startsWith(prefix + '.')) && (!best || prefix.length > best[0].length)) {
        best = [prefix, colour];
      }
    }
    if (best) return best[1];
  }
  return null;
}

const escapeHtml = (text) => text.replace(/&/g, '&amp;').replace(/</g, '&lt;').replace(/>/g, '&gt;');

async function main() {
  const text = fs.readFileSync(process.argv[2], 'utf8').replace(/\r\n?/g, '\n').replace(/\n$/, '');
  const lines = await tokenize(text);
  const rows = lines.map((line, n) => {
    const spans = line.tokens.map((t) => {
      const colour = colourOf(t.scopes);
      const html = escapeHtml(t.text);
      return colour ? `<span style="color: ${colour}">${html}</span>` : html;
    }).join('');
    return `<div><span class="n">${n + 1}</span>${spans}</div>`;
  });
  process.stdout.write(`<!DOCTYPE html>
<html><head><meta charset="utf-8"><style>
body { margin: 0; background: #1e1e1e; color: #d4d4d4; font: 15px/22px "DejaVu Sans Mono", monospace; }
pre { margin: 0; padding: 12px 16px; white-space: pre; }
.n { display: inline-block; width: 2.5em; margin-right: 1.5em; text-align: right; color: #858585; }
</style></head><body><pre>${rows.join('')}</pre></body></html>
`);
}

main();
