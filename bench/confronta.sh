#!/usr/bin/env bash
# Times whole processes side by side, interleaved, in one run:
#   - the no-argument run against `cp` of its six output files;
#   - the compile of the maximal scenario against `cp` of its three outputs;
# each in two cases: into a fresh directory, and over the files of an earlier run (where the
# file system flushes a file replaced by rename, and `cp` pays the same for a file it
# truncates). `cp` in the same case is the disk's floor. Reports the median and the fastest
# wall time of each, the ratios of the medians, and the peak memory (maximum resident set)
# of every process, taken with /usr/bin/time when it is installed (a process started from
# python3 carries the interpreter's own resident set into its figure, which is then only an
# upper bound).
# Goals: the no-argument run within 1.5x cp, the maximal compile within 1.3x cp, in both
# cases; peak memory of the maximal compile at most 12 MB.
#
#   bench/confronta.sh [REPETITIONS]     (default 30)
# The program is taken from $COMPATTATORE (default: build/compattatore, built with the
# "default" preset when missing). Scratch files go under $TMPDIR (default /tmp).
set -euo pipefail
cd "$(dirname "$0")/.."

reps=${1:-30}
exe=${COMPATTATORE:-build/compattatore}
if [ ! -x "$exe" ]; then
  cmake --preset default >/dev/null
  cmake --build --preset default --target compattatore
fi
exe=$(realpath "$exe")

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
python3 bench/genera_massimo.py "$scratch/massimo"

echo "date: $(date -u '+%Y-%m-%d %H:%M UTC')"
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//'),"\
"$(awk '/MemTotal/ {printf " %.0f GiB", $2/1048576}' /proc/meminfo);"\
" scratch on $(df -hT "$scratch" | awk 'NR==2 {print $1 " (" $2 ")"}')"
echo "program: $exe"
echo

python3 - "$exe" "$scratch" "$reps" <<'PY'
import os, shutil, statistics, subprocess, sys, time

exe, scratch, reps = sys.argv[1], sys.argv[2], int(sys.argv[3])
massimo = os.path.join(scratch, "massimo")
devnull = os.open(os.devnull, os.O_RDWR)
count = 0


def fresh():
    global count
    count += 1
    d = os.path.join(scratch, "r%d" % count)
    os.mkdir(d)
    return d


def run(argv, cwd=None):
    """Wall time (s) and peak memory (KiB) of one process; fails on a non-zero status."""
    t0 = time.perf_counter()
    pid = os.posix_spawn(argv[0], argv, os.environ,
                         file_actions=[(os.POSIX_SPAWN_DUP2, devnull, 0),
                                       (os.POSIX_SPAWN_DUP2, devnull, 1),
                                       (os.POSIX_SPAWN_DUP2, devnull, 2)])
    _, status, usage = os.wait4(pid, 0)
    t = time.perf_counter() - t0
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit("failed (%d): %s" % (os.waitstatus_to_exitcode(status), " ".join(argv)))
    return t, usage.ru_maxrss


time_cmd = "/usr/bin/time" if os.access("/usr/bin/time", os.X_OK) else None


def peak(argv, cwd_program=False):
    """Peak memory (KiB) of one process started by /usr/bin/time; None without it."""
    if time_cmd is None:
        return None
    if cwd_program:
        d, p = copy_program()
        argv = [p] + argv[1:]
    elif argv[0] == cp:
        argv = argv[:-1] + [fresh()]
    elif "--output" in argv:
        argv = argv[:-1] + [fresh()]
    out = subprocess.run([time_cmd, "-f", "%M"] + argv, stdout=subprocess.DEVNULL,
                         stderr=subprocess.PIPE, text=True, check=True).stderr
    return int(out.strip().splitlines()[-1])


def copy_program():
    d = fresh()
    p = os.path.join(d, "compattatore")
    shutil.copy2(exe, p)  # the no-argument run writes beside the program
    return d, p


cp = shutil.which("cp")
predefiniti = ["VALCRESTINA_TORVE_325_note.txt", "VALCRESTINA_TORVE_325_rallentamenti.txt",
               "VALCRESTINA_TORVE_325_scheda_treno.txt", "VALCRESTINA_TORVE_linea.dat",
               "VALCRESTINA_TORVE_325.sim", "VALCRESTINA_TORVE_325.dat"]
massimi = ["MASSIMO_linea.dat", "MASSIMO_9999.sim", "MASSIMO_9999.dat"]
linea = os.path.join(massimo, "MASSIMO_linea.txt")
treno = os.path.join(massimo, "MASSIMO_9999-.txt")

