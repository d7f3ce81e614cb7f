"""The Windows Installer package, installed silently over an older version and over a rebuild
of its own, each while Tidemark runs (which it ends and starts anew), puts the files, the
shortcut, the start at log-on and its folder at the end of the user's PATH in place; what it
starts receives lines; removing it while Tidemark runs leaves nothing behind."""

import filecmp
import os
import re
import shutil
import subprocess
import tempfile

from tidemark_e2e import HERE, TidemarkTestCase, main, send_line, wine_root

RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
INSTALLED = {"tidemark.exe", "tidemark-send.exe", "LICENSE.txt", "README.md", "using.md",
             "CHANGELOG.md"}
BUILD_MSI = os.path.join(HERE, "..", "..", "packaging", "build-msi")
BY_NAME = ("cmd", "/c", "tidemark-send.exe --version")  # in a new console


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

    def user_path(self):
        return self.wine("reg", "query", r"HKCU\Environment", "/v", "Path")[1].split()[-1]

    def tidemark_processes(self):
        return re.findall(r"^.(\w+) .*'tidemark\.exe'", self.wine("winedbg", "--command",
                                                                 "info proc")[1], re.M)

    def install_while_running(self, package):
        running = self.tidemark_processes()
        self.assertEqual(self.wine("msiexec", "/i", package, "/qn", check=False)[0], 0)
        self.tidemark.probe("find", "--timeout-ms", "60000")
        self.tidemark.wait_until_listening()
        started = self.tidemark_processes()  # one, and another than before
        self.assertEqual((len(running), len(started), len(set(running + started))), (1, 1, 2))

    def test_install_over_an_older_version_and_a_rebuild_while_running_and_remove(self):
        msi, release = os.environ["TIDEMARK_MSI"], os.environ["TIDEMARK_RELEASE_DIR"]
        version = re.search(r"^ProductVersion\t(.*)$", subprocess.run(
            ["msiinfo", "export", msi, "Property"], capture_output=True, text=True).stdout, re.M)[1]
        self.wine("reg", "add", r"HKCU\Environment", "/v", "Path", "/d", r"C:\Tools", "/f")
        home = self.wine("winepath", "-u", self.wine("cmd", "/c", "echo %USERPROFILE%")[1])[1]
        folder = os.path.join(home, "AppData/Local/Programs/Tidemark")
        with tempfile.TemporaryDirectory() as scratch:
            older = shutil.copytree(release, scratch + "/older")
            with open(older + "/tidemark.exe", "ab") as program:
                program.write(b"older")  # an older program differs from the new one
            subprocess.run([BUILD_MSI, "0.0.1", "older.msi"], cwd=older, check=True)
            subprocess.run([BUILD_MSI, version, scratch + "/rebuilt.msi"], cwd=release, check=True)
            self.wine("msiexec", "/i", older + "/older.msi", "/qn")
            self.assertEqual(self.installed_versions(), ["0.0.1"])
            self.tidemark.exe = os.path.join(folder, "tidemark.exe")
            old = self.tidemark.start()
            self.tidemark.wait_until_listening()
            self.install_while_running(msi)
            self.assertEqual(old.wait(timeout=30), 0)
            self.assertTrue(filecmp.cmp(self.tidemark.exe, release + "/tidemark.exe", False))
            self.install_while_running(scratch + "/rebuilt.msi")
        self.assertEqual(self.installed_versions(), [version])
        path = "C:\\Tools;%s\\" % self.wine("winepath", "-w", folder)[1]
        self.assertEqual(self.user_path(), path)
        self.assertIn("tidemark-send " + version, self.wine(*BY_NAME)[1])

        shortcut = os.path.join(home, "AppData/Roaming/Microsoft/Windows/Start Menu/Programs",
                                "Tidemark.lnk")
        self.assertEqual(set(os.listdir(folder)), INSTALLED)
        with open(shortcut, "rb") as link:
            self.assertIn(b"Tidemark\\tidemark.exe", link.read().replace(b"\0", b""))
        program = self.wine("reg", "query", RUN_KEY, "/v", "Tidemark")[1].split("REG_SZ")[1]
        program = program.strip().strip('"')
        self.assertEqual(self.wine("winepath", "-u", program)[1],
                         os.path.join(folder, "tidemark.exe"))

        # What the package started (and Windows starts at log-on) receives a line.
        send_line(b"Gr&uuml;&szlig;e to the installed program\n")
        self.tidemark.wait_for_top_line(b"Gr\xfc\xdfe to the installed program <- 127.0.0.1")

        self.wine("msiexec", "/x", msi, "/qn")
        # It ended, and not even the Programs folder that the package made is left.
        self.assertEqual(self.tidemark_processes(), [])
        self.assertFalse(os.path.exists(os.path.dirname(folder)))
        self.assertFalse(os.path.exists(shortcut))
        self.assertNotEqual(self.wine("reg", "query", RUN_KEY, "/v", "Tidemark", check=False)[0], 0)
        self.assertEqual(self.installed_versions(), [])
        self.assertEqual(self.user_path(), r"C:\Tools")
        self.assertNotEqual(self.wine(*BY_NAME, check=False)[0], 0)


if __name__ == "__main__":
    main()
