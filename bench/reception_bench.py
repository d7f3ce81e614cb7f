#!/usr/bin/env python3
"""The reception benchmark and soak: figures, never a pass or fail.

    reception_bench.py bench [options]   rates, latency, idle CPU and memory: Tidemark
                                         beside the bare Winsock receivers (one byte per
                                         recv; in chunks, the limit) and the floor (the
                                         design's least cost per line), all under one Wine,
                                         in alternating rounds
    reception_bench.py requests [options]
                                         the Wine server's requests per line of each of
                                         them (WINEDEBUG=+server), with the most frequent
    reception_bench.py soak [options]    bursts of simultaneous senders, a reset, a 1 MiB
                                         line, binary lines, a silent sender with others
                                         queued behind it

Everything runs in one Wine prefix and on one Xvfb display under the build folder, with
the native load generator (build/bench/loadgen) as the senders on 127.0.0.1:26112. Each
phase is bounded in count and in time; a phase cut short by its time says how far it got.
"""

import argparse
import collections
import datetime
import os
import re
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
from tidemark_e2e import LINE_LIMIT, ProbeError, TidemarkRun, port_accepts, wait_until  # noqa: E402
from wine_harness import WINE  # noqa: E402

CLEAR_LIST = "1006"
EXIT = "1010"
TICKS = os.sysconf("SC_CLK_TCK")


class Bench:
    def __init__(self, options):
        self.options = options
        self.build = options.build
        self.loadgen = os.path.join(self.build, "bench", "loadgen")
        self.run = TidemarkRun("bench", server_log=getattr(options, "server_log", None))
        self.tidemark_exe = self.run.exe
        self.receiver = None

    # -- processes -----------------------------------------------------------

    def wine_pids(self):
        """The processes of this run's Wine prefix: {"server": pid, program name: pid}."""
        marker = ("WINEPREFIX=" + self.run.wine.prefix).encode()
        found = {}
        for entry in os.listdir("/proc"):
            if not entry.isdigit():
                continue
            try:
                with open(f"/proc/{entry}/environ", "rb") as f:
                    if marker not in f.read().split(b"\0"):
                        continue
                with open(f"/proc/{entry}/cmdline", "rb") as f:
                    command = f.read().split(b"\0")
            except OSError:
                continue
            name = os.path.basename(command[0].decode(errors="replace").replace("\\", "/"))
            found["server" if name.startswith("wineserver") else name] = int(entry)
        return found

    def pin(self):
        """Puts the receiver side (program and Wine server) on its CPUs, when asked to."""
        if self.options.receiver_cpus:
            for pid in self.wine_pids().values():
                subprocess.run(["taskset", "-a", "-p", "-c", self.options.receiver_cpus, str(pid)],
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def cpu_seconds(self, pid):
        with open(f"/proc/{pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / TICKS

    def rss_mib(self, pid):
        with open(f"/proc/{pid}/status") as f:
            for line in f:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1]) / 1024
        return 0.0

    def loadgen_run(self, *args, timeout=900):
        command = [self.loadgen, *map(str, args)]
        if self.options.sender_cpus:
            command = ["taskset", "-c", self.options.sender_cpus, *command]
        result = subprocess.run(command, stdout=subprocess.PIPE, timeout=timeout, check=True)
        pairs = []
        for line in result.stdout.decode("latin-1").splitlines():
            key, _, value = line.partition("=")
            pairs.append((key, value))
        return pairs

    def sequential(self, count, size, seconds):
        return dict(self.loadgen_run("sequential", count, size, seconds))

    # -- receivers -----------------------------------------------------------

    def start_bare(self, mode, env=None):
        """A baseline: `bare_receiver.exe byte|chunk`, or the floor: `floor_receiver.exe`
        (mode "floor") or `floor_receiver_plain.exe` (mode "plain")."""
        program = {"floor": "floor_receiver.exe",
                   "plain": "floor_receiver_plain.exe"}.get(mode, "bare_receiver.exe")
        exe = os.path.join(os.environ["TIDEMARK_WINDOWS_BIN"], program)
        self.receiver = subprocess.Popen([WINE, exe, *([] if mode in ("floor", "plain") else [mode])],
                                         env=env or self.run.wine.env(), stdout=subprocess.PIPE,
                                         stderr=self.receiver_stderr())
        if self.receiver.stdout.readline().strip() != b"listening":
            raise RuntimeError(f"{program} {mode} did not start")
        self.pin()

    def receiver_stderr(self):
        """Where a receiver's own error output goes. Not /dev/null: Wine traces nothing for a
        program whose error output goes there, the server's requests included."""
        if getattr(self.options, "server_log", None) is None:
            return subprocess.DEVNULL
        return open(self.options.server_log + ".receiver", "ab")

    def stop_bare(self):
        self.receiver.kill()
        self.receiver.wait()
        wait_until(lambda: not port_accepts(), timeout=20, what="port 26112 to be free")

    def start_tidemark(self, exe=None):
        self.run.exe = exe or self.tidemark_exe
        self.run.start()
        self.run.wait_until_listening()
        self.pin()
        return self.wine_pids()["tidemark.exe"]

    def clear_list(self):
        self.run.probe("click", CLEAR_LIST)
        wait_until(self.list_is_empty, timeout=120, what="an empty list")

    def answer_seconds(self, *message):
        """How long the window takes to answer a message sent to it, the probe's start included."""
        started = time.monotonic()
        self.run.probe("send", *message, "--timeout-ms", "600000", timeout=900)
        return time.monotonic() - started

    def clear_seconds(self):
        """How long "clear list" takes: a sent click, beside a sent message that does nothing."""
        nothing = self.answer_seconds("0", "0", "0")  # WM_NULL
        return self.answer_seconds("WM_COMMAND", CLEAR_LIST, "0"), nothing

    def exit_seconds(self):
        """From the click on "exit" to the end of the process."""
        process = self.run.processes[-1]
        started = time.monotonic()
        self.run.probe("click", EXIT)
        process.wait(timeout=900)
        return time.monotonic() - started

    def lines(self):
        """The message list, once the window answers."""
        return wait_until(self._lines_or_none, timeout=120, what="the message list")[0]

    def _lines_or_none(self):
        try:
            return (self.run.lines(),)
        except ProbeError:
            return None

    def list_is_empty(self):
        try:
            return self.run.probe("count") == ["0"]
        except ProbeError:  # the window was too busy to answer in time
            return False

    def close(self):
        self.run.close()


