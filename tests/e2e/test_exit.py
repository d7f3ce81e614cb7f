"""Only "exit" ends Tidemark, and at once: also while a sender is connected and silent and
while lines keep arriving. The port is free for a new instance right after. Before that,
another program and the program itself read an 8,096-byte line of the list whole."""

import threading
import time

from tidemark_e2e import TidemarkTestCase, main, send_line, wait_until

# The click is posted, so the time runs from the probe's return to the process's end.
EXIT_WITHIN = 1.0


class ExitTest(TidemarkTestCase):
    run_name = "exit"
    start_program = False

    def exit_seconds(self, process):
        self.tidemark.probe("click", "1010")
        clicked = time.monotonic()
        self.assertEqual(process.wait(timeout=30), 0)
        return time.monotonic() - clicked

    def test_exit_ends_at_once_with_a_silent_sender_and_with_lines_arriving(self):
        process = self.tidemark.start()
        self.tidemark.wait_until_listening()
        long_line = bytes(range(0x20, 0x7F)) * 85 + b"\xfc" * 21
        send_line(long_line + b"\n")
        shown = long_line + b" <- 127.0.0.1"
        self.tidemark.wait_for_top_line(shown)
        self.tidemark.probe("select", "0")  # the program reads the line itself, too
        self.assertIn("text=" + shown.hex(), self.tidemark.probe("msgbox"))
        self.tidemark.probe("msgbox-close")
        self.assertIsNone(process.poll(), "reading a long line ended the program")

        self.assertEqual(self.tidemark.probe("tray"), ["1"])

        silent = send_line(b"half a line", close=False)
        try:
            self.tidemark.wait_for_top_line(b"127.0.0.1")
            self.assertLess(self.exit_seconds(process), EXIT_WITHIN)
        finally:
            silent.close()

        # A new instance listens at once, and exits at once while senders keep coming.
        process = self.tidemark.start()
        self.tidemark.wait_until_listening()
        stop = threading.Event()

        def keep_sending():
            while not stop.is_set():
                try:
                    send_line(b"one more\n")
                except OSError:
                    time.sleep(0.01)
        sender = threading.Thread(target=keep_sending)
        sender.start()
        try:
            self.tidemark.wait_for_top_line(b"one more <- 127.0.0.1")
            self.assertLess(self.exit_seconds(process), EXIT_WITHIN)
        finally:
            stop.set()
            sender.join()


if __name__ == "__main__":
    main()
