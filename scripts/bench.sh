#!/usr/bin/env bash
# The whole benchmark suite in one run: builds every benchmark in release mode into build-bench/,
# runs them under one Xvfb screen with Mesa's software GL and OpenAL Soft's null output, and prints
# one table of the whole program's figures with each peer's figure, the ratio and the goal.
#
#   bash scripts/bench.sh            # the full run (about 13 minutes: 10 of them are the memory run)
#   bash scripts/bench.sh --quick    # a short run for development (about 3 minutes)
#   bash scripts/bench.sh --table    # only print the table again from the last run's figures
#
# Every program's raw output is kept in build-bench/bench-out/, the table in
# build-bench/bench-out/table.md.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir="$top/build-bench"
out="$dir/bench-out"

quick=0
table_only=0
failed=()
case "${1:-}" in
  --quick) quick=1 ;;
  --table) table_only=1 ;;
  "") ;;
  *) echo "usage: bash scripts/bench.sh [--quick | --table]" >&2; exit 2 ;;
esac

if [ $table_only = 0 ]; then
bash "$top/scripts/deps.sh"
jobs=$(nproc 2>/dev/null || echo 2)
cmake -S "$top" -B "$dir" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$dir" -j "$jobs" --target qr_bench qr_data
rm -rf "$out"
mkdir -p "$out"

export LIBGL_ALWAYS_SOFTWARE=1
export ALSOFT_DRIVERS=null

# One program's run: its whole output to <name>.txt, its figure lines collected. A program that
# fails or runs past its time limit leaves its figures out and is named at the end.
run() {
  local name=$1 limit=$2
  shift 2
  echo "== $name: $*" >&2
  if ! (cd "$dir/bench" && timeout "$limit" xvfb-run -a -s "-screen 0 1280x1024x24" "$@") \
      >"$out/$name.txt" 2>&1; then
    failed+=("$name (see $out/$name.txt)")
  fi
  grep -P '^FIGURE\t' "$out/$name.txt" | cut -f2- >>"$out/figures.tsv" || true
}
: >"$out/figures.tsv"

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
if [ $quick = 1 ]; then
  run play 900 ./qr_play_bench --quick
else
  run play 1800 ./qr_play_bench
fi
run renderer 600 ./qr_renderer_bench
run collector 600 ./qr_gc_bench
run string 600 ./qr_string_bench
load_after=$(cut -d' ' -f1-3 /proc/loadavg)
printf '%s\n' "$load_before" "$load_after" "$quick" >"$out/run-info"
fi
[ -f "$out/figures.tsv" ] || { echo "no figures in $out: run bash scripts/bench.sh first" >&2; exit 1; }
{ read -r load_before; read -r load_after; read -r quick; } <"$out/run-info"

# The rows: key | what | kind | goal. Kind "lower" is a cost (ratio = peer / ours, above 1 means
# ours is faster), "higher" is a rate (ratio = ours / peer), "floor" is a cost beside what a bare
# window costs (ratio = ours / floor). A goal is "<= v", ">= v", "ratio >= v", one set against the
# peer ("<= f x peer", "<= peer + v", "<= peer + f x assets", where assets is the figure
# <key>.assets), or "-" for a figure shown without one. The row "play.rss_mb.growth" is computed
# from two others.
rows=$(cat <<'EOF'
start.first_frame_ms|start-up to the first rendered frame (ms) vs a bare window|floor|<= 1.15 x peer
start.menu_ms|start-up to the first frame of the main menu (ms) vs a bare window + 14 loader frames (233 ms)|floor|<= peer + 25
rss.menu_mb|resident memory at the menu, 1 s after it showed (MB) vs a bare window after the same wait|floor|-
rss.menu_mb.assets|decoded assets in use at the menu (MB)|lower|-
play.update_cpu_ms.median|update CPU, median (ms)|lower|-
play.update_cpu_ms.p99|update CPU, 99th percentile (ms)|lower|-
play.render_cpu_ms.median|render CPU incl. GL driver, median (ms)|lower|-
play.render_cpu_ms.p99|render CPU incl. GL driver, 99th percentile (ms)|lower|-
play.render_ours_ms.median|render, our code without GL submits, median (ms)|lower|-
play.render_ours_ms.p99|render, our code without GL submits, 99th percentile (ms)|lower|-
play.pair_cpu_ms.median|update + render CPU, median (ms)|lower|<= 0.25
play.pair_cpu_ms.p99|update + render CPU, 99th percentile (ms)|lower|<= 1
play.interval_ms.mean|interval between updates, mean (ms; period 16.667)|lower|-
play.interval_ms.sd|interval between updates, standard deviation (ms)|lower|-
play.latency_ms.key.median|input latency, keys: callback to the swap of the frame after the update that used it, median (ms)|lower|<= 17
play.latency_ms.key.p99|input latency, keys, 99th percentile (ms)|lower|<= 34
play.latency_ms.drag.median|input latency, mouse drags, median (ms)|lower|<= 17
play.latency_ms.drag.p99|input latency, mouse drags, 99th percentile (ms)|lower|<= 34
play.gc_step_max_ms|longest collector step in play (ms)|lower|<= 0.5
play.gc_step_p99_ms|collector step in play, 99th percentile (ms)|lower|-
play.gc_bytes_per_frame|collector allocation per play frame (bytes)|lower|<= 2048
play.rss_mb.1min|resident memory after 1 minute of play (MB) vs a bare window|floor|<= peer + 1.5 x assets
play.rss_mb.1min.assets|decoded assets in use in play (MB)|lower|-
play.rss_mb.end|resident memory at the end of the memory run (MB)|lower|-
play.rss_mb.growth|resident memory growth between the two (MB)|lower|<= 1
idle.menu_cpu_pct|CPU in the untouched menu, whole process (% of a core)|lower|-
idle.menu_ours_pct|CPU in the untouched menu, our code (% of a core)|lower|-
idle.suspended_cpu_pct|CPU while suspended, whole process (% of a core)|lower|<= 0.5
renderer.frame_ms.1000|renderer frame, 1,000 sprites (ms) vs SDL2|lower|ratio >= 1.2
renderer.frame_ms.5000|renderer frame, 5,000 sprites (ms) vs SDL2|lower|ratio >= 1.2
renderer.frame_ms.20000|renderer frame, 20,000 sprites (ms) vs SDL2|lower|ratio >= 1.2
gc.alloc_rate|collector allocation throughput (M/s) vs Boehm GC|higher|-
gc.step_max_ms|longest collector step on that workload (ms)|lower|<= 0.5
gc.step_p99_ms|collector step on that workload, 99th percentile (ms)|lower|-
string.concat|String concatenation (ns) vs std::u16string|lower|-
string.split|String Split (ns) vs std::u16string|lower|-
string.join|String Join (ns) vs std::u16string|lower|-
string.replace|String Replace (ns) vs std::u16string|lower|-
EOF
)

