#!/usr/bin/env bash
# velnart left open while the network changes. In a network namespace of its own, with
# a display, a Wine prefix and a Wine server of its own started inside it, one velnart
# is clicked after each change; its list must equal what a freshly started lister gets
# from the same service, in the same order, and every address must be the hardware
# address of one of the namespace's interfaces.
#   network_change_test.sh VELNART_EXE REMOTE_EXE LISTER_EXE   (as root, under scripts/with-wine)
set -euo pipefail
if [ "${1:-}" != --inside ]; then
    exec unshare --net "$0" --inside "$@"
fi
shift
velnart=$1 remote=$2 lister=$3
here=$(cd "$(dirname "$0")" && pwd)
base=${WINEPREFIX:?run this under scripts/with-wine}

work=$(mktemp -d)
xvfb_pid=
cleanup() {
    WINEPREFIX=$work/prefix wineserver -k 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# A display number nobody uses. Xvfb -displayfd would take the first one whose socket
# it can bind, and in a namespace of its own that can be one in use outside it, whose
# socket file it then replaces and, when it ends, removes.
number=100
while [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ]; do
    number=$((number + 1))
done
Xvfb ":$number" -screen 0 800x600x24 -nolisten tcp 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do
    [ -e "/tmp/.X11-unix/X$number" ] && break
    sleep 0.1
done
export DISPLAY=:$number
WINEPREFIX=$base wineserver -w  # its registry files are whole once it has gone
cp -a "$base" "$work/prefix"
export WINEPREFIX=$work/prefix

# Only the documentation ranges, and only inside this namespace.
ip link set lo up
ip link add va0 type veth peer name va1
ip link add vb0 type veth peer name vb1
ip addr add 198.51.100.10/25 dev va0
ip addr add 198.51.100.130/25 dev va0
ip addr add 203.0.113.200/32 dev vb0
ip link set va0 up
ip link set vb0 up

listed=0
# After a change: velnart's list against a fresh lister's, both checked against the kernel.
check() {
    mapfile -t known < <("$here/interface_addresses.sh")
    local fresh got
    fresh=$(wine "$lister" "${known[@]}" | tr -d '\r' | awk '$2 == "ok" { print $1 }') ||
        fail "$1: the fresh lister listed an address that is no interface's"
    got=$(wine "$remote" click | tr -d '\r') || fail "$1: velnart did not list: $got"
    echo "$1: velnart listed [$(echo $got)], a fresh lister [$(echo $fresh)]"
    [ -n "$fresh" ] || fail "$1: the fresh lister listed nothing"
    [ "$got" = "$fresh" ] || fail "$1: velnart's list differs from a fresh lister's"
    for address in $got; do
        printf '%s\n' "${known[@]}" | grep -qx "$address" || fail "$1: $address is no interface's"
    done
    listed=$((listed + 1))
}

wine "$velnart" &
velnart_pid=$!
check "two addresses on one NIC, click 1"
check "click 2"
check "click 3"
ip link add vc0 type veth peer name vc1
ip addr add 203.0.113.1/25 dev vc0
check "link vc0 added"
ip link del vb0
check "link vb0 deleted"
ip addr add 203.0.113.129/26 dev vc0
check "address 203.0.113.129/26 added"
ip addr del 198.51.100.130/25 dev va0
check "address 198.51.100.130/25 deleted"
wine "$remote" end >/dev/null || fail "velnart did not end"
wait "$velnart_pid" || fail "velnart exited with $?"
echo "$listed lists, all equal to a fresh lister's"
