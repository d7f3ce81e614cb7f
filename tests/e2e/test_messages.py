"""Lines from real TCP senders: shown on top with the sender's address, decoded, opened
in a message box, and cleared."""

import time

from tidemark_e2e import ProbeError, TidemarkTestCase, main, send_line, wait_until


class MessagesTest(TidemarkTestCase):
    run_name = "messages"

    def setUp(self):
        # Every test starts after the listener's set-up is complete.
        self.tidemark.wait_until_listening()

    def test_a_line_ending_in_cr_lf_is_shown_with_the_sender(self):
        send_line(b"Hallo\r\n")
        self.tidemark.wait_for_top_line(b"Hallo <- 127.0.0.1")

    def test_character_references_become_windows_1252_bytes(self):
        send_line(b"Gr&uuml;&szlig;e &lt;b&gt; &amp;quot;\n")
        self.tidemark.wait_for_top_line(b"\x47\x72\xFC\xDF\x65 <b> \" <- 127.0.0.1")
        self.tidemark.screenshot("umlauts")

    def test_a_tab_becomes_a_blank_and_closing_ends_the_line(self):
        send_line(b"tab\there")
        self.tidemark.wait_for_top_line(b"tab here <- 127.0.0.1")

    def test_choosing_a_line_shows_it_in_a_message_box(self):
        send_line(b"read me\n")
        self.tidemark.wait_for_top_line(b"read me <- 127.0.0.1")
        self.tidemark.probe("select", "0")
        box = self.tidemark.probe("msgbox", "--timeout-ms", "20000")
        self.tidemark.screenshot("message-box")
        self.tidemark.probe("msgbox-close")
        fields = dict(line.partition("=")[::2] for line in box)
        self.assertEqual(bytes.fromhex(fields["caption"]), b"Tidemark!")
        self.assertEqual(bytes.fromhex(fields["text"]), b"read me <- 127.0.0.1")
        self.assertEqual(fields["icon"], "information")
        self.assertEqual(fields["owner_is_main"], "1")
        wait_until(lambda: self._no_message_box(), what="the message box to close")

    def test_browsing_with_keys_opens_no_box_and_enter_opens_the_chosen_line(self):
        for text in (b"older\n", b"newer\n"):
            send_line(text)
            self.tidemark.wait_for_top_line(text[:-1] + b" <- 127.0.0.1")
        for key in ("0x24", "VK_DOWN"):  # Home, then one line down
            self.tidemark.probe("key", key, "--to", "1005")
        time.sleep(1)
        self.assertTrue(self._no_message_box(), "a box opened while browsing")
        self.tidemark.probe("key", "VK_RETURN", "--to", "1005")
        box = dict(line.partition("=")[::2] for line in self.tidemark.probe("msgbox"))
        self.tidemark.probe("msgbox-close")
        self.assertEqual(bytes.fromhex(box["text"]), b"older <- 127.0.0.1")

    def test_clear_list_empties_the_list_and_the_next_line_stands_alone(self):
        send_line(b"before\n")
        self.tidemark.wait_for_top_line(b"before <- 127.0.0.1")
        self.tidemark.probe("click", "1006")
        wait_until(lambda: self.tidemark.lines() == [], what="an empty list")
        send_line(b"after\n")
        wait_until(lambda: self.tidemark.lines() == [b"after <- 127.0.0.1"],
                   what="the new line alone")

    def _no_message_box(self):
        try:
            self.tidemark.probe("msgbox", "--timeout-ms", "0")
            return False
        except ProbeError:
            return True


if __name__ == "__main__":
    main()
