"""tidemark-send and every documented shell example deliver to the real receiver."""

import os
import re
import subprocess
import time

from tidemark_e2e import HERE, TidemarkTestCase, main, send_line, wait_until

ROOT = os.path.abspath(os.path.join(HERE, "..", ".."))
FROM_HERE = b" <- 127.0.0.1"


def sender():
    return os.environ.get("TIDEMARK_SEND", os.path.join(ROOT, "build", "bin", "tidemark-send"))


def documented_examples():
    """The bash blocks of the README and the user guide that send to this machine."""
    for name in ("README.md", "docs/using.md"):
        with open(os.path.join(ROOT, name), encoding="utf-8") as document:
            for block in re.findall(r"```bash\n(.*?)```", document.read(), re.S):
                if "127.0.0.1" in block:
                    yield block


class SenderTest(TidemarkTestCase):
    run_name = "sender"

    def send(self, *arguments, stdin=b""):
        return subprocess.run([sender(), *arguments], input=stdin, capture_output=True,
                              timeout=60)

    def new_top_line(self, action):
        count = len(self.tidemark.lines())
        action()
        return wait_until(lambda: self._line_from_here(count), what="a new line from here")

    def _line_from_here(self, count):
        lines = self.tidemark.lines()
        return len(lines) == count + 1 and lines[0].endswith(FROM_HERE) and lines[0]

    def test_sender_and_documented_examples_deliver(self):
        self.tidemark.wait_until_listening()
        result = self.send("127.0.0.1", "Grüße & <Küsse>")
        self.assertEqual(result.returncode, 0, result.stderr)
        self.tidemark.wait_for_top_line(b"Gr\xfc\xdfe & <K\xfcsse>" + FROM_HERE)
        self.tidemark.screenshot("sent")

        # Refused and not sent: neither adds a line.
        before = self.tidemark.lines()
        self.assertEqual(self.send("-w", "0", "-p", "26113", "127.0.0.1", "x").returncode, 5)
        self.assertEqual(self.send("127.0.0.1", stdin=b"bad \xff\n").returncode, 7)
        self.assertEqual(self.tidemark.lines(), before)

        # Several hosts at once (here all the same Tidemark): one line each.
        self.assertEqual(self.send("127.0.0.1", "127.0.0.2", "-m", "to both").returncode, 0)
        wait_until(lambda: self.tidemark.lines().count(b"to both" + FROM_HERE) == 2,
                   what="a line per host")

        # In a network of its own with only loopback: nothing listens on 127.0.0.1 there,
        # and there is no route to 192.0.2.1. Both are tried for -w and reported with
        # their host; the exit status is the higher code.
        started = time.monotonic()
        result = subprocess.run(
            ["unshare", "-n", "sh", "-c", 'ip link set lo up && exec "$0" "$@"', sender(),
             "-w", "2", "127.0.0.1", "192.0.2.1", "-m", "x"], capture_output=True, timeout=60)
        if b"unshare:" not in result.stderr:
            self.assertEqual(result.returncode, 9, result.stderr)
            self.assertGreater(time.monotonic() - started, 1.5)
            for text in (b"to 127.0.0.1 port 26112: connection refused",
                         b"to 192.0.2.1 port 26112: host unreachable"):
                self.assertIn(text, result.stderr)

        # A line whose connection waits in Tidemark's queue behind a silent sender is not
        # confirmed within -t, and shown once the silent sender is done.
        silent = send_line(b"holding", close=False)
        try:
            self.tidemark.wait_for_top_line(b"127.0.0.1")
            result = self.send("-t", "2", "127.0.0.1", "queued")
        finally:
            silent.close()
        self.assertEqual(result.returncode, 6)
        self.assertIn(b"not confirmed", result.stderr)
        self.assertIn(b"it may still show the line, so it is not sent again", result.stderr)
        self.tidemark.wait_for_top_line(b"queued" + FROM_HERE)

        examples = list(documented_examples())
        for tool in ("/dev/tcp/", "nc ", "python3 ", "tidemark-send 127", "| tidemark-send"):
            self.assertTrue(any(tool in example for example in examples), tool)
        for example in examples:
            with self.subTest(example=example):
                top = self.new_top_line(lambda: subprocess.run(
                    ["bash", "-euo", "pipefail", "-c", example], cwd=ROOT, check=True, timeout=60,
                    env=dict(os.environ, PATH=f"{os.path.dirname(sender())}:{os.environ['PATH']}")))
                self.assertRegex(top, rb"^Gr\xfc\xdfe( .*)? <- 127\.0\.0\.1$")


if __name__ == "__main__":
    main()
