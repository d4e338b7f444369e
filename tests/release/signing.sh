#!/usr/bin/env bash
# Signs packed programs with a throw-away self-signed certificate and runs them under Wine:
# a program signed after packing must verify and run its script exactly as the unsigned
# one, and a program packed onto a signed runner must come out unsigned and run as well.
# Run inside tools/wine-session.sh:
#
#   tests/release/signing.sh PACKER HELPER
#
# PACKER is an installed kestro-pack whose runner (beside it or in ../share/kestro/) Wine
# can start; it packs without --runner. HELPER is khelper.exe of the same build.
# Prints one PASS or FAIL line per check and "N passed, N failed".
set -uo pipefail

repo=$(cd "$(dirname "$0")/../.." && pwd)
packer=$1
helper=$2
case_file=$repo/tests/release/signed_run.kst
work=$(mktemp -d /tmp/kestro-signing.XXXXXX)
trap 'rm -rf "$work"' EXIT
log=$work/log

passed=0
failed=0
pass() { passed=$((passed + 1)); echo "PASS $*"; }
fail() { failed=$((failed + 1)); echo "FAIL $*"; }
# Runs a command quietly; on failure shows what it said.
check() {
  local name=$1; shift
  if "$@" >"$log" 2>&1; then pass "$name"; return 0; fi
  fail "$name: $(tr '\n' ' ' <"$log" | cut -c1-400)"
  return 1
}
has() { grep -qF -- "$1" "$2" || { echo "no '$1' in:"; cat "$2"; return 1; }; }
finish() { echo "$passed passed, $failed failed"; [ "$failed" -eq 0 ]; exit; }

dir=$(dirname "$packer")
runner=$dir/kestro.exe
[ -f "$runner" ] || runner=$dir/../share/kestro/kestro.exe

sign() {  # sign IN OUT
  osslsigncode sign -certs "$work/cert.pem" -key "$work/key.pem" -h sha256 \
    -n "Kestro signing test" -in "$1" -out "$2"
}
verify() {  # the signature itself; the self-signed certificate is its own authority
  osslsigncode verify -CAfile "$work/cert.pem" -in "$1" >"$work/verify.txt" 2>&1 &&
    has "Signature verification: ok" "$work/verify.txt"
}
# Runs the case with a ready program as its runner; the driver checks what it wrote.
run_case() {
  python3 "$repo/tests/e2e/run_e2e.py" --runner "$1" --helper "$helper" --packer "$packer" \
    "$case_file" >"$work/run.txt" 2>&1
  has "1 passed, 0 failed" "$work/run.txt"
}

check "a throw-away signing certificate" \
  openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj "/CN=Kestro signing test" \
    -keyout "$work/key.pem" -out "$work/cert.pem" || finish

# Signed after packing.
check "kestro-pack build without --runner" \
  "$packer" build "$case_file" -o "$work/plain.exe" || finish
check "osslsigncode signs the packed program" sign "$work/plain.exe" "$work/signed.exe" || finish
check "osslsigncode verifies the signed program" verify "$work/signed.exe"
plain_size=$(stat -c %s "$work/plain.exe")
"$packer" info "$work/signed.exe" >"$work/info.txt" 2>&1
check "info: signed, script ends where the unsigned program ended" eval \
  'has "signed: yes" "$work/info.txt" &&
   has "script ends at: offset $plain_size, where the certificate table starts" "$work/info.txt"'
check "extract reads the same script from both" \
  cmp <("$packer" extract "$work/plain.exe") <("$packer" extract "$work/signed.exe")
check "the unsigned program runs its script under Wine" run_case "$work/plain.exe"
check "the signed program runs its script exactly as the unsigned one" run_case "$work/signed.exe"

# Packed onto a signed runner.
check "osslsigncode signs the bare runner" sign "$runner" "$work/signed-runner.exe"
"$packer" build "$case_file" -o "$work/onsigned.exe" --runner "$work/signed-runner.exe" \
  >"$work/build.txt" 2>&1
check "build onto a signed runner says it removed the signature" \
  has "its signature is left out" "$work/build.txt"
"$packer" info "$work/onsigned.exe" >"$work/info2.txt" 2>&1
check "the program packed onto a signed runner is unsigned" has "signed: no" "$work/info2.txt"
check "the program packed onto a signed runner runs its script" run_case "$work/onsigned.exe"
check "that program can be signed and verified in turn" \
  eval 'sign "$work/onsigned.exe" "$work/onsigned-signed.exe" && verify "$work/onsigned-signed.exe"'
finish
