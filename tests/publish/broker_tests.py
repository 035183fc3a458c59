#!/usr/bin/python3
"""vlk240-read --publish against brokers of its own: Debian's mosquitto on 127.0.0.1 at a free
port, its configuration and files in a temporary folder; never the system's service.
Usage: broker_tests.py VLK240_READ CASE; exit 77 when mosquitto or its clients are missing."""
import json
import os
import pwd
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

READER = sys.argv[1]
MOSQUITTO = shutil.which("mosquitto") or shutil.which("mosquitto", path="/usr/sbin")
TOOLS = [MOSQUITTO, shutil.which("mosquitto_sub"), shutil.which("mosquitto_passwd"),
         shutil.which("openssl")]


STARTED = []  # every process a case starts, ended at its end


def start(args, **kwargs):
    process = subprocess.Popen(args, **kwargs)
    STARTED.append(process)
    return process


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Broker:
    """mosquitto -c CONF in the foreground; start() again after kill() brings back its state."""

    def __init__(self, folder, extra=""):
        self.folder = folder
        self.port = free_port()
        self.conf = os.path.join(folder, "mosquitto.conf")
        with open(self.conf, "w") as f:
            # Started as root, mosquitto would become the user "mosquitto", a stranger to the
            # folder; it stays whoever runs the test.
            f.write(f"listener {self.port} 127.0.0.1\nuser {pwd.getpwuid(os.getuid()).pw_name}\n"
                    f"persistence true\npersistence_location {folder}/\n"
                    # Saved at every change, so that a broker killed keeps what it acknowledged.
                    "autosave_on_changes true\nautosave_interval 1\n"
                    f"log_dest file {folder}/mosquitto.log\n" + (extra or "allow_anonymous true\n"))
        self.process = None

    def start(self):
        self.process = start([MOSQUITTO, "-c", self.conf])
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline:
            try:
                socket.create_connection(("127.0.0.1", self.port), 0.2).close()
                return self
            except OSError:
                time.sleep(0.05)
        fail("the broker did not start")

    def kill(self):
        self.process.send_signal(signal.SIGKILL)
        self.process.wait()

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.terminate()
            self.process.wait()


class Subscriber:
    """mosquitto_sub printing "topic payload" lines, with a session the broker keeps (QoS 1),
    reconnecting by itself after the broker comes back."""

    def __init__(self, broker, folder, topics, extra=()):
        self.out = os.path.join(folder, "sub-%d.txt" % len(os.listdir(folder)))
        args = [shutil.which("mosquitto_sub"), "-p", str(broker.port), "-h", "127.0.0.1",
                "-q", "1", "-c", "-i", "test-sub-%d" % os.getpid(), "-v", *extra]
        for t in topics:
            args += ["-t", t]
        self.process = start(args, stdout=open(self.out, "w"),
                                        stderr=subprocess.DEVNULL)
        time.sleep(0.5)

    def messages(self):
        with open(self.out, encoding="utf-8") as f:
            return [tuple(line.rstrip("\n").split(" ", 1)) for line in f if " " in line]

    def wait_for(self, predicate, seconds):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            if predicate(self.messages()):
                return True
            time.sleep(0.05)
        return predicate(self.messages())

    def stop(self):
        self.process.terminate()
        self.process.wait()


def read(args, env=None, **kwargs):
    return subprocess.run([READER, "--demo", *args], capture_output=True, text=True,
                          env=dict(os.environ, **(env or {})), timeout=300, **kwargs)


def states(messages, prefix):
    return [json.loads(p) for t, p in messages if t.startswith(prefix + "/") and
            t.endswith("/state")]


def payloads_match_json(folder):
    broker = Broker(folder).start()
    sub = Subscriber(broker, folder, ["plant/#"])
    run = read(["--cycle", "--interval", "0.2", "--count", "8", "--json",
                "--publish", f"mqtt://127.0.0.1:{broker.port}/plant"])
    if run.returncode != 0:
        fail(f"status {run.returncode}: {run.stderr}")
    if not sub.wait_for(lambda m: ("plant/status", "offline") in m, 10):
        fail("no offline after the read")
    lines = [json.loads(line) for line in run.stdout.splitlines()]
    published = states(sub.messages(), "plant")
    if [p.pop("seq") for p in published] != list(range(1, 9)):
        fail("sequence numbers are not 1..8")
    # The instrument's health, which --json does not write: the demo answers every poll.
    for p in published:
        if (p.pop("unanswered_polls"), p.pop("late_replies"), p.pop("last_good")) != \
                (0, 0, p["time"]):
            fail(f"health fields of {p['time']}")
    if published != lines:
        fail(f"payloads differ from --json:\n{published}\n{lines}")
    topics = [t for t, _ in sub.messages()]
    if topics[:2] != ["plant/status", "plant/1/availability"] or \
            set(topics[2:-1]) != {"plant/1/state"}:
        fail(f"topics {topics}")
    if run.stderr.count("\n") != 1 or "connected" not in run.stderr:
        fail(f"standard error is not one line on connecting: {run.stderr!r}")


