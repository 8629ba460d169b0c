#!/usr/bin/env python3
"""Measures the view of the maximal scenario: how long `view` takes to write the page, how
long headless Chromium takes from opening the file to the first drawing, ready for input, and
how long one drawing takes at each zoom, from the whole route down to one cell. On a shared
machine the wall clock of a process includes waiting for a processor: its processor time is
printed too.

    vista_bench.py PROGRAM [RUNS]      (default 10 runs; medians and fastest printed)
"""

import os
import resource
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

qui = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(qui, "..", "tests", "tools", "vista"))
import cdp  # noqa: E402


def riga(nome, valori, unita="ms"):
    print("| %s | %.1f %s | %.1f %s |" % (nome, statistics.median(valori), unita, min(valori), unita))


def main():
    program = os.path.abspath(sys.argv[1])
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 10
    work = tempfile.mkdtemp(prefix="vista-bench-")
    try:
        subprocess.run([sys.executable, os.path.join(qui, "genera_massimo.py"), work], check=True)
        subprocess.run([program, "compile", os.path.join(work, "MASSIMO_linea.txt"),
                        os.path.join(work, "MASSIMO_9999-.txt")], check=True,
                       stderr=subprocess.DEVNULL)
        sim = os.path.join(work, "MASSIMO_9999.sim")
        scrittura, cpu = [], []
        for _ in range(runs):
            prima = resource.getrusage(resource.RUSAGE_CHILDREN)
            t = time.perf_counter()
            subprocess.run([program, "view", sim], check=True)
            scrittura.append((time.perf_counter() - t) * 1000)
            dopo = resource.getrusage(resource.RUSAGE_CHILDREN)
            cpu.append((dopo.ru_utime + dopo.ru_stime - prima.ru_utime - prima.ru_stime) * 1000)
        pagina = os.path.join(work, "MASSIMO_9999.html")
        print("page: %.2f MB" % (os.path.getsize(pagina) / 1e6))
        print("| Measure | Median | Fastest |")
        print("|---|---:|---:|")
        riga("`view` of the maximal scenario, whole process, wall clock", scrittura)
        riga("`view` of the maximal scenario, whole process, processor time", cpu)
        pronta, interna = [], []
        zoom = {1.02e6: [], 1e5: [], 1e4: [], 1e3: [], 50: []}
        with cdp.Browser() as b:
            for _ in range(runs):
                b.open("about:blank")
                b.wait_for("document.readyState === 'complete' && location.href === 'about:blank'")
                t = time.perf_counter()
                b.open("file://" + pagina)
                b.wait_for("document.documentElement.dataset.pronto === '1'", timeout=60)
                pronta.append((time.perf_counter() - t) * 1000)
                interna.append(b.evaluate("performance.now()"))
                for w, tempi in zoom.items():
                    tempi.append(b.evaluate(
                        "(() => { vista.vai(%f, %f); return vista.disegna(); })()"
                        % (500000 - w / 2, 500000 + w / 2)))
        riga("page ready in headless Chromium, from opening the file (seen by the driver)", pronta)
        riga("page ready, from the start of its navigation (seen by the page)", interna)
        for w, tempi in zoom.items():
            riga("one drawing, %s in view" % ("%g km" % (w / 1000) if w >= 1000 else "%g m" % w), tempi)
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
