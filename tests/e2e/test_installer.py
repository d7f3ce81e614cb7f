"""The Windows Installer package, silently installed over an older version as a user
without administrator rights would: the programs, the licence and the guides land in
LocalAppData\\Programs\\Tidemark, with a Start-menu shortcut and a start at log-on; the
program that the Run entry starts receives lines and shows the package's version; removing
the package leaves nothing behind."""

import os
import subprocess
import tempfile

from tidemark_e2e import HERE, TidemarkTestCase, main, send_line

ROOT = os.path.abspath(os.path.join(HERE, "..", ".."))
RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
INSTALLED = {"tidemark.exe", "tidemark-send.exe", "LICENSE.txt", "README.md", "using.md"}
ERROR_UNKNOWN_PRODUCT = 1605


def product_version(msi):
    table = subprocess.run(["msiinfo", "export", msi, "Property"], check=True,
                           capture_output=True, text=True).stdout
    return dict(line.split("\t", 1) for line in table.splitlines()[3:])["ProductVersion"]


class InstallerTest(TidemarkTestCase):
    run_name = "installer"
    start_program = False

    def wine(self, *args, check=True):
        result = self.tidemark.wine.run(*args, timeout=300)
        if check:
            self.assertEqual(result.returncode, 0, f"{args}: {result.stderr[-2000:]!r}")
        return result

    def run_value(self):
        result = self.wine("reg", "query", RUN_KEY, "/v", "Tidemark", check=False)
        if result.returncode != 0:
            return None
        return result.stdout.decode("latin-1").split("REG_SZ", 1)[1].strip()

    def unix_path(self, windows_path):
        return self.wine("winepath", "-u", windows_path).stdout.decode().strip()

    def test_install_over_an_older_version_run_and_remove(self):
        msi = os.environ.get("TIDEMARK_MSI")
        self.assertTrue(msi and os.path.exists(msi), f"no installer package at {msi}")
        version = product_version(msi)
        with tempfile.TemporaryDirectory() as scratch:
            older = os.path.join(scratch, "older.msi")
            subprocess.run(["wixl", "--arch", "x64", "-D", "Version=0.0.1", "-D",
                            "ReleaseDir=" + os.environ["TIDEMARK_RELEASE_DIR"], "-D",
                            "SourceDir=" + ROOT, "-o", older,
                            os.path.join(ROOT, "packaging", "tidemark.wxs")], check=True)
            self.wine("msiexec", "/i", older, "/qn")
            self.wine("msiexec", "/i", msi, "/qn")
            # The newer package removed the older one: it is no longer installed.
            self.assertEqual(self.wine("msiexec", "/x", older, "/qn", check=False).returncode,
                             ERROR_UNKNOWN_PRODUCT)

        profile = self.wine("cmd", "/c", "echo %USERPROFILE%").stdout.decode().strip()
        folder = self.unix_path(profile + r"\AppData\Local\Programs\Tidemark")
        shortcut = self.unix_path(profile + r"\AppData\Roaming\Microsoft\Windows"
                                            r"\Start Menu\Programs\Tidemark.lnk")
        self.assertEqual(set(os.listdir(folder)), INSTALLED)
        with open(os.path.join(folder, "LICENSE.txt")) as licence:
            self.assertIn("Copyright (c) 2025-2026 Tidemark developers", licence.read())
        with open(shortcut, "rb") as link:
            self.assertIn(b"Tidemark\\tidemark.exe", link.read().replace(b"\0", b""))
        command = self.run_value()
        self.assertEqual(self.unix_path(command.strip('"')),
                         os.path.join(folder, "tidemark.exe"))

        # What Windows runs at log-on: the installed program, which receives a line.
        self.tidemark.exe = command.strip('"')
        process = self.tidemark.start()
        self.tidemark.wait_until_listening()
        self.assertEqual(self.tidemark.state()["text"][1015], b"Ver. " + version.encode())
        send_line(b"Gr&uuml;&szlig;e to the installed program\n")
        self.tidemark.wait_for_top_line(b"Gr\xfc\xdfe to the installed program <- 127.0.0.1")
        self.tidemark.screenshot("installed")
        self.tidemark.probe("click", "1010")
        self.assertEqual(process.wait(timeout=30), 0)

        self.wine("msiexec", "/x", msi, "/qn")
        self.assertFalse(os.path.exists(folder))
        self.assertFalse(os.path.exists(shortcut))
        self.assertIsNone(self.run_value())


if __name__ == "__main__":
    main()
