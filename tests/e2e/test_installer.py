"""The Windows Installer package, installed silently over an older version, puts the files,
the shortcut, the start at log-on and the programs' folder at the end of the user's PATH in
place; what the Run entry starts receives lines. An upgrade and a rebuild of the same
version, each while Tidemark runs, end the running program, replace its file and start the
new one, leaving one installed entry; removing the package while Tidemark runs ends it and
leaves nothing behind, the user's own PATH included."""

import os
import re
import shutil
import subprocess
import tempfile

from tidemark_e2e import HERE, TidemarkTestCase, main, port_accepts, send_line, wine_root

RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
INSTALLED = {"tidemark.exe", "tidemark-send.exe", "LICENSE.txt", "README.md", "using.md"}
BUILD_MSI = os.path.join(HERE, "..", "..", "packaging", "build-msi")
USER_PATH = r"C:\Tools"


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

    def sender_by_name(self):
        """What `tidemark-send.exe --version` gives in a new console, or None."""
        code, output = self.wine("cmd", "/c", "tidemark-send.exe --version", check=False)
        return output if code == 0 else None

    def install_while_running(self, package):
        """Installs `package` while Tidemark runs: it ends that one and starts the new one."""
        running = self.tidemark_processes()
        self.assertEqual(len(running), 1)
        self.assertEqual(self.wine("msiexec", "/i", package, "/qn", check=False)[0], 0)
        self.tidemark.probe("find", "--timeout-ms", "60000")
        self.tidemark.wait_until_listening()
        started = self.tidemark_processes()
        self.assertEqual(len(started), 1)
        self.assertNotEqual(started, running)

    def test_install_upgrade_and_remove_while_running(self):
        msi = os.environ["TIDEMARK_MSI"]
        version = re.search(r"^ProductVersion\t(.*)$", subprocess.run(
            ["msiinfo", "export", msi, "Property"], capture_output=True, text=True).stdout, re.M)[1]
        self.wine("reg", "add", r"HKCU\Environment", "/v", "Path", "/d", USER_PATH, "/f")
        with tempfile.TemporaryDirectory() as scratch:
            # The older package's tidemark.exe differs from the new one, as a real one would.
            older_files = shutil.copytree(os.environ["TIDEMARK_RELEASE_DIR"], scratch + "/older")
            with open(older_files + "/tidemark.exe", "ab") as program:
                program.write(b"older")
            for package_version, files, name in (("0.0.1", older_files, "older.msi"), (
                    version, os.environ["TIDEMARK_RELEASE_DIR"], "rebuilt.msi")):
                subprocess.run([BUILD_MSI, package_version, os.path.join(scratch, name)],
                               cwd=files, check=True)
            self.wine("msiexec", "/i", scratch + "/older.msi", "/qn")
            self.assertEqual(self.installed_versions(), ["0.0.1"])

            # What Windows starts at log-on: the installed program.
            home = self.wine("winepath", "-u", self.wine("cmd", "/c", "echo %USERPROFILE%")[1])[1]
            folder = os.path.join(home, "AppData/Local/Programs/Tidemark")
            program = self.wine("reg", "query", RUN_KEY, "/v", "Tidemark")[1].split("REG_SZ")[1]
            self.tidemark.exe = program.strip().strip('"')
            self.assertEqual(self.wine("winepath", "-u", self.tidemark.exe)[1],
                             os.path.join(folder, "tidemark.exe"))
            old = self.tidemark.start()
            self.tidemark.wait_until_listening()

            self.install_while_running(msi)
            self.assertEqual(old.wait(timeout=30), 0)
            self.assertEqual(self.installed_versions(), [version])
            with open(os.path.join(folder, "tidemark.exe"), "rb") as installed, \
                    open(os.environ["TIDEMARK_RELEASE_DIR"] + "/tidemark.exe", "rb") as new:
                self.assertEqual(installed.read(), new.read())
            label = self.tidemark.state()["text"][1015]
            self.assertTrue(label.startswith(b"Ver. " + version.encode()), label)
            self.install_while_running(scratch + "/rebuilt.msi")
        self.assertEqual(self.installed_versions(), [version])
        send_line(b"Gr&uuml;&szlig;e to the installed program\n")
        self.tidemark.wait_for_top_line(b"Gr\xfc\xdfe to the installed program <- 127.0.0.1")

        shortcut = os.path.join(home, "AppData/Roaming/Microsoft/Windows/Start Menu/Programs",
                                "Tidemark.lnk")
        self.assertEqual(set(os.listdir(folder)), INSTALLED)
        with open(shortcut, "rb") as link:
            self.assertIn(b"Tidemark\\tidemark.exe", link.read().replace(b"\0", b""))
        windows_folder = self.wine("winepath", "-w", folder)[1]
        self.assertEqual(self.user_path(), f"{USER_PATH};{windows_folder}\\")
        self.assertTrue(self.sender_by_name().startswith("tidemark-send " + version))

        # Removed while running: it ends, and not even the Programs folder is left.
        self.wine("msiexec", "/x", msi, "/qn")
        self.assertFalse(port_accepts())
        self.assertEqual(self.tidemark_processes(), [])
        self.assertFalse(os.path.exists(os.path.dirname(folder)))
        self.assertFalse(os.path.exists(shortcut))
        self.assertNotEqual(self.wine("reg", "query", RUN_KEY, "/v", "Tidemark", check=False)[0], 0)
        self.assertEqual(self.installed_versions(), [])
        self.assertEqual(self.user_path(), USER_PATH)
        self.assertIsNone(self.sender_by_name())


if __name__ == "__main__":
    main()
