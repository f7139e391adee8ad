"""Loopback addresses for tests that listen, by the rule of
tests/support/loopback.h: each process holds a block of its own,
127.x.y.1 to 127.x.y.254 with one-digit x (1 to 9) and y (0 to 9), so an
address is as long as 127.0.0.n; claimed by a socket bound to the block's
address 0 on port 12301 for the life of the process and checked free on
the real ports 12301 and 2301. C++ and Python tests follow the same rule,
so they never meet on an address.

From another folder under tests/:
    sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "pty"))
    from loopback import loopback_address
"""

import errno
import os
import socket

PORTS = (12301, 2301)
LAST_ADDRESS = 254
BLOCK_COUNT = 90  # 127.1.0.x to 127.9.9.x

_claim = None  # kept open: it tells other processes the block is taken
_prefix = None


def _block_prefix(block):
    return "127.%d.%d." % (1 + block // 10, block % 10)


def _bound(address, port, reuse):
    """A socket bound to address:port, or None when it is taken. Probes
    pass `reuse`, so connections a finished test left waiting do not count
    as taken, while any listener still does."""
    bound = socket.socket()
    if reuse:
        bound.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    try:
        bound.bind((address, port))
    except OSError as error:
        bound.close()
        if error.errno != errno.EADDRINUSE:
            raise
        return None
    return bound


def _addresses_free(prefix):
    for n in range(1, LAST_ADDRESS + 1):
        for port in PORTS:
            probe = _bound(prefix + str(n), port, True)
            if probe is None:
                return False
            probe.close()
    return True


def _claim_block():
    global _claim
    start = os.getpid() % BLOCK_COUNT
    # From the process's own block on; when every one is taken, something
    # listens on all of them (a wildcard server on the port, say).
    for attempt in range(BLOCK_COUNT):
        prefix = _block_prefix((start + attempt) % BLOCK_COUNT)
        claim = _bound(prefix + "0", PORTS[0], False)
        if claim is None:
            continue
        if _addresses_free(prefix):
            _claim = claim
            return prefix
        claim.close()
    raise RuntimeError("no free block of loopback addresses")


def loopback_address(n):
    """The n-th address (1 to 254) of this process's block; the first call
    chooses the block."""
    global _prefix
    if not 1 <= n <= LAST_ADDRESS:
        raise ValueError("no address %d in a block" % n)
    if _prefix is None:
        _prefix = _claim_block()
    return _prefix + str(n)
