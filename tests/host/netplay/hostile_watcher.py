#!/usr/bin/env python3
"""Watchers gone wrong, against a host waiting for its other player: one that
greets as a watcher, names itself and then sends bytes (input it may not
send); one whose watcher's answer is malformed; one that sends garbage at
once. The host must drop each (it closes the connection). Prints what
happened to each.
usage: hostile_watcher.py PORT"""
import socket
import sys

GREETING_BYTES = 40
ANSWER = b"QGUWATC1" + bytes(32)


def read_exactly(s, n):
    data = b""
    while len(data) < n:
        chunk = s.recv(n - len(data))
        if not chunk:
            return None
        data += chunk
    return data


def dropped(s):
    """True when the host closes the connection within 15 s."""
    s.settimeout(15)
    try:
        while True:
            chunk = s.recv(4096)
            if not chunk:
                return True
    except ConnectionResetError:
        return True
    except socket.timeout:
        return False


def main():
    port = int(sys.argv[1])
    results = []
    for name, sent in [
        ("chatty", ANSWER + b"QGUNICK1" + bytes([7]) + b"Mallory" + b"\x10\x00\x00\x00" * 8),
        ("crooked", b"QGUWATC1" + b"\x01" * 32),
        ("garbage", b"\xff" * 64),
    ]:
        s = socket.create_connection(("127.0.0.1", port))
        if read_exactly(s, GREETING_BYTES) is None:
            print(name, "got no greeting")
            return 1
        s.sendall(sent)
        results.append(name + (" dropped" if dropped(s) else " kept"))
        s.close()
    print(", ".join(results))
    return 0 if all(r.endswith("dropped") for r in results) else 1


if __name__ == "__main__":
    sys.exit(main())
