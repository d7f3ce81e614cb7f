"""Reception as a sender sees it: a line that arrives in many small pieces is shown whole,
and nothing after the line end is ever read: the sender gets a plain close, never a byte,
and the list gains only the line."""

import socket
import time

from tidemark_e2e import PORT, TidemarkTestCase, main


def connect():
    sender = socket.create_connection(("127.0.0.1", PORT), timeout=20)
    sender.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
    return sender


class ReceptionTest(TidemarkTestCase):
    run_name = "reception"

    def setUp(self):
        self.tidemark.wait_until_listening()

    def test_a_line_sent_in_small_pieces_is_shown_whole(self):
        with connect() as sender:
            for piece in [b"p", b"ie", b"ces &u", b"uml", b"; of", b" one", b" line", b"\r"]:
                sender.sendall(piece)
                time.sleep(0.05)
            self.assertEqual(sender.recv(16), b"")
        self.tidemark.wait_for_top_line(b"pieces \xfc of one line <- 127.0.0.1")

    def test_bytes_after_the_line_end_are_left_unread(self):
        before = len(self.tidemark.lines())
        with connect() as sender:
            sender.sendall(b"only this\nnot this\r\nnor this")
            self.assertEqual(sender.recv(16), b"")
        self.tidemark.wait_for_top_line(b"only this <- 127.0.0.1")
        lines = self.tidemark.lines()
        self.assertEqual(len(lines), before + 1)
        self.assertFalse([line for line in lines if b"this" in line and line.startswith(b"no")])


if __name__ == "__main__":
    main()
