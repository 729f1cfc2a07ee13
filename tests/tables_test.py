#!/usr/bin/python3
"""Every kind of table bhsim writes (a run's, its trace, a grid's) is read right by pandas' read_csv with
its defaults: the header row's columns and one row per configuration, point or dot. (An angle sweep's
table is a run's with more rows; shards and their merge are a grid's table, byte for byte: core_test.)
   tables_test.py path/to/bhsim"""
import json
import os
import subprocess
import sys
import tempfile

import pandas as pd

bhsim = os.path.realpath(sys.argv[1])
TABLE = ("configuration,alpha_deg,steps,sim_time_s,end_reason,bodies_left,m1_msun,m2_msun,m3_msun,dmin12_km,"
         "dmin13_km,dmin23_km,vmax1_kms,vmax2_kms,vmax3_kms,revolutions,last_rev_time_s,energy_rel_change")

with tempfile.TemporaryDirectory() as work:
    def run(*args):
        subprocess.run([bhsim, *args], check=True, cwd=work, stdout=subprocess.DEVNULL)

    def check(name, columns, rows):
        frame = pd.read_csv(os.path.join(work, name))
        assert list(frame.columns) == columns.split(","), f"{name}: columns {list(frame.columns)}"
        assert len(frame) == rows, f"{name}: {len(frame)} rows instead of {rows}"
        return frame

    run("--batch", "--bh", "2", "Tmaxcount=1000", "--table", "single.csv", "--trace", "trace.csv",
        "--json", "single.json")
    check("single.csv", TABLE, 1)
    with open(os.path.join(work, "single.json")) as file:
        steps = json.load(file)["steps"]
    check("trace.csv", "configuration,step,body,x_km,y_km", 2 * (steps // 1000))  # both bodies every 1000
    run("--batch", "--bh", "2", "Tmaxcount=1000", "--sweep", "TBH2=10:30:10", "--sweep", "Tdm1=0,5",
        "--table", "grid.csv")
    frame = check("grid.csv", "point,TBH2,Tdm1," + TABLE, 6)
    assert list(frame["TBH2"]) == [10, 10, 20, 20, 30, 30], frame["TBH2"]
print("tables_test: pandas reads every table right")
