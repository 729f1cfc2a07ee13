#!/usr/bin/env bash
# The inspiral worked through: black holes of 36 and 29 solar masses from an orbital 5 Hz, their separation
# against time under each post-Newtonian model, beside Peters' curve for the same start (Newtonian gravity
# and radiation reaction, circular orbits: a(t) = a0 (1 - t/T)^(1/4)). The post-Newtonian runs end where
# the separation falls below 6 G m / c^2; the 1pn pair keeps its orbit, and the full set stalls where its
# 3.5PN reaction cancels the 2.5PN one: both are followed for 6 s.
# Writes docs/inspiral.csv and docs/inspiral.png.
# Usage: scripts/inspiral_plot.sh [path to bhsim]
set -euo pipefail
cd "$(dirname "$0")/.."
bhsim=${1:-build/bhsim}
if ! command -v gnuplot >/dev/null; then
  if [ "$(id -u)" = 0 ]; then apt-get install -y -qq gnuplot-nox >/dev/null; else
    echo "gnuplot is missing: apt-get install -y gnuplot-nox" >&2; exit 1; fi
fi
mkdir -p docs
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
echo "model,time_s,separation_km,end_reason" >docs/inspiral.csv
models="1pn 2.5pn 1pn+2.5pn merger 1pn+2pn+3pn+2.5pn full"
for model in $models; do
  "$bhsim" --batch --bh 2 --gravity "$model" Tfreq=5 Tdm1=0 Tdm2=0 Tmaxcount=20000 Tnrev=0 Ttotaltime=6 \
    --refresh-every 20000 --quiet --trace "$work/trace.csv" --table "$work/table.csv"
  # table columns: 3 steps, 4 sim_time_s, 5 end_reason; trace: configuration,step,body,x_km,y_km
  read -r dt reason < <(awk -F, 'NR == 2 { printf "%.17g %s\n", $4 / $3, $5 }' "$work/table.csv")
  awk -F, -v model="$model" -v dt="$dt" -v reason="$reason" \
    'NR > 1 && $3 == 1 { x = $4; y = $5 }
     NR > 1 && $3 == 2 { printf "%s,%.6f,%.3f,%s\n", model, $2 * dt, sqrt(($4 - x)^2 + ($5 - y)^2), reason }' \
    "$work/trace.csv" >>docs/inspiral.csv
done
# Peters: a0 = 2060 km, T(a0) = 5/256 c^5 a0^4 / (G m1 G m2 G m) from the masses in km^3/s^2
gnuplot <<'PLOT'
set datafile separator ','
set terminal pngcairo size 820,460 font ',10'
set output 'docs/inspiral.png'
set title 'Black holes of 36 and 29 solar masses from an orbital 5 Hz'
set xlabel 'time (s)'
set ylabel 'separation of black holes 1 and 2 (km)'
set xrange [0:6.2]
set yrange [0:2300]
set key font ',9' 
set key bottom left
GM = 132712751999.99998
c = 299792.0
m1 = 36 * GM; m2 = 29 * GM; m = m1 + m2
a0 = (m / (2 * pi * 5)**2)**(1.0 / 3)
T = 5.0 / 256 * c**5 * a0**4 / (m1 * m2 * m)
peters(t) = t < T ? a0 * (1 - t / T)**0.25 : 1/0
isco = 6 * m / c**2
set arrow from 0, isco to 6.2, isco nohead dt 3 lc rgb '#888888'
set label "6 G m / c^2" at 5.2, isco + 60 tc rgb '#555555'
set samples 2000
plot for [model in "1pn 2.5pn 1pn+2.5pn merger 1pn+2pn+3pn+2.5pn full"] 'docs/inspiral.csv' \
       using ((strcol(1) eq model) ? $2 : NaN):3 every ::1 with lines lw 2 title model, \
     peters(x) with lines dt 2 lw 2 lc rgb 'black' title "Peters (1964)"
PLOT
echo "wrote docs/inspiral.csv and docs/inspiral.png"
