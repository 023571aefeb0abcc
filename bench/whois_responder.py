#!/usr/bin/env python3
"""A loopback WHOIS responder for benchmarks: answers every query at once
with a fixed reply and closes the connection; with --silent it reads the
query and never answers. With --log FILE every query is appended to FILE
exactly as received, one per line, its bytes written as Python would.

usage: whois_responder.py PORT [PORT...] [--reply TEXT] [--silent] [--log FILE]
Listens on 127.0.0.1 only and exits after --lifetime seconds (default 600).
"""
import argparse
import asyncio


async def serve(ports, reply, lifetime, silent, log):
    async def handle(reader, writer):
        try:
            query = await reader.readuntil(b"\r\n")
            if log:
                with open(log, "a") as out:
                    out.write(repr(query) + "\n")
            if silent:
                await reader.read()
                return
            writer.write(reply)
            await writer.drain()
        except (asyncio.IncompleteReadError, ConnectionError):
            pass
        finally:
            writer.close()

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
    parser.add_argument("--silent", action="store_true")
    parser.add_argument("--log")
    args = parser.parse_args()
    asyncio.run(serve(args.ports, args.reply.encode("latin-1"), args.lifetime, args.silent, args.log))


if __name__ == "__main__":
    main()
