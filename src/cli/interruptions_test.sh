#!/usr/bin/env bash
# End-to-end check that an interruption never leaves a temporary file: many
# conversions that replace existing SVGs, single and in batches on two
# threads, each hit by SIGINT, SIGTERM or SIGHUP after a random moment
# (single: 0.3 to 2.5 ms after the program started, the moments in which
# the temporary file is created; batch: 0.3 to 12 ms). After every run the
# folder holds exactly the descriptions and the SVGs, and each SVG is the
# earlier one or a complete new drawing. Runs go on until SINGLE_RUNS single
# conversions and BATCH_RUNS batches were ended by their signal (a run
# that finished before its signal does not count).
# Usage: interruptions_test.sh FLOWSVG SOURCE_DIR [SINGLE_RUNS BATCH_RUNS]
set -u
flowsvg=$1
src=$2
single_runs=${3:-400}
batch_runs=${4:-100}
work=$(mktemp -d "${TMPDIR:-/tmp}/flowsvg-interrupt-XXXXXX")
trap 'rm -rf "$work"' EXIT
. "$src/src/testing/test_support.sh"

python3 - "$flowsvg" "$example" "$work" "$single_runs" "$batch_runs" <<'PY'
import os, random, signal, subprocess, sys, time

flowsvg, example, work, single_runs, batch_runs = sys.argv[1:]
# Children start with the three signals at their default, as from a
# terminal (a background job of a script would have SIGINT ignored).
for s in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
    signal.signal(s, signal.SIG_DFL)
drawing = open(example, "rb").read()
earlier = b"earlier drawing\r\n"
signals = [signal.SIGINT, signal.SIGTERM, signal.SIGHUP]
failures = 0
statuses = {}

def prepare(folder, count):
    os.mkdir(folder)
    for k in range(count):
        with open(os.path.join(folder, "c%d.txt" % k), "wb") as f:
            f.write(drawing)
        with open(os.path.join(folder, "c%d.svg" % k), "wb") as f:
            f.write(earlier)

def check(name, folder, count):
    global failures
    left = sorted(n for n in os.listdir(folder) if n.startswith("."))
    if left:
        failures += 1
        print("FAIL: %s: temporary files left: %s" % (name, left))
        for n in left:
            os.unlink(os.path.join(folder, n))
    for k in range(count):
        svg = open(os.path.join(folder, "c%d.svg" % k), "rb").read()
        if svg != earlier and not (svg.startswith(b"<?xml") and
                                   svg.endswith(b"</svg>\r\n")):
            failures += 1
            print("FAIL: %s: c%d.svg is neither old nor whole" % (name, k))

def run(name, folder, args, count, low, high, n):
    """One run, signalled after a random moment; True when the signal
    ended it."""
    global failures
    sig = signals[n % 3]
    child = subprocess.Popen([flowsvg] + args, cwd=folder,
                             stderr=subprocess.DEVNULL)
    time.sleep(random.uniform(low, high))
    child.send_signal(sig)
    rc = child.wait()
    statuses[rc] = statuses.get(rc, 0) + 1
    # Ended by the signal, or finished before it came.
    if rc not in (0, -sig):
        failures += 1
        print("FAIL: %s: exit status %d after %s" % (name, rc, sig.name))
    check(name, folder, count)
    return rc == -sig

def runs(name, folder, args, count, low, high, wanted):
    signalled = 0
    n = 0
    while signalled < wanted and n < 10 * wanted:
        signalled += run("%s %d" % (name, n), folder, args, count, low, high, n)
        n += 1
    return signalled, n

single = os.path.join(work, "single")
prepare(single, 1)
single_done = runs("single", single, ["-q", "c0.txt", "c0.svg"], 1,
                   0.0003, 0.0025, int(single_runs))
batch = os.path.join(work, "batch")
prepare(batch, 40)
names = ["c%d.txt" % k for k in range(40)]
batch_done = runs("batch", batch, ["-q", "-j", "2", "-O"] + names, 40,
                  0.0003, 0.012, int(batch_runs))
print("signalled: %d of %d single runs, %d of %d batches of 40; "
      "exit statuses %s" % (single_done + batch_done +
                            (sorted(statuses.items()),)))
if single_done[0] < int(single_runs) or batch_done[0] < int(batch_runs):
    failures += 1
    print("FAIL: too few runs were ended by their signal")
sys.exit(1 if failures else 0)
PY
rc=$?
[ "$rc" -eq 0 ] || fail "interrupted runs left temporary files or broken SVGs"
finish
