"""Reception as a sender sees it: a line in many small pieces is shown whole; nothing after
the line end is read: the sender gets a plain close, never a byte, and the list the line."""

import socket
import time

from tidemark_e2e import PORT, TidemarkTestCase, main, send_line


class ReceptionTest(TidemarkTestCase):
    run_name = "reception"

    def setUp(self):
        self.tidemark.wait_until_listening()

    def test_a_line_sent_in_small_pieces_is_shown_whole(self):
        with socket.create_connection(("127.0.0.1", PORT), timeout=20) as sender:
            sender.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
            for piece in [b"p", b"ie", b"ces &u", b"uml", b"; of", b" one", b" line", b"\r"]:
                sender.sendall(piece)
                time.sleep(0.05)
            self.assertEqual(sender.recv(16), b"")
        self.tidemark.wait_for_top_line(b"pieces \xfc of one line <- 127.0.0.1")

    def test_bytes_after_the_line_end_are_left_unread(self):
        before = len(self.tidemark.lines())
        with socket.create_connection(("127.0.0.1", PORT), timeout=20) as sender:
            sender.sendall(b"only this\nnot this\r\nnor this")
            self.assertEqual(sender.recv(16), b"")
        self.tidemark.wait_for_top_line(b"only this <- 127.0.0.1")
        self.assertEqual(len(self.tidemark.lines()), before + 1)

    def test_the_list_shows_the_last_lines_of_a_burst(self):
        # Lines in quick succession hold the list's repaint; once they stop, the list must
        # show what it holds, as it does for lines that arrive one by one.
        for number in range(1, 31):
            send_line(b"burst %d\n" % number)
        self.tidemark.wait_for_top_line(b"burst 30 <- 127.0.0.1")
        time.sleep(1)
        after_burst = self.tidemark.shown_text_of_list("burst")
        self.tidemark.probe("click", "1006")
        for number in range(27, 31):  # enough for a scroll bar, as after the burst
            time.sleep(0.3)
            send_line(b"burst %d\n" % number)
            self.tidemark.wait_for_top_line(b"burst %d <- 127.0.0.1" % number)
        time.sleep(1)
        self.assertEqual(after_burst, self.tidemark.shown_text_of_list("one-by-one"))


if __name__ == "__main__":
    main()
