#!/usr/bin/env bash
# bench/startup.sh [RUNS]: how long the viewer takes from exec to the first
# image on screen, and its peak memory up to then, under a virtual X display
# (xvfb-run); and the same for an empty QWidget window of the viewer's size,
# Qt's own floor. Each program runs RUNS times (10 unless told), the two
# taking turns, so that a change in the machine's load meets both alike;
# the medians are printed last.
#
# The viewer is started as `make run` starts it, in samples/ and with
# samples/demo.zpk to open; ZPKVIEW_REPORT_FIRST_PAINT makes it print the
# moment its canvas painted that file's first image, and quit (see
# src/app/main.cpp). build/bin/run-measured starts each run, reads that line
# and takes the peak resident set from wait4.
#
# Needs a build (make build, or ZPK_BIN_DIR=/some/build/bin) and xvfb-run.
# Targets, against the empty window of the same run (the machine's load
# moves both): the viewer's start to image at most 1.3 times the empty
# window's, its peak at most 6 MiB above the empty window's. The summary
# prints both figures and whether each is met.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
bin=${ZPK_BIN_DIR:-$root/build/bin}

# The field's median over lines of key=value fields, as run-measured takes
# it (the mean of the middle two for an even count).
median() { # field, lines
  printf "%s\n" "$2" | grep -o "$1=[0-9.]*" | cut -d= -f2 | sort -g |
    awk '{ v[NR] = $1 } END { print NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# The measuring itself, run under xvfb-run by the part below.
if [ "${1:-}" = "--on-display" ]; then
  runs=$2
  empty="" viewer=""
  for i in $(seq "$runs"); do
    line=$("$bin/run-measured" --first-paint --timeout 30 -- "$bin/startup-empty-window" | grep "^median")
    empty+="run $i: ${line#median }"$'\n'
    line=$(cd "$root/samples" && "$bin/run-measured" --first-paint --timeout 30 -- "$bin/zpkview" demo.zpk |
      grep "^median")
    viewer+="run $i: ${line#median }"$'\n'
  done
  medians() { # lines of one program's runs
    printf "median wall_ms=%s cpu_ms=%s peak_kib=%s first_paint_ms=%s\n" "$(median wall_ms "$1")" \
      "$(median cpu_ms "$1")" "$(median peak_kib "$1")" "$(median first_paint_ms "$1")"
  }
  summary() { # label, lines of its runs
    awk -v label="$1" -v paint="$(median first_paint_ms "$2")" -v peak="$(median peak_kib "$2")" 'BEGIN {
      printf "  %-28s start to first paint %6.1f ms, peak RSS %5.1f MiB (medians)\n", label, paint, peak / 1024 }'
  }
  echo "empty QWidget window (Qt floor):"
  printf "%s%s\n" "$empty" "$(medians "$empty")" | sed "s/^/    /"
  echo "zpkview samples/demo.zpk:"
  printf "%s%s\n" "$viewer" "$(medians "$viewer")" | sed "s/^/    /"
  echo "summary (targets: viewer start to image <= 1.3 x the empty window's, peak <= the empty window's + 6 MiB):"
  summary "empty QWidget window" "$empty"
  summary "zpkview samples/demo.zpk" "$viewer"
  awk -v ep="$(median first_paint_ms "$empty")" -v vp="$(median first_paint_ms "$viewer")" \
    -v ek="$(median peak_kib "$empty")" -v vk="$(median peak_kib "$viewer")" 'BEGIN {
    ratio = vp / ep; extra = (vk - ek) / 1024
    printf "  %-28s start to image %.2f x (target <= 1.3: %s), peak %+.1f MiB (target <= +6: %s)\n",
      "viewer against empty window", ratio, ratio <= 1.3 ? "met" : "not met", extra, extra <= 6 ? "met" : "not met" }'
  exit 0
fi

runs=${1:-10}
for program in zpkview startup-empty-window run-measured; do
  if [ ! -x "$bin/$program" ]; then
    echo "startup.sh: $bin/$program is missing: make build first (or set ZPK_BIN_DIR)" >&2
    exit 1
  fi
done
if [ -z "$(command -v xvfb-run || true)" ]; then
  echo "startup.sh: needs xvfb-run (Debian: xvfb)" >&2
  exit 1
fi

echo "startup.sh: $(date -u '+%Y-%m-%d %H:%M:%S UTC'), load average $(cut -d' ' -f1-3 /proc/loadavg), $runs runs each"

# One X server for every run, so that its own start is not measured; a
# 24-bit screen, as a desktop has.
ZPK_BIN_DIR=$bin xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" "$root/bench/startup.sh" --on-display "$runs"
echo "startup.sh: done $(date -u '+%H:%M:%S UTC'), load average $(cut -d' ' -f1-3 /proc/loadavg)"
