"""A reset tells tidemark-send that the line was not shown: a line queued while the receiver
ends reaches the next receiver once; a reset every time is reported; the reset of a long
line cut by --truncate counts as delivered. Stand-in receivers on a loopback port of their
own. Takes SENDER."""
import socket, struct, subprocess, sys, time

SENDER = sys.argv[1]


def listener(port=0):
    server = socket.socket()
    server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    server.bind(("127.0.0.1", port))
    server.listen(4)
    return server


def reset(connection):
    connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
    connection.close()


def status(process):
    try:
        return process.wait(10)
    except subprocess.TimeoutExpired:
        process.kill()
        raise AssertionError("tidemark-send still runs") from None


def send(port, *arguments):
    return subprocess.Popen([SENDER, "-p", str(port), "-w", "3", *arguments],
                            stderr=subprocess.PIPE, text=True)


# Queued in the listen queue when the receiver ends, then shown by the next one, once.
first = listener()
port = first.getsockname()[1]
process = send(port, "127.0.0.1", "queued at the end")
time.sleep(0.5)
first.close()
time.sleep(0.3)
with listener(port) as second:
    second.settimeout(10)
    connection, _ = second.accept()
    assert connection.makefile("rb").readline() == b"queued at the end\n"
    connection.close()
    assert status(process) == 0, process.stderr.read()
    # Read but reset before it was shown, every time: reported once -w has passed.
    process = send(port, "127.0.0.1", "never shown")
    second.settimeout(0.5)
    tries = 0
    while process.poll() is None:
        try:
            connection, _ = second.accept()
        except socket.timeout:
            continue
        connection.makefile("rb").readline()
        reset(connection)
        tries += 1
    report = process.stderr.read()
    assert process.returncode == 1 and tries > 3 and "reset" in report, (tries, report)
    # A line longer than the receiver keeps: its unread rest resets the connection.
    process = send(port, "--truncate", "127.0.0.1", "x" * 9000)
    connection, _ = second.accept()
    assert len(connection.recv(8096, socket.MSG_WAITALL)) == 8096
    reset(connection)
    assert status(process) == 0, process.stderr.read()
    second.settimeout(1)
    try:
        second.accept()
        raise AssertionError("the long line was sent twice")
    except socket.timeout:
        pass
