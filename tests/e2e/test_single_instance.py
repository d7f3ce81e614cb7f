"""A second start while Tidemark runs shows the refusal box and ends; the first instance
keeps its window and its listener."""

from tidemark_e2e import TidemarkTestCase, main, send_line


class SingleInstanceTest(TidemarkTestCase):
    run_name = "single-instance"

    def test_second_instance_is_refused_and_the_first_keeps_listening(self):
        self.tidemark.wait_until_listening()
        second = self.tidemark.start(wait_for_window=False)

        box = dict(line.partition("=")[::2]
                   for line in self.tidemark.probe("msgbox", "--timeout-ms", "60000"))
        self.tidemark.screenshot("second-instance")
        self.assertEqual(bytes.fromhex(box["text"]),
                         b"You can run Tidemark Software only one time!")
        # The application's name, which the framework takes from the program file.
        self.assertEqual(bytes.fromhex(box["caption"]), b"tidemark")
        self.assertEqual(box["buttons"], "1")  # OK alone
        self.assertEqual(box["icon"], "exclamation")

        self.tidemark.probe("msgbox-close")
        self.assertEqual(second.wait(timeout=30), 0)

        # Exactly one main window remains, and it still receives lines.
        self.tidemark.probe("find", "--timeout-ms", "1000")
        send_line(b"still here\n")
        self.tidemark.wait_for_top_line(b"still here <- 127.0.0.1")


if __name__ == "__main__":
    main()