STARTED = time.monotonic()


def progress(step):
    print(f"[{time.monotonic() - STARTED:6.1f} s] {step} done", file=sys.stderr, flush=True)


def header(title, options):
    load = " ".join(f"{value:.2f}" for value in os.getloadavg())
    pinning = (f"receiver on CPUs {options.receiver_cpus or 'any'}, senders on CPUs "
               f"{options.sender_cpus or 'any'}")
    print(f"## {title}, {datetime.datetime.now(datetime.timezone.utc):%Y-%m-%d %H:%M} UTC")
    print(f"{os.cpu_count()} CPUs; pinning: {pinning}; load average at start: {load}\n", flush=True)


def ratio(value, base):
    return f"{value / base:.2f}" if base else "-"


def receivers(options):
    """The receivers compared in rounds: the bare one in chunks, the floor, Tidemark, and
    Tidemark as another build made it, when asked for."""
    names = ["chunk", "floor", "plain", "tidemark"]
    if options.before:
        names.append("before")
    return names


LABELS = {"byte": "bare, 1 byte per recv", "chunk": "bare, chunks (limit)", "floor": "floor",
          "plain": "floor, plain list box",
          "tidemark": "Tidemark", "before": "Tidemark before"}


def serve(b, name, work):
    """Starts the receiver `name`, runs `work()` against it and stops it again."""
    if name in ("tidemark", "before"):
        b.start_tidemark(b.options.before if name == "before" else None)
        try:
            return work()
        finally:
            b.run.probe("click", EXIT)
            b.run.processes[-1].wait(timeout=120)
            wait_until(lambda: not port_accepts(), timeout=20, what="port 26112 to be free")
    b.start_bare(name)
    try:
        return work()
    finally:
        b.stop_bare()


