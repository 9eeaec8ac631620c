#!/usr/bin/env bash
# Formats the C++ sources with clang-format and the repository's .clang-format.
#   scripts/format.sh           formats every tracked *.h / *.cpp under src/,
#                               tests/ and bench/ in place
#   scripts/format.sh --check   changes nothing; lists the files that are not
#                               formatted and exits 1 if there are any
set -euo pipefail
cd "$(dirname "$0")/.."

check=0
case "${1:-}" in
  "") ;;
  --check) check=1 ;;
  *) echo "usage: scripts/format.sh [--check]" >&2; exit 2 ;;
esac

command -v clang-format >/dev/null || scripts/setup.sh
if ! command -v clang-format >/dev/null; then
  echo "format.sh: clang-format is not installed" >&2
  exit 1
fi

mapfile -d '' files < <(git ls-files -z -- 'src/*.h' 'src/*.cpp' 'tests/*.h' 'tests/*.cpp' 'bench/*.h' 'bench/*.cpp')
if ((${#files[@]} == 0)); then
  echo "format.sh: no tracked sources found" >&2
  exit 1
fi

if ((check == 0)); then
  clang-format -i --style=file -- "${files[@]}"
  exit 0
fi

unformatted=()
for f in "${files[@]}"; do
  if ! clang-format --dry-run --Werror --style=file -- "$f" >/dev/null 2>&1; then
    unformatted+=("$f")
  fi
done
if ((${#unformatted[@]} > 0)); then
  echo "Not formatted (run scripts/format.sh): ${#unformatted[@]} of ${#files[@]} files" >&2
  printf '  %s\n' "${unformatted[@]}" >&2
  exit 1
fi
echo "All ${#files[@]} sources are formatted."
