#!/usr/bin/env python3
"""A loopback WHOIS responder for benchmarks: answers every query with a
fixed reply and closes the connection, at once or after --delay ms; with
--silent it reads the query and never answers. With --log FILE every query
is appended to FILE exactly as received, one per line, its bytes written as
Python would. With --connections FILE every connection is appended to FILE
when it closes, as "OPENED CLOSED NAME": wall-clock seconds when it was
accepted and when it closed, and the name asked ("-" when none arrived).

usage: whois_responder.py PORT [PORT...] [--reply TEXT] [--delay MS] [--silent]
                          [--log FILE] [--connections FILE]
Listens on 127.0.0.1 only and exits after --lifetime seconds (default 600).
"""
import argparse
import asyncio
import time


async def serve(ports, reply, lifetime, silent, log, delay, connections):
    async def handle(reader, writer):
        opened = time.time()
        name = "-"
        try:
            query = await reader.readuntil(b"\r\n")
            name = query.strip().decode("latin-1") or "-"
            if log:
                with open(log, "a") as out:
                    out.write(repr(query) + "\n")
            if silent:
                await reader.read()
                return
            if delay:
                await asyncio.sleep(delay)
            writer.write(reply)
            await writer.drain()
        except (asyncio.IncompleteReadError, ConnectionError):
            pass
        finally:
            writer.close()
            if connections:
                with open(connections, "a") as out:
                    out.write(f"{opened:.6f} {time.time():.6f} {name}\n")

    servers = [await asyncio.start_server(handle, "127.0.0.1", port, backlog=512) for port in ports]
    try:
        await asyncio.sleep(lifetime)
    finally:
        for server in servers:
            server.close()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("ports", type=int, nargs="+")
    parser.add_argument("--reply", default="Domain Name: EXAMPLE.COM\r\nRegistrar: Example Registrar\r\n")
    parser.add_argument("--lifetime", type=float, default=600)
    parser.add_argument("--delay", type=float, default=0, help="milliseconds before each answer")
    parser.add_argument("--silent", action="store_true")
    parser.add_argument("--log")
    parser.add_argument("--connections")
    args = parser.parse_args()
    asyncio.run(serve(args.ports, args.reply.encode("latin-1"), args.lifetime, args.silent, args.log,
                      args.delay / 1000.0, args.connections))


if __name__ == "__main__":
    main()
