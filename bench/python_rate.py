#!/usr/bin/python3
"""The Python module's speed against the program's own, run for run, interleaved so that both meet the same
load: bhsim.run against `bhsim --batch` for the same run (the default two-black-hole run, 5.4 million
steps, its table kept), how soon Ctrl-C raises KeyboardInterrupt in a run, a sweep, a grid and the
kernel's steps (median and largest of ROUNDS presses), and with --kernel a Simulation's step(10**6) against the C++ loop's steps
(bench/bhsim_bench's BM_StepTwoBodies, the plain step-by-step loop the kernel runs). Prints the median
processor times and their ratio.

   PYTHONPATH=build/python bench/python_rate.py build/bhsim [ROUNDS] [--kernel build/bench/bhsim_bench]"""
import json
import os
import random
import resource
import signal
import statistics
import subprocess
import sys
import tempfile
import threading
import time

import bhsim
import numpy as np

BATCH = ["--bh", "2", "--quiet"]
GM = 132712751999.99998  # km^3/s^2 of one solar mass


def circular_pair(gravity):
    """36 and 29 solar masses on Newton's circular orbit 2000 km apart, as bench/kernel_bench.cpp starts."""
    m1, m2, a = 36 * GM, 29 * GM, 2000.0
    omega = np.sqrt((m1 + m2) / (a * a * a))
    r1, r2 = a * m2 / (m1 + m2), a * m1 / (m1 + m2)
    return bhsim.Simulation([36, 29], [[-r1, 0], [r2, 0]], [[0, -omega * r1], [0, omega * r2]], dt=1e-6,
                            gravity=gravity)


def kernel_cpu(gravity):
    simulation = circular_pair(gravity)
    return own_cpu(lambda: simulation.step(10**6))


def bench_cpu(bench, merger):
    """The processor time of BM_KernelSteps' 10**6 steps (mean of a few iterations), in seconds."""
    out = subprocess.run([bench, f"--benchmark_filter=BM_KernelSteps/steps:1000000/merger:{merger}$",
                          "--benchmark_format=json"], check=True, capture_output=True, text=True).stdout
    return json.loads(out)["benchmarks"][0]["cpu_time"] / 1000


def child_cpu(args):
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    subprocess.run(args, check=True, stdout=subprocess.DEVNULL)
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    return after.ru_utime + after.ru_stime - before.ru_utime - before.ru_stime


def own_cpu(call):
    start = time.process_time()
    call()
    return time.process_time() - start


def compare(name, python, native, rounds):
    py_times, native_times = [], []
    for _ in range(rounds):
        py_times.append(python())
        native_times.append(native())
    p, n = statistics.median(py_times), statistics.median(native_times)
    print(f"{name}: Python {p:.4f} s, native {n:.4f} s (medians of {rounds}), ratio {p / n:.3f}")


ENDLESS = {"Tnrev": 0, "Ttotaltime": 1e9, "Tdm1": 0, "Tdm2": 0}


def interrupt_latency(call, rounds):
    """Seconds from a SIGINT sent 0.3 to 0.5 s into call() to its KeyboardInterrupt: median and largest."""
    latencies = []
    for _ in range(rounds):
        sent = []

        def press():
            time.sleep(0.3 + 0.2 * random.random())
            sent.append(time.perf_counter())
            signal.pthread_kill(threading.main_thread().ident, signal.SIGINT)

        presser = threading.Thread(target=press)
        presser.start()
        try:
            call()
        except KeyboardInterrupt:
            latencies.append(time.perf_counter() - sent[0])
        presser.join()
    return statistics.median(latencies), max(latencies)


def main():
    program = os.path.abspath(sys.argv[1])
    rounds = int(sys.argv[2]) if len(sys.argv) > 2 and sys.argv[2].isdigit() else 9
    bhsim.run(2)  # imports pandas and warms the caches once
    with tempfile.TemporaryDirectory() as work:
        table = os.path.join(work, "out.csv")
        compare("default two-black-hole run", lambda: own_cpu(lambda: bhsim.run(2)),
                lambda: child_cpu([program, "--batch", *BATCH, "--table", table]), rounds)
    pair = bhsim.Simulation([36, 29], [[0, 0], [2000, 0]], [[0, 0], [0, 80000]], dt=1e-6)
    for name, call in (("run", lambda: bhsim.run(2, ENDLESS, jobs=1)),
                       ("three-black-hole sweep, 2 threads", lambda: bhsim.run(3, ENDLESS, jobs=2)),
                       ("grid, 2 threads", lambda: bhsim.grid({"TBH2": "1:4:1"}, 2, ENDLESS, jobs=2)),
                       ("kernel step(10**12)", lambda: pair.step(10**12))):
        median, largest = interrupt_latency(call, rounds)
        print(f"Ctrl-C to KeyboardInterrupt, {name}: median {median * 1000:.1f} ms, at most {largest * 1000:.1f} ms")
    if "--kernel" in sys.argv:
        bench = os.path.abspath(sys.argv[sys.argv.index("--kernel") + 1])
        for merger, gravity in ((0, "newtonian"), (1, "merger")):
            compare(f"kernel step(10**6), {gravity}", lambda: kernel_cpu(gravity),
                    lambda: bench_cpu(bench, merger), rounds)


if __name__ == "__main__":
    main()
