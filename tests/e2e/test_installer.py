"""The Windows Installer packages, each installed silently over an older version while
Tidemark runs (which it ends and starts anew), put the files, the shortcut, the start at
log-on and their folder at the end of the PATH in place; what they start receives lines;
removing them while Tidemark runs leaves nothing behind. The per-user package also
installs over a rebuild of its own; the per-machine one takes its senders on the command
line, and a run of it with senders that are no address list fails, says why in its log,
and starts the Tidemark it ended again."""

import filecmp
import os
import re
import shutil
import subprocess
import tempfile

from tidemark_e2e import HERE, TidemarkTestCase, main, send_line, wine_root

RUN_KEY = r"Software\Microsoft\Windows\CurrentVersion\Run"
SYSTEM_ENVIRONMENT = r"HKLM\System\CurrentControlSet\Control\Session Manager\Environment"
INSTALLED = {"tidemark.exe", "tidemark-send.exe", "LICENSE.txt", "README.md", "using.md",
             "CHANGELOG.md"}
START_MENU = "AppData/Roaming/Microsoft/Windows/Start Menu/Programs"
BUILD_MSI = os.path.join(HERE, "..", "..", "packaging", "build-msi")
BY_NAME = ("cmd", "/c", "tidemark-send.exe --version")  # in a new console


def version_of(package):
    return re.search(r"^ProductVersion\t(.*)$", subprocess.run(
        ["msiinfo", "export", package, "Property"], capture_output=True, text=True).stdout, re.M)[1]


class InstallerTestCase(TidemarkTestCase):
    start_program = False

    @classmethod
    def setUpClass(cls):
        # A fresh prefix: an earlier run may have left its installs behind.
        shutil.rmtree(os.path.join(wine_root(), "prefixes", "e2e-" + cls.run_name),
                      ignore_errors=True)
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

    def path(self, key=r"HKCU\Environment"):
        return self.wine("reg", "query", key, "/v", "Path")[1].split("REG_")[1].split(None, 1)[1]

    def run_value(self, root):
        code, output = self.wine("reg", "query", root + "\\" + RUN_KEY, "/v", "Tidemark",
                                 check=False)
        return output.split("REG_SZ")[1].strip().strip('"') if code == 0 else None

    def tidemark_processes(self):
        return re.findall(r"^.(\w+) .*'tidemark\.exe'", self.wine("winedbg", "--command",
                                                                 "info proc")[1], re.M)

    def install_while_running(self, package, *properties, exit_code=0):
        running = self.tidemark_processes()
        self.assertEqual(self.wine("msiexec", "/i", package, "/qn", *properties,
                                   check=False)[0], exit_code)
        self.tidemark.probe("find", "--timeout-ms", "60000")
        self.tidemark.wait_until_listening()
        started = self.tidemark_processes()  # one, and another than before
        self.assertEqual((len(running), len(started), len(set(running + started))), (1, 1, 2))

    def older_package(self, scratch, scope):
        older = shutil.copytree(os.environ["TIDEMARK_RELEASE_DIR"], scratch + "/older")
        with open(older + "/tidemark.exe", "ab") as program:
            program.write(b"older")  # an older program differs from the new one
        subprocess.run([BUILD_MSI, "0.0.1", "older.msi", scope], cwd=older, check=True)
        return older


