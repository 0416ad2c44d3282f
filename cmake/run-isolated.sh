#!/bin/sh
# Runs a test with HOME and the XDG folders in a fresh temporary folder.
tmp=$(mktemp -d "${TMPDIR:-/tmp}/kivtest.XXXXXX") || exit 1
export HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/config" XDG_DATA_HOME="$tmp/data" \
       XDG_CACHE_HOME="$tmp/cache" XDG_RUNTIME_DIR="$tmp/runtime" XDG_DOCUMENTS_DIR="$tmp/home/Documents"
mkdir -p "$HOME/Documents" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
"$@"
rc=$?
if [ $rc -eq 0 ]; then rm -rf "$tmp"; else echo "test folder kept: $tmp" >&2; fi
exit $rc
