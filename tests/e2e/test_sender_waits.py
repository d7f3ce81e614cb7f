"""A sender started while nothing listens waits for Tidemark; its line is shown once."""

import subprocess
import time

from tidemark_e2e import TidemarkTestCase, main, wait_until
from test_sender import FROM_HERE, sender


class SenderWaitsTest(TidemarkTestCase):
    run_name = "sender-waits"
    start_program = False

    def test_a_sender_that_starts_first_delivers_once_tidemark_listens(self):
        line = b"sent before Tidemark started"
        waiting = subprocess.Popen([sender(), "-w", "120", "127.0.0.1", line],
                                   stderr=subprocess.PIPE)
        time.sleep(3)
        self.tidemark.start()
        self.assertEqual((waiting.wait(timeout=150), waiting.stderr.read()), (0, b""))
        wait_until(lambda: line + FROM_HERE in self.tidemark.lines(), what="the line")
        self.assertEqual(self.tidemark.lines().count(line + FROM_HERE), 1)
        self.tidemark.screenshot("delivered")


if __name__ == "__main__":
    main()
