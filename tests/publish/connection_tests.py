#!/usr/bin/python3
"""vlk240-read --publish at the start of a connection: brokers that refuse our certificate, one
that takes the connection and never answers, and the files and URLs of ours that are refused
before any connection. Brokers are Debian's mosquitto on 127.0.0.1 (broker_tests.Broker) or a
socket of the test's own; certificates are made with openssl in the test's folder.
Usage: connection_tests.py VLK240_READ CASE; exit 77 when mosquitto or its clients are missing."""
import os
import socket
import subprocess
import threading
import time

from broker_tests import (READER, Broker, Subscriber, fail, free_port, make_certificates, read,
                          run_case, start, states)


def openssl(folder, *args):
    subprocess.run(["openssl", *args], cwd=folder, check=True, capture_output=True)


def client_certificates(folder):
    """ours.crt signed by the broker's CA, stranger.crt by another; both for client.key."""
    make_certificates(folder)
    openssl(folder, "req", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=reader",
            "-keyout", "client.key", "-out", "client.csr")
    for name, ca in [("ours", "ca"), ("stranger", "other")]:
        openssl(folder, "x509", "-req", "-in", "client.csr", "-CA", f"{ca}.crt", "-CAkey",
                f"{ca}.key", "-CAcreateserial", "-days", "2", "-out", f"{name}.crt")


def timed_read(args, env=None):
    began = time.monotonic()
    run = read(args, env)
    return run, time.monotonic() - began


def client_certificate_refused(folder):
    client_certificates(folder)
    broker = Broker(folder, f"allow_anonymous true\nrequire_certificate true\n"
                            f"cafile {folder}/ca.crt\ncertfile {folder}/server.crt\n"
                            f"keyfile {folder}/server.key\n").start()
    url = f"mqtts://127.0.0.1:{broker.port}/plant"
    base = ["--cycle", "--interval", "0.2", "--json", "--publish", url,
            "--ca-file", f"{folder}/ca.crt"]
    sub = Subscriber(broker, folder, ["plant/#"],
                     ["--cafile", f"{folder}/ca.crt", "--cert", f"{folder}/ours.crt",
                      "--key", f"{folder}/client.key"])
    good, _ = timed_read(base + ["--count", "3", "--cert-file", f"{folder}/ours.crt",
                                 "--key-file", f"{folder}/client.key"])
    if good.returncode != 0 or not sub.wait_for(lambda m: len(states(m, "plant")) == 3, 10):
        fail(f"our certificate: status {good.returncode}, {good.stderr!r}")
    # A refusal ends a long read at once, with the one line that names it, and publishes nothing.
    for extra, says in [([], "the broker asks for our certificate"),
                        (["--cert-file", f"{folder}/stranger.crt",
                          "--key-file", f"{folder}/client.key"], "refused our certificate")]:
        run, took = timed_read(base + ["--count", "100"] + extra)
        polls = len(run.stdout.splitlines())
        if run.returncode != 5 or run.stderr.count("\n") != 1 or says not in run.stderr:
            fail(f"{extra or 'no certificate'}: status {run.returncode}: {run.stderr!r}")
        if took > 5 or polls >= 100:
            fail(f"{extra or 'no certificate'}: the read went on for {took:.1f} s, {polls} polls")
    if len(states(sub.messages(), "plant")) != 3:
        fail("a refused reader's records reached the broker")


class SilentBroker:
    """Takes TCP connections on 127.0.0.1 and never sends a byte."""

    def __init__(self):
        self.listener = socket.create_server(("127.0.0.1", 0))
        self.port = self.listener.getsockname()[1]
        self.taken = []
        threading.Thread(target=self.take, daemon=True).start()

    def take(self):
        while True:
            connection, _ = self.listener.accept()
            self.taken.append(connection)


def broker_never_answers(folder):
    broker = SilentBroker()
    reader = start([READER, "--demo", "--cycle", "--interval", "0.2", "--count", "65", "--json",
                    "--publish", f"mqtt://127.0.0.1:{broker.port}/plant"],
                   stdout=subprocess.PIPE, stderr=open(os.path.join(folder, "err"), "w"),
                   text=True)
    began = time.monotonic()
    reader.stdout.readline()
    first = time.monotonic() - began
    rest = reader.stdout.read()
    reader.wait()
    with open(os.path.join(folder, "err")) as f:
        err = f.read()
    if first > 1:
        fail(f"the first record came {first:.1f} s after the start")
    if reader.returncode != 0 or len(rest.splitlines()) != 64 or not broker.taken:
        fail(f"status {reader.returncode}, {len(rest.splitlines()) + 1} records, "
             f"{len(broker.taken)} connections: {err!r}")
    lines = err.splitlines()
    if len(lines) != 2 or "did not answer within the keep-alive, 10 s" not in lines[0] \
            or "65 records were not published" not in lines[1]:
        fail(f"standard error does not say the broker did not answer: {err!r}")
    print(f"first record {first * 1000:.0f} ms after the start; {lines[0]}")

    # The same over TLS to a port where nothing listens: told at once, not waited on forever.
    run, took = timed_read(["--cycle", "--interval", "0.2", "--count", "10",
                            "--publish", f"mqtts://127.0.0.1:{free_port()}/plant"])
    if run.returncode != 0 or "refused or broken before the TLS handshake" not in run.stderr \
            or took > 5:
        fail(f"TLS to nothing: status {run.returncode} after {took:.1f} s: {run.stderr!r}")


