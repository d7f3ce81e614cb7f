"""The dialog ends (a cancel command from outside) while a sender is connected and
silent: the listener is stopped without the sender's help and the program ends cleanly."""

from tidemark_e2e import TidemarkTestCase, main, port_accepts, send_line, wait_until

WM_COMMAND = 0x0111
IDCANCEL = 2


class ShutdownTest(TidemarkTestCase):
    run_name = "shutdown"

    def test_program_ends_while_a_silent_sender_holds_the_listener(self):
        self.tidemark.wait_until_listening()
        sender = send_line(b"no line end yet", close=False)
        try:
            self.tidemark.wait_for_top_line(b"127.0.0.1")
            self.tidemark.probe("post", str(WM_COMMAND), str(IDCANCEL), "0")
            exit_code = self.tidemark.processes[0].wait(timeout=30)
            self.assertEqual(exit_code, 0)
            wait_until(lambda: not port_accepts(), timeout=10, what="the port to be released")
        finally:
            sender.close()


if __name__ == "__main__":
    main()
