#!/usr/bin/env python3
"""A loopback WHOIS responder that answers each query with a recorded reply.

usage: reply_responder.py PORT MANIFEST [--lifetime SECONDS]
MANIFEST is tab-separated: query name, reply file. A name listed more than
once gets its replies in manifest order. Unknown names get an empty reply.
Listens on 127.0.0.1 only.
"""
import argparse
import asyncio
import collections


def load(manifest):
    replies = collections.defaultdict(collections.deque)
    with open(manifest, encoding="utf-8") as lines:
        for line in lines:
            name, path = line.rstrip("\n").split("\t")
            with open(path, "rb") as reply:
                replies[name.lower()].append(reply.read())
    return replies


async def serve(port, replies, lifetime):
    async def handle(reader, writer):
        try:
            query = (await reader.readuntil(b"\r\n")).strip().decode("latin-1").lower()
            queue = replies.get(query)
            writer.write(queue.popleft() if queue else b"")
            await writer.drain()
        except (asyncio.IncompleteReadError, ConnectionError):
            pass
        finally:
            writer.close()

    server = await asyncio.start_server(handle, "127.0.0.1", port, backlog=64)
    async with server:
        await asyncio.sleep(lifetime)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("port", type=int)
    parser.add_argument("manifest")
    parser.add_argument("--lifetime", type=float, default=900)
    args = parser.parse_args()
    asyncio.run(serve(args.port, load(args.manifest), args.lifetime))


if __name__ == "__main__":
    main()
