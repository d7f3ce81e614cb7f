"""Display scaling: on a display of 144 dots per inch the window is the one of 96 drawn one
and a half times as large, so it looks the same, only sharper. Its first size, margins,
frame and minimum size scale; every control stays inside the client area, whole and apart
from the others. Screenshots: display-scale-96-window.png, display-scale-144-window.png."""

import itertools
import unittest

from tidemark_e2e import MAIN_WINDOW_CONTROLS, TidemarkRun, main, pixel, port_accepts, wait_until

BLUE = (0, 0, 255)
WMSZ_BOTTOMRIGHT = 8
ROW = (1006, 1010, 1015, 1011, 1009)  # clear list, exit, version, homepage, X


def box(state, control_id):
    """x, y, width and height of a control in the window's client area."""
    return [int(v) for v in state["control"][control_id][2:6]]


def overlap(a, b):
    return a[0] < b[0] + b[2] and b[0] < a[0] + a[2] and a[1] < b[1] + b[3] and b[1] < a[1] + a[3]


class DisplayScaleTest(unittest.TestCase):
    def look_at(self, dpi):
        """Starts the program at `dpi`: its state, the frame's width in pixels and the
        rectangle it agrees to when dragged far smaller."""
        self.assertFalse(port_accepts(), "port 26112 is already taken before the test starts")
        run = TidemarkRun(f"display-scale-{dpi}", dpi=dpi)
        try:
            run.start()
            run.wait_until_listening()
            state = run.state()
            left, top, right, bottom = map(int, state["rect"].split(","))
            width, height = map(int, state["client"].split(","))
            x = left + (right - left - width) // 2 + width // 2
            y0 = top + (bottom - top - height) // 2
            shot = wait_until(lambda: (lambda s: s if pixel(s, x, y0) == BLUE else None)(
                run.screenshot("window")), timeout=10, what="the first paint")
            frame = next(t for t in range(20) if pixel(shot, x, y0 + t) != BLUE)
            agreed = run.probe("sizing", str(WMSZ_BOTTOMRIGHT), "100", "100", "110", "110")
            return state, frame, agreed
        finally:
            run.close()

    def test_at_144_dpi_the_window_is_the_one_of_96_one_and_a_half_times_as_large(self):
        small, small_frame, small_minimum = self.look_at(96)
        large, large_frame, large_minimum = self.look_at(144)
        self.assertEqual(small["client"], "360,75")
        self.assertIn(large["client"], ("540,112", "540,113"))
        self.assertEqual((small_frame, large_frame), (3, 5))

        for state, minimum, margin, beyond in ((small, small_minimum, 6, (18, 35)),
                                               (large, large_minimum, 9, (27, 53))):
            width, height = map(int, state["client"].split(","))
            boxes = {i: box(state, i) for i in MAIN_WINDOW_CONTROLS}
            self.assertEqual(boxes[1005][:3], [margin, margin, width - 2 * margin])
            self.assertEqual(boxes[1006][1] + boxes[1006][3], height - margin)
            self.assertEqual(boxes[1009][0] + boxes[1009][2], width - margin)
            for i, (x, y, w, h) in boxes.items():
                self.assertTrue(0 <= x and x + w <= width and 0 <= y and y + h <= height
                                and w > 0 and h > 0, (state["client"], i, boxes[i]))
            for a, b in itertools.combinations(sorted(boxes), 2):
                self.assertFalse(overlap(boxes[a], boxes[b]), (state["client"], a, b))
            # The smallest window still holds the row (with the link's width of the last
            # layout, which may be that of the template, before the link fitted its caption).
            right, bottom = map(int, minimum[0].split(",")[2:])
            self.assertGreaterEqual(right - 100, sum(boxes[i][2] for i in ROW) + beyond[0])
            self.assertEqual(bottom - 100, boxes[1006][3] + beyond[1])

        # The controls' own sizes grow with the dialog's font.
        for i in MAIN_WINDOW_CONTROLS:
            for small_size, large_size in zip(box(small, i)[2:], box(large, i)[2:]):
                self.assertAlmostEqual(large_size, 1.5 * small_size, delta=4, msg=i)


if __name__ == "__main__":
    main()
