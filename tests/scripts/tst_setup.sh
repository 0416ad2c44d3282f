#!/usr/bin/env bash
# scripts/setup against stand-ins for dpkg-query, apt-get, sudo and cmake: it asks apt-get
# for the packages exactly when one is missing, and builds nothing here.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
work="$(mktemp -d "${TMPDIR:-/tmp}/kivsetup.XXXXXX")"
trap 'rm -rf "$work"' EXIT
stubs="$work/bin"
mkdir -p "$stubs"

# Answers like dpkg-query -W -f='${db:Status-Abbrev} ${Package}\n': "ii " for an installed
# package; an unknown one goes to stderr and makes the exit status 1.
cat >"$stubs/dpkg-query" <<'STUB'
#!/usr/bin/env bash
status=0
for arg in "$@"; do
  case "$arg" in -*) continue ;; esac
  if [ "$arg" = "${STUB_UNKNOWN:-}" ]; then
    echo "dpkg-query: no packages found matching $arg" >&2
    status=1
  elif [ "$arg" = "${STUB_REMOVED:-}" ]; then
    echo "rc  $arg"
  else
    echo "ii  $arg"
  fi
done
exit $status
STUB
for tool in apt-get cmake; do
  printf '#!/bin/sh\necho "$*" >>"%s/%s.calls"\n' "$work" "$tool" >"$stubs/$tool"
done
printf '#!/bin/sh\nexec "$@"\n' >"$stubs/sudo"
chmod +x "$stubs"/*

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# run <case name> <unknown package> <removed package> <expected: install|none>
run() {
  local name="$1" unknown="$2" removed="$3" expected="$4"
  rm -f "$work"/*.calls
  if ! PATH="$stubs:$PATH" STUB_UNKNOWN="$unknown" STUB_REMOVED="$removed" \
       KIV_BUILD_DIR="$work/build" "$here/scripts/setup" >"$work/out" 2>&1; then
    fail "$name: setup failed"; cat "$work/out" >&2; return
  fi
  local apt=""
  [ -f "$work/apt-get.calls" ] && apt="$(cat "$work/apt-get.calls")"
  if [ "$expected" = none ]; then
    [ -z "$apt" ] || fail "$name: apt-get was called: $apt"
  else
    grep -qx 'update' <<<"$apt" || fail "$name: no apt-get update in: $apt"
    local missing="${unknown:-$removed}"
    grep -Eq "^install -y --no-install-recommends (.* )?$missing( |\$)" <<<"$apt" \
      || fail "$name: $missing not installed by: $apt"
  fi
  grep -q -- "--build $work/build" "$work/cmake.calls" 2>/dev/null \
    || fail "$name: the build step did not follow"
  [ "$failures" -eq 0 ] && echo "PASS: $name"
  return 0
}

run "all packages present" "" "" none
run "one package unknown to dpkg" libebur128-dev "" install
run "one package removed, its configuration left" "" qtbase5-dev install

[ "$failures" -eq 0 ]
