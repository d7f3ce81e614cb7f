"""tidemark-send started while nothing listens waits its turn: it tries again until
Tidemark has started, and the line is shown exactly once."""

import subprocess
import time

from tidemark_e2e import TidemarkTestCase, main, wait_until
from test_sender import FROM_HERE, sender

TEXT = "sent before Tidemark started"


class SenderWaitsTest(TidemarkTestCase):
    run_name = "sender-waits"
    start_program = False

    def test_a_sender_that_starts_first_delivers_once_tidemark_listens(self):
        waiting = subprocess.Popen([sender(), "-w", "120", "127.0.0.1", TEXT],
                                   stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        time.sleep(3)
        self.assertIsNone(waiting.poll(), "the sender gave up while nothing listened")

        self.tidemark.start()
        _, errors = waiting.communicate(timeout=150)
        self.assertEqual((waiting.returncode, errors), (0, b""))
        shown = TEXT.encode() + FROM_HERE
        wait_until(lambda: shown in self.tidemark.lines(), what="the waiting sender's line")
        time.sleep(2)
        self.assertEqual(self.tidemark.lines().count(shown), 1)
        self.tidemark.screenshot("delivered")


if __name__ == "__main__":
    main()