def bench(options):
    header("Reception benchmark", options)
    b = Bench(options)
    names = receivers(options)
    rounds = collections.defaultdict(list)
    try:
        byte = serve(b, "byte", lambda: (b.sequential(options.lines, 40, options.phase_seconds),
                                         b.sequential(options.long_lines, LINE_LIMIT, options.phase_seconds)))
        progress("bare receiver (byte)")
        # Alternating rounds, so that a neighbour's load falls on all receivers alike.
        for round_number in range(options.rounds):
            for name in names:
                rounds[name].append(serve(b, name, lambda: (
                    b.sequential(options.lines, 40, options.phase_seconds),
                    b.sequential(options.long_lines, LINE_LIMIT, options.phase_seconds))))
            progress(f"round {round_number + 1} of {options.rounds}")

        pid = b.start_tidemark()
        server = b.wine_pids()["server"]
        time.sleep(15)  # idle means after the window has hidden itself (12 s after the last line)
        start_rss = b.rss_mib(pid)
        before = b.cpu_seconds(pid), b.cpu_seconds(server)
        time.sleep(options.idle_seconds)
        idle = b.cpu_seconds(pid) - before[0], b.cpu_seconds(server) - before[1]
        cleared_rss = b.rss_mib(pid)
        flood = b.sequential(options.memory_lines, 40, options.memory_seconds)
        full_rss = b.rss_mib(pid)
        clear = b.clear_seconds()
        wait_until(b.list_is_empty, timeout=120, what="an empty list")
        after_clear_rss = b.rss_mib(pid)
        refill = b.sequential(options.memory_lines, 40, options.memory_seconds)
        exit_seconds = b.exit_seconds()
    finally:
        b.close()

    def median(name, phase, key):
        if name == "byte":
            return float(byte[phase][key])
        return statistics.median(float(result[phase][key]) for result in rounds[name])

    columns = ["byte", *names]
    print(f"Medians of {options.rounds} alternating rounds (the 1-byte receiver: one round).\n")
    print("| work | " + " | ".join(LABELS[name] for name in columns) +
          " | Tidemark / floor | Tidemark / chunks |")
    print("|---" * (len(columns) + 3) + "|")
    rows = [("{} sequential 40-byte lines: lines/s", 0, "rate"),
            ("p50 connect-to-close, ms", 0, "p50_ms"),
            ("p99 connect-to-close, ms", 0, "p99_ms"),
            ("{} sequential 8,096-byte lines: lines/s", 1, "rate"),
            ("p99 connect-to-close (8,096 bytes), ms", 1, "p99_ms")]
    for label, phase, key in rows:
        values = {name: median(name, phase, key) for name in columns}
        sent = f"{options.lines:,}" if phase == 0 else f"{options.long_lines:,}"
        print(f"| {label.format(sent)} | " + " | ".join(f"{values[name]:.1f}" for name in columns) +
              f" | {ratio(values['tidemark'], values['floor'])} | {ratio(values['tidemark'], values['chunk'])} |")
    for name in names:
        each = "; ".join(f"{float(r[0]['rate']):.0f} and {float(r[1]['rate']):.0f} lines/s, "
                         f"p99 {float(r[0]['p99_ms']):.1f} ms" for r in rounds[name])
        print(f"\n{LABELS[name]}, each round (40 and 8,096 bytes): {each}", end="")
    print(f"\n\nidle {options.idle_seconds:.0f} s: Tidemark {idle[0]:.2f} CPU s, its wineserver {idle[1]:.2f} CPU s")
    print(f"working set: {start_rss:.1f} MiB at start, {cleared_rss:.1f} MiB after the idle time, "
          f"{full_rss:.1f} MiB after {flood['sent']} more lines "
          f"({flood['seconds']} s, {flood['failed']} failed), {after_clear_rss:.1f} MiB after \"clear list\"")
    print(f"\"clear list\" of {flood['sent']} lines: answered after {clear[0]:.2f} s (a message "
          f"that does nothing: {clear[1]:.2f} s); \"exit\" with {refill['sent']} lines in the list: "
          f"the process ended {exit_seconds:.2f} s after the click")
    print(f"load average at end: {' '.join(f'{v:.2f}' for v in os.getloadavg())}")