def broker_killed_three_times(folder):
    broker = Broker(folder).start()
    sub = Subscriber(broker, folder, ["plant/1/state"])
    reader = start([READER, "--demo", "--cycle", "--interval", "0.2", "--count", "600",
                               "--json", "--publish", f"mqtt://127.0.0.1:{broker.port}/plant"],
                              stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    for _ in range(3):
        time.sleep(25)
        broker.kill()
        time.sleep(5)
        broker.start()
    _, err = reader.communicate(timeout=120)
    if reader.returncode != 0:
        fail(f"status {reader.returncode}: {err}")
    seen = [p["seq"] for p in states(sub.messages(), "plant") if True]
    sub.stop()
    broker.stop()
    firsts = []
    for seq in seen:  # a QoS 1 resend repeats a record already seen
        if not firsts or seq > firsts[-1]:
            firsts.append(seq)
    if firsts != list(range(1, 601)):
        missing = sorted(set(range(1, 601)) - set(seen))
        fail(f"records missing or out of order; missing {missing[:20]}")
    if err.count(" lost ") != 3 or err.count("connected again") != 3:
        fail(f"not one line per change of the connection:\n{err}")
    print(err, end="")
    print(f"{len(seen)} state messages: records 1..600 in order, {len(seen) - len(firsts)} resent")


def reader_killed_leaves_offline(folder):
    broker = Broker(folder).start()
    sub = Subscriber(broker, folder, ["plant/status"])
    reader = start([READER, "--demo", "--cycle", "--interval", "0.2",
                               "--publish", f"mqtt://127.0.0.1:{broker.port}/plant"],
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    if not sub.wait_for(lambda m: ("plant/status", "online") in m, 10):
        fail("no online")
    reader.kill()
    killed = time.monotonic()
    keepalive = 10
    if not sub.wait_for(lambda m: m[-1] == ("plant/status", "offline"), 1.5 * keepalive):
        fail("no offline within 1.5 keep-alives")
    print(f"offline {time.monotonic() - killed:.2f} s after the kill")
    reader.wait()


def make_certificates(folder):
    def ssl(*args):
        subprocess.run(["openssl", *args], cwd=folder, check=True, capture_output=True)
    ssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=test CA",
        "-keyout", "ca.key", "-out", "ca.crt")
    ssl("req", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=127.0.0.1",
        "-keyout", "server.key", "-out", "server.csr")
    with open(os.path.join(folder, "san.cnf"), "w") as f:
        f.write("subjectAltName=IP:127.0.0.1\n")
    ssl("x509", "-req", "-in", "server.csr", "-CA", "ca.crt", "-CAkey", "ca.key",
        "-CAcreateserial", "-days", "2", "-extfile", "san.cnf", "-out", "server.crt")
    ssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=other CA",
        "-keyout", "other.key", "-out", "other.crt")


def tls_and_password(folder):
    make_certificates(folder)
    passwords = os.path.join(folder, "passwords")
    subprocess.run([shutil.which("mosquitto_passwd"), "-b", "-c", passwords, "reader", "s3cret"],
                   check=True)
    os.chmod(passwords, 0o600)
    broker = Broker(folder, f"allow_anonymous false\npassword_file {passwords}\n"
                            f"cafile {folder}/ca.crt\ncertfile {folder}/server.crt\n"
                            f"keyfile {folder}/server.key\n").start()
    sub = Subscriber(broker, folder, ["plant/#"],
                     ["--cafile", f"{folder}/ca.crt", "-u", "reader", "-P", "s3cret"])
    url = f"mqtts://reader@127.0.0.1:{broker.port}/plant"
    with open(os.path.join(folder, "password"), "w") as f:
        f.write("s3cret\n")
    run = read(["--cycle", "--interval", "0.2", "--count", "3", "--publish", url,
                "--ca-file", f"{folder}/ca.crt", "--password-file", f"{folder}/password"])
    if run.returncode != 0:
        fail(f"TLS with a password file: status {run.returncode}: {run.stderr}")
    if not sub.wait_for(lambda m: len(states(m, "plant")) == 3, 10):
        fail("the records did not arrive over TLS")
    wrong = read(["--cycle", "--count", "1", "--publish", url, "--ca-file", f"{folder}/ca.crt"],
                 env={"VLK240_MQTT_PASSWORD": "wrong"})
    if wrong.returncode != 5 or wrong.stderr.count("\n") != 1 or "credentials" not in wrong.stderr:
        fail(f"a wrong password: status {wrong.returncode}: {wrong.stderr!r}")
    other = read(["--cycle", "--count", "1", "--publish", url, "--ca-file", f"{folder}/other.crt"],
                 env={"VLK240_MQTT_PASSWORD": "s3cret"})
    if other.returncode != 5 or other.stderr.count("\n") != 1 or "TLS" not in other.stderr:
        fail(f"a certificate of another CA: status {other.returncode}: {other.stderr!r}")


