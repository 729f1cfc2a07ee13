#!/usr/bin/env bash
# The error against the work of the fixed step (euler) and of IAS15 on three problems, each against IAS15
# at its least tolerance: the 2.5pn merger time from an orbital 5 Hz, the 1pn periastron advance of an
# orbit of e = 0.5, and the time black hole 3 of the default three-body configuration at 120 degrees is
# captured. Builds bench/integrator_work.cpp in a Release tree (build, or $BUILD_DIR), runs it (about 20 s
# on one core) and plots the error against the force evaluations and against the wall time.
# Writes docs/integrator.csv and docs/integrator.png.
# Usage: scripts/integrator_plot.sh
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 --target integrator_work >/dev/null
mkdir -p docs
"$build/bench/integrator_work" >docs/integrator.csv
/usr/bin/python3 - <<'PLOT'
import csv
import matplotlib
matplotlib.use("Agg")
import matplotlib.pyplot as plt

rows = list(csv.DictReader(open("docs/integrator.csv")))
problems = [("merger_2.5pn", "2.5pn merger time from 5 Hz"),
            ("periastron_1pn", "1pn periastron advance, e = 0.5"),
            ("three_body_capture", "three bodies: time of the capture")]
works = [("force_evaluations", "force evaluations"), ("seconds", "wall time (s)")]
styles = {"euler": dict(marker="o", color="#d62728", label="euler (steps a revolution)"),
          "ias15": dict(marker="s", color="#1f77b4", label="ias15 (tolerance)")}
floor = 1e-16  # an error of 0 (the converged run itself) drawn at the bottom
fig, axes = plt.subplots(2, 3, figsize=(13, 7.5), constrained_layout=True)
for column, (problem, title) in enumerate(problems):
    for row, (work, label) in enumerate(works):
        ax = axes[row][column]
        for integrator, style in styles.items():
            points = [r for r in rows if r["problem"] == problem and r["integrator"] == integrator]
            ax.loglog([float(r[work]) for r in points],
                      [max(float(r["relative_error"]), floor) for r in points], lw=1.5, ms=4, **style)
        if problem == "merger_2.5pn":
            for level in (1e-4, 1e-9):
                ax.axhline(level, color="#888888", ls=":", lw=1)
        ax.set_xlabel(label)
        ax.set_ylabel("relative error")
        ax.grid(True, which="major", alpha=0.3)
        if row == 0:
            ax.set_title(title)
        if row == 0 and column == 0:
            ax.legend(fontsize=9)
fig.savefig("docs/integrator.png", dpi=100)
PLOT
echo "wrote docs/integrator.csv and docs/integrator.png"
