#!/usr/bin/env python3
"""A TCP relay on loopback that holds every byte for a while in each direction.

Stands in for netem where the kernel has none: a linked game's joining side
connects to LISTEN_PORT, the relay connects on to TARGET_PORT, and whatever
either side sends reaches the other ONE_WAY_MS later, in order. The round
trip grows by twice ONE_WAY_MS. Ends once the first connection has closed.

    delay_relay.py LISTEN_PORT TARGET_PORT ONE_WAY_MS
"""

import asyncio
import socket
import sys
import time


async def carry(reader, writer, delay):
    """Bytes from reader to writer, each chunk delivered delay seconds after it came."""
    pending = asyncio.Queue()

    async def deliver():
        while True:
            due, data = await pending.get()
            if data is None:
                break
            wait = due - time.monotonic()
            if wait > 0:
                await asyncio.sleep(wait)
            writer.write(data)
            await writer.drain()
        writer.close()

    delivering = asyncio.create_task(deliver())
    try:
        while True:
            data = await reader.read(65536)
            if not data:
                break
            pending.put_nowait((time.monotonic() + delay, data))
    except ConnectionError:
        pass
    pending.put_nowait((0.0, None))
    try:
        await delivering
    except ConnectionError:
        pass


def no_delay(writer):
    # The link sends 8-byte packets: Nagle's wait would add to the delay asked for.
    sock = writer.get_extra_info("socket")
    if sock is not None:
        sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)


async def main(listen_port, target_port, delay):
    done = asyncio.Event()

    async def relay(joiner_reader, joiner_writer):
        try:
            host_reader, host_writer = await asyncio.open_connection("127.0.0.1", target_port)
        except OSError:
            joiner_writer.close()
            return
        no_delay(joiner_writer)
        no_delay(host_writer)
        await asyncio.gather(carry(joiner_reader, host_writer, delay), carry(host_reader, joiner_writer, delay))
        done.set()

    server = await asyncio.start_server(relay, "127.0.0.1", listen_port)
    async with server:
        await done.wait()


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit("usage: delay_relay.py LISTEN_PORT TARGET_PORT ONE_WAY_MS")
    asyncio.run(main(int(sys.argv[1]), int(sys.argv[2]), int(sys.argv[3]) / 1000.0))