def refusals_and_bad_urls(folder):
    unknown = read(["--cycle", "--count", "1", "--publish", "mqtt://no-such-host.invalid/p"])
    if unknown.returncode != 5 or "no-such-host.invalid" not in unknown.stderr:
        fail(f"an unknown host: status {unknown.returncode}: {unknown.stderr!r}")
    nobody = read(["--cycle", "--interval", "0.2", "--count", "2",
                   "--publish", f"mqtt://127.0.0.1:{free_port()}/p"])
    lines = nobody.stderr.splitlines()
    if nobody.returncode != 0 or len(lines) != 2 or "cannot be reached" not in lines[0] \
            or "2 records were not published" not in lines[1]:
        fail(f"nothing listening: status {nobody.returncode}: {nobody.stderr!r}")
    for url in ["mqtt://host", "tcp://host/p", "mqtt://host:99999/p", "mqtt://u:pw@host/p"]:
        bad = read(["--cycle", "--publish", url])
        if bad.returncode != 2 or "--publish" not in bad.stderr:
            fail(f"{url}: status {bad.returncode}: {bad.stderr!r}")


def discovery_configs(folder):
    broker = Broker(folder).start()
    sub = Subscriber(broker, folder, ["ha/#", "plant/#"])
    run = read(["--cycle", "--interval", "0.2", "--count", "2", "--ha-discovery=ha",
                "--publish", f"mqtt://127.0.0.1:{broker.port}/plant"])
    if run.returncode != 0:
        fail(f"status {run.returncode}: {run.stderr}")
    sub.wait_for(lambda m: ("plant/status", "offline") in m, 10)
    device = "ha/device/vlk240-plant-1/config"
    configs = [json.loads(p) for t, p in sub.messages() if t == device]
    # The per-entity configs of earlier readers go, emptied, before the device's first config.
    # (mosquitto_sub writes an empty payload as "(null)".)
    emptied = {t for t, p in sub.messages() if t.startswith("ha/") and t != device and
               p == "(null)"}
    if len(configs) != 1 or len(emptied) != 11 or \
            len([t for t, _ in sub.messages() if t.startswith("ha/")]) != 12:
        fail(f"discovery topics {sorted(t for t, _ in sub.messages() if t.startswith('ha/'))}")
    if ("plant/1/availability", "online") not in sub.messages():
        fail("the instrument's availability")
    state = states(sub.messages(), "plant")[-1]
    # The demo instrument is of variant 1: two channels and four relays.
    components = configs[0]["cmps"]
    expected = {"level1", "volume1", "level2", "volume2", "fault", "alarm_delay", "selfcal",
                "relay1", "relay2", "relay3", "relay4", "unanswered_polls", "late_replies",
                "last_good"}
    if set(components) != expected or any(len(c) == 1 for c in components.values()):
        fail(f"components {sorted(components)}")
    for key, c in components.items():
        if c["stat_t"] != "plant/1/state":
            fail(f"{key}: state topic")
        if key.startswith("relay"):
            if f"value_json.relays[{int(key[5:]) - 1}]" not in c["val_tpl"]:
                fail(f"{key}: template reads another relay")
        elif f"value_json.{key} " not in c["val_tpl"] or state[key] is None:
            fail(f"{key}: template reads another field, or a field the record lacks")


def run_case(case):
    """Runs `case` with a temporary folder of its own; ends what it started."""
    if not all(TOOLS):
        print("mosquitto, its clients or openssl are not installed")
        sys.exit(77)
    folder = tempfile.mkdtemp(prefix="vlk240-broker-")
    try:
        case(folder)
    finally:
        for process in STARTED:
            if process.poll() is None:
                process.kill()
                process.wait()
        shutil.rmtree(folder, ignore_errors=True)
    print("ok")


if __name__ == "__main__":
    run_case(globals()[sys.argv[2]])
