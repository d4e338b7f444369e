// Where the tools are and how a packed script is started: plain Node, so the
// tests load it without the editor.
'use strict';

const fs = require('fs');
const path = require('path');

// The program a setting names: "${workspaceFolder}" replaced, a relative path
// with a folder in it taken from the workspace folder, a bare name left for PATH.
function resolveTool(setting, workspaceDir) {
  let value = String(setting || '').trim();
  if (workspaceDir) value = value.split('${workspaceFolder}').join(workspaceDir);
  if (!value || path.isAbsolute(value) || !/[\\/]/.test(value) || !workspaceDir) return value;
  return path.join(workspaceDir, value);
}

// The full path of a program found on PATH, or null.
function findOnPath(name, env, platform) {
  const separator = platform === 'win32' ? ';' : ':';
  const suffixes = platform === 'win32' ? ['.exe', '.cmd', ''] : [''];
  for (const dir of String(env.PATH || '').split(separator)) {
    if (!dir) continue;
    for (const suffix of suffixes) {
      const candidate = path.join(dir, name + suffix);
      try {
        fs.accessSync(candidate, fs.constants.X_OK);
        if (fs.statSync(candidate).isFile()) return candidate;
      } catch (e) {
        // not here
      }
    }
  }
  return null;
}

// How to start a packed program: itself on Windows, under Wine elsewhere when
// Wine is there; {problem} otherwise.
function runPlan(exe, platform, wine) {
  if (platform === 'win32') return { command: exe, args: [] };
  if (wine) return { command: wine, args: [exe] };
  return { problem: 'A packed Kestro script needs Windows to run (or Wine, which is not on PATH).' };
}

// The program `kestro-pack build SCRIPT` writes: the script's path ending in .exe.
function packedPath(script) {
  const parsed = path.parse(script);
  return path.join(parsed.dir, parsed.name + '.exe');
}

// Fills a debug configuration the way F5 needs it: with no launch.json the
// open script is debugged; packer, runner and loader come from the settings
// when the configuration leaves them out. The debugging runner defaults to
// kestro-debug.exe beside the packer, or in ../share/kestro/ from its folder.
// Returns the configuration, or {problem} when there is no script to debug.
function debugConfiguration(config, tools, openScript, env, platform) {
  const filled = Object.assign({}, config);
  if (!filled.program) {
    if (!openScript) return { problem: filled.request ? 'Name the script to debug in "program".' : 'Open a .kst script to debug it.' };
    filled.program = openScript;
  }
  // F5 with no launch.json hands over nothing, or only the type.
  filled.type = filled.type || 'kestro';
  filled.request = filled.request || 'launch';
  filled.name = filled.name || 'Debug Kestro script';
  if (filled.packer === undefined) filled.packer = tools.packer;
  if (filled.runner === undefined) {
    filled.runner = tools.debugRunner;
    if (!filled.runner) {
      const packer = path.isAbsolute(tools.packer) ? tools.packer : findOnPath(tools.packer, env, platform);
      const dir = packer ? path.dirname(packer) : null;
      const candidates = dir ? [path.join(dir, 'kestro-debug.exe'),
        path.join(dir, '..', 'share', 'kestro', 'kestro-debug.exe')] : [];
      filled.runner = candidates.find((c) => fs.existsSync(c)) || 'kestro-debug.exe';
    }
  }
  if (filled.loader === undefined) filled.loader = platform === 'win32' ? '' : tools.loader;
  return filled;
}

module.exports = { resolveTool, findOnPath, runPlan, packedPath, debugConfiguration };
