#!/usr/bin/env bash
# The strain of 36 + 29 solar masses from a wave frequency of 35 Hz (orbital 17.5 Hz), seen face-on from
# 410 Mpc, under a gravity model (default 1pn+2.5pn: the inspiral to the innermost stable orbit), and its
# wave frequency against time from the zero crossings of h+, beside the measured facts of GW150914.
# Writes docs/chirp.csv (the strain file), docs/chirp.json and docs/chirp.png.
# Usage: scripts/chirp_plot.sh [path to bhsim] [--gravity MODEL]
set -euo pipefail
cd "$(dirname "$0")/.."
bhsim=build/bhsim
model=1pn+2.5pn
while [ $# -gt 0 ]; do
  case $1 in
    --gravity) model=$2; shift 2 ;;
    *) bhsim=$1; shift ;;
  esac
done
if ! command -v gnuplot >/dev/null; then
  if [ "$(id -u)" = 0 ]; then apt-get install -y -qq gnuplot-nox >/dev/null; else
    echo "gnuplot is missing: apt-get install -y gnuplot-nox" >&2; exit 1; fi
fi
# Newtonian gravity is the program's own without any option.
gravity=()
[ "$model" != newtonian ] && gravity=(--gravity "$model")
mkdir -p docs
# Stopped at 0.25 s of simulated time at the latest (Peters: 0.19 s to merger from 35 Hz).
"$bhsim" --batch --bh 2 Tfreq=17.5 Tdm1=0 Tdm2=0 Tnrev=0 Ttotaltime=0.25 --refresh-every 10000 --quiet \
  "${gravity[@]}" --strain docs/chirp.csv --json docs/chirp.json
# The wave frequency between two zero crossings of h+ (interpolated): half a wave period apart.
awk -F, 'NR > 2 && ($3 < 0) != (h < 0) { z = $2 - $3 / ($3 - h) * ($2 - t)
           if (last != "") printf "%.9g,%.9g\n", (z + last) / 2, 1 / (2 * (z - last)); last = z }
         NR > 1 { t = $2; h = $3 }' docs/chirp.csv >docs/chirp_frequency.csv
gnuplot <<PLOT
set datafile separator ','
set terminal pngcairo size 820,700 font ',10'
set output 'docs/chirp.png'
set multiplot layout 2,1 title '36 + 29 solar masses from a wave frequency of 35 Hz, face-on from 410 Mpc ($model)'
set xlabel 'time (s)'
set ylabel 'h+'
set format y '%.1te%T'
set key below
set xrange [0:0.25]
set offsets 0, 0, graph 0.1, graph 0.1
plot 'docs/chirp.csv' skip 1 using 2:3 with lines lc rgb '#1f4e9c' title 'h+', \
     1e-21 with lines dt 2 lc rgb '#c03030' title 'GW150914 peak strain 1.0e-21', \
     -1e-21 with lines dt 2 lc rgb '#c03030' notitle
set ylabel 'wave frequency (Hz)'
set format y '%g'
set logscale y
set yrange [20:400]
set ytics (20, 35, 50, 100, 150, 250, 400)
set offsets 0, 0, 0, 0
plot 'docs/chirp_frequency.csv' using 1:2 with linespoints pt 7 ps 0.4 lc rgb '#1f4e9c' title 'from the zero crossings of h+', \
     35 with lines dt 2 lc rgb '#c03030' title 'GW150914: 35 Hz ...', \
     250 with lines dt 3 lc rgb '#c03030' title '... to about 250 Hz in about 0.2 s'
unset multiplot
PLOT
echo "wrote docs/chirp.csv, docs/chirp_frequency.csv, docs/chirp.json and docs/chirp.png ($model)"
