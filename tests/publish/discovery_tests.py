#!/usr/bin/python3
"""Home Assistant discovery: every config we make held against the documented schema, and what
the publisher announces as instruments change variant, fall silent and Home Assistant restarts.
Usage: discovery_tests.py VLK240_READ CASE PRINT_DISCOVERY PUBLISH_RECORDS; the brokers are the
tests' own, as in broker_tests.py."""
import json
import os
import re
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from broker_tests import Broker, Subscriber, fail, free_port, read, run_case, start  # noqa: E402

PRINT_DISCOVERY, PUBLISH_RECORDS = sys.argv[3], sys.argv[4]

# Home Assistant's MQTT discovery as documented (device-based discovery, 2026): the
# abbreviations we use and the full keys they stand for.
ABBREVIATIONS = {
    "p": "platform", "uniq_id": "unique_id", "stat_t": "state_topic",
    "val_tpl": "value_template", "unit_of_meas": "unit_of_measurement", "dev_cla": "device_class",
    "stat_cla": "state_class", "ent_cat": "entity_category", "avty": "availability",
    "avty_mode": "availability_mode", "t": "topic", "dev": "device", "o": "origin",
    "cmps": "components", "ids": "identifiers", "mdl": "model", "mf": "manufacturer",
    "sw": "sw_version", "url": "support_url",
}
# Per block: each key the schema has (full names), its type, and whether it is required.
DEVICE_CONFIG = {"device": (dict, True), "origin": (dict, True), "components": (dict, True),
                 "qos": (int, False)}
DEVICE = {"identifiers": (list, True), "name": (str, False), "model": (str, False),
          "manufacturer": (str, False)}
ORIGIN = {"name": (str, True), "sw_version": (str, False), "support_url": (str, False)}
AVAILABILITY = {"topic": (str, True), "payload_available": (str, False),
                "payload_not_available": (str, False), "value_template": (str, False)}
SENSOR = {"platform": (str, True), "unique_id": (str, True), "name": (str, False),
          "default_entity_id": (str, False), "state_topic": (str, True),
          "value_template": (str, False), "unit_of_measurement": (str, False),
          "device_class": (str, False), "state_class": (str, False),
          "entity_category": (str, False), "availability": (list, False),
          "availability_mode": (str, False)}
BINARY_SENSOR = {k: v for k, v in SENSOR.items() if k not in ("unit_of_measurement",
                                                              "state_class")}
PLATFORMS = {"sensor": SENSOR, "binary_sensor": BINARY_SENSOR}
STATE_CLASSES = {"measurement", "measurement_angle", "total", "total_increasing"}
AVAILABILITY_MODES = {"all", "any", "latest"}
ENTITY_CATEGORIES = {"config", "diagnostic"}
# The sensor device classes we use: the units each allows and the state classes it takes.
DEVICE_CLASSES = {
    "duration": ({"d", "h", "min", "s", "ms", "µs"}, {None, "measurement", "total",
                                                      "total_increasing"}),
    "timestamp": ({None}, {None}),
}
ID = re.compile(r"^[a-zA-Z0-9_-]+$")  # a node id or component id in a topic
ENTITY_ID = re.compile(r"^[a-z0-9_]+\.[a-z0-9_]+$")


def expanded(block, where):
    full = {ABBREVIATIONS.get(k, k): v for k, v in block.items()}
    if len(full) != len(block):
        fail(f"{where}: a key given both in full and abbreviated")
    return full


def check_block(block, schema, where):
    block = expanded(block, where)
    for key, value in block.items():
        if key not in schema or not isinstance(value, schema[key][0]):
            fail(f"{where}: {key} is not a key of that type in the schema")
    for key, (_, required) in schema.items():
        if required and key not in block:
            fail(f"{where}: {key} is required")
    return block


def check_component(platform, c, where):
    unit, device_class, state_class = (c.get("unit_of_measurement"), c.get("device_class"),
                                       c.get("state_class"))
    if state_class not in STATE_CLASSES | {None}:
        fail(f"{where}: state class {state_class}")
    if device_class is not None:
        if platform != "sensor" or device_class not in DEVICE_CLASSES:
            fail(f"{where}: device class {device_class}")
        units, state_classes = DEVICE_CLASSES[device_class]
        if unit not in units or state_class not in state_classes:
            fail(f"{where}: {device_class} does not take unit {unit}, state class {state_class}")
    if c.get("entity_category") not in ENTITY_CATEGORIES | {None} or \
            c.get("availability_mode") not in AVAILABILITY_MODES | {None}:
        fail(f"{where}: entity category or availability mode")
    c["availability"] = [check_block(entry, AVAILABILITY, where + " availability")
                         for entry in c.get("availability", [])]
    entity = c.get("default_entity_id", platform + ".x")
    if not ENTITY_ID.match(entity) or not entity.startswith(platform + "."):
        fail(f"{where}: default_entity_id {entity}")


