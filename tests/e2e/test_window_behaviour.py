"""Living with the window: every way of closing it but "exit" hides it and the program
keeps receiving; Enter does nothing; the notification-area icon shows and hides it; the
window stays on top, lays out its controls when resized and stops at its minimum size."""

import time

from tidemark_e2e import HIDE_DELAY, TidemarkTestCase, main, send_line, wait_until

WMSZ_TOPLEFT = 4


def box(state, control_id):
    """x, y, width and height of a control in the window's client area."""
    return [int(v) for v in state["control"][control_id][2:6]]


class WindowBehaviourTest(TidemarkTestCase):
    run_name = "window"

    def setUp(self):
        self.tidemark.wait_until_listening()

    def shows_next_line(self, text):
        send_line(text + b"\n")
        self.tidemark.wait_for_top_line(text + b" <- 127.0.0.1")
        state = self.tidemark.state()
        self.assertEqual((state["visible"], state["topmost"]), ("1", "1"), text)

    def wait_hidden(self, what, timeout=5):
        wait_until(lambda: not self.tidemark.visible(), timeout=timeout, what=what)

    def test_every_close_but_exit_hides_and_the_program_keeps_receiving(self):
        for label, action in [("WM_CLOSE", ("post", "WM_CLOSE", "0", "0")),
                              ("Close", ("post", "WM_SYSCOMMAND", "SC_CLOSE", "0")),
                              ("Escape", ("key", "VK_ESCAPE")),
                              ("X", ("click", "1009"))]:
            self.shows_next_line(label.encode())
            self.tidemark.probe(*action)
            self.wait_hidden(f"{label} to hide the window")
        self.shows_next_line(b"still receiving")
        # Enter on the "exit" button neither presses it nor ends the dialog.
        self.tidemark.probe("key", "VK_RETURN", "--to", "1010")
        time.sleep(1)
        self.assertTrue(self.tidemark.visible())
        self.assertIsNone(self.tidemark.processes[0].poll())

    def test_icon_clicks_show_for_good_and_hide_at_once(self):
        self.shows_next_line(b"before the clicks")
        self.tidemark.probe("post", "WM_USER", "128", "WM_RBUTTONDOWN")
        self.wait_hidden("a right click to hide the window", timeout=2)
        self.tidemark.probe("post", "WM_USER", "128", "WM_LBUTTONDOWN")
        wait_until(self.tidemark.visible, timeout=5, what="a left click to show the window")
        self.shows_next_line(b"opened by the user")
        time.sleep(HIDE_DELAY + 2)
        self.assertTrue(self.tidemark.visible(), "hidden although the user opened it")
        self.tidemark.probe("post", "WM_USER", "128", "WM_RBUTTONDOWN")
        self.wait_hidden("a right click to hide the window", timeout=2)

    def test_resizing_keeps_the_window_on_top_moves_the_controls_and_stops_at_the_minimum(self):
        self.shows_next_line(b"resize me")
        before = self.tidemark.state()
        left, top, right, bottom = map(int, before["rect"].split(","))
        self.tidemark.probe("move", str(left + 20), str(top + 10), str(right - left + 100),
                            str(bottom - top + 40))
        after = wait_until(lambda: (lambda s: s if s["rect"] != before["rect"] else None)(
            self.tidemark.state()), what="the window to be resized")
        self.assertEqual(after["topmost"], "1")
        for control_id, moved in [(1006, (0, 40)), (1010, (0, 40)), (1015, (0, 40)),
                                  (1011, (100, 40)), (1009, (100, 40))]:
            x, y, w, h = box(before, control_id)
            self.assertEqual(box(after, control_id), [x + moved[0], y + moved[1], w, h],
                             control_id)
        x, y, w, h = box(before, 1005)
        self.assertEqual(box(after, 1005), [x, y, w + 100, h + 40])

        # Dragging the top-left corner far inward: the right and bottom edges give way.
        widths = sum(box(after, i)[2] for i in (1006, 1010, 1015, 1011, 1009))
        agreed = self.tidemark.probe("sizing", str(WMSZ_TOPLEFT), "500", "400", "510", "405")
        self.assertEqual(agreed, [f"500,400,{500 + widths + 18},{400 + box(after, 1006)[3] + 35}"])


if __name__ == "__main__":
    main()
