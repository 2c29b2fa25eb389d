#!/usr/bin/env bash
# velnart.exe must be a 32-bit GUI program that runs from its file alone: it may
# import system DLLs only, never a compiler runtime that would have to ship beside it.
set -euo pipefail
exe=$1
headers=$(i686-w64-mingw32-objdump -p "$exe")
failed=0
grep -q 'file format pei-i386' <<<"$headers" || { echo "FAIL: not PE32 i386"; failed=1; }
grep -q 'Subsystem.*(Windows GUI)' <<<"$headers" || { echo "FAIL: not a GUI program"; failed=1; }
while read -r dll; do
    case "${dll,,}" in
        kernel32.dll | user32.dll | gdi32.dll | msvcrt.dll | advapi32.dll | shell32.dll) ;;
        *) echo "FAIL: imports $dll"; failed=1 ;;
    esac
done < <(sed -n 's/^\s*DLL Name: //p' <<<"$headers")
exit $failed
