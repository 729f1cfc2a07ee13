"""bhsim.run and bhsim.grid give the command line's values: every table, trace, strain, JSON and picture
equal, value for value, to the files bhsim --batch writes for the same run."""
import json
import pickle
import subprocess
import sys
import warnings

import bhsim
import numpy as np
import pytest
from conftest import assert_same_columns, cli, read_csv

RUNS = [
    # the 17.5 Hz inspiral to its merger and ringdown (the remnant's columns), seen from 60 degrees
    (2, {"Tfreq": 17.5, "Tmaxcount": 20000, "Tnrev": 0, "Ttotaltime": 1}, {"gravity": "merger"},
     {"strain_rate": 2048, "inclination_deg": 60}),
    # a three-black-hole sweep in two threads: nine configurations, black hole 3 captured in some
    (3, {"Tmaxcount": "4000", "Talphamax": 80, "Tdalpha": 10}, {"jobs": 2}, {"distance_mpc": 100}),
    # the same inspiral under the adaptive integrator: its events and samples on the dense output
    (2, {"Tfreq": 17.5, "Tmaxcount": 20000, "Tnrev": 0, "Ttotaltime": 1},
     {"gravity": "merger", "integrator": "ias15", "tolerance": 1e-8}, {"strain_rate": 2048}),
]


@pytest.mark.parametrize("bh,fields,options,observer", RUNS)
def test_a_run_gives_the_files_of_the_command_line(bh, fields, options, observer):
    result = bhsim.run(bh, fields, trace=True, png=True, strain=True, **options, **observer)
    args = [f"--bh={bh}", "--table=t.csv", "--trace=d.csv", "--strain=s.csv", "--png=p.png", "--json=j.json"]
    args += [f"--{k.replace('_', '-')}={v}" for k, v in {**options, **observer}.items()]
    assert cli(*args, *[f"{k}={v}" for k, v in fields.items()]) == 0
    assert_same_columns(result.table, read_csv("t.csv"))
    assert_same_columns(result.trace, read_csv("d.csv"))
    assert_same_columns(result.strain, read_csv("s.csv"))
    with open("j.json") as file:
        assert result.json == json.load(file)
    with open("p.png", "rb") as file:
        assert result.png == file.read()
    assert (result.fields, result.captions) == (result.json["end_wait"]["fields"],
                                                result.json["end_wait"]["captions"])
    assert (result.configurations, result.steps) == (len(result.table), result.table["steps"].sum())


GRID = dict(sweeps={"Tmaxcount": np.arange(0, 3000, 1000), "gravity": ["newtonian", "2.5pn"],
                    "integrator": ["euler", "ias15"]}, bh=2,
            fields={"Tnrev": 2}, jobs=2)


def test_a_grid_gives_the_table_of_the_command_line_and_warns_of_refused_points():
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        table = bhsim.grid(**GRID)
    assert cli("--bh=2", "--jobs=2", "Tnrev=2", "--sweep=Tmaxcount=0:2000:1000",
               "--sweep=gravity=newtonian,2.5pn", "--sweep=integrator=euler,ias15",
               "--table=g.csv") == 1  # its points 0 to 3 are refused
    assert_same_columns(table, read_csv("g.csv"))
    assert [str(w.message)[:22] for w in caught] == [f"bhsim: point {n} refused" for n in range(4)]


@pytest.mark.filterwarnings("ignore::RuntimeWarning")
def test_without_pandas_a_table_is_a_numpy_structured_array():
    code = ("import sys, pickle; sys.modules['pandas'] = None; import bhsim; from numpy import array; "
            f"sys.stdout.buffer.write(pickle.dumps(bhsim.grid(**{GRID!r})))")
    out = subprocess.run([sys.executable, "-W", "ignore", "-c", code], check=True, capture_output=True)
    array = pickle.loads(out.stdout)
    assert type(array).__name__ == "ndarray" and array.dtype.names[:3] == ("point", "Tmaxcount", "gravity")
    assert_same_columns(array, bhsim.grid(**GRID))