# A request as the Wine server traces it: "0024: get_message( flags=... )"; its reply reads
# "0024: get_message() = 0 { ... }", and is not counted. The replies that start a process
# and a thread tell which process each thread id belongs to.
REQUEST = re.compile(rb"^([0-9a-f]{4}): (\w+)\( ")
FIRST_THREAD = re.compile(rb"^([0-9a-f]{4}): init_first_thread\(\) = 0 \{ pid=([0-9a-f]{4}),")
NEW_THREAD = re.compile(rb"^([0-9a-f]{4}): new_thread\(\) = 0 \{ tid=([0-9a-f]{4}),")
# The listener's one waited message per line (WM_APP + 1) to the window's thread.
LINE_MESSAGE = re.compile(rb"^[0-9a-f]{4}: send_message\( .*msg=00008001,")


def count_requests(log, start, end):
    """The requests traced between two offsets of the server's log, by name, of the
    process that made most of them (the receiver), and the number of all requests."""
    with open(log, "rb") as f:
        text = f.read(end)
    process_of = {}
    for line in text[:start].split(b"\n"):
        match = FIRST_THREAD.match(line)
        if match:
            process_of[match.group(1)] = match.group(2)
            continue
        match = NEW_THREAD.match(line)
        if match:
            process_of[match.group(2)] = process_of.get(match.group(1), match.group(1))
    by_process = collections.defaultdict(collections.Counter)
    # The receiver's requests from one line's message to the next: a line's own share.
    between = collections.defaultdict(list)
    for line in text[start:].split(b"\n"):
        match = REQUEST.match(line)
        if match:
            process = process_of.get(match.group(1), match.group(1))
            by_process[process][match.group(2).decode()] += 1
            if LINE_MESSAGE.match(line):
                between[process].append(0)
            elif between[process]:
                between[process][-1] += 1
    everything = sum(sum(counts.values()) for counts in by_process.values())
    busiest = max(by_process, key=lambda process: sum(by_process[process].values()), default=None)
    segments = between.get(busiest, [])[:-1]
    typical = statistics.median(segments) if segments else None
    return by_process.get(busiest, collections.Counter()), everything, typical


