"""Living beside other programs: a line that pops the window up leaves the keyboard with
the program the user is typing in, while the window still shows on top."""

import subprocess

from tidemark_e2e import TidemarkTestCase, main, send_line, wait_until


class OtherProgramsTest(TidemarkTestCase):
    run_name = "others"

    def setUp(self):
        self.tidemark.wait_until_listening()

    def shows(self, text):
        send_line(text + b"\n")
        self.tidemark.wait_for_top_line(text + b" <- 127.0.0.1")

    def test_a_pop_up_leaves_the_keyboard_where_it_is(self):
        self.tidemark.probe("click", "1009")  # hidden, so that the next line pops it up
        wait_until(lambda: not self.tidemark.visible(), what="the window to hide")
        typing = self.tidemark.wine.popen(self.tidemark.probe_exe, "hold-focus", "6000",
                                          stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        try:
            self.assertEqual(typing.stdout.readline().split(), [b"ready", b"foreground=1", b"focus=1"])
            self.shows(b"while typing")
            state = self.tidemark.state()
            self.assertEqual((state["visible"], state["topmost"], state["foreground"]), ("1", "1", "0"))
            after = typing.stdout.readline().split()
            self.assertEqual(typing.wait(timeout=30), 0)
            self.assertEqual(after, [b"foreground=1", b"focus=1"], typing.stderr.read())
        finally:
            if typing.poll() is None:
                typing.kill()
                typing.wait()
        self.tidemark.screenshot("pop-up-beside-typing")


if __name__ == "__main__":
    main()
