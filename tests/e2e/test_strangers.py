"""Strangers on the port hold Tidemark up for a while at most: another program that holds
the port until it lets go, senders that reset their connection before it is taken, a
silent sender and one that stops halfway through its line."""

import socket
import struct
import threading
import time

from tidemark_e2e import PORT, TidemarkTestCase, main, send_line, wait_until

BIND_ERROR = b"Errorcode:10048 :error calling bind(): \nA process on the machine is already bound"
READ_DEADLINE = 30.0
LISTEN_RETRY_INTERVAL = 3.0
FROM_LOOPBACK = b" <- 127.0.0.1"


def reset_connection():
    """Connects and resets the connection (a hard close), as a port scanner may."""
    sender = socket.create_connection(("127.0.0.1", PORT), timeout=60)
    sender.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
    sender.close()


class StrangersTest(TidemarkTestCase):
    run_name = "strangers"
    start_program = False

    def seconds_until_shown(self, since, line, timeout):
        wait_until(lambda: line in self.tidemark.lines(), timeout=timeout, interval=0.1,
                   what=repr(line))
        return time.monotonic() - since

    def test_a_taken_port_resets_and_senders_without_a_line_end(self):
        # SO_REUSEADDR: earlier connections of the port may linger in TIME_WAIT.
        with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as holder:
            holder.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
            holder.bind(("0.0.0.0", PORT))
            holder.listen(2)
            self.tidemark.start()
            wait_until(lambda: any(l.startswith(BIND_ERROR) for l in self.tidemark.lines()),
                       what="the bind error")
            self.tidemark.screenshot("port-taken")
            time.sleep(LISTEN_RETRY_INTERVAL + 1)  # the next try is a quiet one
            taken = self.tidemark.lines()
            self.assertEqual(len(taken), 3, taken)
            self.assertTrue(taken[0].startswith(BIND_ERROR) and taken[1].endswith(b", socket ok"), taken)
        freed = time.monotonic()
        self.tidemark.wait_until_listening()
        self.assertLess(time.monotonic() - freed, LISTEN_RETRY_INTERVAL + 2)
        status = self.tidemark.lines()[0]
        self.assertTrue(status.startswith(taken[1]), status)

        # A silent sender holds the listener; behind it wait a sender that has reset its
        # connection, one with half a line and no end, and one with a whole line.
        silent = send_line(b"", close=False)
        self.tidemark.wait_for_top_line(b"127.0.0.1")
        held = time.monotonic()
        reset_connection()
        half = send_line(b"half a line", close=False)
        whole = threading.Thread(target=send_line, args=(b"a whole line\n",))
        whole.start()
        by_silent = self.seconds_until_shown(held, FROM_LOOPBACK, READ_DEADLINE + 10)
        by_both = self.seconds_until_shown(held, b"half a line" + FROM_LOOPBACK, 2 * READ_DEADLINE + 10)
        self.seconds_until_shown(held, b"a whole line" + FROM_LOOPBACK, 10)
        whole.join()
        silent.close()
        half.close()
        print(f"held {by_silent:.1f} s by the silent sender, {by_both:.1f} s by both")
        self.assertLess(by_silent, READ_DEADLINE + 5)
        self.assertLess(by_both - by_silent, READ_DEADLINE + 5)
        lines = self.tidemark.lines()
        self.assertEqual(lines[:2], [b"a whole line" + FROM_LOOPBACK, b"half a line" + FROM_LOOPBACK])
        self.assertTrue(lines[2].startswith(b"Errorcode:10057 :error calling accept():"), lines[2])
        self.assertEqual(lines[3:5], [FROM_LOOPBACK, status])

        # A scan, paced so that it never finds the listen queue full: each reset costs only
        # its own connection (it cost a second of every later sender's time).
        scanned = time.monotonic()
        for _ in range(20):
            reset_connection()
            time.sleep(0.05)
        send_line(b"after the scan\n")
        after_scan = self.seconds_until_shown(scanned, b"after the scan" + FROM_LOOPBACK, 60)
        print(f"a line after 20 resets shown {after_scan:.1f} s after the scan began")
        self.assertLess(after_scan, 10)


if __name__ == "__main__":
    main()