def requests(options):
    """Counts the Wine server's requests while lines are served, after a warm-up. Each
    receiver gets a server of its own, which traces every request once a program started
    with WINEDEBUG=+server has raised its debug level. The figures are the receiver's own
    requests; Wine's other processes (services, the desktop) add a varying number, shown
    apart."""
    header("Wine server requests per line", options)
    names = receivers(options)
    results = {}
    for name in names:
        # Kept after the run, to be read: the trace names every request, in order.
        log = os.path.join(options.build, "wine", f"server-requests-{name}.log")
        options.server_log = log
        b = Bench(options)
        try:
            traced = dict(b.run.wine.env(), WINEDEBUG="+server")
            if name in ("tidemark", "before"):
                b.run.exe = options.before if name == "before" else b.tidemark_exe
                b.run.processes.append(subprocess.Popen([WINE, b.run.exe], env=traced,
                                                        stdout=subprocess.DEVNULL,
                                                        stderr=b.receiver_stderr()))
                b.run.probe("find", "--timeout-ms", "60000")
                b.run.wait_until_listening()
            else:
                b.start_bare(name, env=traced)
            for size, count in ((40, options.request_lines), (LINE_LIMIT, options.request_long_lines)):
                b.sequential(options.request_warmup, size, 120)
                time.sleep(1)  # the warm-up's paced repaint and every other echo is over
                start = os.path.getsize(log)
                served = b.sequential(count, size, 300)
                end = os.path.getsize(log)
                counts, everything, typical = count_requests(log, start, end)
                results[name, size] = (counts, int(served["sent"]), everything, typical)
        finally:
            if b.receiver is not None:
                b.receiver.kill()
                b.receiver.wait()
            b.close()
        progress(name)

    print("The receiver's own requests per line: the mean over all lines served (it includes the")
    print("list's repaints, one per 50 ms while lines come fast, so it grows as lines come slower),")
    print("and the median of the requests from one line's message to the next (a line between")
    print("repaints). All processes: Wine's services and desktop included, mean.\n")
    print("| receiver | per 40-byte line: mean / median | per 8,096-byte line: mean / median "
          "| all processes: 40 / 8,096 |")
    print("|---|---|---|---|")
    for name in names:
        cells = []
        for size in (40, LINE_LIMIT):
            counts, served, _, typical = results[name, size]
            floor_counts, floor_served, _, floor_typical = results["floor", size]
            per_line = sum(counts.values()) / served
            floor = sum(floor_counts.values()) / floor_served
            cell = f"{per_line:.1f} / {typical if typical is not None else '-'}"
            if name in ("tidemark", "before"):
                cell += f" ({per_line / floor:.2f}x / {typical / floor_typical:.2f}x the floor)"
            cells.append(cell)
        everything = [results[name, size][2] / results[name, size][1] for size in (40, LINE_LIMIT)]
        print(f"| {LABELS[name]} | {cells[0]} | {cells[1]} | {everything[0]:.1f} / {everything[1]:.1f} |")
    for size in (40, LINE_LIMIT):
        print(f"\nMost frequent requests per {size}-byte line:")
        for name in names:
            counts, served, _, _ = results[name, size]
            top = ", ".join(f"{request} {number / served:.2f}"
                            for request, number in counts.most_common(options.request_top))
            print(f"- {LABELS[name]}: {top}")
        # Where a program's requests differ from the floor's, the largest differences first.
        floor, floor_served, _, _ = results["floor", size]
        for name in names:
            if name not in ("tidemark", "before"):
                continue
            counts, served, _, _ = results[name, size]
            differences = {request: counts[request] / served - floor[request] / floor_served
                           for request in set(counts) | set(floor)}
            beyond = ", ".join(f"{request} {difference:+.2f}" for request, difference in
                               sorted(differences.items(), key=lambda item: -abs(item[1]))
                               if abs(difference) >= 0.05)
            print(f"- {LABELS[name]} beside the floor: {beyond}")


def listen_overflows():
    """How often the system dropped a connection request because a listen queue was full."""
    with open("/proc/net/netstat") as f:
        rows = [line.split() for line in f if line.startswith("TcpExt:")]
    return int(dict(zip(rows[0], rows[1]))["ListenOverflows"])


def shown_with(lines, text):
    return sum(1 for line in lines if line == text + b" <- 127.0.0.1")


