#!/usr/bin/env bash
# Runs a command whose children include ThreadSanitizer programs.
#   scripts/tsan-run.sh COMMAND [ARGS...]
# The ThreadSanitizer of Debian 12's g++ 12 expects the address layout of
# older kernels: where address-space randomisation is wider it stops with
# "unexpected memory mapping". A tiny probe program tells; if it fails that
# way, COMMAND runs with randomisation turned off for it and its children
# (setarch -R). Elsewhere COMMAND runs as it is.
set -euo pipefail

probe_dir=$(mktemp -d)
trap 'rm -rf "$probe_dir"' EXIT
echo 'int main() { return 0; }' >"$probe_dir/probe.cpp"
g++ -fsanitize=thread -O1 "$probe_dir/probe.cpp" -o "$probe_dir/probe"

wrap=()
# The layout is random, so one lucky run proves little: try a few.
for _ in 1 2 3 4 5; do
  if ! out=$("$probe_dir/probe" 2>&1); then
    if grep -q "unexpected memory mapping" <<<"$out"; then
      wrap=(setarch "$(uname -m)" -R)
      echo "tsan-run.sh: ThreadSanitizer needs address-space randomisation off here; running under setarch -R" >&2
      if ! "${wrap[@]}" "$probe_dir/probe"; then
        echo "tsan-run.sh: ThreadSanitizer programs cannot run on this machine, not even under setarch -R" >&2
        exit 1
      fi
    else
      echo "tsan-run.sh: the ThreadSanitizer probe failed:" >&2
      echo "$out" >&2
      exit 1
    fi
    break
  fi
done

"${wrap[@]}" "$@"
