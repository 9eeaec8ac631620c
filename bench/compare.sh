#!/usr/bin/env bash
# Times zorva-render end to end on the example settings and on standard
# workloads: fast and reference inker, one thread and all cores. Prints for
# each the median of several runs of the whole run and of the drawing alone
# (the ZORVA_STATS line: what the inkers do, without start-up, allocation
# and the PNG), points and pixel updates per second of drawing, peak memory,
# and the ratios fast/reference and N threads/1 thread for both times.
#   bench/compare.sh                 every workload
#   RUNS=5 THREADS=8 bench/compare.sh heavy default
#   EXE=/path/to/zorva-render bench/compare.sh   another build, for before/after
set -euo pipefail
cd "$(dirname "$0")/.."
[[ -x build/zorva-render ]] || scripts/build.sh >&2
exe=${EXE:-$PWD/build/zorva-render}
runs=${RUNS:-3}
threads=${THREADS:-$(nproc)}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A source image for the "source" workload, drawn by zorva-render itself.
"$exe" examples/nebula.ini -q --seed 7 --set ImageWidth=320 --set ImageHeight=240 --stem "$work/source" >/dev/null

declare -A args=(
  [default]=""
  [heavy]="--set ImageWidth=1600 --set ImageHeight=1600 --set Steps=2000 --set StartGrain=1000 --set EndGrain=1000 --set SplodgeStartLimit=8 --set SplodgeEndLimit=8"
  [colourful]="--set NewColor=1"
  [source]="--source-image $work/source.png --set UseSourceImage=1"
  [old-inking]="--set BoolInk246=1"
)
pixels_of() {  # workload -> number of pixels
  case "$1" in heavy) echo $((1600 * 1600)) ;; *) echo $((800 * 800)) ;; esac
}
order=(default heavy colourful source old-inking)
for e in examples/*.ini; do
  name=example:$(basename "$e" .ini)
  args[$name]="$e"
  order+=("$name")
done
if (($# > 0)); then order=("$@"); fi

# run WORKLOAD INKER THREADS -> "total drawing points updates peakKiB" (median times, largest memory)
run() {
  local name=$1 inker=$2 t=$3 i totals=() drawings=() peak=0 points=0 updates=0 drawing
  for ((i = 0; i < runs; i++)); do
    # shellcheck disable=SC2086
    /usr/bin/time -f "%e %M" -o "$work/time" env ZORVA_STATS=1 "$exe" ${args[$name]} -q --seed 1 \
      --threads "$t" --inker "$inker" --stem "$work/out" >/dev/null 2>"$work/err"
    read -r secs kib <"$work/time"
    totals+=("$secs")
    ((kib > peak)) && peak=$kib
    read -r points updates drawing < <(sed -n 's/.*drew \([0-9]*\) points, \([0-9]*\) pixel updates in \([0-9.e-]*\) s.*/\1 \2 \3/p' "$work/err")
    drawings+=("$drawing")
  done
  echo "$(median "${totals[@]}") $(median "${drawings[@]}") $points $updates $peak"
}
median() { printf '%s\n' "$@" | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

printf '%-22s %-9s %7s %8s %9s %12s %14s %9s\n' workload inker threads "total s" "drawing s" "points/s" "updates/s" "peak MiB"
row() {  # name inker threads total drawing points updates peakKiB
  printf '%-22s %-9s %7s %8.3f %9.4f %12.3g %14.4g %9.1f\n' "$1" "$2" "$3" "$4" "$5" "$(echo "$6 / $5" | bc -l)" \
    "$(echo "$7 / $5" | bc -l)" "$(echo "$8 / 1024" | bc -l)"
}
ratio() { echo "$1 / $2" | bc -l; }
summary=()
for name in "${order[@]}"; do
  read -r t1 d1 p u m1 < <(run "$name" fast 1)
  row "$name" fast 1 "$t1" "$d1" "$p" "$u" "$m1"
  tn=$t1 dn=$d1
  if ((threads > 1)); then
    read -r tn dn p u mn < <(run "$name" fast "$threads")
    row "$name" fast "$threads" "$tn" "$dn" "$p" "$u" "$mn"
  fi
  read -r tr dr p u mr < <(run "$name" reference 1)
  row "$name" reference 1 "$tr" "$dr" "$p" "$u" "$mr"
  summary+=("$(printf '%-22s fast/reference (1 thread): drawing %5.2fx, total %5.2fx   %d threads/1 thread: drawing %4.2fx, total %4.2fx' \
    "$name" "$(ratio "$dr" "$d1")" "$(ratio "$tr" "$t1")" "$threads" "$(ratio "$d1" "$dn")" "$(ratio "$t1" "$tn")")")
  if [[ $name == heavy ]]; then
    limit=$(($(pixels_of heavy) * 100 / 1024 + 64 * 1024))
    summary+=("$(printf '%-22s peak memory %.1f MiB (limit 100 bytes a pixel + 64 MiB = %.1f MiB)' heavy \
      "$(echo "$m1 / 1024" | bc -l)" "$(echo "$limit / 1024" | bc -l)")")
  fi
done
echo
printf '%s\n' "${summary[@]}"
