#!/usr/bin/python3
"""The 17.5 Hz inspiral from Python: 36 and 29 solar masses start at an orbital 17.5 Hz (a wave frequency of
35 Hz, where GW150914 entered the detectors) under the model for a merger (--gravity merger), spiral in to
6 G m / c^2 and merge; the strain seen face-on from 410 Mpc, the inspiral and the remnant's ringdown,
plotted with matplotlib.

   PYTHONPATH=build/python examples/inspiral_strain.py [OUTPUT.png]   (default docs/python_inspiral.png)"""
import sys

import matplotlib

matplotlib.use("Agg")  # no display needed
import matplotlib.pyplot as plt  # noqa: E402

import bhsim  # noqa: E402

output = sys.argv[1] if len(sys.argv) > 1 else "docs/python_inspiral.png"
result = bhsim.run(2, {"Tfreq": 17.5, "Tdm1": 0, "Tdm2": 0, "Tnrev": 0, "Ttotaltime": 0.25},
                   gravity="merger", strain=True)
row = result.table.iloc[0]
remnant = result.json["remnant"][0]
h = result.strain
print(f"{row.end_reason} at {row.sim_time_s:.4f} s after {row.steps} steps; remnant "
      f"{remnant['remnant_msun']:.1f} solar masses, spin {remnant['remnant_spin']:.2f}, "
      f"kick {remnant['kick_kms']:.0f} km/s; {len(h)} strain samples")

figure, axes = plt.subplots(figsize=(8.2, 4.2), layout="constrained")
axes.plot(h["t_s"], h["h_plus"], label="h+", linewidth=1)
axes.plot(h["t_s"], h["h_cross"], label="h\N{MULTIPLICATION SIGN}", linewidth=1)
axes.axvline(row.sim_time_s, color="grey", linestyle="--", linewidth=0.8)
axes.annotate(f"merger at {row.sim_time_s * 1000:.1f} ms: {remnant['remnant_msun']:.1f} M\N{SUN}, "
              f"spin {remnant['remnant_spin']:.2f}", (row.sim_time_s, 1.1 * h["h_plus"].max()),
              xytext=(6, 0), textcoords="offset points", va="top", fontsize=9)
axes.set(xlabel="time (s)", ylabel="strain",
         title=f"36 + 29 M\N{SUN} from a wave frequency of 35 Hz, face-on from 410 Mpc\n"
               f"bhsim {bhsim.__version__}, gravity merger ({result.json['gravity']})")
axes.legend(loc="lower left")
figure.savefig(output, dpi=100)
print(f"wrote {output}")
