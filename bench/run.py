"""Benchmarks quillo against its floor and its peers, each comparison measured side by side in
one hyperfine run, and prints one table (also written to BUILD/bench/results.md).

    python3 bench/run.py [--build BUILD] [--quick]
"""
import argparse
import json
import os
import platform
import shutil
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def sh(*args, **kwargs):
    return subprocess.run(args, check=True, **kwargs)


def hyperfine(commands, runs, warmup):
    """Median seconds of each command, measured in one hyperfine run."""
    with tempfile.NamedTemporaryFile(suffix=".json") as export:
        run = subprocess.run(["hyperfine", "--shell=none", "--style=none", "--warmup", str(warmup),
                              "--runs", str(runs), "--export-json", export.name, *commands],
                             stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        if run.returncode != 0:
            sys.exit(run.stderr)
        results = json.load(open(export.name))["results"]
    return [r["median"] for r in results]


def peak_rss_kib(command, runs=5):
    """The median of the peak resident memory over `runs` runs."""
    peaks = []
    for _ in range(runs):
        out = subprocess.run(["/usr/bin/time", "-f", "%M"] + command, stdout=subprocess.DEVNULL,
                             stderr=subprocess.PIPE, text=True, check=True).stderr
        peaks.append(int(out.strip().splitlines()[-1]))
    return sorted(peaks)[len(peaks) // 2]


def instructions(command):
    """Instructions executed by `command` (callgrind): the same count on every run, however busy
    the machine, unlike its time."""
    err = subprocess.run(["valgrind", "--tool=callgrind", "--callgrind-out-file=/dev/null"] + command,
                         stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True, check=True).stderr
    for line in err.splitlines():
        if "refs:" in line:
            return int(line.split("refs:")[1].replace(",", "").strip())
    raise RuntimeError("no instruction count from callgrind")


def spread_percent(values):
    return (max(values) - min(values)) / min(values) * 100


def verdict(met):
    return "met" if met else "MISSED"


class Servers:
    """One canned peer per reply file, each on its own socket."""

    def __init__(self, server_binary, directory):
        self.binary, self.directory, self.processes, self.sockets = server_binary, directory, [], {}

    def socket_for(self, reply_file):
        if reply_file not in self.sockets:
            path = os.path.join(self.directory, f"s{len(self.sockets)}.sock")
            self.processes.append(subprocess.Popen([self.binary, path, reply_file]))
            for _ in range(200):
                if os.path.exists(path):
                    break
                time.sleep(0.01)
            self.sockets[reply_file] = path
        return self.sockets[reply_file]

    def stop(self):
        for p in self.processes:
            p.kill()
            p.wait()


def machine():
    cpu = platform.processor() or platform.machine()
    try:
        for line in open("/proc/cpuinfo"):
            if line.startswith("model name"):
                cpu = line.split(":", 1)[1].strip()
                break
    except OSError:
        pass
    return f"{platform.system()} {platform.release()}, {cpu}, {os.cpu_count()} cores"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default=os.path.join(ROOT, "build"))
    parser.add_argument("--quick", action="store_true", help="fewer runs and no 200 MB reply")
    options = parser.parse_args()
    build = os.path.abspath(options.build)
    quillo = os.path.join(build, "quillo")
    work = os.path.join(build, "bench")
    data = os.path.join(work, "data")
    os.makedirs(data, exist_ok=True)
    for name in ("canned_server", "floor_client"):
        sh("cc", "-O2", "-o", os.path.join(work, name), os.path.join(ROOT, "bench", name + ".c"))
    # The floor linked as quillo is: without shared libraries to load, where the system allows.
    static_floor = os.path.join(work, "floor_client_static")
    if subprocess.run(["cc", "-O2", "-static", "-o", static_floor, os.path.join(ROOT, "bench", "floor_client.c")],
                      stderr=subprocess.DEVNULL).returncode != 0:
        static_floor = None
    sizes = ["5", "50"] + ([] if options.quick else ["200"])
    missing = [mb for mb in sizes if not os.path.exists(os.path.join(data, f"objects-{mb}.reply"))]
    if missing:
        sh(sys.executable, os.path.join(ROOT, "bench", "make_replies.py"), data, *missing)
    ping_reply = os.path.join(data, "ping.reply")
    with open(ping_reply, "w") as f:
        f.write('{"id":"x","ok":true,"result":{"app":"Quillo","build":"812","protocol_version":1,'
                '"version":"2.3.0"}}\n')

    socket_dir = tempfile.mkdtemp(prefix="qb.", dir="/tmp")
    servers = Servers(os.path.join(work, "canned_server"), socket_dir)
    rows = []
    scale = 1 if not options.quick else 3
    try:
        s = servers.socket_for(ping_reply)
        request = ('{"_env":{"context":null,"project_path":null,"roost":null},'
                   '"id":"0c768fac-9eea-404b-879e-44730aeac366","method":"ping","params":{}}')
        commands = [
            f"{quillo} --socket {s} ping",
            f"{work}/floor_client {s}",
            f"sh -c \"printf '%s\\n' '{request}' | socat - UNIX-CONNECT:{s}\"",
            f"python3 {ROOT}/bench/python_client.py {s}",
        ]
        names = ["quillo ping", "C floor client", "socat", "Python client"]
        if static_floor:
            commands.append(f"{static_floor} {s}")
            names.append("C floor client, static")
        round_trip = hyperfine(commands, runs=600 // scale, warmup=30)
        floor = round_trip[1]
        for name, t in zip(names, round_trip):
            note = f"{t / floor:.2f}x the floor"
            if name == "quillo ping":
                note += f" (goal: at most 1.3x): {verdict(t / floor <= 1.3)}"
                if static_floor:
                    note += f"; {t / round_trip[-1]:.2f}x the static floor"
            rows.append(("Round trip", name, f"{t * 1000:.2f} ms", note))

        per_mb = {}
        instructions_per_mb = {}
        for mb in sizes:
            runs = {"5": 20, "50": 8, "200": 4}[mb]
            for shape in ("objects", "string"):
                reply = os.path.join(data, f"{shape}-{mb}.reply")
                result = os.path.join(data, f"{shape}-{mb}.result.json")
                size_mb = os.path.getsize(result) / 1e6
                sock = servers.socket_for(reply)
                commands = [f"{quillo} --socket {sock} --json ping"]
                if mb == "50":
                    commands.append(f"jq -cS . {result}")
                times = hyperfine(commands, runs=max(2, runs // scale), warmup=1)
                per_mb[(shape, mb)] = times[0] / size_mb
                instructions_per_mb[(shape, mb)] = instructions(
                    [quillo, "--socket", sock, "--json", "ping"]) / size_mb
                line = f"{times[0]:.3f} s, {times[0] / size_mb * 1000:.1f} ms/MB"
                note = ""
                if mb == "50":
                    speedup = times[1] / times[0]
                    note = f"jq -cS . {times[1]:.3f} s: {speedup:.2f}x faster (goal: 2x): {verdict(speedup >= 2)}"
                rows.append((f"--json, {mb} MB {shape}", f"{size_mb:.0f} MB result", line, note))
            if mb == "50":
                sock = servers.socket_for(os.path.join(data, "objects-50.reply"))
                t = hyperfine([f"{quillo} --socket {sock} comments list"], runs=max(2, runs // scale), warmup=1)[0]
                rows.append(("Human rendering, 50 MB comments", "comments list", f"{t:.3f} s", ""))
        # Time per MB varies from run to run on a shared machine; instructions per MB do not, so
        # they decide whether the cost stays flat.
        for shape in ("objects", "string"):
            costs = [per_mb[(shape, mb)] for mb in sizes]
            counts = [instructions_per_mb[(shape, mb)] for mb in sizes]
            time_spread, count_spread = spread_percent(costs), spread_percent(counts)
            rows.append((f"Scaling, {shape}", " / ".join(f"{mb} MB" for mb in sizes),
                         " / ".join(f"{c * 1000:.1f}" for c in costs) + " ms/MB; " +
                         " / ".join(f"{c / 1e6:.1f}" for c in counts) + " M instructions/MB",
                         f"time spread {time_spread:.0f} %, instruction spread {count_spread:.0f} % "
                         f"(goal: within 20 %): {verdict(count_spread <= 20)}"))

        ping_rss = peak_rss_kib([quillo, "--socket", servers.socket_for(ping_reply), "ping"])
        rows.append(("Peak memory", "quillo ping", f"{ping_rss / 1024:.1f} MiB",
                     f"goal: at most 4 MiB: {verdict(ping_rss <= 4096)}"))
        for shape, mode in (("objects", "--json"), ("string", "--json"), ("objects", "comments list")):
            reply = os.path.join(data, f"{shape}-50.reply")
            arguments = ["--json", "ping"] if mode == "--json" else ["comments", "list"]
            rss = peak_rss_kib([quillo, "--socket", servers.socket_for(reply)] + arguments)
            ratio = rss * 1024 / os.path.getsize(reply)
            note = f"{ratio:.1f}x the reply"
            if mode == "--json":
                note += f" (goal: at most 4x): {verdict(ratio <= 4)}"
            rows.append(("Peak memory", f"{mode}, 50 MB {shape}", f"{rss / 1024:.0f} MiB", note))
    finally:
        servers.stop()
        shutil.rmtree(socket_dir, ignore_errors=True)

    table = [f"Machine: {machine()}; {time.strftime('%Y-%m-%d')}", "",
             "| Measure | Case | Median | Comparison |", "|---|---|---|---|"]
    table += [f"| {a} | {b} | {c} | {d} |" for a, b, c, d in rows]
    text = "\n".join(table) + "\n"
    print(text)
    with open(os.path.join(work, "results.md"), "w") as f:
        f.write(text)


if __name__ == "__main__":
    main()
