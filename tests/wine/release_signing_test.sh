#!/usr/bin/env bash
# scripts/release signing with a throwaway CA and code-signing certificate made here: both
# signed programs verify against that CA, one changed byte fails the verification, a signed
# velnart still lists under Wine, and a release that cannot be signed as asked ends with one
# line and no zip. The unsigned builds stay as they were. No network.
#   release_signing_test.sh win32|win64 DRIVER_EXE VELNART_EXE OTHER_PROGRAMS...
# (under scripts/with-wine); the signed program of that build is the one driven.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$1 driver=$2
shift 3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# A CA, a certificate it issues for code signing and one it issues for web servers only.
printf 'throwaway password\n' >password
openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 -subj "/CN=velnart test CA" \
    -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign 2>/dev/null
for usage in codeSigning serverAuth; do
    openssl req -newkey rsa:2048 -nodes -keyout $usage.key -out $usage.csr -subj "/CN=velnart $usage" 2>/dev/null
    printf 'extendedKeyUsage=%s\nkeyUsage=critical,digitalSignature\n' $usage >$usage.ext
    openssl x509 -req -in $usage.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 \
        -extfile $usage.ext -out $usage.pem 2>/dev/null
    openssl pkcs12 -export -inkey $usage.key -in $usage.pem -certfile ca.pem -passout file:password \
        -out $usage.p12
done

export SOURCE_DATE_EPOCH=1700000000
release() { # release OUTDIR PKCS12 PASSWORD_FILE: the script's status, its errors in OUTDIR.err
    VELNART_SIGN_PKCS12=$2 VELNART_SIGN_PASSWORD_FILE=$3 "$root/scripts/release" "$1" >/dev/null 2>"$1.err"
}

# Unsigned first, which also builds whatever program is not built yet.
release plain "" "" || fail "the unsigned release failed: $(cat plain.err)"
unsigned=$(cd "$root/build" && sha256sum win32/velnart.exe win64/velnart.exe)
unzip -q plain/velnart-*.zip -d plain/unpacked
cmp -s "$root/build/win32/velnart.exe" plain/unpacked/velnart.exe &&
    cmp -s "$root/build/win64/velnart.exe" plain/unpacked/x64/velnart.exe ||
    fail "the unsigned zip does not hold the builds as they are"

release signed codeSigning.p12 password || fail "the signed release failed: $(cat signed.err)"
unzip -q signed/velnart-*.zip -d unpacked
(cd signed && sha256sum -c --quiet SHA256SUMS) || fail "the zip does not match its checksum"
(cd unpacked && sha256sum -c --quiet SHA256SUMS) || fail "the files do not match their checksums"
for exe in velnart.exe x64/velnart.exe; do
    verified=$(osslsigncode verify -CAfile ca.pem -in "unpacked/$exe" 2>&1) ||
        fail "$exe does not verify against the CA: $verified"
    echo "$exe: $(grep -m1 -E '^Signature verification' <<<"$verified")"
done
cp unpacked/velnart.exe tampered.exe
printf '\x90' | dd of=tampered.exe bs=1 seek=$((0x1000)) conv=notrunc status=none
if tampered=$(osslsigncode verify -CAfile ca.pem -in tampered.exe 2>&1); then
    fail "a changed byte still verifies"
fi
echo "one byte changed: $(grep -m1 -iE 'mismatch|failed' <<<"$tampered")"
[ "$(cd "$root/build" && sha256sum win32/velnart.exe win64/velnart.exe)" = "$unsigned" ] ||
    fail "signing changed the unsigned builds"

# Each must end with one line, and leave no zip.
printf 'not the password\n' >wrong
for case in "wrong-password codeSigning.p12 wrong" "missing-file absent.p12 password" \
    "not-for-code serverAuth.p12 password" "no-password-file codeSigning.p12 absent"; do
    read -r name key secret <<<"$case"
    mkdir "$name"
    touch "$name/$(basename signed/velnart-*.zip)"  # as an earlier run would have left it
    ! release "$name" "$key" "$secret" || fail "$name: the release went on"
    [ "$(wc -l <"$name.err")" -eq 1 ] || fail "$name: not one line: $(cat "$name.err")"
    [ -z "$(ls "$name")" ] || fail "$name: left $(ls "$name")"
    echo "$name: $(cat "$name.err")"
done

# The build's signed program, as users start it from the zip.
signed=unpacked/velnart.exe
[ "$build" = win32 ] || signed=unpacked/x64/velnart.exe
"$root/tests/wine/in-e2e-prefix.sh" "$driver" listing "$work/$signed" "$@"
