#!/usr/bin/python3
"""vlk240-read --publish as a service runs it: the one-line status it sends to the service
manager (a datagram socket of the test's own named by NOTIFY_SOCKET) follows the broker, and
--publish-only leaves standard output empty while every record reaches the broker.
Usage: service_status_tests.py VLK240_READ CASE; exit 77 when mosquitto or its clients are
missing."""
import os
import signal
import socket
import subprocess
import sys
import time

import broker_tests
from broker_tests import Broker, Subscriber, fail, start, states


class Manager:
    """The service manager's end of NOTIFY_SOCKET: the reader's messages, as they come."""

    def __init__(self, folder):
        self.path = os.path.join(folder, "notify")
        self.socket = socket.socket(socket.AF_UNIX, socket.SOCK_DGRAM)
        self.socket.bind(self.path)

    def wait_for_status(self, predicate, seconds):
        """The first STATUS= that `predicate` takes, or a failure naming the last one seen."""
        deadline = time.monotonic() + seconds
        last = None
        while time.monotonic() < deadline:
            self.socket.settimeout(max(deadline - time.monotonic(), 0.01))
            try:
                message = self.socket.recv(4096).decode()
            except socket.timeout:
                break
            for line in message.splitlines():
                if line.startswith("STATUS="):
                    last = line[len("STATUS="):]
                    if predicate(last):
                        return last
        fail(f"no such status within {seconds} s; the last was {last!r}")


def waiting(status):
    """The records waiting that a status line tells."""
    return int(status.rsplit(", ", 1)[1].split()[0])


def status_follows_the_broker(folder):
    broker = Broker(folder).start()
    sub = Subscriber(broker, folder, ["plant/+/state"])
    manager = Manager(folder)
    reader = start([broker_tests.READER, "--demo", "--cycle", "--interval", "0.2", "--publish",
                    f"mqtt://127.0.0.1:{broker.port}/plant", "--publish-only"],
                   stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                   env=dict(os.environ, NOTIFY_SOCKET=manager.path))
    up = "1 of 1 instrument answering; broker connected, 0 records waiting"
    manager.wait_for_status(lambda s: s == up, 15)

    broker.kill()
    away = manager.wait_for_status(
        lambda s: "; broker away, " in s and waiting(s) >= 3, 30)
    if not away.startswith("1 of 1 instrument answering;"):
        fail(f"the instrument's part of {away!r}")
    broker.start()
    manager.wait_for_status(lambda s: s == up, 60)

    reader.send_signal(signal.SIGTERM)
    out, err = reader.communicate(timeout=30)
    if reader.returncode != 0:
        fail(f"status {reader.returncode}: {err}")
    if out:
        fail(f"--publish-only printed records: {out[:200]!r}")
    # Standard error tells the connection's changes, not the records.
    if "{" in err or err.count("\n") > 6:
        fail(f"standard error holds more than the connection's changes: {err!r}")
    seqs = [p["seq"] for p in states(sub.messages(), "plant")]
    if not seqs or sorted(set(seqs)) != list(range(1, max(seqs) + 1)):
        fail(f"records missing at the broker: {seqs}")


def failures_told_once(folder):
    """A silent instrument is one line in the journal, not one per poll; its records still
    reach the broker, and the status counts it out."""
    broker = Broker(folder).start()
    sub = Subscriber(broker, folder, ["plant/+/state"])
    manager = Manager(folder)
    reader = start([broker_tests.READER, "--demo", "--address", "1,2", "--cycle", "--interval",
                    "0.1", "--count", "10", "--publish", f"mqtt://127.0.0.1:{broker.port}/plant",
                    "--publish-only"],
                   stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                   env=dict(os.environ, NOTIFY_SOCKET=manager.path))
    manager.wait_for_status(lambda s: s.startswith("1 of 2 instruments answering; "), 15)
    out, err = reader.communicate(timeout=60)
    if reader.returncode != 1:
        fail(f"status {reader.returncode}, not 1 for the silent instrument: {err}")
    if out:
        fail(f"--publish-only printed records: {out[:200]!r}")
    told = [line for line in err.splitlines() if line.startswith("vlk240-read: address 2: ")]
    if told != ["vlk240-read: address 2: no valid reply (unanswered polls so far: 1)"]:
        fail(f"the silent instrument was told as {told}")
    if not sub.wait_for(lambda m: len(states(m, "plant")) >= 20, 10):
        fail(f"{len(states(sub.messages(), 'plant'))} records of 20 reached the broker")


if __name__ == "__main__":
    broker_tests.run_case(globals()[sys.argv[2]])
