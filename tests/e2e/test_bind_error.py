"""Another program holds port 26112: the listener explains the failed bind and ends,
while the window stays open."""

import socket
import time

from tidemark_e2e import PORT, TidemarkTestCase, main, wait_until

BIND_ERROR_LINE = (
    b"Errorcode:10048 :error calling bind(): \n"
    b"A process on the machine is already bound to the same \n "
    b"fully-qualified address and the socket has not been marked \n "
    b"to allow address re-use with SO_REUSEADDR. For example, "
    b"IP address and port are bound in the af_inet case \n")


class BindErrorTest(TidemarkTestCase):
    run_name = "bind-error"
    start_program = False

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        # Without SO_REUSEADDR a holder could not bind while earlier connections of the
        # port linger in TIME_WAIT.
        cls.holder = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        cls.holder.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        cls.holder.bind(("0.0.0.0", PORT))
        cls.holder.listen(2)
        try:
            cls.tidemark.start()
        except BaseException:
            cls.tearDownClass()
            raise

    @classmethod
    def tearDownClass(cls):
        cls.holder.close()
        super().tearDownClass()

    def test_one_error_line_with_code_10048_and_the_window_stays(self):
        lines = wait_until(
            lambda: (lambda l: l if l and l[0].startswith(b"Errorcode:") else None)(
                self.tidemark.lines()),
            what="the bind error line")
        self.tidemark.screenshot("bind-error")
        self.assertEqual(len(lines), 3, lines)
        self.assertEqual(lines[0], BIND_ERROR_LINE)
        self.assertTrue(lines[1].startswith(b"Hostname: "), lines[1])
        self.assertTrue(lines[1].endswith(b", socket ok"), lines[1])
        self.assertEqual(lines[2], b"Socketthread starting ...")
        # The program goes on without a listener: the window is still there, and "exit"
        # ends it at once.
        self.tidemark.probe("find", "--timeout-ms", "1000")
        self.tidemark.probe("click", "1010")
        clicked = time.monotonic()
        self.assertEqual(self.tidemark.processes[0].wait(timeout=30), 0)
        self.assertLess(time.monotonic() - clicked, 1.0)


if __name__ == "__main__":
    main()
