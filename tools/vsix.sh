#!/usr/bin/env bash
# Packs the VS Code extension (editors/vscode) with vsce as one installable file, carrying the
# project's version: kestro-2.50.vsix holds the extension at version 2.50.0.
#
#   tools/vsix.sh VERSION OUTFILE
#
# vsce is installed once from npm (the versions in tools/vsix/package-lock.json) into
# KESTRO_CACHE (default /var/cache/kestro, or build/cache when that cannot be written).
set -euo pipefail

if [ $# -ne 2 ]; then echo "usage: tools/vsix.sh VERSION OUTFILE" >&2; exit 2; fi
version=$1 out=$2
repo=$(cd "$(dirname "$0")/.." && pwd)
cache=${KESTRO_CACHE:-/var/cache/kestro}
if ! mkdir -p "$cache" 2>/dev/null || [ ! -w "$cache" ]; then
  cache=$repo/build/cache; mkdir -p "$cache"
fi

# A release "2.50" is the extension version "2.50.0": VS Code wants three numbers.
semver=$version
while [ "$(tr -cd . <<<"$semver" | wc -c)" -lt 2 ]; do semver=$semver.0; done

tools=$cache/vsce-$(sha256sum "$repo/tools/vsix/package-lock.json" | cut -c1-12)
if [ ! -x "$tools/node_modules/.bin/vsce" ]; then
  rm -rf "$tools.new"
  mkdir -p "$tools.new"
  cp "$repo/tools/vsix/package.json" "$repo/tools/vsix/package-lock.json" "$tools.new/"
  (cd "$tools.new" && timeout 600 npm ci --no-audit --no-fund --loglevel=error) >&2
  rm -rf "$tools"
  mv "$tools.new" "$tools"
fi

# The extension as users get it: its files without the tests, at the project's version.
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
(cd "$repo/editors/vscode" && tar --exclude=./test --exclude=node_modules -cf - .) | tar -xf - -C "$stage"
# The debug adapter's own dependencies, from the extension's lock file, travel in the .vsix.
(cd "$stage" && timeout 600 npm ci --omit=dev --no-audit --no-fund --loglevel=error) >&2
node -e '
  const fs = require("fs"), file = process.argv[1];
  const manifest = JSON.parse(fs.readFileSync(file, "utf8"));
  manifest.version = process.argv[2];
  fs.writeFileSync(file, JSON.stringify(manifest, null, 2) + "\n");' "$stage/package.json" "$semver"
mkdir -p "$(dirname "$out")"
out=$(cd "$(dirname "$out")" && pwd)/$(basename "$out")
# The extension has no repository or licence file of its own; vsce would ask about both.
(cd "$stage" && timeout 300 "$tools/node_modules/.bin/vsce" package \
  --allow-missing-repository --skip-license --out "$out") </dev/null >&2
