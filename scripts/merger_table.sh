#!/usr/bin/env bash
# How long black holes of 36 and 29 solar masses take to merge (to come within 6 G m / c^2) from an
# orbital 5 Hz and 17.5 Hz under each model with radiation reaction, and their orbital frequency there,
# beside two closed forms for the same start: Peters' time (Newton's law and the leading reaction, from
# the Newtonian separation of that frequency to 6 G m / c^2) and the time consistent at first order,
#   tau(x) = 5/256 (G m / c^3) / nu * x^-4 [1 + (743/252 + 11 nu / 3) x],  x = (G m w / c^3)^(2/3),
# from the frequency's x to x = 1/6. Prints the table of the README's "Relativistic gravity".
# The frequency at the merger is half the wave's, from the phase of the strain's last two samples (seen
# face-on, h+ and hx turn at twice the orbital frequency), 10 microseconds apart.
# Usage: scripts/merger_table.sh [path to bhsim]
set -euo pipefail
cd "$(dirname "$0")/.."
bhsim=${1:-build/bhsim}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# the time to merger (or "none" by 12 s) and the orbital frequency at the end, of one run
run() {
  local model=$1 frequency=$2 steps=$3 seconds=$4
  "$bhsim" --batch --bh 2 --gravity "$model" Tfreq="$frequency" Tdm1=0 Tdm2=0 Tmaxcount="$steps" Tnrev=0 \
    Ttotaltime="$seconds" --refresh-every "$steps" --quiet --trace "$work/trace.csv" --table "$work/table.csv"
  # table columns: 3 steps, 4 sim_time_s, 5 end_reason; trace: configuration,step,body,x_km,y_km
  awk -F, 'NR == FNR { if (FNR == 2) { dt = $4 / $3; time = $4; reason = $5 } next }
           FNR > 1 && $3 == 1 { x = $4; y = $5 }
           FNR > 1 && $3 == 2 { angle[n] = atan2($5 - y, $4 - x); step[n] = $2; n++ }
           END {
             turn = angle[n - 1] - angle[n - 2]
             while (turn < 0) turn += 2 * 3.141592653589793
             f = turn / (2 * 3.141592653589793) / ((step[n - 1] - step[n - 2]) * dt)
             if (reason == "merger12") printf "%.3f s|%.1f Hz\n", time, f
             else printf "none by %.0f s (%s)|-\n", time, reason
           }' "$work/table.csv" "$work/trace.csv"
}

closed_forms() {  # Peters and the time consistent at first order, from `frequency`
  awk -v f="$1" 'BEGIN {
    GM = 132712751999.99998; c = 299792; pi = 3.141592653589793
    m1 = 36 * GM; m2 = 29 * GM; m = m1 + m2; nu = m1 * m2 / (m * m)
    w = 2 * pi * f; a0 = (m / (w * w))^(1 / 3); am = 6 * m / (c * c)
    peters = 5 / 256 * c^5 * (a0^4 - am^4) / (m1 * m2 * m)
    x0 = (m * w / c^3)^(2 / 3)
    tau0 = 5 / 256 * (m / c^3) / nu * x0^-4 * (1 + (743 / 252 + 11 * nu / 3) * x0)
    tau1 = 5 / 256 * (m / c^3) / nu * 6^4 * (1 + (743 / 252 + 11 * nu / 3) / 6)
    printf "%.3f s|%.3f s\n", peters, tau0 - tau1
  }'
}

IFS='|' read -r peters5 consistent5 < <(closed_forms 5)
IFS='|' read -r peters17 consistent17 < <(closed_forms 17.5)
echo "| model | from 5 Hz | from 17.5 Hz | orbital frequency at the merger |"
echo "|---|---|---|---|"
echo "| Peters (1964) | $peters5 | $peters17 | 33.8 Hz (Kepler at 6 G m / c²) |"
echo "| consistent at 1PN | $consistent5 | $consistent17 | 33.8 Hz (x = 1/6) |"
for model in 2.5pn 1pn+2.5pn 1pn+2pn+2.5pn 1pn+2pn+3pn+2.5pn 1pn+2.5pn+3.5pn 1pn+2pn+2.5pn+3.5pn \
  1pn+2pn+3pn+2.5pn+3.5pn; do
  IFS='|' read -r time5 frequency5 < <(run "$model" 5 20000 12)
  IFS='|' read -r time17 frequency17 < <(run "$model" 17.5 1000000 1)
  echo "| \`$model\` | $time5 | $time17 | $frequency17 |"
done
