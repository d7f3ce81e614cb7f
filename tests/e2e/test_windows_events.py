"""Windows' own events reach Tidemark. A rebuilt notification area gets the icon back. The
end of the session, and a script's "tidemark.exe /exit", end it the orderly way within a
second, as "exit" does, whatever box or menu the user left open: the sender it was serving
is let go and the port is free. "/exit" with no Tidemark running says so with its exit
code, and shows nothing."""

import itertools
import time

from tidemark_e2e import ProbeError, TidemarkTestCase, main, port_accepts, send_line, wait_until

ENDS_WITHIN = 1.0
ENDSESSION_CLOSEAPP = "1"
ABOUT_BOX = "Info \xfcber Tidemark"
OPENINGS = {
    "a line's box": lambda tidemark: (tidemark.probe("select", "0"), tidemark.probe("msgbox")),
    "the about box": lambda tidemark: (tidemark.probe("post", "WM_SYSCOMMAND", "16", "0"),
                                       tidemark.probe("findwin", ABOUT_BOX, "--timeout-ms", "20000")),
    "the system menu": lambda tidemark: (tidemark.probe("post", "WM_SYSCOMMAND", "0xF100", "32"),
                                         wait_until(lambda: tidemark.state()["menu"] == "1")),
}
SESSION_END = [("send", "WM_QUERYENDSESSION", "0", ENDSESSION_CLOSEAPP),
               ("send", "WM_ENDSESSION", "1", ENDSESSION_CLOSEAPP)]
ENDINGS = [("the session's end to every window", [s + ("--window", "ffff") for s in SESSION_END]),
           ("the session's end to the main window", SESSION_END),
           ('"exit"', [("click", "1010")]), ('"/exit"', [])]


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
            self.assertEqual(silent.recv(1), b"")
        finally:
            silent.close()
        self.assertFalse(port_accepts())

        # Whatever box or menu the user left open, every ending ends; a new start listens.
        for (opened, opening), (ending, steps) in itertools.product(OPENINGS.items(), ENDINGS):
            process = self.tidemark.start()
            self.tidemark.wait_until_listening()
            opening(self.tidemark)
            for step in steps:
                self.tidemark.probe(*step)
            exit_code = 0 if steps else self.run_exit_switch()
            asked = time.monotonic()
            wait_until(lambda: process.poll() is not None, timeout=10, interval=0.05,
                       what=f"the end by {ending} with {opened} open")
            self.assertEqual((exit_code, process.returncode), (0, 0), f"{ending}, {opened}")
            self.assertLess(time.monotonic() - asked, ENDS_WITHIN, f"{ending}, {opened}")
        self.assertFalse(port_accepts())

        self.assertEqual(self.run_exit_switch(), 1)
        with self.assertRaises(ProbeError):
            self.tidemark.probe("msgbox", "--timeout-ms", "2000")


if __name__ == "__main__":
    main()
