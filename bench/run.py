"""Benchmarks quillo against its floor and its peers, each comparison measured side by side in
one hyperfine run (quillo mcp against as many processes too), and prints one table (also written to BUILD/bench/results.md). Start-up is
also given as page faults and instructions, which stay the same however busy the machine is.

    python3 bench/run.py [--build BUILD] [--quick] [--before OLD_QUILLO]

With --before, an earlier build of quillo is measured side by side with this one (start-up and
the memory of the comment rendering), so that a change shows its effect on one machine.
"""
import argparse
import json
import os
import platform
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def sh(*args, **kwargs):
    return subprocess.run(args, check=True, **kwargs)


def hyperfine(commands, runs, warmup, ignore_failure=False):
    """Median seconds of each command, measured in one hyperfine run."""
    with tempfile.NamedTemporaryFile(suffix=".json") as export:
        run = subprocess.run(["hyperfine", "--shell=none", "--style=none", "--warmup", str(warmup),
                              "--runs", str(runs), "--export-json", export.name,
                              *(["--ignore-failure"] if ignore_failure else []), *commands],
                             stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        if run.returncode != 0:
            sys.exit(run.stderr)
        results = json.load(open(export.name))["results"]
    return [r["median"] for r in results]


def hyperfine_rounds(commands, rounds, runs, warmup, ignore_failure=False):
    """For each command, its median in each of `rounds` hyperfine runs. hyperfine runs one
    command after another, and on a shared machine the speed drifts within a run; comparing
    commands round by round, and taking the median over the rounds, keeps the drift out of the
    ratios."""
    per_round = [hyperfine(commands, runs, warmup, ignore_failure) for _ in range(rounds)]
    return [[r[i] for r in per_round] for i in range(len(commands))]


def peak_rss_kib(command, runs=5):
    """The median of the peak resident memory over `runs` runs."""
    peaks = []
    for _ in range(runs):
        out = subprocess.run(["/usr/bin/time", "-f", "%M"] + command, stdout=subprocess.DEVNULL,
                             stderr=subprocess.PIPE, text=True).stderr
        peaks.append(int(out.strip().splitlines()[-1]))
    return statistics.median_high(peaks)


def perf_counts_faults():
    """Whether `perf stat` can count page faults here (it needs the tool and the permission)."""
    try:
        return page_faults_perf(["true"]) is not None
    except OSError:
        return False


def page_faults_perf(command):
    """(all, minor) page faults of one run of `command`, as `perf stat` counts them."""
    with tempfile.NamedTemporaryFile(suffix=".txt") as output:
        subprocess.run(["perf", "stat", "-x,", "-e", "page-faults,minor-faults", "-o", output.name,
                        "--"] + command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        counts = {}
        for line in open(output.name):
            fields = line.strip().split(",")
            if len(fields) > 2 and fields[0].isdigit():
                counts[fields[2]] = int(fields[0])
    if "page-faults" not in counts or "minor-faults" not in counts:
        return None
    return counts["page-faults"], counts["minor-faults"]


def page_faults_time(command):
    """(all, minor) page faults of one run of `command`, as GNU time reports them."""
    out = subprocess.run(["/usr/bin/time", "-f", "%R %F"] + command, stdout=subprocess.DEVNULL,
                         stderr=subprocess.PIPE, text=True).stderr
    minor, major = (int(n) for n in out.strip().splitlines()[-1].split())
    return minor + major, minor


def page_faults(command, runs, use_perf):
    """The median page faults of `command` over `runs` runs, and its median minor faults: nearly
    the same counts on every run, however busy the machine, as each fault is a page that the
    process touched for the first time."""
    counts = [(page_faults_perf if use_perf else page_faults_time)(command) for _ in range(runs)]
    return statistics.median_high(c[0] for c in counts), statistics.median_high(c[1] for c in counts)


def instructions(command):
    """Instructions executed by `command` (callgrind): the same count on every run, however busy
    the machine, unlike its time. A command that fails (a usage error) is counted too."""
    err = subprocess.run(["valgrind", "--tool=callgrind", "--callgrind-out-file=/dev/null"] + command,
                         stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True).stderr
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
    parser.add_argument("--before", help="an earlier quillo executable to compare with")
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
    missing = [mb for mb in sizes if not os.path.exists(os.path.join(data, f"nested-sorted-{mb}.reply"))]
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
    use_perf = perf_counts_faults()
    fault_runs = 15 if not options.quick else 5
    try:
        s = servers.socket_for(ping_reply)
        request = ('{"_env":{"context":null,"project_path":null,"roost":null},'
                   '"id":"0c768fac-9eea-404b-879e-44730aeac366","method":"ping","params":{}}')
        # The floor is the static C client, linked as quillo is; the dynamically linked one, as
        # most small C programs are, is the second comparison. Without a static C library (where
        # the system has none) the dynamic one is the floor.
        before = os.path.abspath(options.before) if options.before else None
        clients = [("quillo ping", [quillo, "--socket", s, "ping"]),
                   ("C floor client, static", [static_floor, s] if static_floor else None),
                   ("C floor client, dynamic", [f"{work}/floor_client", s]),
                   ("quillo ping, before", [before, "--socket", s, "ping"] if before else None)]
        clients = [(name, argv) for name, argv in clients if argv]
        peers = [("socat", f"sh -c \"printf '%s\\n' '{request}' | socat - UNIX-CONNECT:{s}\""),
                 ("Python client", f"python3 {ROOT}/bench/python_client.py {s}")]
        trip_rounds = dict(zip([n for n, _ in clients],
                          hyperfine_rounds([" ".join(argv) for _, argv in clients], rounds=6,
                                           runs=100 // scale, warmup=20)))
        times = {name: statistics.median(r) for name, r in trip_rounds.items()}
        times.update(zip([n for n, _ in peers], hyperfine([c for _, c in peers], runs=100 // scale, warmup=5)))
        faults = {name: page_faults(argv, fault_runs, use_perf) for name, argv in clients}
        counts = {name: instructions(argv) for name, argv in clients}
        floor = clients[1][0]
        floor_time, floor_faults, floor_count = times[floor], faults[floor][0], counts[floor]

        def time_ratio(name, against, rounds):
            """The median over the rounds in which both ran."""
            return statistics.median(t / f for t, f in zip(rounds[name], rounds[against]))

        def versus_floor(name, rounds):
            return (f"{time_ratio(name, floor, rounds):.2f}x the floor's time, "
                    f"{faults[name][0] / floor_faults:.2f}x its faults, "
                    f"{counts[name] / floor_count:.1f}x its instructions")

        def fault_text(name):
            everything, minor = faults[name]
            return f"{everything}" if everything == minor else f"{everything} ({minor} minor)"

        for name, _ in clients:
            if name == "quillo ping":
                note = versus_floor(name, trip_rounds)
                if static_floor:
                    static = time_ratio(name, floor, trip_rounds)
                    note += f" (goal: at most 1.2x the static floor's time): {verdict(static <= 1.2)}"
                dynamic = time_ratio(name, "C floor client, dynamic", trip_rounds)
                note += (f"; {dynamic:.2f}x the dynamic floor's time "
                         f"(goal: at most 1.0x): {verdict(dynamic <= 1.0)}")
            elif name == floor:
                note = "the floor"
            else:
                note = versus_floor(name, trip_rounds)
            rows.append(("Round trip", name, f"{times[name] * 1000:.2f} ms", fault_text(name),
                         f"{counts[name]:,}", note))
        for name, _ in peers:
            rows.append(("Round trip", name, f"{times[name] * 1000:.2f} ms", "", "",
                         f"{times[name] / floor_time:.2f}x the floor's time"))

        # The MCP front end: a tool list, and a thousand pings through one server against a
        # thousand processes, measured side by side in one hyperfine run.
        driver = [sys.executable, os.path.join(ROOT, "bench", "mcp_client.py"), quillo, s]
        list_latency = float(subprocess.run(driver + ["list", str(200 // scale)], check=True,
                                            capture_output=True, text=True).stdout)
        rows.append(("MCP", "tools/list (54 tools), one server", f"{list_latency * 1000:.2f} ms", "", "",
                     "median round trip over a server's standard streams"))
        loop = f"sh -c 'i=0; while [ $i -lt 1000 ]; do {quillo} --socket {s} ping >/dev/null; i=$((i+1)); done'"
        served, processes = hyperfine([" ".join(driver + ["calls", "1000"]), loop], runs=max(2, 6 // scale), warmup=1)
        rows.append(("MCP", "1,000 tools/call of ping, one server", f"{served:.3f} s", "", "",
                     f"{served:.3f} s against {processes:.3f} s: {processes / served:.2f}x the speed of processes"))
        rows.append(("MCP", "1,000 quillo ping processes", f"{processes:.3f} s", "", "", "one after the other, from sh"))

        # Start-up without a request, so that later changes can show these stay as fast: a usage
        # error (exit status 2) and the top-level help.
        starts = [("usage error: quillo bogus", [quillo, "bogus"]),
                  ("quillo --help", [quillo, "--help"])]
        if before:
            starts += [("usage error, before", [before, "bogus"]), ("quillo --help, before", [before, "--help"])]
        # The floor runs in these rounds too, so that each ratio is taken round by round.
        start_rounds = hyperfine_rounds([" ".join(argv) for _, argv in starts] + [" ".join(dict(clients)[floor])],
                                        rounds=6, runs=50 // scale, warmup=10, ignore_failure=True)
        start_rounds = dict(zip([n for n, _ in starts] + [floor], start_rounds))
        for name, argv in starts:
            t = times[name] = statistics.median(start_rounds[name])
            faults[name] = page_faults(argv, fault_runs, use_perf)
            counts[name] = instructions(argv)
            rows.append(("Start-up", name, f"{t * 1000:.2f} ms", fault_text(name), f"{counts[name]:,}",
                         versus_floor(name, start_rounds)))

        # Large replies, each case side by side in one hyperfine run with the floor: socat moving
        # the same reply from the same peer to /dev/null, what any client must do at the least.
        def floor_command(sock):
            return f"sh -c \"printf '%s\\n' '{request}' | socat - UNIX-CONNECT:{sock} >/dev/null\""

        def with_before(name, arguments):
            """This build's command, and the earlier build's beside it."""
            return [(name, [quillo] + arguments)] + ([(name + ", before", [before] + arguments)] if before else [])

        large = [("--json, 50 MB comments", "objects", ["--json", "ping"], 4),
                 ("--json, 50 MB string", "string", ["--json", "ping"], 2),
                 ("Human rendering, 50 MB comments", "objects", ["comments", "list"], 6)]
        for title, shape, arguments, goal in large:
            sock = servers.socket_for(os.path.join(data, f"{shape}-50.reply"))
            cases = with_before("quillo", ["--socket", sock] + arguments)
            commands = [floor_command(sock)] + [" ".join(argv) for _, argv in cases]
            if arguments[0] == "--json":
                commands.append(f"jq -cS . {os.path.join(data, f'{shape}-50.result.json')}")
            measured = hyperfine(commands, runs=max(3, 10 // scale), warmup=1)
            floor_large = measured[0]
            rows.append((title, "socat to /dev/null", f"{floor_large * 1000:.0f} ms", "", "", "the floor"))
            for (name, _), t in zip(cases, measured[1:]):
                note = f"{t / floor_large:.1f}x the floor"
                if name == "quillo":
                    note += f" (goal: at most {goal}x): {verdict(t <= goal * floor_large)}"
                rows.append((title, name, f"{t * 1000:.0f} ms", "", "", note))
            if arguments[0] == "--json":
                jq_time = measured[-1]
                rows.append((title, "jq -cS .", f"{jq_time * 1000:.0f} ms", "", "",
                             f"{jq_time / floor_large:.1f}x the floor; quillo {jq_time / measured[1]:.1f}x faster"))

        # Nesting: 510 levels whose keys come unsorted at every level take at most twice the time
        # of the same value with its keys sorted.
        nests = {}
        for order in ("sorted", "unsorted"):
            sock = servers.socket_for(os.path.join(data, f"nested-{order}-50.reply"))
            nests[order] = [argv for _, argv in with_before("quillo", ["--socket", sock, "--json", "ping"])]
        measured = hyperfine([" ".join(argv) for order in ("sorted", "unsorted") for argv in nests[order]],
                             runs=max(3, 10 // scale), warmup=1)
        per_build = len(nests["sorted"])
        for i, name in enumerate(["quillo", "quillo, before"][:per_build]):
            in_order, out_of_order = measured[i], measured[per_build + i]
            note = f"unsorted {out_of_order / in_order:.2f}x the sorted"
            if i == 0:
                note += f" (goal: at most 2x): {verdict(out_of_order <= 2 * in_order)}"
            rows.append(("--json, 50 MB nested 510 deep", name,
                         f"{in_order * 1000:.0f} ms sorted, {out_of_order * 1000:.0f} ms unsorted", "", "", note))

        # Time per MB varies from run to run on a shared machine; instructions per MB do not, so
        # they decide whether the cost stays flat.
        for shape in ("objects", "string"):
            per_mb_counts = []
            for mb in sizes:
                size_mb = os.path.getsize(os.path.join(data, f"{shape}-{mb}.result.json")) / 1e6
                sock = servers.socket_for(os.path.join(data, f"{shape}-{mb}.reply"))
                per_mb_counts.append(instructions([quillo, "--socket", sock, "--json", "ping"]) / size_mb)
            count_spread = spread_percent(per_mb_counts)
            rows.append((f"Scaling, --json {shape}", " / ".join(f"{mb} MB" for mb in sizes), "", "",
                         " / ".join(f"{c / 1e6:.1f}" for c in per_mb_counts) + " M/MB",
                         f"instruction spread {count_spread:.0f} % (goal: within 20 %): {verdict(count_spread <= 20)}"))

        ping_rss = peak_rss_kib([quillo, "--socket", servers.socket_for(ping_reply), "ping"])
        rows.append(("Peak memory", "quillo ping", f"{ping_rss / 1024:.1f} MiB", "", "",
                     f"goal: at most 4 MiB: {verdict(ping_rss <= 4096)}"))
        memory_cases = [("objects", ["--json", "ping"]), ("string", ["--json", "ping"]),
                        ("objects", ["comments", "list"]), ("nested-unsorted", ["--json", "ping"]),
                        ("objects", ["whoami"])]
        for shape, arguments in memory_cases:
            reply = os.path.join(data, f"{shape}-50.reply")
            for name, argv in with_before("quillo", ["--socket", servers.socket_for(reply)] + arguments):
                rss = peak_rss_kib(argv)
                ratio = rss * 1024 / os.path.getsize(reply)
                note = f"{ratio:.2f}x the reply"
                if name == "quillo":
                    note += f" (goal: at most about 1.5x): {verdict(ratio <= 1.6)}"
                rows.append(("Peak memory", f"{' '.join(arguments)}, 50 MB {shape}" + (", before" if name != "quillo" else ""),
                             f"{rss / 1024:.0f} MiB", "", "", note))
    finally:
        servers.stop()
        shutil.rmtree(socket_dir, ignore_errors=True)

    table = [f"Machine: {machine()}; {time.strftime('%Y-%m-%d')}", "",
             f"Page faults: median of {fault_runs} runs ({'perf stat' if use_perf else 'GNU time'}); "
             "instructions: callgrind, user space only", "",
             "| Measure | Case | Median | Page faults | Instructions | Comparison |",
             "|---|---|---|---|---|---|"]
    table += ["| " + " | ".join(row) + " |" for row in rows]
    text = "\n".join(table) + "\n"
    print(text)
    with open(os.path.join(work, "results.md"), "w") as f:
        f.write(text)


if __name__ == "__main__":
    main()
