"""Start-up: the main window with its controls, and the first lines of the list."""

import re
import socket
import subprocess

from tidemark_e2e import (MAIN_WINDOW_CONTROLS, VERSION, TidemarkTestCase, local_ipv4_addresses,
                          main, wait_until)

STATUS_LINE = re.compile(
    rb"Hostname: (?P<name>.*?)(?P<addresses>(?: , IP: [0-9.]+)*)"
    rb" , socket ok  , binding socket on port  , Listening on port ok, wait for contact \.\.\.\.\Z",
    re.S)


def pixel(image, x, y):
    """The (red, green, blue) of one pixel of an image file, through ImageMagick."""
    text = subprocess.run(
        ["convert", image, "-format", f"%[fx:int(255*p{{{x},{y}}}.r)],"
         f"%[fx:int(255*p{{{x},{y}}}.g)],%[fx:int(255*p{{{x},{y}}}.b)]", "info:"],
        check=True, stdout=subprocess.PIPE).stdout.decode()
    return tuple(int(v) for v in text.split(","))


class StartupTest(TidemarkTestCase):
    run_name = "startup"

    def test_main_window_has_its_controls_title_and_size(self):
        state = self.tidemark.state()
        self.tidemark.screenshot("main-window")
        self.assertEqual(set(state["control"]), MAIN_WINDOW_CONTROLS | {1016})
        self.assertEqual(state["control"][1005][0], "ListBox")
        self.assertEqual(bytes.fromhex(state["title"]), b"Tidemark")
        self.assertEqual(state["client"], "360,75")
        self.assertEqual(state["visible"], "1")
        self.assertEqual(state["text"][1006], b"clear list")
        # What a screen reader reads: the list's label and the name of "X" (which shows "X").
        self.assertEqual(state["text"][1016], b"&Received lines")
        self.assertEqual(state["text"][1009], b"Hide")
        self.assertEqual(state["text"][1010], b"exit")

    def test_version_label_names_the_version_of_the_program_file(self):
        self.assertEqual(self.tidemark.state()["text"][1015], b"Ver. " + VERSION.encode())

    def test_client_area_has_a_blue_and_red_frame(self):
        state = self.tidemark.state()
        left, top, right, bottom = map(int, state["rect"].split(","))
        width, height = map(int, state["client"].split(","))
        # The window has no caption: its border is as wide on every side.
        x0 = left + (right - left - width) // 2
        y0 = top + (bottom - top - height) // 2
        blue, red = (0, 0, 255), (255, 0, 0)
        # Just after the start the window may not have had its first paint yet.
        shot = wait_until(lambda: (lambda s: s if pixel(s, x0 + width // 2, y0 + 1) == blue
                                   else None)(self.tidemark.screenshot("frame")),
                          timeout=10, what="the frame's top edge")

        def colour(x, y):
            return pixel(shot, x0 + x, y0 + y)

        # Points of the strips that no control covers.
        self.assertEqual(colour(width - 2, 4), blue, "right edge")
        self.assertEqual(colour(width // 2, height - 2), red, "bottom edge")
        self.assertEqual(colour(1, height // 2), red, "left edge")
        self.assertEqual(colour(1, 1), red, "top-left corner")
        self.assertEqual(colour(width - 2, height - 2), red, "bottom-right corner")
        self.assertEqual(colour(width - 2, 1), blue, "top-right corner")
        self.assertNotEqual(colour(width // 2, 3), blue, "the frame is 3 pixels wide")

    def test_listener_reports_its_set_up_above_the_start_line(self):
        lines = wait_until(
            lambda: (lambda l: l if len(l) >= 2 and l[0].startswith(b"Hostname: ") else None)(
                self.tidemark.lines()),
            what="the listener's status line")
        self.assertEqual(len(lines), 2, lines)
        self.assertEqual(lines[1], b"Socketthread starting ...")

        status = STATUS_LINE.match(lines[0])
        self.assertIsNotNone(status, lines[0])
        self.assertEqual(status["name"].decode(), socket.gethostname())
        addresses = re.findall(rb"[0-9.]+", status["addresses"])
        self.assertLessEqual(len(addresses), 10)
        known = local_ipv4_addresses() | {"127.0.0.1"}
        for address in addresses:
            self.assertIn(address.decode(), known)


if __name__ == "__main__":
    main()
