#!/usr/bin/python3
"""Unplugs or plugs the virtual machine's USB serial adapter over QMP.

Usage: qmp.py SOCKET unplug ID        device_del, then waits for DEVICE_DELETED
       qmp.py SOCKET plug ID CHARDEV  device_add of a usb-serial on CHARDEV
Exits 0 when QEMU confirmed, 1 with a message otherwise.
"""
import json
import socket
import sys

PATIENCE_S = 20


def main(argv):
    path, action, device_id = argv[1], argv[2], argv[3]
    with socket.socket(socket.AF_UNIX) as qmp:
        qmp.settimeout(PATIENCE_S)
        qmp.connect(path)
        replies = qmp.makefile("r")

        def send(command, **arguments):
            message = {"execute": command}
            if arguments:
                message["arguments"] = arguments
            qmp.sendall((json.dumps(message) + "\n").encode())

        def until(wanted):
            for line in replies:
                reply = json.loads(line)
                if "error" in reply:
                    raise RuntimeError(reply["error"].get("desc", line.strip()))
                if wanted(reply):
                    return
            raise RuntimeError("QEMU closed the monitor")

        until(lambda r: "QMP" in r)
        send("qmp_capabilities")
        until(lambda r: "return" in r)
        if action == "unplug":
            send("device_del", id=device_id)
            until(lambda r: r.get("event") == "DEVICE_DELETED"
                  and r.get("data", {}).get("device") == device_id)
        else:
            send("device_add", driver="usb-serial", chardev=argv[4], id=device_id)
            until(lambda r: "return" in r)


if __name__ == "__main__":
    try:
        main(sys.argv)
    except (OSError, RuntimeError, ValueError, IndexError) as error:
        print(f"qmp: {error}", file=sys.stderr)
        sys.exit(1)