machine=$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')
cores=$(nproc)
memory=$(awk '/MemTotal/ {printf "%.0f GiB", $2 / 1048576}' /proc/meminfo)
commit=$(git -C "$top" rev-parse --short HEAD 2>/dev/null || echo "?")

{
  echo "Measured $(date -u '+%Y-%m-%d %H:%M UTC') at commit $commit on $machine, $cores cores,"
  echo "$memory, $(. /etc/os-release && echo "$PRETTY_NAME"), Xvfb with Mesa's software GL;"
  echo "load average before/after: $load_before / $load_after. Release build (scripts/bench.sh$([ $quick = 1 ] && echo ' --quick'))."
  echo
  echo "| figure | ours | peer | ratio | goal | met |"
  echo "|---|---:|---:|---:|---|---|"
  awk -F'|' -v rows="$rows" '
    BEGIN { OFS = "" }
    FILENAME != "" { split($0, f, "\t"); value[f[1]] = f[2] }
    END {
      if (("play.rss_mb.1min" in value) && ("play.rss_mb.end" in value))
        value["play.rss_mb.growth"] = value["play.rss_mb.end"] - value["play.rss_mb.1min"]
      n = split(rows, line, "\n")
      for (i = 1; i <= n; i++) {
        split(line[i], r, "|")
        key = r[1]; what = r[2]; kind = r[3]; goal = r[4]
        ours = (key in value) ? sprintf("%.3f", value[key]) : "not measured"
        peer = ((key ".peer") in value) ? sprintf("%.3f", value[key ".peer"]) : ""
        ratio = ""
        if ((key in value) && ((key ".peer") in value) && value[key] > 0 && value[key ".peer"] > 0)
          ratio = sprintf("%.2fx", kind == "lower" ? value[key ".peer"] / value[key] : value[key] / value[key ".peer"])
        met = ""
        shown = (goal == "-" ? "" : goal)
        if (goal != "-" && (key in value)) {
          ng = split(goal, g, " ")
          # A goal set against the peer becomes a limit once the peer (and the assets) are known.
          limit = ""
          if (g[1] == "<=" && ng == 2) limit = g[2] + 0
          else if (g[1] == "<=" && g[3] == "x" && g[4] == "peer" && ((key ".peer") in value)) limit = g[2] * value[key ".peer"]
          else if (g[1] == "<=" && g[2] == "peer" && ng == 4 && ((key ".peer") in value)) limit = value[key ".peer"] + g[4]
          else if (g[1] == "<=" && g[2] == "peer" && g[5] == "x" && ((key ".peer") in value) && ((key ".assets") in value))
            limit = value[key ".peer"] + g[4] * value[key ".assets"]
          if (limit != "") {
            met = (value[key] <= limit) ? "yes" : "NO"
            if (ng > 2) shown = sprintf("%s (%.1f)", goal, limit)
          } else if (g[1] == ">=") met = (value[key] >= g[2] + 0) ? "yes" : "NO"
          else if (g[1] == "ratio" && ratio != "") met = (substr(ratio, 1, length(ratio) - 1) + 0 >= g[3] + 0) ? "yes" : "NO"
          else met = "no peer"
        }
        print "| ", what, " | ", ours, " | ", peer, " | ", ratio, " | ", shown, " | ", met, " |"
      }
    }' "$out/figures.tsv"
} | tee "$out/table.md"

if [ ${#failed[@]} -gt 0 ]; then
  echo
  echo "Programs that failed or ran out of time: ${failed[*]}"
  exit 1
fi