def usage_errors(folder):
    """Files and URLs of ours that cannot serve: status 2 and one line naming which and why,
    before any connection (the broker's port has nobody to answer)."""
    client_certificates(folder)
    openssl(folder, "pkey", "-in", "client.key", "-aes256", "-passout", "pass:x",
            "-out", "locked.key")
    for name, text in [("notes.txt", "not a certificate\n"), ("empty", ""),
                       ("blank-first", "\nsecret\n")]:
        with open(os.path.join(folder, name), "w") as f:
            f.write(text)
    tls = f"mqtts://127.0.0.1:{free_port()}/plant"

    def f_(name):
        return os.path.join(folder, name)

    ours = ["--cert-file", f_("ours.crt"), "--key-file", f_("client.key")]
    cases = [
        (["--ca-file", f_("missing.crt")], "--ca-file", "No such file or directory"),
        (["--ca-file", folder], "--ca-file", "is a directory"),
        (["--ca-file", f_("notes.txt")], "--ca-file", "holds no PEM certificate"),
        (["--ca-file", f_("ca.crt"), "--cert-file", f_("client.key"),
          "--key-file", f_("client.key")], "--cert-file", "holds no PEM certificate"),
        (["--ca-file", f_("ca.crt"), "--cert-file", f_("ours.crt"),
          "--key-file", f_("server.key")], "--key-file", "is not the key of the certificate"),
        (["--ca-file", f_("ca.crt"), "--cert-file", f_("ours.crt"),
          "--key-file", f_("locked.key")], "--key-file", "encrypted with a passphrase"),
        (["--ca-file", f_("ca.crt"), "--cert-file", f_("ours.crt"),
          "--key-file", f_("ca.crt")], "--key-file", "holds no PEM private key"),
        (ours + ["--password-file", f_("missing")], "--password-file",
         "No such file or directory"),
        (ours + ["--password-file", f_("empty")], "--password-file", "is empty"),
        (ours + ["--password-file", f_("blank-first")], "--password-file", "empty first line"),
        (ours + ["--password-file", "/dev/null"], "--password-file", "not a regular file"),
    ]
    for args, option, why in cases:
        run, took = timed_read(["--cycle", "--count", "1", "--publish", tls, *args])
        lines = run.stderr.splitlines()
        named = args[args.index(option) + 1]
        if run.returncode != 2 or len(lines) != 2 or not lines[0].startswith(
                f"vlk240-read: {option} {named} ") or why not in lines[0] or took > 3:
            fail(f"{args}: status {run.returncode}: {run.stderr!r}")
    for url, why in [("mqtt://::1/x", "an IPv6 address goes in brackets"),
                     ("mqtt://[]:1/x", "brackets hold an IPv6 address"),
                     (" mqtt://127.0.0.1/x", "it begins with a blank"),
                     ("mqtt://broker plant/x", "the host holds a blank")]:
        run = read(["--cycle", "--publish", url])
        if run.returncode != 2 or why not in run.stderr or f'"{url}"' not in run.stderr:
            fail(f"{url!r}: status {run.returncode}: {run.stderr!r}")


def password_file_others_read(folder):
    passwords = os.path.join(folder, "passwords")
    subprocess.run(["mosquitto_passwd", "-b", "-c", passwords, "reader", "s3cret"], check=True)
    os.chmod(passwords, 0o600)
    broker = Broker(folder, f"allow_anonymous false\npassword_file {passwords}\n").start()
    secret = os.path.join(folder, "password")
    with open(secret, "w") as f:
        f.write("s3cret\r\n")
    args = ["--cycle", "--interval", "0.2", "--count", "3", "--password-file", secret,
            "--publish", f"mqtt://reader@127.0.0.1:{broker.port}/plant"]
    for mode, warnings in [(0o644, 1), (0o640, 0)]:
        os.chmod(secret, mode)
        run = read(args)
        told = run.stderr.count("can be read by every user")
        if run.returncode != 0 or told != warnings or "connected" not in run.stderr:
            fail(f"mode {mode:o}: status {run.returncode}, {told} warnings: {run.stderr!r}")


if __name__ == "__main__":
    import sys
    run_case(globals()[sys.argv[2]])
