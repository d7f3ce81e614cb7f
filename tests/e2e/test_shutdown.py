"""Every way the dialog ends stops the listener in order: a cancel or OK command from
outside and a quit request end the program within a second, with exit code 0, while a
sender is connected and silent and while full-length lines keep arriving; a new instance
listens at once."""

import threading
import time

from tidemark_e2e import TidemarkTestCase, main, send_line, wait_until

ENDINGS = {"IDCANCEL": ("post", "WM_COMMAND", "IDCANCEL", "0"),
           "IDOK": ("post", "WM_COMMAND", "IDOK", "0"),
           "WM_QUIT": ("quit",)}
FULL_LINE = bytes(range(0x21, 0x7F)) * 86 + b"." * 12  # 8,096 bytes, no line end


class ShutdownTest(TidemarkTestCase):
    run_name = "shutdown"
    start_program = False

    def ended_by(self, how):
        """Ends the running program from outside: its exit code and how long it took."""
        process = self.tidemark.processes[-1]
        self.tidemark.probe(*ENDINGS[how])
        asked = time.monotonic()
        return process.wait(timeout=30), time.monotonic() - asked

    def test_every_ending_with_a_silent_sender_and_while_full_lines_arrive(self):
        self.tidemark.start()
        self.tidemark.wait_until_listening()
        with send_line(b"no line end yet", close=False):
            self.tidemark.wait_for_top_line(b"127.0.0.1")
            code, seconds = self.ended_by("IDCANCEL")
            self.assertEqual(code, 0)
            self.assertLess(seconds, 1.0)

        flooding, done = threading.Event(), threading.Event()

        def flood():
            while not done.is_set():
                if flooding.wait(0.05):
                    try:
                        send_line(FULL_LINE)
                    except OSError:
                        time.sleep(0.01)
        sender = threading.Thread(target=flood)
        sender.start()
        slow = []
        try:
            for how in list(ENDINGS) * 30:
                self.tidemark.start()
                self.tidemark.wait_until_listening()  # at once, where the last one ended
                flooding.set()
                wait_until(lambda: int(self.tidemark.probe("count")[0]) > 3, what="lines")
                code, seconds = self.ended_by(how)
                flooding.clear()
                if code != 0 or seconds >= 1.0:
                    slow.append(f"{how}: exit code {code} after {seconds:.2f} s")
        finally:
            done.set()
            sender.join()
        self.assertEqual(slow, [])


if __name__ == "__main__":
    main()
