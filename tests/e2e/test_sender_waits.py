"""Senders started while nothing listens wait for Tidemark, and senders that read a pipe
outlive Tidemark's absence: each line is shown once, in order, or reported."""

import subprocess
import tempfile
import time

from tidemark_e2e import TidemarkTestCase, main, wait_until
from test_sender import FROM_HERE, sender

WAIT = "1"  # seconds; Tidemark stays away longer than this


class SenderWaitsTest(TidemarkTestCase):
    run_name = "sender-waits"
    start_program = False

    def shown(self, *texts):
        """Waits until each text is shown; returns the lines from here, oldest first."""
        def all_there():
            lines = [l for l in reversed(self.tidemark.lines()) if l.endswith(FROM_HERE)]
            return all(text + FROM_HERE in lines for text in texts) and lines
        return [l[:-len(FROM_HERE)] for l in wait_until(all_there, what=f"lines {texts}")]

    def test_senders_outlive_a_tidemark_that_is_away_and_comes_back(self):
        line = b"sent before Tidemark started"
        waiting = subprocess.Popen([sender(), "-w", "120", "127.0.0.1", line],
                                   stderr=subprocess.PIPE)
        # The guide's stream: a log followed by tail -f, through a spool; and a plain
        # sender that reads a pipe.
        log = tempfile.NamedTemporaryFile()
        tail = subprocess.Popen(["tail", "-f", log.name], stdout=subprocess.PIPE)
        spooled = subprocess.Popen([sender(), "--spool", "-w", WAIT, "127.0.0.1"],
                                   stdin=tail.stdout, stderr=subprocess.PIPE)
        tail.stdout.close()
        plain = subprocess.Popen([sender(), "-w", WAIT, "127.0.0.1"], stdin=subprocess.PIPE,
                                 stderr=subprocess.PIPE)

        def log_line(text):
            log.write(text + b"\n")
            log.flush()

        def pipe_line(text):
            plain.stdin.write(text + b"\n")
            plain.stdin.flush()
        try:
            log_line(b"spooled one")
            pipe_line(b"plain lost")
            time.sleep(3)
            process = self.tidemark.start()
            self.assertEqual((waiting.wait(timeout=150), waiting.stderr.read()), (0, b""))
            pipe_line(b"plain after")
            first = self.shown(line, b"spooled one", b"plain after")
            self.tidemark.screenshot("delivered")

            # Away for longer than -w: the spool holds the log's lines, and nothing ends.
            self.tidemark.probe("click", "1010")
            self.assertEqual(process.wait(timeout=30), 0)
            log_line(b"spooled two")
            log_line(b"spooled three")
            time.sleep(3)
            self.assertEqual((tail.poll(), spooled.poll()), (None, None))
            self.tidemark.start()
            second = self.shown(b"spooled two", b"spooled three")
        finally:
            tail.terminate()
            plain.stdin.close()
        self.assertEqual(spooled.wait(timeout=60), 0, spooled.stderr.read())
        self.assertEqual(plain.wait(timeout=60), 5)
        self.assertIn(b"message 1 not delivered to 127.0.0.1 port 26112: connection refused",
                      plain.stderr.read())
        self.assertEqual(sorted(first), sorted([line, b"spooled one", b"plain after"]))
        self.assertEqual(second, [b"spooled two", b"spooled three"])


if __name__ == "__main__":
    main()
