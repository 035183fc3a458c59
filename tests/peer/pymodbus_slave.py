#!/usr/bin/python3
"""An independent Modbus RTU slave with the level gauge's 13 input registers.

A second opinion on the line protocol: it shares no code with our simulator
or our exchange. Serves on the serial device given as argument (one end of a
socat pty pair; a pty cannot carry even parity, so the line is opened 8N1),
prints READY on stdout once the port is open and serving, and stops cleanly
on SIGTERM or SIGINT.
"""
import argparse
import asyncio
import logging
import signal
import sys

from pymodbus.datastore import (ModbusSequentialDataBlock, ModbusServerContext,
                                ModbusSlaveContext)
from pymodbus.server import StartAsyncSerialServer
from pymodbus.transaction import ModbusRtuFramer

# The reference reply's register image: fault 0, level 1 45.5, volume 1 30.25,
# level 2 12.0, volume 2 100.0, status 0x15, alarm delay 10, self-cal 50.0.
INPUT_REGISTERS = [0x0000, 0x4236, 0x0000, 0x41F2, 0x0000, 0x4140, 0x0000,
                   0x42C8, 0x0000, 0x0015, 0x000A, 0x4248, 0x0000]


def parse_arguments():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("device", help="serial device to serve on")
    parser.add_argument("--address", type=int, default=1,
                        help="slave address, 1..247 (default 1)")
    arguments = parser.parse_args()
    if not 1 <= arguments.address <= 247:
        parser.error("address must be 1..247")
    return arguments


async def serve(arguments):
    # zero_mode: register 0 is the first value, not register 1.
    store = ModbusSlaveContext(
        ir=ModbusSequentialDataBlock(0, INPUT_REGISTERS), zero_mode=True)
    context = ModbusServerContext(slaves={arguments.address: store},
                                  single=False)
    # The serial server defaults to the ASCII framer; the line is RTU.
    server = await StartAsyncSerialServer(
        context=context, framer=ModbusRtuFramer, port=arguments.device,
        baudrate=9600, bytesize=8, parity="N", stopbits=1,
        ignore_missing_slaves=True, defer_start=True)
    # start() swallows some failures to open the port: check for ourselves.
    await server.start()
    if server.transport is None:
        print(f"cannot open {arguments.device}", file=sys.stderr)
        return 1

    stop = asyncio.Event()
    loop = asyncio.get_running_loop()
    for number in (signal.SIGTERM, signal.SIGINT):
        loop.add_signal_handler(number, stop.set)
    print("READY", flush=True)
    await stop.wait()
    # Cancelling the serial handler on shutdown is logged as an error.
    logging.getLogger("pymodbus").setLevel(logging.CRITICAL)
    await server.shutdown()
    return 0


def main():
    arguments = parse_arguments()
    try:
        return asyncio.run(serve(arguments))
    except Exception as error:  # the port vanished or could not be opened
        print(f"pymodbus_slave: {error}", file=sys.stderr)
        return 1


if __name__ == "__main__":
    sys.exit(main())
