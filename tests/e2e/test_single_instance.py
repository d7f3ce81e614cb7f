"""Exactly one Tidemark runs. Of twenty starts at the same moment one runs, listening, with
one icon; every other shows the refusal box and ends once it is confirmed, and a confirmed
box brings the running instance's window up. A refused start whose box is still open holds
nothing: once the running instance has ended, the next start runs."""

from tidemark_e2e import TidemarkTestCase, main, send_line, wait_until

STARTS = 20


class SingleInstanceTest(TidemarkTestCase):
    run_name = "single-instance"
    start_program = False

    def close_box(self):
        box = dict(line.partition("=")[::2]
                   for line in self.tidemark.probe("msgbox", "--timeout-ms", "60000"))
        self.tidemark.probe("msgbox-close")
        return box

    def test_one_of_many_starts_runs_and_a_refused_start_holds_nothing(self):
        starts = [self.tidemark.start(wait_for_window=False) for _ in range(STARTS)]
        # Twenty programs loading at once can keep the winner from answering for a moment.
        wait_until(lambda: self.tidemark.wine.run(self.tidemark.probe_exe, "count").returncode
                   == 0, timeout=60, what="the running instance to answer")
        self.tidemark.wait_until_listening()
        self.tidemark.probe("click", "1009")  # hidden, as after its hide timer

        box = self.close_box()
        self.tidemark.screenshot("refused-start")
        self.assertEqual(bytes.fromhex(box["text"]),
                         b"You can run Tidemark Software only one time!")
        # The application's name, which the framework takes from the program file.
        self.assertEqual(bytes.fromhex(box["caption"]), b"tidemark")
        self.assertEqual(box["buttons"], "1")  # OK alone
        self.assertEqual(box["icon"], "exclamation")
        wait_until(self.tidemark.visible, timeout=10, what="the running window to show")

        for _ in range(STARTS - 2):
            self.close_box()
        ended = wait_until(lambda: [p for p in starts if p.poll() is not None]
                           if sum(p.poll() is not None for p in starts) == STARTS - 1 else None,
                           timeout=60, what="every refused start to end")
        self.assertEqual([p.returncode for p in ended], [0] * (STARTS - 1))
        self.assertEqual(len(self.tidemark.probe("instances")), 1)
        self.assertEqual(self.tidemark.probe("tray"), ["1"])
        send_line(b"one of twenty\n")
        self.tidemark.wait_for_top_line(b"one of twenty <- 127.0.0.1")

        # A refused start keeps its box up while the running instance ends: the next
        # start runs all the same.
        running = next(p for p in starts if p.poll() is None)
        refused = self.tidemark.start(wait_for_window=False)
        self.tidemark.probe("msgbox", "--timeout-ms", "60000")
        self.tidemark.probe("click", "1010")
        self.assertEqual(running.wait(timeout=30), 0)
        self.tidemark.start()
        self.tidemark.wait_until_listening()
        self.tidemark.probe("msgbox-close")
        self.assertEqual(refused.wait(timeout=30), 0)
        self.assertEqual(len(self.tidemark.probe("instances")), 1)


if __name__ == "__main__":
    main()
