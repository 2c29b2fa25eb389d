#!/usr/bin/env bash
# velnart.exe must be a GUI program that runs from its file alone (system DLLs only, never
# a compiler runtime that would have to ship beside it), that loads on every Windows its
# build claims, and that stays within its size budget.
#   pe_test.sh win32|win64 EXE
# The 32-bit build claims every Windows from XP SP3 (5.1) on; the 64-bit one every x64
# Windows from XP Professional x64 Edition and Server 2003 x64 (5.2) on.
set -euo pipefail
build=$1 exe=$2
case "$build" in
    win32) format=pei-i386 cc=i686-w64-mingw32-gcc-win32 oldest=0x0501 claim=XP budget_kib=84 ;;
    win64) format=pei-x86-64 cc=x86_64-w64-mingw32-gcc-win32 oldest=0x0502 claim="XP x64" budget_kib=64 ;;
    *) echo "usage: pe_test.sh win32|win64 EXE" >&2 && exit 2 ;;
esac
headers=$(LC_ALL=C x86_64-w64-mingw32-objdump -p "$exe")
failed=0
fail() {
    echo "FAIL: $*"
    failed=1
}

grep -q "file format $format\$" <<<"$headers" || fail "not $format"
grep -q 'Subsystem.*(Windows GUI)' <<<"$headers" || fail "not a GUI program"

budget=$((budget_kib * 1024))
size=$(stat -c %s "$exe")
((size <= budget)) || fail "$size bytes, over the budget of $budget"

# Windows refuses to load a program that asks for a later OS or subsystem version.
for field in OSystem Subsystem; do
    major=$(sed -n "s/^Major${field}Version\s*//p" <<<"$headers")
    minor=$(sed -n "s/^Minor${field}Version\s*//p" <<<"$headers")
    (((major << 8 | minor) <= oldest)) || fail "$field version $major.$minor is later than $claim's"
done

# "dll function", one line per imported function.
imports=$(awk '/DLL Name:/ { dll = tolower($3) }
               dll && /^\t[0-9a-f]+\t +[0-9]+  / { print dll, $3 }' <<<"$headers")
[ -n "$imports" ] || fail "no imports read"
while read -r dll; do
    case "$dll" in
        kernel32.dll | user32.dll | gdi32.dll | msvcrt.dll | advapi32.dll | shell32.dll) ;;
        comctl32.dll) ;;
        *) fail "imports $dll" ;;
    esac
done < <(cut -d' ' -f1 <<<"$imports" | sort -u)
# XP loads the common controls the manifest asks for only for a program that loads
# comctl32.dll and registers them; without it no button, edit or message box is made.
grep -Eqx 'comctl32\.dll InitCommonControls(Ex)?' <<<"$imports" ||
    fail "does not import InitCommonControls(Ex) from comctl32.dll"

# DLLs loaded by bare name must not come from the folder velnart was downloaded to, on any
# Windows: where SetDefaultDllDirectories is missing (XP, Vista and 7 without its update),
# SetDllDirectoryW takes at least the current directory out of the search.
grep -qx 'kernel32\.dll SetDllDirectoryW' <<<"$imports" ||
    fail "does not import SetDllDirectoryW from kernel32.dll"

# And every DLL velnart loads itself is loaded by full path from the system directory
# (LoadLibraryExW): on XP nothing else keeps a planted copy out. The runtime's start-up
# code imports LoadLibraryA for a DLL of its own, and only when that one is loaded already.
grep -qx 'kernel32\.dll LoadLibraryW' <<<"$imports" && fail "imports LoadLibraryW, which loads by name"

# Address-space randomisation (over the whole 64-bit space in the 64-bit build) and
# no-execute data, and terminal-server awareness: without it a Remote Desktop server shims
# velnart and gives it a per-user Windows directory.
flags=$((16#$(sed -n 's/^DllCharacteristics\s*//p' <<<"$headers")))
required=(DYNAMIC_BASE:0x40 NX_COMPAT:0x100 TERMINAL_SERVICE_AWARE:0x8000)
[ "$build" = win32 ] || required+=(HIGH_ENTROPY_VA:0x20)
for flag in "${required[@]}"; do
    ((flags & ${flag#*:})) || fail "DllCharacteristics lack ${flag%:*}"
done

# An import XP lacks stops the program before its first line runs; functions of later
# Windows are looked up with GetProcAddress instead. The mingw-w64 headers hide later
# functions when told to target XP (and msvcrt.dll 7.0, the C runtime of XP and of
# Server 2003, from which XP x64 is made), so every import
# must be declared there, and none may be one of the later names that threading runtimes
# import. Those must stay hidden too, or the headers' word is no longer worth anything.
later=(GetTickCount64 InitializeConditionVariable SleepConditionVariableCS WakeConditionVariable
       WakeAllConditionVariable InitializeSRWLock AcquireSRWLockExclusive ReleaseSRWLockExclusive
       InitOnceExecuteOnce InitOnceBeginInitialize FlsAlloc FlsGetValue FlsSetValue)
# What mingw-w64's start-up code imports from msvcrt.dll's internals, which no header
# declares; msvcrt.dll has exported them since before XP.
startup=(__p__commode _commode __set_app_type __setusermatherr __wgetmainargs __winitenv _amsg_exit
         _initterm)

# What the headers declare only for Server 2003 (5.2), although XP SP1 already has it.
xp_sp1=(SetDllDirectoryW)

mapfile -t names < <(cut -d' ' -f2 <<<"$imports" | sort -u)
for name in "${names[@]}"; do
    # The secure CRT (strcpy_s and its kin) came with msvcrt.dll of Vista; the headers
    # declare it for every version.
    [[ " ${later[*]} " == *" $name "* || $name == *_s ]] && fail "imports $name, which $claim lacks"
done

probe=$(
    printf '#define _WIN32_WINNT %s\n#define WINVER %s\n#define __MSVCRT_VERSION__ 0x0700\n' "$oldest" "$oldest"
    printf '#include <%s>\n' windows.h commctrl.h ctype.h errno.h io.h locale.h malloc.h math.h process.h \
        setjmp.h signal.h stdio.h stdlib.h string.h time.h wchar.h
    echo 'void probe(void) {'
    for name in "${names[@]}" "${later[@]}"; do
        [[ " ${startup[*]} " == *" $name "* ]] || echo "(void)&$name;"
    done
    echo '}'
)
undeclared=$(LC_ALL=C "$cc" -fsyntax-only -x c - <<<"$probe" 2>&1 |
    sed -n "s/.*error: '\([A-Za-z0-9_]*\)' undeclared.*/\1/p" || true)
for name in "${names[@]}"; do
    [[ " ${xp_sp1[*]} " == *" $name "* ]] && continue
    grep -qx "$name" <<<"$undeclared" && fail "imports $name, which $claim's headers do not declare"
done
for name in "${later[@]}"; do
    grep -qx "$name" <<<"$undeclared" || fail "the headers declare $name for $claim: this check is void"
done
exit $failed
