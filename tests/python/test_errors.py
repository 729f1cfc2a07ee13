"""Python's conventions: refused runs, bad arguments, Ctrl-C during a run, runs in threads at once."""
import os
import signal
import subprocess
import threading
import time

import bhsim
import numpy as np
import pytest
from conftest import BHSIM


def test_a_refused_run_raises_refused_with_the_command_lines_reason():
    with pytest.raises(bhsim.Refused) as refused:
        bhsim.run(2, {"Tmaxcount": 0})
    cli = subprocess.run([BHSIM, "--batch", "--bh", "2", "Tmaxcount=0"], capture_output=True, text=True)
    assert cli.stderr == f"bhsim: run refused: {refused.value}\n"
    with pytest.raises(bhsim.Refused, match="nothing would end the run"):
        bhsim.run(2, {"Tnrev": 0, "Ttotaltime": 0})


@pytest.mark.parametrize("call,error,named", [
    (lambda: bhsim.run(4), ValueError, "bh"),
    (lambda: bhsim.run("2"), TypeError, "bh"),
    (lambda: bhsim.run(True), TypeError, "bh"),
    (lambda: bhsim.run(np.int64(4)), ValueError, "bh"),
    (lambda: bhsim.run(2, {"TBH9": 1}), ValueError, "TBH9"),
    (lambda: bhsim.run(2, {"CommandStart": 1}), ValueError, "CommandStart"),
    (lambda: bhsim.run(2, {"TBH1": [1]}), TypeError, "TBH1"),
    (lambda: bhsim.run(2, ["TBH1"]), TypeError, "fields"),
    (lambda: bhsim.run(2, gravity="2pn+1pn+x"), ValueError, "gravity"),
    (lambda: bhsim.run(2, integrator="rk4"), ValueError, "integrator"),
    (lambda: bhsim.run(2, tolerance=1e-9), ValueError, "tolerance"),
    (lambda: bhsim.run(2, integrator="ias15", tolerance=1e-12), ValueError, "tolerance"),
    (lambda: bhsim.run(2, refresh_every=0), ValueError, "refresh_every"),
    (lambda: bhsim.run(2, max_steps=-1), ValueError, "max_steps"),
    (lambda: bhsim.run(2, max_steps=2**63), ValueError, "max_steps"),
    (lambda: bhsim.run(2, jobs=1.0), TypeError, "jobs"),
    (lambda: bhsim.run(2, trace=1), TypeError, "trace"),
    (lambda: bhsim.run(2, distance_mpc=100), ValueError, "distance_mpc"),
    (lambda: bhsim.run(2, strain=True, strain_rate=float("nan")), ValueError, "strain_rate"),
    (lambda: bhsim.run(2, strain=True, strain_rate=2e6), ValueError, "strain_rate"),
    (lambda: bhsim.run(2, strain=True, inclination_deg="60"), TypeError, "inclination_deg"),
    (lambda: bhsim.grid({}), ValueError, "sweeps"),
    (lambda: bhsim.grid({"TBH2": "1:x:1"}), ValueError, "'x'"),
    (lambda: bhsim.grid({"TBH2": 5}), TypeError, "sweeps['TBH2']"),
    (lambda: bhsim.grid({"gravity": ["2pn"]}), ValueError, "'2pn'"),
    (lambda: bhsim.grid({"gravity": "1pn"}, gravity="1pn"), ValueError, "gravity"),
    (lambda: bhsim.grid({"integrator": "ias15"}, integrator="euler"), ValueError, "integrator"),
    (lambda: bhsim.grid({"TBH2": "1:1000:1", "TBH1": "1:1001:1"}), ValueError, "1000000 points"),
    (lambda: bhsim.grid({"TBH2": "1,2"}, shard=(3, 2)), ValueError, "shard"),
])
def test_a_bad_argument_raises_naming_it(call, error, named):
    with pytest.raises(error, match=named.replace("[", r"\[").replace("]", r"\]")):
        call()


def native_threads():
    return len(os.listdir("/proc/self/task"))


def interrupt_when(under_way, call):
    """Runs call() and presses Ctrl-C once under_way() holds; what it raised, with nothing left behind: no
    thread of the run and no file."""
    base = native_threads()

    def press():
        while not under_way(base):
            time.sleep(0.005)
        signal.pthread_kill(threading.main_thread().ident, signal.SIGINT)

    presser = threading.Thread(target=press)
    presser.start()
    with pytest.raises(KeyboardInterrupt):
        call()
    presser.join()
    # a joined thread may stay listed for a moment after it let its joiner go
    deadline = time.monotonic() + 10
    while native_threads() != base and time.monotonic() < deadline:
        time.sleep(0.001)
    assert native_threads() == base and os.listdir(".") == []


ENDLESS = {"Tnrev": 0, "Ttotaltime": 1e9, "Tdm1": 0, "Tdm2": 0}  # a billion seconds to simulate


def test_ctrl_c_stops_runs_grids_and_steps_with_nothing_left_behind():
    # the run's own thread (its pumps), the sweep's waits for its workers, the grid's for its points, the
    # kernel's steps
    start = time.process_time()
    interrupt_when(lambda base: time.process_time() - start > 0.2,
                   lambda: bhsim.run(2, ENDLESS, jobs=1))
    interrupt_when(lambda base: native_threads() > base + 1,
                   lambda: bhsim.run(3, ENDLESS, jobs=2))
    interrupt_when(lambda base: native_threads() > base + 1,
                   lambda: bhsim.grid({"TBH2": "1:4:1"}, 2, ENDLESS, jobs=2))
    pair = bhsim.Simulation([36, 29], [[0, 0], [2000, 0]], [[0, 0], [0, 80000]], dt=1e-6)
    start = time.process_time()
    interrupt_when(lambda base: time.process_time() - start > 0.2, lambda: pair.step(10**12))
    assert 0 < pair.steps < 10**12 and not pair.ended
    pair = bhsim.Simulation([36, 29], [[0, 0], [2000, 0]], [[0, 0], [0, 80000]], dt=1e-6, integrator="ias15")
    start = time.process_time()
    interrupt_when(lambda base: time.process_time() - start > 0.2, lambda: pair.integrate_to(1e15))
    assert 0 < pair.time < 1e15 and not pair.ended


def test_runs_in_threads_at_once_give_what_they_give_one_after_the_other():
    calls = [lambda: bhsim.run(2, {"Tmaxcount": 30000}, trace=True, strain=True),
             lambda: bhsim.run(3, {"Tmaxcount": 3000, "Talphamax": 30}, trace=True, jobs=2)]
    alone = [call() for call in calls]
    together = [None, None]
    threads = [threading.Thread(target=lambda i=i: together.__setitem__(i, calls[i]())) for i in range(2)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    for a, b in zip(alone, together):
        assert a.json == b.json and a.table.equals(b.table) and np.array_equal(a.trace, b.trace)
