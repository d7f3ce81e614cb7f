"""A screen reader hears each new line although the window never takes the keyboard: one
live-region change per line, a burst told as its newest line, a slow line told whole."""

import subprocess
import time

from tidemark_e2e import TidemarkTestCase, main, send_line, wait_until


class AnnouncementsTest(TidemarkTestCase):
    run_name = "announcements"

    def test_a_line_a_burst_and_a_slow_line_are_told_once_each_newest_and_whole(self):
        self.tidemark.wait_until_listening()
        self.tidemark.probe("click", "1009")  # hidden, so that the first line pops it up
        wait_until(lambda: not self.tidemark.visible(), what="the window to hide")
        hook = self.tidemark.wine.popen(self.tidemark.probe_exe, "live-events", "15000",
                                        stdout=subprocess.PIPE)
        self.assertEqual(hook.stdout.readline(), b"ready\n")
        start, phases = time.monotonic(), []

        def phase(send, last):
            phases.append((time.monotonic() - start) * 1000)
            send()
            self.tidemark.wait_for_top_line(last)
            time.sleep(1.5)

        phase(lambda: send_line(b"one\n"), b"one <- 127.0.0.1")
        # Each sender waits for its line to be taken: 20 lines within a fraction of a second.
        phase(lambda: [send_line(b"burst %d\n" % i, close=False).recv(1) for i in range(20)],
              b"burst 19 <- 127.0.0.1")

        sender = []  # the slow one sends its line in two pieces, half a second apart
        phase(lambda: (sender.append(send_line(b"sl", close=False)), time.sleep(0.5),
                       sender[0].sendall(b"ow\n"), sender[0].close()), b"slow <- 127.0.0.1")

        told = [[] for _ in phases]
        for line in hook.stdout.read().split(b"\n")[:-1]:
            event = dict(field.split(b"=") for field in line.split()[1:])
            self.assertEqual((event[b"item"], event[b"visible"], event[b"foreground"]),
                             (b"1", b"1", b"0"))  # the top item, shown, without the keyboard
            told[sum(int(event[b"ms"]) >= at for at in phases) - 1].append(
                bytes.fromhex(event[b"top"].decode()))
        self.assertEqual(hook.wait(timeout=30), 0)
        one, burst, slow_line = told
        self.assertEqual(one, [b"one <- 127.0.0.1"])
        self.assertTrue(1 <= len(burst) <= 3 and burst[-1] == b"burst 19 <- 127.0.0.1", burst)
        self.assertEqual(slow_line, [b"slow <- 127.0.0.1"])


if __name__ == "__main__":
    main()