def check_device_config(topic, payload):
    """The config's components by id, in full names; a removal is {"platform": ...} alone."""
    levels = topic.split("/")
    if levels[-1] != "config" or levels[-3] != "device" or not ID.match(levels[-2]):
        fail(f"{topic}: not DISCOVERY_PREFIX/device/ID/config")
    config = check_block(json.loads(payload), DEVICE_CONFIG, topic)
    config["device"] = check_block(config["device"], DEVICE, topic + " device")
    config["origin"] = check_block(config["origin"], ORIGIN, topic + " origin")
    components = {}
    for key, block in config["components"].items():
        where = f"{topic} {key}"
        platform = block.get("p")
        if not ID.match(key) or platform not in PLATFORMS:
            fail(f"{where}: component id or platform")
        if block == {"p": platform}:
            components[key] = {"platform": platform}
            continue
        components[key] = check_block(block, PLATFORMS[platform], where)
        check_component(platform, components[key], where)
    return config, components


# What each variant has: variant 1 two level channels, 2 and 3 one, 0 none; the relays with any.
CHANNEL = ["level1", "volume1"]
RELAYS = ["relay1", "relay2", "relay3", "relay4"]
ALWAYS = ["fault", "alarm_delay", "selfcal", "unanswered_polls", "late_replies", "last_good"]
VARIANT_HAS = {0: ALWAYS, 1: ALWAYS + CHANNEL + ["level2", "volume2"] + RELAYS,
               2: ALWAYS + CHANNEL + RELAYS, 3: ALWAYS + CHANNEL + RELAYS}
# Prefixes that differ only in letters outside ASCII, in '/' against '_', or in the escape.
PREFIXES = ["plant", "насос/1", "котел/1", "a/b", "a_b", "a_2fb", "A/b"]


