"""One notice to many desks, in a network namespace of its own (run under unshare -n):
stand-in desks on 300 loopback addresses and 60 that refuse, tidemark-send allowed fewer
open files than there are desks and fewer connections still. Every live desk shows the
line once, each dead one is reported once, and the exit status says "refused".
Takes SENDER and STAND_IN_DIR."""
import os, re, resource, subprocess, sys

SENDER, SUPPORT = sys.argv[1:3]
sys.path.insert(0, SUPPORT)
from stand_in_desks import StandInDesks, desk_addresses  # noqa: E402

subprocess.run(["ip", "link", "set", "lo", "up"], check=True)
live, dead = desk_addresses(300, 1), desk_addresses(60, 2)
desks = StandInDesks(live, 26112)
hosts = live[:150] + dead + live[150:]
process = subprocess.run(
    [SENDER, "--parallel", "20", "-w", "2", "--hosts-file", "-", "-m", "Grüße an alle"],
    input="# the office\n" + "\n".join(hosts), capture_output=True, text=True, timeout=60,
    preexec_fn=lambda: resource.setrlimit(resource.RLIMIT_NOFILE, (64, 64)))
desks.stop()

shown = {(address, line): count for (address, line), count in desks.lines.items()}
assert shown == {(address, "Gr&uuml;&szlig;e an alle"): 1 for address in live}, (
    len(shown), process.stderr[-2000:])
reported = re.findall(r"message 1 not delivered to (\S+) port 26112: connection refused",
                      process.stderr)
assert sorted(reported) == sorted(dead) and process.stderr.count("\n") == len(dead), \
    process.stderr[-2000:]
assert process.returncode == 5, process.returncode
