#!/usr/bin/env bash
# Times zorva-render end to end on the example settings and on standard
# workloads: fast and reference inker, one thread and all cores. Prints for
# each the median time of several runs, points and pixel updates per second,
# peak memory, and the ratios fast/reference and N threads/1 thread.
#   bench/compare.sh                 every workload
#   RUNS=5 THREADS=8 bench/compare.sh heavy default
set -euo pipefail
cd "$(dirname "$0")/.."
[[ -x build/zorva-render ]] || scripts/build.sh >&2
exe=$PWD/build/zorva-render
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

# run WORKLOAD INKER THREADS -> "seconds points updates peakKiB" (median time, largest memory)
run() {
  local name=$1 inker=$2 t=$3 i times=() peak=0 points=0 updates=0
  for ((i = 0; i < runs; i++)); do
    # shellcheck disable=SC2086
    /usr/bin/time -f "%e %M" -o "$work/time" env ZORVA_STATS=1 "$exe" ${args[$name]} -q --seed 1 \
      --threads "$t" --inker "$inker" --stem "$work/out" >/dev/null 2>"$work/err"
    read -r secs kib <"$work/time"
    times+=("$secs")
    ((kib > peak)) && peak=$kib
    read -r points updates < <(sed -n 's/.*drew \([0-9]*\) points, \([0-9]*\) pixel updates.*/\1 \2/p' "$work/err")
  done
  local median
  median=$(printf '%s\n' "${times[@]}" | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')
  echo "$median $points $updates $peak"
}

printf '%-22s %-9s %7s %9s %12s %14s %10s\n' workload inker threads "median s" "points/s" "updates/s" "peak MiB"
row() {
  printf '%-22s %-9s %7s %9.3f %12.3g %14.4g %10.1f\n' "$1" "$2" "$3" "$4" "$(echo "$5 / $4" | bc -l)" \
    "$(echo "$6 / $4" | bc -l)" "$(echo "$7 / 1024" | bc -l)"
}
summary=()
for name in "${order[@]}"; do
  read -r f1 p u m1 < <(run "$name" fast 1)
  row "$name" fast 1 "$f1" "$p" "$u" "$m1"
  if ((threads > 1)); then
    read -r fn p u mn < <(run "$name" fast "$threads")
    row "$name" fast "$threads" "$fn" "$p" "$u" "$mn"
  else
    fn=$f1
  fi
  read -r r1 p u mr < <(run "$name" reference 1)
  row "$name" reference 1 "$r1" "$p" "$u" "$mr"
  summary+=("$(printf '%-22s fast/reference (1 thread) %6.2fx   %d threads/1 thread %5.2fx' "$name" \
    "$(echo "$r1 / $f1" | bc -l)" "$threads" "$(echo "$f1 / $fn" | bc -l)")")
  if [[ $name == heavy ]]; then
    limit=$(($(pixels_of heavy) * 100 / 1024 + 64 * 1024))
    summary+=("$(printf '%-22s peak memory %.1f MiB (limit 100 bytes a pixel + 64 MiB = %.1f MiB)' heavy \
      "$(echo "$m1 / 1024" | bc -l)" "$(echo "$limit / 1024" | bc -l)")")
  fi
done
echo
printf '%s\n' "${summary[@]}"
