"""The Windows Installer package, installed silently over an older version, puts the files,
the shortcut and the start at log-on in place; what the Run entry starts receives lines and
shows the package's version; removing the package leaves nothing behind."""

import os
import re
import shutil
import subprocess
import tempfile

from tidemark_e2e import TidemarkTestCase, main, send_line, wine_root

RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
INSTALLED = {"tidemark.exe", "tidemark-send.exe", "LICENSE.txt", "README.md", "using.md"}


class InstallerTest(TidemarkTestCase):
    run_name = "installer"
    start_program = False

    @classmethod
    def setUpClass(cls):
        # A fresh prefix: an earlier run may have left its installs behind.
        shutil.rmtree(os.path.join(wine_root(), "prefixes", "e2e-installer"), ignore_errors=True)
        super().setUpClass()

    def wine(self, *args, check=True):
        result = self.tidemark.wine.run(*args, timeout=300)
        self.assertTrue(result.returncode == 0 or not check, f"{args}: {result.stderr!r}")
        return result.returncode, result.stdout.decode("latin-1").strip()

    def installed_versions(self):
        # The installed programs' list: Wine keeps a per-user entry in HKLM, Windows in HKCU.
        listing = "".join(self.wine("reg", "query", root + r"\Software\Microsoft\Windows"
                                    r"\CurrentVersion\Uninstall", "/s", check=False)[1]
                          for root in ("HKCU", "HKLM"))
        entries = (dict(re.findall(r"^ +(\S+) +REG_\w+ *(.*?)\r?$", entry, re.M))
                   for entry in re.split(r"^HKEY_", listing, flags=re.M))
        return [e.get("DisplayVersion") for e in entries if e.get("DisplayName") == "Tidemark"]

    def test_install_over_an_older_version_run_and_remove(self):
        msi = os.environ["TIDEMARK_MSI"]
        version = re.search(r"^ProductVersion\t(.*)$", subprocess.run(
            ["msiinfo", "export", msi, "Property"], capture_output=True, text=True).stdout, re.M)[1]
        with tempfile.TemporaryDirectory() as scratch:
            older = os.path.join(scratch, "older.msi")
            subprocess.run(["wixl", "--arch", "x64", "-D", "Version=0.0.1", "-o", older,
                            "tidemark.wxs"], cwd=os.environ["TIDEMARK_RELEASE_DIR"], check=True)
            self.wine("msiexec", "/i", older, "/qn")
            self.assertEqual(self.installed_versions(), ["0.0.1"])
            self.wine("msiexec", "/i", msi, "/qn")
        self.assertEqual(self.installed_versions(), [version])

        home = self.wine("winepath", "-u", self.wine("cmd", "/c", "echo %USERPROFILE%")[1])[1]
        folder = os.path.join(home, "AppData/Local/Programs/Tidemark")
        shortcut = os.path.join(home, "AppData/Roaming/Microsoft/Windows/Start Menu/Programs",
                                "Tidemark.lnk")
        self.assertEqual(set(os.listdir(folder)), INSTALLED)
        with open(shortcut, "rb") as link:
            self.assertIn(b"Tidemark\\tidemark.exe", link.read().replace(b"\0", b""))
        program = self.wine("reg", "query", RUN_KEY, "/v", "Tidemark")[1].split("REG_SZ")[1]
        program = program.strip().strip('"')
        self.assertEqual(self.wine("winepath", "-u", program)[1],
                         os.path.join(folder, "tidemark.exe"))

        # What Windows starts at log-on: the installed program, which receives a line.
        self.tidemark.exe = program
        process = self.tidemark.start()
        self.tidemark.wait_until_listening()
        self.assertEqual(self.tidemark.state()["text"][1015], b"Ver. " + version.encode())
        send_line(b"Gr&uuml;&szlig;e to the installed program\n")
        self.tidemark.wait_for_top_line(b"Gr\xfc\xdfe to the installed program <- 127.0.0.1")
        self.tidemark.probe("click", "1010")
        self.assertEqual(process.wait(timeout=30), 0)

        self.wine("msiexec", "/x", msi, "/qn")
        # Not even the Programs folder that the package made is left.
        self.assertFalse(os.path.exists(os.path.dirname(folder)))
        self.assertFalse(os.path.exists(shortcut))
        self.assertNotEqual(self.wine("reg", "query", RUN_KEY, "/v", "Tidemark", check=False)[0], 0)
        self.assertEqual(self.installed_versions(), [])


if __name__ == "__main__":
    main()