def soak(options):
    header("Reception soak", options)
    b = Bench(options)
    try:
        b.start_tidemark()

        b.clear_list()
        overflows = listen_overflows()
        outcome = b.loadgen_run("burst", options.bursts, options.senders, options.patience)
        overflows = listen_overflows() - overflows
        lines = b.lines()
        served = [tag.encode() for key, tag in outcome if key == "served"]
        gave_up = [tag.encode() for key, tag in outcome if key == "gaveup"]
        lost = sum(1 for tag in served if shown_with(lines, tag) == 0)
        doubled = sum(1 for tag in served + gave_up if shown_with(lines, tag) > 1)
        shown_anyway = sum(1 for tag in gave_up if shown_with(lines, tag) == 1)
        print(f"bursts: {options.bursts} x {options.senders} senders, patience {options.patience:.0f} s: "
              f"{len(served)} served, {len(gave_up)} gave up ({shown_anyway} of them shown anyway); "
              f"{lost} served but not shown, {doubled} shown twice or more; "
              f"{overflows} connection requests dropped by the full listen queue (the system's count)")

        b.clear_list()
        progress("bursts")
        b.loadgen_run("reset", "half a li")
        b.sequential(1, 12, 30)
        lines = b.lines()
        joined = len(lines) > 1 and lines[1].startswith(b"half a li <- Errorcode:10054 :error calling recv():")
        print(f"reset mid-line: partial text joined in front of the 10054 line: {'yes' if joined else 'no'}; "
              f"next sender shown: {'yes' if lines and lines[0].startswith(b'seq0') else 'no'}")

        b.clear_list()
        progress("reset")
        long = dict(b.loadgen_run("long", 1 << 20))
        kept = len(b.lines()[0]) - len(b" <- 127.0.0.1")
        print(f"1 MiB without a line end: {kept} bytes kept, connection closed after "
              f"{long['closed_after_ms']} ms ({long['sent_bytes']} bytes accepted by the socket)")

        b.clear_list()
        progress("long line")
        sent = b.loadgen_run("binary", options.binary_lines, 7)
        shown = b.lines()
        exact = sum(1 for key, text in sent if key == "served" and shown_with(shown, bytes.fromhex(text)) == 1)
        print(f"random binary lines: {exact} of {len(sent)} shown once byte for byte; "
              f"{len(shown) - len(sent)} other lines in the list")

        b.clear_list()
        progress("binary lines")
        waiting = b.loadgen_run("silent", 8, options.hold)
        order = [line.split(b" ")[0].decode() or "silent" for line in reversed(b.lines())]
        served_after = ", ".join(f"{key.split('_')[0]} {value} s" for key, value in waiting
                                 if key.endswith("served_after_s"))
        print(f"silent sender held {options.hold:.0f} s, 8 queued behind it: shown in the order "
              f"{' '.join(order)}; served after: {served_after}")
    finally:
        b.close()
    print(f"load average at end: {' '.join(f'{v:.2f}' for v in os.getloadavg())}")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("what", choices=["bench", "requests", "soak"])
    parser.add_argument("--build", default=os.environ.get("TIDEMARK_BUILD", os.path.join(ROOT, "build")))
    parser.add_argument("--receiver-cpus", default="", help="taskset CPU list for Wine and the receiver")
    parser.add_argument("--sender-cpus", default="", help="taskset CPU list for the load generator")
    parser.add_argument("--before", default="", help="another tidemark.exe, measured beside this one")
    parser.add_argument("--rounds", type=int, default=3, help="alternating rounds of the rate runs")
    parser.add_argument("--request-lines", type=int, default=200)
    parser.add_argument("--request-long-lines", type=int, default=60)
    parser.add_argument("--request-warmup", type=int, default=20)
    parser.add_argument("--request-top", type=int, default=8)
    parser.add_argument("--lines", type=int, default=2000)
    parser.add_argument("--long-lines", type=int, default=200)
    parser.add_argument("--phase-seconds", type=float, default=120)
    parser.add_argument("--idle-seconds", type=float, default=30)
    parser.add_argument("--memory-lines", type=int, default=100000)
    parser.add_argument("--memory-seconds", type=float, default=300)
    parser.add_argument("--bursts", type=int, default=10)
    parser.add_argument("--senders", type=int, default=20)
    parser.add_argument("--patience", type=float, default=15)
    parser.add_argument("--binary-lines", type=int, default=200)
    parser.add_argument("--hold", type=float, default=3)
    options = parser.parse_args()
    options.build = os.path.abspath(options.build)
    options.before = os.path.abspath(options.before) if options.before else ""
    os.environ.setdefault("TIDEMARK_WINDOWS_BIN", os.path.join(options.build, "windows", "bin"))
    os.environ.setdefault("TIDEMARK_WINE_ROOT", os.path.join(options.build, "wine"))
    if port_accepts():
        sys.exit("port 26112 is taken: another receiver runs")
    {"bench": bench, "requests": requests, "soak": soak}[options.what](options)


if __name__ == "__main__":
    main()
