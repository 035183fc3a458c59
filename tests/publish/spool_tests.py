#!/usr/bin/python3
"""vlk240-read --publish --spool killed again and again while its broker is away, then the broker
back: every record the reader printed arrives, in order, numbered without a gap across the runs.
Usage: spool_tests.py VLK240_READ CASE; exit 77 when mosquitto or its clients are missing."""
import json
import os
import random
import signal
import subprocess
import sys
import time

from broker_tests import READER, Broker, Subscriber, fail, read, run_case, start, states

RUNS = 16


def printed_records(path):
    """The records a killed reader printed whole: a line cut short by the kill was not printed."""
    with open(path, encoding="utf-8") as f:
        return [json.loads(line) for line in f if line.endswith("\n")]


def first_copies(published):
    """The state messages without QoS 1's repetitions, each checked to repeat its first copy."""
    firsts = {}
    for payload in published:
        seq = payload["seq"]
        if seq in firsts and firsts[seq] != payload:
            fail(f"seq {seq} came twice with different records:\n{firsts[seq]}\n{payload}")
        firsts.setdefault(seq, payload)
    return [firsts[seq] for seq in sorted(firsts)]


def killed_while_broker_away(folder):
    broker = Broker(folder)  # its port, nothing listening yet
    url = f"mqtt://127.0.0.1:{broker.port}/plant"
    spool = os.path.join(folder, "spool")
    args = ["--demo", "--cycle", "--interval", "0.05", "--json", "--publish", url,
            "--spool", spool]
    seed = random.randrange(1 << 30)
    rng = random.Random(seed)
    printed = []
    for run in range(RUNS):
        out = os.path.join(folder, f"out-{run}.txt")
        with open(out, "w") as f:
            reader = start([READER, *args], stdout=f, stderr=subprocess.DEVNULL)
            time.sleep(rng.uniform(0.15, 0.9))
            reader.send_signal(signal.SIGKILL)
            reader.wait()
        printed += printed_records(out)
    # A second reader on the spool is refused while one runs.
    out = os.path.join(folder, "out-holder.txt")
    with open(out, "w") as f:
        holder = start([READER, *args], stdout=f, stderr=subprocess.DEVNULL)
        time.sleep(0.5)
        second = read(args[1:])
        holder.send_signal(signal.SIGKILL)
        holder.wait()
    printed += printed_records(out)
    if second.returncode != 2 or spool + " is in use" not in second.stderr.splitlines()[0]:
        fail(f"a second reader on the spool: status {second.returncode}: {second.stderr!r}")

    broker.start()
    sub = Subscriber(broker, folder, ["plant/+/state"])
    last = read([*args[1:4], "--count", "3", *args[4:]])
    if last.returncode != 0 or "of an earlier run wait" not in last.stderr:
        fail(f"the run with the broker back: status {last.returncode}: {last.stderr}")
    final = [json.loads(line) for line in last.stdout.splitlines()]
    printed += final
    if not sub.wait_for(lambda m: any(p.get("time") == final[-1]["time"]
                                      for p in states(m, "plant")), 10):
        fail("the last run's records did not arrive")
    published = first_copies(states(sub.messages(), "plant"))
    seqs = [p["seq"] for p in published]
    if seqs != list(range(1, len(seqs) + 1)):
        fail(f"seed {seed}: seq has gaps or does not start at 1: {seqs[:40]}...")
    # Each record printed is published, in the order printed; a record spooled but killed
    # before it was printed may be published too, at most one a run.
    at = 0
    unprinted = 0
    for record in printed:
        while at < len(published) and any(published[at].get(k) != v for k, v in record.items()):
            at += 1
            unprinted += 1
        if at == len(published):
            fail(f"seed {seed}: printed but not published in order: {record}")
        at += 1
    unprinted += len(published) - at
    if unprinted > RUNS + 2:
        fail(f"seed {seed}: {unprinted} records published that no run printed")
    if any("dropped" in p for p in published):
        fail(f"seed {seed}: records were dropped")
    print(f"{len(printed)} records printed in {RUNS} killed runs and one whole one, "
          f"{len(published)} published (seq 1..{seqs[-1]}), {unprinted} spooled but not printed")


if __name__ == "__main__":
    run_case(globals()[sys.argv[2]])