class PerUserInstallerTest(InstallerTestCase):
    run_name = "installer"

    def test_install_over_an_older_version_and_a_rebuild_while_running_and_remove(self):
        msi, release = os.environ["TIDEMARK_MSI"], os.environ["TIDEMARK_RELEASE_DIR"]
        version = version_of(msi)
        self.wine("reg", "add", r"HKCU\Environment", "/v", "Path", "/d", r"C:\Tools", "/f")
        home = self.wine("winepath", "-u", self.wine("cmd", "/c", "echo %USERPROFILE%")[1])[1]
        folder = os.path.join(home, "AppData/Local/Programs/Tidemark")
        with tempfile.TemporaryDirectory() as scratch:
            older = self.older_package(scratch, "user")
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
        self.assertEqual(self.path(), path)
        self.assertIn("tidemark-send " + version, self.wine(*BY_NAME)[1])

        shortcut = os.path.join(home, START_MENU, "Tidemark.lnk")
        self.assertEqual(set(os.listdir(folder)), INSTALLED)
        with open(shortcut, "rb") as link:
            self.assertIn(b"Tidemark\\tidemark.exe", link.read().replace(b"\0", b""))
        self.assertEqual(self.wine("winepath", "-u", self.run_value("HKCU"))[1],
                         os.path.join(folder, "tidemark.exe"))

        # What the package started (and Windows starts at log-on) receives a line.
        send_line(b"Gr&uuml;&szlig;e to the installed program\n")
        self.tidemark.wait_for_top_line(b"Gr\xfc\xdfe to the installed program <- 127.0.0.1")

        self.wine("msiexec", "/x", msi, "/qn")
        # It ended, and not even the Programs folder that the package made is left.
        self.assertEqual(self.tidemark_processes(), [])
        self.assertFalse(os.path.exists(os.path.dirname(folder)))
        self.assertFalse(os.path.exists(shortcut))
        self.assertIsNone(self.run_value("HKCU"))
        self.assertEqual(self.installed_versions(), [])
        self.assertEqual(self.path(), r"C:\Tools")
        self.assertNotEqual(self.wine(*BY_NAME, check=False)[0], 0)


class PerMachineInstallerTest(InstallerTestCase):
    run_name = "installer-machine"

    def test_deploy_with_senders_upgrade_and_change_them_while_running_and_remove(self):
        msi = os.environ["TIDEMARK_MSI"].replace("-win64.msi", "-win64-machine.msi")
        system_path = self.path(SYSTEM_ENVIRONMENT)
        folder = os.path.join(self.tidemark.wine.prefix, "drive_c/Program Files/Tidemark")
        with tempfile.TemporaryDirectory() as scratch:
            older = self.older_package(scratch, "machine")
            self.wine("msiexec", "/i", older + "/older.msi", "/qn", "SENDERS=10.1.2.0/24")
            self.tidemark.exe = os.path.join(folder, "tidemark.exe")
            self.tidemark.start()
            self.tidemark.wait_until_listening()
        self.install_while_running(msi, "SENDERS=10.1.2.0/24,192.168.1.20")
        # Run again with senders that are no address list: Tidemark is ended, the rule fails
        # the installation (1603, of which a Unix exit status keeps the low byte), and the
        # rollback starts Tidemark again.
        self.install_while_running(msi, "SENDERS=10.1.2.0/24;all", "/l*v", r"C:\change.log",
                                   exit_code=1603 & 0xFF)
        with open(os.path.join(self.tidemark.wine.prefix, "drive_c/change.log"),
                  encoding="latin-1") as log:
            self.assertIn('SENDERS is not a list of addresses, networks or ranges: '
                          '"10.1.2.0/24;all"', log.read())
        # Wine's rollback also takes the product's registration, which Windows' keeps: a run
        # with good senders gives it back.
        self.install_while_running(msi, "SENDERS=10.1.2.0/24,192.168.1.20")
        self.assertEqual(self.installed_versions(), [version_of(msi)])
        self.assertEqual(set(os.listdir(folder)), INSTALLED)
        self.assertEqual(self.run_value("HKLM"), r"C:\Program Files\Tidemark\tidemark.exe")
        self.assertIsNone(self.run_value("HKCU"))
        self.assertEqual(self.path(SYSTEM_ENVIRONMENT), system_path + ";C:\\Program Files\\Tidemark\\")
        # Wine's ProgramMenuFolder is the user's Start menu, also for all users; Windows'
        # is the all-users one.
        home = self.wine("winepath", "-u", self.wine("cmd", "/c", "echo %USERPROFILE%")[1])[1]
        shortcut = os.path.join(home, START_MENU, "Tidemark.lnk")
        self.assertTrue(os.path.exists(shortcut))
        send_line(b"From the machine's program\n")
        self.tidemark.wait_for_top_line(b"From the machine's program <- 127.0.0.1")

        self.wine("msiexec", "/x", msi, "/qn")
        self.assertEqual(self.tidemark_processes(), [])
        self.assertFalse(os.path.exists(folder) or os.path.exists(shortcut))
        self.assertEqual((self.run_value("HKLM"), self.installed_versions()), (None, []))
        self.assertEqual(self.path(SYSTEM_ENVIRONMENT), system_path)


if __name__ == "__main__":
    main()