def schema(folder):
    out = subprocess.run([PRINT_DISCOVERY, "ha", "247", *PREFIXES], capture_output=True,
                         text=True, check=True).stdout.splitlines()
    if len(out) != 4 * len(PREFIXES):
        fail(f"{len(out)} configs")
    unique_ids, devices = set(), set()
    for n, line in enumerate(out):
        prefix, variant = PREFIXES[n // 4], n % 4
        topic, payload = line.split(" ", 1)
        config, components = check_device_config(topic, payload)
        if variant == 0:
            devices.add(topic)
        if config["device"]["model"] != f"VLK240T variant {variant}":
            fail(f"{topic}: model")
        present = {k for k, c in components.items() if len(c) > 1}
        if present != set(VARIANT_HAS[variant]) or set(components) != set(VARIANT_HAS[1]):
            fail(f"{prefix} variant {variant}: components {sorted(present)} of "
                 f"{sorted(components)}")
        for key in present:
            c = components[key]
            if variant == 1:
                if c["unique_id"] in unique_ids:
                    fail(f"{topic} {key}: unique_id {c['unique_id']} repeated")
                unique_ids.add(c["unique_id"])
            topics = [a["topic"] for a in c["availability"]]
            diagnostic = c.get("entity_category") == "diagnostic"
            if c["state_topic"] != f"{prefix}/247/state" or topics != [f"{prefix}/status"] + (
                    [] if diagnostic else [f"{prefix}/247/availability"]):
                fail(f"{topic} {key}: state or availability topics {topics}")
            if not diagnostic and c["availability_mode"] != "all":
                fail(f"{topic} {key}: availability of the reader or the instrument alone")
        if components["fault"].get("state_class") is not None:
            fail(f"{topic}: the fault code is a code, not a measurement")
        if components["alarm_delay"].get("unit_of_measurement") != "s" or \
                components["level1"].get("unit_of_measurement", "%") != "%":
            fail(f"{topic}: units")
    if len(devices) != len(PREFIXES):
        fail(f"prefixes share a device: {sorted(devices)}")


def prefixes_refused(folder):
    url = f"mqtt://127.0.0.1:{free_port()}/p"
    for prefix, why in [("bad/+", "'+' or '#'"), ("a/#", "'+' or '#'"), ("x//y", "empty"),
                        ("$SYS/ha", "broker's own"), ("h" * 70000, "65535")]:
        run = read(["--cycle", "--count", "1", "--publish", url, "--ha-discovery=" + prefix])
        if run.returncode != 2 or "--ha-discovery" not in run.stderr or why not in run.stderr:
            fail(f"{prefix[:20]}: status {run.returncode}: {run.stderr[:300]!r}")
    # The --publish prefix goes into the ids with each '.' as three bytes.
    long_url = "mqtt://127.0.0.1:1/" + "." * 22000
    run = read(["--cycle", "--count", "1", "--publish", long_url, "--ha-discovery"])
    if run.returncode != 2 or "65535" not in run.stderr:
        fail(f"a long --publish prefix: status {run.returncode}: {run.stderr[:300]!r}")


class Records:
    """publish_records: a Publisher fed one record per line."""

    def __init__(self, broker):
        self.process = start([PUBLISH_RECORDS, f"mqtt://127.0.0.1:{broker.port}/p", "ha"],
                             stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        self.wait()

    def wait(self):
        if self.process.stdout.readline() != "ready\n":
            fail("publish_records did not start or take its record")

    def send(self, *lines):
        for line in lines:
            self.process.stdin.write(line + "\n")
            self.process.stdin.flush()
            self.wait()

    def end(self):
        self.process.stdin.close()
        if self.process.wait(timeout=20) != 0:
            fail(f"publish_records: status {self.process.returncode}")


def retained(broker, topics):
    """What the broker keeps retained under `topics`, as {topic: payload}."""
    args = [shutil.which("mosquitto_sub"), "-p", str(broker.port), "-h", "127.0.0.1", "-v",
            "--retained-only", "-W", "2"]
    for t in topics:
        args += ["-t", t]
    out = subprocess.run(args, capture_output=True, text=True).stdout
    return dict(line.split(" ", 1) for line in out.splitlines() if " " in line)


def configs(messages, address):
    return [json.loads(p) for t, p in messages if t == f"ha/device/vlk240-p-{address}/config"]


def variant_change_removes_components(folder):
    broker = Broker(folder).start()
    # A reader before device-based discovery left a per-entity config behind.
    old = "ha/sensor/vlk240_p_1/level2/config"
    subprocess.run([shutil.which("mosquitto_pub"), "-p", str(broker.port), "-h", "127.0.0.1",
                    "-r", "-t", old, "-m", "{}"], check=True)
    records = Records(broker)
    records.send("1 1")
    sub = Subscriber(broker, folder, ["ha/#"])
    records.send("1 1", "1 2")
    if not sub.wait_for(lambda m: len(configs(m, 1)) >= 2, 10):
        fail("no config after the variant changed")
    first, changed = configs(sub.messages(), 1)[-2:]
    if "stat_t" not in first["cmps"]["level2"] or changed["cmps"]["level2"] != {"p": "sensor"} \
            or changed["cmps"]["volume2"] != {"p": "sensor"} or "stat_t" not in \
            changed["cmps"]["level1"] or changed["dev"]["mdl"] != "VLK240T variant 2":
        fail(f"variant 1 then 2: {first['cmps']['level2']}, {changed['cmps']}")
    records.end()
    # A reader started after the instrument became of variant 0 while none ran.
    records = Records(broker)
    records.send("1 0")
    records.end()
    kept = retained(broker, ["ha/#"])
    if old in kept or set(kept) != {"ha/device/vlk240-p-1/config"}:
        fail(f"retained: {sorted(kept)}")
    cmps = json.loads(kept["ha/device/vlk240-p-1/config"])["cmps"]
    if any(cmps[k] != {"p": "sensor"} for k in ["level1", "volume1", "level2", "volume2"]) or \
            cmps["relay1"] != {"p": "binary_sensor"}:
        fail(f"variant 0 after 1: {cmps}")


def availability_and_birth(folder):
    broker = Broker(folder).start()
    sub = Subscriber(broker, folder, ["ha/#", "p/#"])
    records = Records(broker)
    records.send("1 1", "2 -", "2 -")

    def availability(m, address):
        return [p for t, p in m if t == f"p/{address}/availability"]
    if not sub.wait_for(lambda m: availability(m, 1) == ["online"], 10):
        fail(f"address 1: {availability(sub.messages(), 1)}")
    records.send("2 -")
    if not sub.wait_for(lambda m: availability(m, 2) == ["offline"], 10):
        fail(f"address 2 after 3 silent polls: {availability(sub.messages(), 2)}")
    records.send("2 3 late", "2 -")
    if not sub.wait_for(lambda m: availability(m, 2) == ["offline", "online"], 10):
        fail(f"address 2 after its late reply: {availability(sub.messages(), 2)}")

    def states(m, address):
        return [json.loads(p) for t, p in m if t == f"p/{address}/state"]
    sub.wait_for(lambda m: len(states(m, 2)) == 5, 10)
    health = [(s["unanswered_polls"], s["late_replies"], s["last_good"]) for s in states(
        sub.messages(), 2)]
    if health != [(1, 0, None), (2, 0, None), (3, 0, None), (0, 1, "2026-01-01T00:00:00.000Z"),
                  (1, 1, "2026-01-01T00:00:00.000Z")]:
        fail(f"address 2's health fields: {health}")

    def birth_answered(before):
        for _ in range(10):  # the subscription may still be on its way
            subprocess.run([shutil.which("mosquitto_pub"), "-p", str(broker.port), "-h",
                            "127.0.0.1", "-t", "ha/status", "-m", "online"], check=True)
            if sub.wait_for(lambda m: len(configs(m, 1)) > before and len(configs(m, 2)) >
                            before, 1):
                return True
        return False
    if len(configs(sub.messages(), 1)) != 1 or not birth_answered(1):
        fail("the configs did not go again on Home Assistant's birth")
    # After a reconnect the birth is still heard: the configs go out on the connect, then the
    # copies the subscriber gets again settle, then a birth brings them once more.
    before = len(configs(sub.messages(), 1))
    broker.kill()
    broker.start()
    if not sub.wait_for(lambda m: len(configs(m, 1)) > before, 20):
        fail("the configs did not go out on the reconnect")
    time.sleep(3)
    if not birth_answered(len(configs(sub.messages(), 1))):
        fail("the birth after a reconnect went unheard")
    records.end()


if __name__ == "__main__":
    run_case(globals()[sys.argv[2]])
