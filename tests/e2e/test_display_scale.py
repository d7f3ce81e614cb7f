"""Display scaling: at 144 dots per inch the window is the one of 96 one and a half times as
large, only sharper: its first size, margins and frame scale, and every control stays inside
the client area, whole and apart from the others (screenshots: display-scale-*-window.png)."""

import itertools
import subprocess
import unittest

from tidemark_e2e import MAIN_WINDOW_CONTROLS, TidemarkRun, main, port_accepts, wait_until


def box(state, control_id):
    return [int(v) for v in state["control"][control_id][2:6]]


class DisplayScaleTest(unittest.TestCase):
    def look_at(self, dpi):
        """The window's state at `dpi` and the width of its frame's top edge."""
        self.assertFalse(port_accepts(), "port 26112 is already taken")
        run = TidemarkRun(f"display-scale-{dpi}", dpi=dpi)
        try:
            run.start()
            run.wait_until_listening()
            state = run.state()
            left, top, right, bottom = map(int, state["rect"].split(","))
            height = int(state["client"].split(",")[1])
            x, y = (left + right) // 2, top + (bottom - top - height) // 2  # the client's top
            def blue_rows():  # from the client's top down, once the window has been painted
                column = subprocess.run(["convert", run.screenshot("window"), "-crop",
                                         f"1x20+{x}+{y}", "rgb:-"], check=True,
                                        stdout=subprocess.PIPE).stdout
                rows = [column[i:i + 3] for i in range(0, len(column), 3)]
                blue = b"\0\0\xff"
                return rows.index(next(r for r in rows if r != blue)) if rows[0] == blue else None
            return state, wait_until(blue_rows, timeout=10, what="the first paint")
        finally:
            run.close()

    def test_at_144_dpi_the_window_is_the_one_of_96_one_and_a_half_times_as_large(self):
        small, large = self.look_at(96), self.look_at(144)
        self.assertEqual(small[0]["client"], "360,75")
        self.assertIn(large[0]["client"], ("540,112", "540,113"))
        for (state, frame), margin, frame_width in ((small, 6, 3), (large, 9, 5)):
            width, height = map(int, state["client"].split(","))
            boxes = {i: box(state, i) for i in MAIN_WINDOW_CONTROLS}
            self.assertEqual(frame, frame_width)
            self.assertEqual(boxes[1005][:3], [margin, margin, width - 2 * margin])
            self.assertEqual(boxes[1006][1] + boxes[1006][3], height - margin)
            self.assertEqual(boxes[1009][0] + boxes[1009][2], width - margin)
            for i, (x, y, w, h) in boxes.items():
                self.assertTrue(0 <= x < x + w <= width and 0 <= y < y + h <= height, (i, boxes[i]))
            for a, b in itertools.combinations(boxes.values(), 2):
                self.assertFalse(a[0] < b[0] + b[2] and b[0] < a[0] + a[2] and
                                 a[1] < b[1] + b[3] and b[1] < a[1] + a[3], (a, b))


if __name__ == "__main__":
    main()
