#!/usr/bin/env bash
# Prints the hardware address of every interface of the network namespace this runs
# in, as twelve upper-case hex digits a line. Asked of the kernel over netlink: /sys
# may be mounted from another namespace (in many containers it is the host's).
# An interface without a hardware address gives twelve zeros, as Wine lists it.
set -euo pipefail
ip -o link | sed -E -n \
    -e 's/.* link\/[a-z0-9]+ (([0-9a-f]{2}:){5}[0-9a-f]{2})( .*|$)/\1/p' \
    -e 's/.* link\/none( .*|$)/00:00:00:00:00:00/p' | tr -d : | tr a-f A-F
