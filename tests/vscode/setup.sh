#!/usr/bin/env bash
# Installs what the vscode stage needs and prints where it is, as shell assignments:
# Debian's Chromium (and libkrb5-dev and ripgrep, which code-server's install builds with and
# bundles), code-server from npm and playwright-core. The npm installs are kept in
# KESTRO_CACHE (default /var/cache/kestro), so a second run starts at once.
#
#   eval "$(tests/vscode/setup.sh)"    sets code_server and playwright_dir
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
code_server_version=4.100.3   # the newest code-server that runs on Debian's Node 20
ripgrep_package=1.15.11       # the @vscode/ripgrep it installs, and the ripgrep that one fetches
ripgrep_release=v13.0.0-10
cache=${KESTRO_CACHE:-/var/cache/kestro}
if ! mkdir -p "$cache" 2>/dev/null || [ ! -w "$cache" ]; then
  cache=$repo/build/cache; mkdir -p "$cache"
fi

missing=()
for p in chromium libkrb5-dev ripgrep; do
  dpkg -s "$p" 2>/dev/null | grep -q '^Status: install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "vscode setup: installing ${missing[*]}" >&2
  sudo=; [ "$(id -u)" = 0 ] || sudo=sudo
  export DEBIAN_FRONTEND=noninteractive
  { $sudo apt-get update -q && $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"; } >&2
fi

# code-server: its install builds native modules (node-pty runs "npx node-gyp", which must not
# ask) and, as root, runs its scripts only with unsafe-perm. @vscode/ripgrep would download
# ripgrep from the web; its download cache is filled with Debian's rg instead.
server=$cache/code-server-$code_server_version
if [ ! -x "$server/node_modules/.bin/code-server" ]; then
  echo "vscode setup: installing code-server $code_server_version (about 2 minutes)" >&2
  rm -rf "$server.new"
  mkdir -p "$server.new/tmp/vscode-ripgrep-cache-$ripgrep_package"
  tar -czf "$server.new/tmp/vscode-ripgrep-cache-$ripgrep_package/ripgrep-$ripgrep_release-x86_64-unknown-linux-musl.tar.gz" \
    -C /usr/bin rg
  (cd "$server.new" && echo '{"private": true}' >package.json &&
   TMPDIR=$server.new/tmp npm_config_unsafe_perm=true npm_config_yes=true \
     timeout 1200 npm install --no-audit --no-fund --loglevel=error "code-server@$code_server_version") >&2
  rm -rf "$server.new/tmp" "$server"
  mv "$server.new" "$server"
fi

tools=$cache/playwright-$(sha256sum "$here/package-lock.json" | cut -c1-12)
if [ ! -d "$tools/node_modules/playwright-core" ]; then
  rm -rf "$tools.new"
  mkdir -p "$tools.new"
  cp "$here/package.json" "$here/package-lock.json" "$tools.new/"
  (cd "$tools.new" && timeout 600 npm ci --no-audit --no-fund --loglevel=error) >&2
  rm -rf "$tools"
  mv "$tools.new" "$tools"
fi

printf 'code_server=%q\nplaywright_dir=%q\n' "$server/node_modules/.bin/code-server" "$tools/node_modules"
