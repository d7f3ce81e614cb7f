"""The Windows Installer package, silently installed over an older version as a user
without administrator rights would: the programs, the licence and the guides land in
LocalAppData\\Programs\\Tidemark, with a Start-menu shortcut and a start at log-on; the
program that the Run entry starts receives lines and shows the package's version; removing
the package leaves nothing behind."""

import os
import re
import shutil
import subprocess
import tempfile

from tidemark_e2e import TidemarkTestCase, main, send_line, wine_root

RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
UNINSTALL_KEY = r"\Software\Microsoft\Windows\CurrentVersion\Uninstall"
INSTALLED = {"tidemark.exe", "tidemark-send.exe", "LICENSE.txt", "README.md", "using.md"}


def product_version(msi):
    table = subprocess.run(["msiinfo", "export", msi, "Property"], check=True,
                           capture_output=True, text=True).stdout
    return dict(line.split("\t", 1) for line in table.splitlines()[3:])["ProductVersion"]


class InstallerTest(TidemarkTestCase):
    run_name = "installer"
    start_program = False

    @classmethod
    def setUpClass(cls):
        # A fresh prefix: an earlier run may have left its installs behind.
        shutil.rmtree(os.path.join(wine_root(), "prefixes", "e2e-" + cls.run_name),
                      ignore_errors=True)
        super().setUpClass()

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

    def installed_versions(self):
        """The versions of Tidemark in the list of installed programs (Wine keeps a per-user
        package's entry in HKLM, Windows in HKCU)."""
        versions = []
        for root in ("HKCU", "HKLM"):
            listing = self.wine("reg", "query", root + UNINSTALL_KEY, "/s", check=False)
            for entry in re.split(r"^HKEY_", listing.stdout.decode("latin-1"), flags=re.M):
                values = dict(re.findall(r"^ +(\S+) +REG_\w+ *(.*?)\r?$", entry, re.M))
                if values.get("DisplayName") == "Tidemark":
                    versions.append(values.get("DisplayVersion"))
        return versions

    def unix_path(self, windows_path):
        return self.wine("winepath", "-u", windows_path).stdout.decode().strip()

    def test_install_over_an_older_version_run_and_remove(self):
        msi = os.environ.get("TIDEMARK_MSI")
        self.assertTrue(msi and os.path.exists(msi), f"no installer package at {msi}")
        version = product_version(msi)
        with tempfile.TemporaryDirectory() as scratch:
            older = os.path.join(scratch, "older.msi")
            # The same package, as an older version.
            subprocess.run(["wixl", "--arch", "x64", "-D", "Version=0.0.1", "-o", older,
                            "tidemark.wxs"], cwd=os.environ["TIDEMARK_RELEASE_DIR"], check=True)
            self.wine("msiexec", "/i", older, "/qn")
            self.assertEqual(self.installed_versions(), ["0.0.1"])
            self.wine("msiexec", "/i", msi, "/qn")
        self.assertEqual(self.installed_versions(), [version])

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
        # Not even the Programs folder that the package made for it is left.
        self.assertFalse(os.path.exists(os.path.dirname(folder)))
        self.assertFalse(os.path.exists(shortcut))
        self.assertIsNone(self.run_value())
        self.assertEqual(self.installed_versions(), [])


if __name__ == "__main__":
    main()
