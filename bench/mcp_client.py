"""Drives one `quillo mcp` server over its standard streams, for the benchmark:

    mcp_client.py QUILLO SOCKET calls N   N tools/call of ping, one after the other
    mcp_client.py QUILLO SOCKET list N    N tools/list; prints the median round trip in seconds
"""
import json
import statistics
import subprocess
import sys
import time


def main():
    quillo, socket, mode, count = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
    server = subprocess.Popen([quillo, "--socket", socket, "mcp"], stdin=subprocess.PIPE,
                              stdout=subprocess.PIPE)
    ids = iter(range(1, 1 << 62))

    def ask(method, params):
        line = json.dumps({"jsonrpc": "2.0", "id": next(ids), "method": method, "params": params})
        server.stdin.write(line.encode() + b"\n")
        server.stdin.flush()
        reply = json.loads(server.stdout.readline())
        if "result" not in reply or reply["result"].get("isError"):
            sys.exit(f"mcp_client: {method} failed: {reply}")
        return reply

    ask("initialize", {"protocolVersion": "2025-11-25", "capabilities": {},
                       "clientInfo": {"name": "bench", "version": "1"}})
    times = []
    for _ in range(count):
        start = time.perf_counter()
        if mode == "list":
            ask("tools/list", {})
        else:
            ask("tools/call", {"name": "ping", "arguments": {}})
        times.append(time.perf_counter() - start)
    server.stdin.close()
    server.wait()
    if mode == "list":
        print(statistics.median(times))


if __name__ == "__main__":
    main()
