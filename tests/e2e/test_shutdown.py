"""Every way the dialog ends stops the listener in order: a cancel or OK command from
outside and a quit request end the program within a second, while a sender is connected
and silent and while full-length lines keep arriving. Neither the program nor the Wine
server crashes, and a new instance listens at once."""

import os
import threading
import time

from tidemark_e2e import TidemarkTestCase, main, send_line, wait_until

ENDINGS = {"IDCANCEL": ("post", "WM_COMMAND", "2", "0"),
           "IDOK": ("post", "WM_COMMAND", "1", "0"),
           "WM_QUIT": ("quit",)}
ENDINGS_EACH = 30
END_WITHIN = 1.0
FULL_LINE = bytes(range(0x21, 0x7F)) * 86 + b"." * 12  # 8,096 bytes, no line end


class ShutdownTest(TidemarkTestCase):
    run_name = "shutdown"
    start_program = False

    def wine_server(self):
        """The process id of this prefix's Wine server."""
        marker = ("WINEPREFIX=" + self.tidemark.wine.prefix).encode()
        for pid in filter(str.isdigit, os.listdir("/proc")):
            try:
                with open(f"/proc/{pid}/comm", "rb") as comm, open(f"/proc/{pid}/environ", "rb") as env:
                    if comm.read().strip() == b"wineserver" and marker in env.read().split(b"\0"):
                        return pid
            except OSError:
                continue
        return None

    def end(self, how):
        """Ends the running program from outside; returns its exit code and the seconds
        from the request to the end of the process."""
        process = self.tidemark.processes[-1]
        self.tidemark.probe(*ENDINGS[how])
        asked = time.monotonic()
        code = process.wait(timeout=30)
        return code, time.monotonic() - asked

    def test_program_ends_while_a_silent_sender_holds_the_listener(self):
        self.tidemark.start()
        self.tidemark.wait_until_listening()
        sender = send_line(b"no line end yet", close=False)
        try:
            self.tidemark.wait_for_top_line(b"127.0.0.1")
            code, seconds = self.end("IDCANCEL")
            self.assertEqual(code, 0)
            self.assertLess(seconds, END_WITHIN)
        finally:
            sender.close()

    def test_every_ending_while_full_lines_arrive(self):
        flooding = threading.Event()
        done = threading.Event()

        def flood():
            while not done.is_set():
                if not flooding.wait(0.05):
                    continue
                try:
                    send_line(FULL_LINE)
                except OSError:
                    time.sleep(0.01)
        sender = threading.Thread(target=flood)
        sender.start()
        failures = []
        try:
            self.tidemark.start()
            server = self.wine_server()
            for how in list(ENDINGS) * ENDINGS_EACH:
                # Each round's program starts where the last one ended: it must listen.
                self.tidemark.wait_until_listening()
                flooding.set()
                wait_until(lambda: int(self.tidemark.probe("count")[0]) > 3,
                           what="lines to arrive")
                code, seconds = self.end(how)
                flooding.clear()
                if code != 0 or seconds >= END_WITHIN:
                    failures.append(f"{how}: exit code {code} after {seconds:.2f} s")
                self.tidemark.start()
            self.tidemark.wait_until_listening()
            self.assertEqual(self.end("IDCANCEL")[0], 0)
            self.assertEqual(self.wine_server(), server, "the Wine server was replaced")
        finally:
            done.set()
            sender.join()
        self.assertEqual(failures, [])


if __name__ == "__main__":
    main()
