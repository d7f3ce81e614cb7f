"""Runs Windows programs under Wine for the tests and for the run command.

Every user of the harness gets a Wine prefix of its own under the build folder and, for
programs with windows, an X display of its own (Xvfb), so that runs never collide and
nothing outside the build folder is touched. A prefix is initialised once from a shared
template (one `wineboot` per build folder) and reused afterwards. `close()` stops exactly
what the harness started: the prefix's wineserver and the Xvfb process it spawned.
"""

import fcntl
import os
import shutil
import signal
import subprocess
import tempfile
import time

WINE = shutil.which("wine") or "/usr/bin/wine"
WINESERVER = shutil.which("wineserver") or "/usr/bin/wineserver"

# Marks a finished template and a finished prefix; a new name when what they hold
# changes, so that older ones are made anew.
TEMPLATE_READY = ".tidemark-ready-2"
PREFIX_READY = ".tidemark-prefix-ready-2"


def wine_base_env():
    env = dict(os.environ)
    env["WINEDEBUG"] = env.get("TIDEMARK_WINEDEBUG", "-all")
    # Never offer to install Mono or Gecko.
    env["WINEDLLOVERRIDES"] = "mscoree,mshtml="
    # An English locale gives the Windows-1252 ANSI code page inside Wine.
    env["LC_ALL"] = "C.UTF-8"
    env["LANG"] = "C.UTF-8"
    return env


def _link_or_copy(src, dst):
    # Registry files are rewritten by wineserver; everything else is only read.
    if src.endswith(".reg"):
        shutil.copy2(src, dst)
    else:
        os.link(src, dst)


class WineSession:
    """One Wine prefix, and optionally one X display, for one test or one run."""

    def __init__(self, root, name, display="none", dpi=None, server_log=None):
        self.root = os.path.abspath(root)
        self.server_log = server_log  # where the Wine server's own output goes
        self.prefix = os.path.join(self.root, "prefixes", name)
        self.display_mode = display  # "none", "xvfb" or "user"
        self.display = None
        self._xvfb = None
        self._ensure_prefix(unmanaged=(display == "xvfb"), dpi=dpi)
        self._start_server()
        if display == "xvfb":
            self._start_xvfb()
        elif display == "user":
            self.display = os.environ.get("DISPLAY")

    # -- prefix --------------------------------------------------------------

    def _ensure_template(self):
        template = os.path.join(self.root, "template")
        os.makedirs(self.root, exist_ok=True)
        with open(os.path.join(self.root, "template.lock"), "w") as lock:
            fcntl.flock(lock, fcntl.LOCK_EX)
            ready = os.path.join(template, TEMPLATE_READY)
            if not os.path.exists(ready):
                shutil.rmtree(template, ignore_errors=True)
                env = wine_base_env()
                env["WINEPREFIX"] = template
                env.pop("DISPLAY", None)
                subprocess.run([WINE, "wineboot", "-i"], env=env, check=True,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                # A program that crashes ends at once instead of waiting for someone to
                # close Wine's crash dialog: a test sees the crash, never a hang.
                subprocess.run([WINE, "reg", "add", r"HKCU\Software\Wine\WineDbg", "/v",
                                "ShowCrashDialog", "/t", "REG_DWORD", "/d", "0", "/f"],
                               env=env, check=True, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
                subprocess.run([WINESERVER, "-w"], env=env, check=True)
                open(ready, "w").close()
        return template

    def _ensure_prefix(self, unmanaged, dpi):
        ready = os.path.join(self.prefix, PREFIX_READY)
        if os.path.exists(ready):
            return
        template = self._ensure_template()
        shutil.rmtree(self.prefix, ignore_errors=True)
        os.makedirs(os.path.dirname(self.prefix), exist_ok=True)
        shutil.copytree(template, self.prefix, symlinks=True, copy_function=_link_or_copy,
                        ignore=shutil.ignore_patterns(TEMPLATE_READY))
        settings = []
        if unmanaged:
            # Xvfb runs no window manager, and Wine would wait two seconds for one at
            # every show and hide of a managed window.
            settings.append((r"HKCU\Software\Wine\X11 Driver", "Managed", "REG_SZ", "N"))
        if dpi:
            # The display's scale in dots per inch (96 when unset), as the user sets it.
            settings.append((r"HKCU\Control Panel\Desktop", "LogPixels", "REG_DWORD", str(dpi)))
        if settings:
            env = self.env()
            env.pop("DISPLAY", None)
            for key, value_name, kind, value in settings:
                subprocess.run([WINE, "reg", "add", key, "/v", value_name, "/t", kind, "/d",
                                value, "/f"], env=env, check=True,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            subprocess.run([WINESERVER, "-w"], env=env, check=True)
        open(ready, "w").close()

    def _start_server(self):
        # Started here, with its output going nowhere: a wineserver that a program's
        # `wine` spawned would inherit that program's output pipes and keep them open.
        if self.server_log is None:
            subprocess.run([WINESERVER, "-p"], env=self.env(), check=True,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            return
        with open(self.server_log, "wb") as log:
            subprocess.run([WINESERVER, "-p"], env=self.env(), check=True,
                           stdout=subprocess.DEVNULL, stderr=log)

    # -- display -------------------------------------------------------------

    def _start_xvfb(self):
        read_fd, write_fd = os.pipe()
        self._xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1024x768x24",
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        number = b""
        with os.fdopen(read_fd, "rb") as pipe:
            while not number.endswith(b"\n"):
                chunk = pipe.read(1)
                if not chunk:
                    raise RuntimeError("Xvfb did not report a display")
                number += chunk
        self.display = ":" + number.decode().strip()

    # -- programs ------------------------------------------------------------

    def env(self):
        env = wine_base_env()
        env["WINEPREFIX"] = self.prefix
        if self.display:
            env["DISPLAY"] = self.display
        else:
            env.pop("DISPLAY", None)
        return env

    def popen(self, program, *args, **kwargs):
        return subprocess.Popen([WINE, program, *args], env=self.env(), **kwargs)

    def run(self, program, *args, timeout=120, check=False):
        """Runs a program to its end; its output is collected through files, so that a
        helper process it leaves behind cannot hold the call open."""
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            result = subprocess.run([WINE, program, *args], env=self.env(), timeout=timeout,
                                    check=check, stdout=out, stderr=err)
            out.seek(0)
            err.seek(0)
            result.stdout = out.read()
            result.stderr = err.read()
            return result

    def screenshot(self, path):
        """Saves the whole X screen as an image; returns False where it cannot."""
        if not self.display or not shutil.which("import"):
            return False
        os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
        env = dict(os.environ, DISPLAY=self.display)
        result = subprocess.run(["import", "-window", "root", path], env=env,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return result.returncode == 0

    def close(self):
        subprocess.run([WINESERVER, "-k"], env=self.env(),
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline:
            # `wineserver -w` returns once the server of this prefix has gone.
            try:
                subprocess.run([WINESERVER, "-w"], env=self.env(), timeout=2)
                break
            except subprocess.TimeoutExpired:
                pass
        if self._xvfb is not None:
            self._xvfb.send_signal(signal.SIGTERM)
            try:
                self._xvfb.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self._xvfb.kill()
                self._xvfb.wait()
            self._xvfb = None

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
