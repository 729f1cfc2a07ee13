#!/usr/bin/env bash
# A grid of runs worked through: black hole 3's mass from 1 to 20 solar masses against its starting
# angle (the sweep inside each run), and what became of it: taken by black hole 1 or 2 (captured or
# merged), or still free after seven revolutions. Writes docs/grid.csv (and the grid's description
# docs/grid.csv.grid.json) and docs/grid.png.
# Usage: scripts/grid_plot.sh [path to bhsim] [--jobs N]
set -euo pipefail
cd "$(dirname "$0")/.."
bhsim=${1:-build/bhsim}
shift || true
if ! command -v gnuplot >/dev/null; then
  if [ "$(id -u)" = 0 ]; then apt-get install -y -qq gnuplot-nox >/dev/null; else
    echo "gnuplot is missing: apt-get install -y gnuplot-nox" >&2; exit 1; fi
fi
mkdir -p docs
"$bhsim" --batch --bh 3 Tmaxcount=100000 Tdalpha=10 --refresh-every 10000 --sweep TBH3=1:20:1 --quiet "$@" \
  --table docs/grid.csv
# columns: 1 point, 2 TBH3, 4 alpha_deg, 7 end_reason, 9 m1_msun, 10 m2_msun
gnuplot <<'PLOT'
set datafile separator ','
set terminal pngcairo size 820,440 font ',10'
set output 'docs/grid.png'
set title 'What becomes of black hole 3 (black holes 1 and 2: 36 and 29 solar masses at 33 Hz)'
set xlabel 'starting angle of black hole 3 (degrees)'
set ylabel 'mass of black hole 3 (solar masses)'
set xrange [-5:365]
set yrange [0.5:20.5]
set xtics 45
set key outside right
fate(reason, m1, m2) = reason eq 'merger13' || m1 > 36.0001 ? 1 : (reason eq 'merger23' || m2 > 29.0001 ? 2 : 3)
name(k) = k == 1 ? 'taken by black hole 1' : (k == 2 ? 'taken by black hole 2' : 'free')
plot for [k=1:3] 'docs/grid.csv' skip 1 using 4:(fate(strcol(7), $9, $10) == k ? $2 : NaN) \
     with points pt 5 ps 1.1 lc k title name(k)
PLOT
echo "wrote docs/grid.csv and docs/grid.png"
