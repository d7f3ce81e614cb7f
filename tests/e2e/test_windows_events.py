"""Windows' own events reach Tidemark. A rebuilt notification area gets the icon back. The
end of the session, and a script's "tidemark.exe /exit", end it the orderly way within a
second, also while a box of it is open: the sender it was serving is let go with a reset
(its line was not shown) and the port is free. "/exit" with no Tidemark running says so
with its exit code, and shows nothing."""

import time

from tidemark_e2e import ProbeError, TidemarkTestCase, main, port_accepts, send_line

ENDS_WITHIN = 1.0
ENDSESSION_CLOSEAPP = "1"
ABOUT_BOX = "Info \xfcber Tidemark"
OPENINGS = [[("select", "0"), ("msgbox",)],  # a line's box, the about box
            [("post", "WM_SYSCOMMAND", "16", "0"), ("findwin", ABOUT_BOX, "--timeout-ms", "20000")]]
SESSION_END = [("send", "WM_QUERYENDSESSION", "0", "1"), ("send", "WM_ENDSESSION", "1", "1")]
ENDINGS = [[step + ("--window", "ffff") for step in SESSION_END], SESSION_END, []]  # []: /exit


class WindowsEventsTest(TidemarkTestCase):
    run_name = "windows-events"
    start_program = False

    def run_exit_switch(self):
        return self.tidemark.wine.run(self.tidemark.exe, "/exit", timeout=60).returncode

    def test_icon_comes_back_and_the_session_or_a_script_ends_it(self):
        process = self.tidemark.start()
        self.tidemark.wait_until_listening()
        self.tidemark.probe("tray-drop")
        self.assertEqual(self.tidemark.probe("tray"), ["0"])
        for _ in range(2):  # the second finds the icon there and leaves it as it is
            self.tidemark.probe("send", "registered:TaskbarCreated", "0", "0", "--window", "ffff")
            self.assertEqual(self.tidemark.probe("tray"), ["1"])

        silent = send_line(b"half a line", close=False)
        try:
            self.tidemark.wait_for_top_line(b"127.0.0.1")
            self.assertEqual(self.tidemark.probe("send", "WM_QUERYENDSESSION", "0", "0"), ["1"])
            self.tidemark.probe("post", "WM_ENDSESSION", "1", ENDSESSION_CLOSEAPP)
            posted = time.monotonic()
            self.assertEqual(process.wait(timeout=30), 0)
            self.assertLess(time.monotonic() - posted, ENDS_WITHIN)
            silent.settimeout(5)
            self.assertRaises(ConnectionResetError, silent.recv, 1)
        finally:
            silent.close()
        self.assertFalse(port_accepts())

        # A box the user left open does not hold the ending up.
        for opening in OPENINGS:
            for ending in ENDINGS:
                process = self.tidemark.start()  # at once, where the last one ended
                self.tidemark.wait_until_listening()
                for step in opening + ending:
                    self.tidemark.probe(*step)
                if not ending:
                    self.run_exit_switch()
                self.assertEqual(process.wait(timeout=ENDS_WITHIN), 0)
        self.assertFalse(port_accepts())

        self.assertEqual(self.run_exit_switch(), 1)
        with self.assertRaises(ProbeError):
            self.tidemark.probe("msgbox", "--timeout-ms", "2000")


if __name__ == "__main__":
    main()
