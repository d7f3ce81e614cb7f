"""Drives the real tidemark.exe under Wine and Xvfb, as a person and a sender would.

A `TidemarkRun` owns one Wine prefix and one X display. It starts the program, sends it
lines over real TCP connections to 127.0.0.1:26112, and looks at and acts on its window
through the probe program (a Win32 console program run in the same prefix and display).
"""

import os
import re
import socket
import subprocess
import sys
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "support"))
from wine_harness import WineSession  # noqa: E402



def protocol_constant(name):
    """A number of the line protocol, from the header that the receiver and the sender
    take it from."""
    with open(os.path.join(HERE, "..", "..", "net", "LineProtocol.h")) as f:
        return int(re.search(rf"\b{name} = (\d+);", f.read()).group(1))


def record_version():
    """The version the programs' records carry: the release's three fields from project() in
    CMakeLists.txt, and a fourth that stays 0."""
    with open(os.path.join(HERE, "..", "..", "CMakeLists.txt")) as f:
        return re.search(r"project\(Tidemark VERSION (\S+)", f.read()).group(1) + ".0"


PORT = protocol_constant("kTidemarkPort")
VERSION = record_version()
LINE_LIMIT = protocol_constant("kMaxLineLength")
MAIN_WINDOW_CONTROLS = {1005, 1006, 1009, 1010, 1011, 1015}
WM_SYSCOMMAND = 0x0112
SC_MINIMIZE = 0xF020
HIDE_DELAY = 12.0


def windows_bin():
    return os.environ.get("TIDEMARK_WINDOWS_BIN",
                          os.path.join(HERE, "..", "..", "build", "windows", "bin"))


def wine_root():
    return os.environ.get("TIDEMARK_WINE_ROOT",
                          os.path.join(HERE, "..", "..", "build", "wine"))


def artifacts_dir():
    return os.environ.get("TIDEMARK_ARTIFACTS",
                          os.path.join(HERE, "..", "..", "build", "artifacts"))


def wait_until(predicate, timeout=30.0, interval=0.2, what="condition"):
    """Polls `predicate` until it returns a true value; returns that value."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError(f"timed out after {timeout:.0f} s waiting for {what}")
        time.sleep(interval)


def port_accepts():
    try:
        with socket.create_connection(("127.0.0.1", PORT), timeout=1):
            return True
    except OSError:
        return False


def send_line(data, close=True):
    """Connects to the receiver and writes `data`; returns the open socket if not closed."""
    sender = socket.create_connection(("127.0.0.1", PORT), timeout=10)
    if data:
        sender.sendall(data)
    if close:
        sender.close()
        return None
    return sender


def local_ipv4_addresses():
    """The IPv4 addresses of this machine's network interfaces."""
    import fcntl
    import struct
    SIOCGIFADDR = 0x8915
    addresses = set()
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as probe_socket:
        for _, name in socket.if_nameindex():
            try:
                packed = fcntl.ioctl(probe_socket.fileno(), SIOCGIFADDR,
                                     struct.pack("256s", name.encode()[:15]))
            except OSError:
                continue
            addresses.add(socket.inet_ntoa(packed[20:24]))
    return addresses


class ProbeError(RuntimeError):
    pass


class TidemarkRun:
    def __init__(self, name, dpi=None, exe=None, server_log=None):
        self.name = name
        self.wine = WineSession(wine_root(), "e2e-" + name, display="xvfb", dpi=dpi,
                                server_log=server_log)
        self.exe = exe or os.path.join(windows_bin(), "tidemark.exe")
        self.probe_exe = os.path.join(windows_bin(), "probe.exe")
        self.processes = []

    # -- the program ---------------------------------------------------------

    def start(self, wait_for_window=True):
        process = self.wine.popen(self.exe, stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL)
        self.processes.append(process)
        if wait_for_window:
            self.probe("find", "--timeout-ms", "60000")
        return process

    def close(self):
        self.wine.close()
        for process in self.processes:
            try:
                process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
        # Leave the port free for the next test.
        wait_until(lambda: not port_accepts(), timeout=20, what="port 26112 to be free")

    # -- the probe -----------------------------------------------------------

    def probe(self, *args, timeout=90):
        result = self.wine.run(self.probe_exe, *args, timeout=timeout)
        if result.returncode != 0 and not result.stderr:
            # The probe explains every failure of its own. A failure without a word is
            # Wine's (seen once in many loaded runs, an exit code of 1 and nothing else):
            # the command is run once more.
            print(f"probe {' '.join(args)} exited {result.returncode} without a word; "
                  "once more", file=sys.stderr)
            result = self.wine.run(self.probe_exe, *args, timeout=timeout)
        output = result.stdout.decode("latin-1").splitlines()
        if result.returncode != 0:
            raise ProbeError(f"probe {' '.join(args)} exited {result.returncode}: "
                             f"{result.stderr.decode('latin-1').strip()}")
        return output

    def lines(self):
        """The message list, top first, as Windows-1252 bytes."""
        return [bytes.fromhex(line.strip()) for line in self.probe("lines")]

    def state(self, window=None):
        """The window's state: plain keys, and per control id its class, visibility,
        rectangle ("control"), styles ("cstyle") and text as bytes ("text")."""
        state = {"control": {}, "cstyle": {}, "text": {}}
        for line in self.probe("state", *(["--window", window] if window else [])):
            key, _, value = line.partition("=")
            if key in state:
                control_id, _, rest = value.partition(",")
                state[key][int(control_id)] = (bytes.fromhex(rest) if key == "text"
                                               else rest.split(","))
            else:
                state[key] = value
        return state

    def visible(self):
        return self.state()["visible"] == "1"

    def wait_until_listening(self):
        """Waits for the listener's complete status line."""
        wait_until(lambda: any(l.endswith(b"wait for contact ....") for l in self.lines()),
                   what="the listener to be ready")

    def wait_for_top_line(self, expected, timeout=30):
        def top_is_expected():
            lines = self.lines()
            return bool(lines) and lines[0] == expected
        wait_until(top_is_expected, timeout=timeout, what=f"top line {expected!r}")

    def screenshot(self, label):
        path = os.path.join(artifacts_dir(), f"{self.name}-{label}.png")
        self.wine.screenshot(path)
        return path

    def shown_text_of_list(self, label, width=300):
        """The pixels of the upper half of the list's left `width` columns as shown on
        screen (its top lines, not its scroll bar), from a screenshot."""
        state = self.state()
        left, top, right, bottom = map(int, state["rect"].split(","))
        client_width, client_height = map(int, state["client"].split(","))
        _, _, x, y, _, height = state["control"][1005]
        x0 = left + (right - left - client_width) // 2 + int(x)
        y0 = top + (bottom - top - client_height) // 2 + int(y)
        return subprocess.run(["convert", self.screenshot(label), "-crop",
                               f"{width}x{int(height) // 2}+{x0}+{y0}", "rgb:-"],
                              check=True, stdout=subprocess.PIPE).stdout


class TidemarkTestCase(unittest.TestCase):
    """One running Tidemark per test class, started before its first test."""

    run_name = "tidemark"
    start_program = True

    @classmethod
    def setUpClass(cls):
        if port_accepts():
            raise AssertionError("port 26112 is already taken before the test starts")
        cls.tidemark = TidemarkRun(cls.run_name)
        if cls.start_program:
            try:
                cls.tidemark.start()
            except BaseException:
                cls.tidemark.close()
                raise

    @classmethod
    def tearDownClass(cls):
        cls.tidemark.close()


def main():
    unittest.main(verbosity=2)
