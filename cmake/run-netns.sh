#!/bin/sh
# Runs a test whose meter simulators listen on port 80 (the port the add-device operation
# uses) in a private user and network namespace: there any user may bind port 80, and no
# service of this machine is in the way. Where namespaces cannot be made, root runs the test
# directly; anyone else gets it skipped with the reason (exit 77, which CTest reports as
# "Skipped" in its summary).
for last; do :; done
# ip lives in /usr/sbin, which the path of an ordinary user often lacks.
PATH="$PATH:/usr/sbin:/sbin"
test_name=$(basename "$last")
if command -v ip >/dev/null 2>&1; then
  if why=$(unshare -rn true 2>&1); then
    # A new network namespace has its loopback interface down.
    exec unshare -rn sh -c 'ip link set lo up && exec "$@"' run-netns "$@"
  fi
else
  why="the ip command (iproute2) is missing"
fi
if [ "$(id -u)" -eq 0 ]; then
  exec "$@"
fi
echo "*** $test_name SKIPPED: its meter simulators must listen on port 80, and this user can" \
     "neither make a private network namespace (unshare -rn: $why) nor bind port 80." \
     "Run the tests as root, or allow unprivileged user namespaces." >&2
exit 77
