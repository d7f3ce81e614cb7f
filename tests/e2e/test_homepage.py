"""Both homepage links show the maker's host and have the shell open the same update page;
the system menu opens the about box with the version record's texts, as often as asked."""

import os

from tidemark_e2e import (VERSION, WM_SYSCOMMAND, TidemarkTestCase, main, wait_until,
                          wine_root)

HOST = b"tidemark.example"
PAGE = "http://tidemark.example/software/download/index.php?Software=Tidemark&CurrentVersion=" + VERSION
ABOUT = "Info \u00fcber Tidemark"


class HomepageTest(TidemarkTestCase):
    run_name = "homepage"

    @classmethod
    def setUpClass(cls):
        # The shell hands http addresses to the registry's handler: here the probe, recording.
        cls.opened = os.path.abspath(os.path.join(wine_root(), "homepage-opened.txt"))
        if os.path.exists(cls.opened):
            os.remove(cls.opened)
        super().setUpClass()
        handler = '"Z:{}" record "Z:{}" "%1"'.format(cls.tidemark.probe_exe, cls.opened).replace("/", "\\")
        cls.tidemark.wine.run("reg", "add", r"HKCR\http\shell\open\command", "/ve", "/d", handler, "/f")

    def opened_pages(self):  # in the order the shell was asked
        return open(self.opened).read().splitlines() if os.path.exists(self.opened) else []

    def test_links_open_the_update_page_and_the_about_box_shows_the_record(self):
        texts = self.tidemark.state()["text"]
        self.tidemark.screenshot("main-window")
        self.assertEqual((texts[1015], texts[1011]), (b"Ver. " + VERSION.encode(), HOST))

        for command in (16, 31):
            self.tidemark.probe("post", str(WM_SYSCOMMAND), str(command), "0")
            box = self.tidemark.probe("findwin", ABOUT, "--timeout-ms", "20000")[0]
            texts = self.tidemark.state(window=box)["text"]
            self.assertEqual((texts[1013], texts[1012], texts[1014]),
                             (b"Tidemark Version " + VERSION.encode(),
                              b"Copyright (C) 2025-2026 Tidemark developers", HOST))
            if command == 16:
                self.tidemark.screenshot("about-box")
                self.tidemark.probe("click", "1014", "--window", box)
                wait_until(self.opened_pages, what="the about box's link to open the page")
            self.tidemark.probe("click", "1", "--window", box)
            wait_until(lambda: self.tidemark.wine.run(self.tidemark.probe_exe, "findwin", ABOUT,
                                                      "--timeout-ms", "0").returncode != 0,
                       what="OK to close the about box")

        self.tidemark.probe("click", "1011")
        wait_until(lambda: len(self.opened_pages()) == 2, what="the main window's link to open")
        self.assertEqual(self.opened_pages(), [PAGE, PAGE])


if __name__ == "__main__":
    main()
