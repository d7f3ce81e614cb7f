"""One notice to many desks (scripts/bench fanout): stand-in desks on 127.0.0.0/8 in a network
namespace of this tool's own, tidemark-send under a low open-file limit, and the figures of
each sender given: time, peak memory and threads, what the desks showed, what was reported.
A tool that prints figures; no test depends on it."""
import argparse, os, re, resource, subprocess, sys, threading, time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "../tests/support"))
from stand_in_desks import StandInDesks, desk_addresses  # noqa: E402

MESSAGE = "Fire drill at 14:00"


def peak_threads(pid, peak, running):
    while running[0]:
        try:
            with open(f"/proc/{pid}/status") as status:
                threads = int(re.search(r"^Threads:\s+(\d+)", status.read(), re.M)[1])
            peak[0] = max(peak[0], threads)
        except (OSError, TypeError):
            pass
        time.sleep(0.002)


def run(sender, hosts, live, dead, args):
    desks = StandInDesks(live, 26112)
    limit = args.open_files
    start = time.monotonic()
    process = subprocess.Popen(
        [sender, "-w", str(args.wait)] + hosts + ["-m", MESSAGE],
        stderr=subprocess.PIPE, text=True,
        preexec_fn=lambda: resource.setrlimit(resource.RLIMIT_NOFILE, (limit, limit)))
    peak, running = [0], [True]
    sampler = threading.Thread(target=peak_threads, args=(process.pid, peak, running))
    sampler.start()
    stderr = []
    reader = threading.Thread(target=lambda: stderr.append(process.stderr.read()))
    reader.start()
    try:
        _, status, usage = os.wait4(process.pid, 0)
    finally:
        running[0] = False
        sampler.join()
    seconds = time.monotonic() - start
    reader.join()
    process.returncode = os.waitstatus_to_exitcode(status)
    time.sleep(0.5)  # lines still on their way to the stand-ins
    desks.stop()
    counts = [desks.lines.get((address, MESSAGE), 0) for address in live]
    report = stderr[0]
    reported = re.findall(r"not delivered to (127\.2\.\S+) port", report)
    return {
        "exit status": process.returncode,
        "seconds": f"{seconds:.2f}",
        "peak memory (MB)": f"{usage.ru_maxrss / 1024:.1f}",
        "peak threads": peak[0],
        "live desks shown once": f"{counts.count(1)} of {len(live)}",
        "live desks shown twice or more": sum(1 for count in counts if count > 1),
        "live desks not shown": counts.count(0),
        "dead desks reported once": f"{sum(1 for a in dead if reported.count(a) == 1)} of {len(dead)}",
        "stderr lines": report.count("\n"),
        "first stderr line": (report.splitlines() or [""])[0][15:50],
    }


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--sender", required=True, help="this build's tidemark-send")
    parser.add_argument("--before", help="another tidemark-send to measure beside it")
    parser.add_argument("--live", type=int, default=9000)
    parser.add_argument("--dead", type=int, default=1000)
    parser.add_argument("--wait", type=int, default=5, help="-w of the sender")
    parser.add_argument("--open-files", type=int, default=1024, help="the sender's ulimit -n")
    args = parser.parse_args()
    if not os.environ.get("FANOUT_BENCH_NAMESPACE"):
        os.environ["FANOUT_BENCH_NAMESPACE"] = "1"
        os.execvp("unshare", ["unshare", "-rn", sys.executable] + sys.argv)
    subprocess.run(["ip", "link", "set", "lo", "up"], check=True)

    live, dead = desk_addresses(args.live, 1), desk_addresses(args.dead, 2)
    hosts = [address for pair in zip(live, dead) for address in pair]
    hosts += live[len(dead):] + dead[len(live):]
    # -H with comma lists of a thousand, which the sender on main reads too.
    options = [word for i in range(0, len(hosts), 1000) for word in ("-H", ",".join(hosts[i:i + 1000]))]
    senders = [("this build", args.sender)] + ([("before", args.before)] if args.before else [])
    results = [(name, run(path, options, live, dead, args)) for name, path in senders]
    print(f"fan-out: {args.live} live desks, {args.dead} refusing, -w {args.wait}, "
          f"ulimit -n {args.open_files}")
    for key in results[0][1]:
        print(f"  {key:32}" + "".join(f"{name + ': ' + str(result[key]):40}" for name, result in results))


if __name__ == "__main__":
    main()
