"""The window pops up on every line and hides 12 seconds after the last one; a line
within the 12 seconds keeps it up; minimising hides it; an open message box keeps it up, and
so does the user working in the window, until they leave it."""

import subprocess
import time

from tidemark_e2e import (HIDE_DELAY, SC_MINIMIZE, WM_SYSCOMMAND, TidemarkTestCase, main,
                          send_line, wait_until)

# Time the window needs at most to show up after a line was sent, and the measuring slack.
SLACK = 1.0


class HideTimerTest(TidemarkTestCase):
    run_name = "hide-timer"

    def setUp(self):
        self.tidemark.wait_until_listening()

    def wait_hidden(self, timeout=HIDE_DELAY + 20):
        wait_until(lambda: not self.tidemark.visible(), timeout=timeout, interval=0.25,
                   what="the window to hide")
        return time.monotonic()

    def test_a_line_pops_up_the_window_and_a_second_line_restarts_the_period(self):
        self.wait_hidden()
        first = time.monotonic()
        send_line(b"first\n")
        self.tidemark.wait_for_top_line(b"first <- 127.0.0.1")
        self.assertTrue(self.tidemark.visible())

        time.sleep(max(0.0, first + 8 - time.monotonic()))
        second = time.monotonic()
        send_line(b"second\n")
        self.tidemark.wait_for_top_line(b"second <- 127.0.0.1")

        # Past the first line's 12 seconds, the second line's period still runs.
        time.sleep(max(0.0, first + HIDE_DELAY + 2 - time.monotonic()))
        self.assertTrue(self.tidemark.visible(), "hidden 12 s after the first line")

        hidden = self.wait_hidden()
        self.assertGreaterEqual(hidden - second, HIDE_DELAY - SLACK)

    def test_minimising_hides_the_window(self):
        send_line(b"minimise me\n")
        self.tidemark.wait_for_top_line(b"minimise me <- 127.0.0.1")
        self.assertTrue(self.tidemark.visible())
        self.tidemark.probe("post", str(WM_SYSCOMMAND), str(SC_MINIMIZE), "0")
        wait_until(lambda: not self.tidemark.visible(), timeout=10, what="the window to hide")
        self.assertEqual(self.tidemark.state()["iconic"], "0")

    def test_an_open_message_box_keeps_the_window_up(self):
        send_line(b"look at me\n")
        self.tidemark.wait_for_top_line(b"look at me <- 127.0.0.1")
        sent = time.monotonic()
        self.tidemark.probe("select", "0")
        self.tidemark.probe("msgbox", "--timeout-ms", "20000")

        time.sleep(max(0.0, sent + HIDE_DELAY + 3 - time.monotonic()))
        self.assertTrue(self.tidemark.visible(), "hidden while the message box was open")

        # Closing the box leaves the user in the window: past the timer's next tick it stays
        # (12 s after the first), and hides a period after they switch to another program.
        self.tidemark.probe("msgbox-close")
        time.sleep(max(0.0, sent + 2 * HIDE_DELAY + 2 - time.monotonic()))
        self.assertEqual(self.tidemark.state()["foreground"], "1")
        typing = self.tidemark.wine.popen(self.tidemark.probe_exe, "hold-focus", "20000",
                                          stdout=subprocess.PIPE)
        self.assertTrue(typing.stdout.readline().startswith(b"ready foreground=1"))
        left = time.monotonic()
        self.assertGreaterEqual(self.wait_hidden(timeout=HIDE_DELAY + 10) - left, HIDE_DELAY - SLACK)
        typing.kill()
        typing.wait()


if __name__ == "__main__":
    main()
