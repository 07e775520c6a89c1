#!/usr/bin/env bash
# Runs each fuzz target of a build tree for SECONDS, one after the other, on its own corpus
# folder under BUILD/corpus (kept from run to run, seeded on the first). Prints executions
# and coverage per target; a target that finds something has its report printed and its
# input left as BUILD/corpus/<target>-crash-* (or -leak-, -timeout-, -oom-), the others
# still run, and the script fails at the end.
# Usage: fuzz/run.sh BUILD SECONDS
set -euo pipefail
build=$1
seconds=$2
corpora=$build/corpus

# zint --dump prints a symbol's rows as hex digits, dark modules as 1 bits, left to right.
# Prints each row as `columns` characters, 0 or 1 per module (light past the dump's end).
module_rows() {
  local columns=$1 line digit bits i
  while read -r line; do
    bits=""
    line=${line// /}
    for ((i = 0; i < ${#line}; i++)); do
      digit=$((16#${line:i:1}))
      bits+=$((digit >> 3 & 1))$((digit >> 2 & 1))$((digit >> 1 & 1))$((digit & 1))
    done
    while ((${#bits} < columns)); do bits+=0; done
    echo "${bits:0:columns}"
  done
}

# Bytes as octal escapes for printf: one byte per argument (0..255).
bytes() { for b in "$@"; do printf "\\\\%03o" "$b"; done; }

# First-run corpora: image files of each kind, and DataMatrix and barcode symbols drawn in
# the targets' own input layouts (see each *_fuzz.cpp), when zint is at hand.
write_seeds() {
  local dir=$corpora/image_file
  mkdir -p "$dir"
  printf 'P5 2 2 255\n\001\002\003\004' >"$dir/p5.pgm"
  printf 'P2\n# grey\n3 1\n65535\n0 32768 65535\n' >"$dir/p2.pgm"
  command -v zint >/dev/null || return 0
  zint -b 71 --square -d "12" -o "$dir/datamatrix.png" >/dev/null

  local rows side modules row cells=""
  rows=$(zint -b 71 --square --dump -d "FUZZ" | module_rows 12)
  side=12
  # Decoder: a real-size selector, size index ((side - 10) / 2 among the squares), upright,
  # no row padding, then one byte per module.
  modules=$(bytes 0 $(((side - 10) / 2)) 0 0 $(echo "$rows" | sed 's/./& /g'))
  mkdir -p "$corpora/datamatrix_decode"
  printf "$modules" >"$corpora/datamatrix_decode/seed"
  # Finder: 64 x 64 pixels of 4-pixel cells, rows 8 apart, sides 15..270, any shape,
  # relaxed fit, dark on light, score 600, the rows pass; the symbol in a 2-cell quiet zone.
  for row in $(yes 000000000000 | head -2) $rows $(yes 000000000000 | head -2); do
    row=00${row}00
    cells+=$(echo "$row" | sed 's/0/224 /g; s/1/32 /g')
  done
  mkdir -p "$corpora/locate" "$corpora/rings"
  printf "$(bytes 63 63 3 7 15 255 0 1 1 2 88 1 $cells)" >"$corpora/locate/seed"
  # Ring finder: the same picture, its options in the same bytes' places.
  printf "$(bytes 63 63 3 3 1 15 15 255 0 $cells)" >"$corpora/rings/seed"
  # Barcode: 160 x 100 pixels of 2-pixel cells, every row of cells the bars of a Code 128
  # symbol with a quiet zone.
  local bars
  bars=$(zint -b 20 --dump -d "FZ1" | module_rows 68)
  bars=$(echo "000000${bars}000000" | sed 's/0/224 /g; s/1/32 /g')
  mkdir -p "$corpora/barcode"
  printf "$(bytes 159 99 1 $(for _ in $(seq 50); do echo "$bars"; done))" >"$corpora/barcode/seed"
}

[ -d "$corpora" ] || write_seeds
findings=()
for target in "$build"/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=${target##*/fuzz_}
  mkdir -p "$corpora/$name"
  log=$corpora/$name.log
  if ! "$target" -max_total_time="$seconds" -timeout=20 -print_final_stats=1 \
      -artifact_prefix="$corpora/$name-" "$corpora/$name" >"$log" 2>&1; then
    tail -n 40 "$log"
    echo "fuzz_$name: finding, input saved as $corpora/$name-*"
    findings+=("$name")
    continue
  fi
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  coverage=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1)
  echo "fuzz_$name: $executions executions, $coverage"
done
if ((${#findings[@]})); then
  echo "findings in: ${findings[*]}" >&2
  exit 1
fi
