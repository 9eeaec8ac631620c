#!/usr/bin/env bash
# Times a print-size picture end to end: the nebula example at 4000 x 4000 on
# one thread and on all cores. For each it prints the best of several runs of
# the drawing alone (the ZORVA_STATS line) and of the whole run (start-up,
# drawing, composition and the PNG), and whole / drawing. Peak memory comes
# from /usr/bin/time; bytes a pixel is the slope of peak memory between a
# 2000 x 2000 and the 4000 x 4000 run (all cores), which leaves out what does
# not grow with the picture.
#   bench/print_size.sh
#   RUNS=5 EXE=/path/to/zorva-render bench/print_size.sh
set -euo pipefail
cd "$(dirname "$0")/.."
if [[ -z ${EXE:-} ]]; then
  [[ -x build/zorva-render ]] || scripts/build.sh >&2
  EXE=$PWD/build/zorva-render
fi
runs=${RUNS:-3}
threads=${THREADS:-$(nproc)}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# run SIDE THREADS -> "bestWhole bestDrawing lowestPeakKiB"; the PNGs stay as $work/out_SIDE_THREADS.png
run() {
  local side=$1 t=$2 i secs kib drawing whole="" draw="" peak=""
  for ((i = 0; i < runs; i++)); do
    /usr/bin/time -f "%e %M" -o "$work/time" env ZORVA_STATS=1 "$EXE" examples/nebula.ini -q --seed 1 \
      --threads "$t" --set ImageWidth="$side" --set ImageHeight="$side" --stem "$work/out_${side}_$t" \
      >/dev/null 2>"$work/err"
    read -r secs kib <"$work/time"
    drawing=$(sed -n 's/.*pixel updates in \([0-9.e-]*\) s.*/\1/p' "$work/err")
    [[ -n $drawing ]] || { echo "no ZORVA_STATS line from $EXE" >&2; cat "$work/err" >&2; exit 1; }
    whole=$(least "$whole" "$secs")
    draw=$(least "$draw" "$drawing")
    peak=$(least "$peak" "$kib")
  done
  echo "$whole $draw $peak"
}
least() { if [[ -z $1 ]] || (($(echo "$2 < $1" | bc -l))); then echo "$2"; else echo "$1"; fi; }

echo "$EXE: examples/nebula.ini --seed 1 at 4000 x 4000, best of $runs"
printf '%7s %10s %8s %14s %9s\n' threads "drawing s" "whole s" "whole/drawing" "peak MiB"
counts=(1)
((threads > 1)) && counts+=("$threads")
for t in "${counts[@]}"; do
  read -r whole draw peak < <(run 4000 "$t")
  printf '%7s %10.3f %8.3f %14.2f %9.1f\n' "$t" "$draw" "$whole" "$(echo "$whole / $draw" | bc -l)" \
    "$(echo "$peak / 1024" | bc -l)"
  peak4000=$peak
done
if ((${#counts[@]} > 1)) && ! cmp -s "$work/out_4000_1.png" "$work/out_4000_$threads.png"; then
  echo "warning: the PNGs of 1 and $threads threads differ" >&2
fi
read -r _ _ peak2000 < <(run 2000 "$threads")
printf 'peak memory %.1f MiB at 2000 x 2000, %.1f MiB at 4000 x 4000: %.1f bytes a pixel\n' \
  "$(echo "$peak2000 / 1024" | bc -l)" "$(echo "$peak4000 / 1024" | bc -l)" \
  "$(echo "($peak4000 - $peak2000) * 1024 / (16000000 - 4000000)" | bc -l)"
