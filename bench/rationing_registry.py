#!/usr/bin/env python3
"""A loopback "registry" for benchmarks, as real registries ration WHOIS:
at most --rate queries per second per client address; beyond that it answers
with a limit notice. Names listed in --taken get a registration record, any
other name "No match". A DNS responder on 127.0.0.1:53 (UDP) answers NS
records for the taken names and NXDOMAIN for the rest when --dns is given.

usage: rationing_registry.py PORT --taken FILE [--rate 5] [--dns] [--lifetime S]
On SIGUSR1 it prints the registry phase since the last report (the names it
answered, from its first query to its last answer, and the queries it
refused) and starts counting anew; on exit, the WHOIS queries it answered and
refused in all.
"""
import argparse
import asyncio
import signal
import struct
import time


class Counters:
    answered = 0
    refused = 0


class Phase:
    """The queries since the last report."""

    def __init__(self):
        self.names = set()
        self.refused = 0
        self.first = None
        self.last = None

    def report(self):
        seconds = (self.last - self.first) if self.names else 0.0
        rate = len(self.names) / seconds if seconds > 0 else 0.0
        print(f"registry phase: {len(self.names)} names answered in {seconds:.1f} s = {rate:.2f} names/s; "
              f"{self.refused} queries refused", flush=True)


def whois_handler(taken, rate, counters, phase):
    recent = {}  # client address -> times of its recent queries

    async def handle(reader, writer):
        try:
            line = await reader.readuntil(b"\r\n")
            name = line.strip().decode("latin-1").lower()
            client = writer.get_extra_info("peername")[0]
            now = time.monotonic()
            if phase[0].first is None:
                phase[0].first = now
            times = [t for t in recent.get(client, []) if now - t < 1.0]
            if len(times) >= rate:
                counters.refused += 1
                phase[0].refused += 1
                reply = b"%% Query rate limit exceeded. Try again later.\r\n"
            else:
                times.append(now)
                counters.answered += 1
                phase[0].names.add(name)
                phase[0].last = now
                if name in taken:
                    reply = ("Domain Name: %s\r\nRegistrar: Example Registrar\r\n"
                             "Creation Date: 2001-01-01T00:00:00Z\r\nName Server: NS1.EXAMPLE.NET\r\n"
                             % name.upper()).encode("latin-1")
                else:
                    reply = b'No match for "%s".\r\n' % name.upper().encode("latin-1")
            recent[client] = times
            writer.write(reply)
            await writer.drain()
        except (asyncio.IncompleteReadError, ConnectionError):
            pass
        finally:
            writer.close()

    return handle


class DnsResponder(asyncio.DatagramProtocol):
    def __init__(self, taken):
        self.taken = taken

    def connection_made(self, transport):
        self.transport = transport

    def datagram_received(self, data, address):
        if len(data) < 12:
            return
        at, labels = 12, []
        while at < len(data) and data[at] != 0:
            length = data[at]
            labels.append(data[at + 1:at + 1 + length].decode("latin-1"))
            at += length + 1
        question = data[12:at + 5]
        name = ".".join(labels).lower()
        delegated = name in self.taken
        header = data[:2] + struct.pack(">HHHHH", 0x8180 if delegated else 0x8183, 1, 1 if delegated else 0, 0, 0)
        answer = b""
        if delegated:
            target = b"".join(bytes([len(p)]) + p for p in (b"ns1", b"example", b"net")) + b"\0"
            answer = struct.pack(">HHHIH", 0xC00C, 2, 1, 3600, len(target)) + target
        self.transport.sendto(header + question + answer, address)


async def serve(args):
    taken = {line.strip().lower() for line in open(args.taken, encoding="latin-1") if line.strip()}
    counters = Counters()
    phase = [Phase()]
    server = await asyncio.start_server(whois_handler(taken, args.rate, counters, phase), "127.0.0.1", args.port,
                                        backlog=512)
    loop = asyncio.get_running_loop()
    if args.dns:
        await loop.create_datagram_endpoint(lambda: DnsResponder(taken), local_addr=("127.0.0.1", 53))
    stop = loop.create_future()
    loop.add_signal_handler(signal.SIGTERM, stop.set_result, None)

    def next_phase():
        phase[0].report()
        phase[0] = Phase()

    loop.add_signal_handler(signal.SIGUSR1, next_phase)
    try:
        await asyncio.wait_for(stop, args.lifetime)
    except asyncio.TimeoutError:
        pass
    server.close()
    print(f"registry: {counters.answered} queries answered, {counters.refused} refused", flush=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("port", type=int)
    parser.add_argument("--taken", required=True)
    parser.add_argument("--rate", type=int, default=5)
    parser.add_argument("--dns", action="store_true")
    parser.add_argument("--lifetime", type=float, default=3600)
    asyncio.run(serve(parser.parse_args()))


if __name__ == "__main__":
    main()
