#!/usr/bin/env python3
"""Runs one Windows program under Wine in a prefix (and display) of its own.

    winrun.py --root BUILD/wine --prefix NAME [--display none|xvfb|user|auto] -- PROGRAM [ARGS]

Exits with the program's exit code. `auto` takes the user's display when DISPLAY is set
and starts Xvfb otherwise.
"""

import argparse
import os
import signal
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from wine_harness import WineSession  # noqa: E402


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--prefix", required=True)
    parser.add_argument("--display", default="none", choices=["none", "xvfb", "user", "auto"])
    parser.add_argument("command", nargs=argparse.REMAINDER)
    options = parser.parse_args()
    command = options.command[1:] if options.command[:1] == ["--"] else options.command
    if not command:
        parser.error("no program given")
    display = options.display
    if display == "auto":
        display = "user" if os.environ.get("DISPLAY") else "xvfb"

    # A terminated run still stops its Wine processes and its X server on the way out.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    with WineSession(options.root, options.prefix, display=display) as session:
        process = session.popen(command[0], *command[1:])
        try:
            return process.wait()
        except KeyboardInterrupt:
            process.terminate()
            return 130


if __name__ == "__main__":
    sys.exit(main())
