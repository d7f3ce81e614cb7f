"""A sender learns from how its connection ends whether its line was shown: a line that
waits in Tidemark's queue, or is being read, when Tidemark ends gets a reset, never an
orderly close. tidemark-send tries such a line again, so that it is shown once by the
next Tidemark, or reports it when none comes back in time."""

import subprocess
import time

from tidemark_e2e import TidemarkTestCase, main, send_line, wait_until
from test_sender import FROM_HERE, sender


class DeliveryTest(TidemarkTestCase):
    run_name = "delivery"
    start_program = False

    def queue_behind_a_silent_sender(self, text, wait):
        """Starts Tidemark, holds it with a silent sender and queues `text` behind it."""
        self.tidemark.start()
        self.tidemark.wait_until_listening()
        silent = send_line(b"", close=False)
        self.tidemark.wait_for_top_line(b"127.0.0.1")
        queued = subprocess.Popen([sender(), "-w", wait, "127.0.0.1", text],
                                  stderr=subprocess.PIPE)
        time.sleep(1)  # connected, and waiting in the listen queue
        self.assertIsNone(queued.poll())
        return silent, queued

    def exit_tidemark(self):
        ended = self.tidemark.wine.run(self.tidemark.exe, "/exit", timeout=60).returncode
        self.assertEqual(ended, 0)

    def test_a_queued_line_survives_a_restart_and_is_reported_without_one(self):
        silent, queued = self.queue_behind_a_silent_sender("lost with the exit", "2")
        self.exit_tidemark()
        self.assertRaises(ConnectionResetError, silent.recv, 1)
        silent.close()
        self.assertEqual(queued.wait(timeout=30), 5)
        self.assertIn(b"message 1 not delivered to 127.0.0.1 port 26112", queued.stderr.read())

        silent, queued = self.queue_behind_a_silent_sender("shown after the restart", "60")
        self.exit_tidemark()
        silent.close()
        self.tidemark.start()
        self.assertEqual((queued.wait(timeout=90), queued.stderr.read()), (0, b""))
        shown = b"shown after the restart" + FROM_HERE
        self.tidemark.wait_for_top_line(shown)
        time.sleep(1)
        self.assertEqual(self.tidemark.lines().count(shown), 1)


if __name__ == "__main__":
    main()
