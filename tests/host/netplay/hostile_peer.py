#!/usr/bin/env python3
"""A joining side that greets properly (it answers with the host's own game),
takes the host's terms for the link and then keeps to the packet exchange, one packet for each of the host's, but
with random pad bytes in every packet, from the first frame of the boot on.
usage: hostile_peer.py PORT"""
import random
import socket
import sys
import time

GREETING_BYTES = 40
TERMS_BYTES = 16


def read_exactly(s, n):
    data = b""
    while len(data) < n:
        chunk = s.recv(n - len(data))
        if not chunk:
            return None
        data += chunk
    return data


def main():
    port = int(sys.argv[1])
    for _ in range(100):
        try:
            s = socket.create_connection(("127.0.0.1", port))
            break
        except OSError:
            time.sleep(0.1)
    else:
        sys.exit("nobody listens on %d" % port)
    hello = read_exactly(s, GREETING_BYTES)
    if hello is None:
        sys.exit("no greeting")
    s.sendall(hello)
    if read_exactly(s, TERMS_BYTES) is None:
        sys.exit("no terms")
    chaos = random.Random(17)
    packets = 0
    try:
        while read_exactly(s, 8) is not None:
            s.sendall(bytes(chaos.randrange(256) for _ in range(4)) + bytes(4))
            packets += 1
    except (BrokenPipeError, ConnectionResetError):
        pass  # the host has played its frames and gone
    print("answered %d packets with random pads" % packets)


main()