# One run of each to have the files that cp copies (and a warm page cache).
ref, p = copy_program()
run([p])
rif_predefiniti = [os.path.join(ref, f) for f in predefiniti]
rif_massimo = fresh()
run([exe, "compile", linea, treno, "--output", rif_massimo])
rif_massimi = [os.path.join(rif_massimo, f) for f in massimi]
sizes = (sum(os.path.getsize(f) for f in rif_predefiniti),
         sum(os.path.getsize(f) for f in rif_massimi))

# The replacing case works in the same places every time, each holding an earlier run's
# files from the start.
sopra_programma = copy_program()
run([sopra_programma[1]])
sopra = {k: fresh() for k in ("cp6", "max", "cp3")}
run([cp] + rif_predefiniti + [sopra["cp6"]])
run([exe, "compile", linea, treno, "--output", sopra["max"]])
run([cp] + rif_massimi + [sopra["cp3"]])
tenuti = {ref, rif_massimo, sopra_programma[0]} | set(sopra.values())

casi = ("run", "cp6", "max", "cp3", "run_s", "cp6_s", "max_s", "cp3_s")
res = {k: [] for k in casi}
for i in range(reps):
    d, p = copy_program()
    res["run"].append(run([p]))
    res["cp6"].append(run([cp] + rif_predefiniti + [fresh()]))
    res["max"].append(run([exe, "compile", linea, treno, "--output", fresh()]))
    res["cp3"].append(run([cp] + rif_massimi + [fresh()]))
    res["run_s"].append(run([sopra_programma[1]]))
    res["cp6_s"].append(run([cp] + rif_predefiniti + [sopra["cp6"]]))
    res["max_s"].append(run([exe, "compile", linea, treno, "--output", sopra["max"]]))
    res["cp3_s"].append(run([cp] + rif_massimi + [sopra["cp3"]]))
    if i % 5 == 4:  # keep the scratch directory small
        for e in os.listdir(scratch):
            if e.startswith("r") and os.path.join(scratch, e) not in tenuti:
                shutil.rmtree(os.path.join(scratch, e))


mems = {}
for k, argv, own in (("run", [exe], True), ("cp6", [cp] + rif_predefiniti + ["x"], False),
                     ("max", [exe, "compile", linea, treno, "--output", "x"], False),
                     ("cp3", [cp] + rif_massimi + ["x"], False)):
    m = [peak(argv, own) for _ in range(3)]
    mems[k] = max(m) if m[0] is not None else None
for k in ("run", "cp6", "max", "cp3"):
    mems[k + "_s"] = mems[k]


def line(name, k):
    ts = [t for t, _ in res[k]]
    mem = mems[k] if mems[k] is not None else max(m for _, m in res[k])
    print("%-44s median %8.2f ms   fastest %8.2f ms   peak memory %6.1f MB"
          % (name, statistics.median(ts) * 1e3, min(ts) * 1e3, mem / 1024))
    return statistics.median(ts), mem


print("%d repetitions, interleaved; peak memory %s" % (
    reps, "from /usr/bin/time" if time_cmd else "from wait4 (upper bound, see above)"))
med = {}
for k, name in (("run", "no-argument run, fresh directory"),
                ("cp6", "cp of its 6 files (%.2f MB), fresh" % (sizes[0] / 1e6)),
                ("run_s", "no-argument run, over an earlier run"),
                ("cp6_s", "cp of its 6 files, over earlier copies"),
                ("max", "maximal compile, fresh directory"),
                ("cp3", "cp of its 3 files (%.2f MB), fresh" % (sizes[1] / 1e6)),
                ("max_s", "maximal compile, over an earlier run"),
                ("cp3_s", "cp of its 3 files, over earlier copies")):
    med[k], mem = line(name, k)
    if k == "max":
        mem_max = mem
print()
for name, a, b, goal in (("no-argument run / cp, fresh", "run", "cp6", 1.5),
                         ("no-argument run / cp, over earlier files", "run_s", "cp6_s", 1.5),
                         ("maximal compile / cp, fresh", "max", "cp3", 1.3),
                         ("maximal compile / cp, over earlier files", "max_s", "cp3_s", 1.3)):
    ratio = med[a] / med[b]
    print("%-44s %5.2fx   goal <= %gx: %s" % (name, ratio, goal,
                                               "met" if ratio <= goal else "MISSED"))
print("%-44s %5.1f MB  goal <= 12 MB: %s" % ("maximal compile peak memory", mem_max / 1024,
                                              "met" if mem_max <= 12 * 1024 else "MISSED"))
PY
