"""Stand-in receivers for many desks in one process: a listener on each given loopback
address (all of 127.0.0.0/8 is loopback on Linux), each reading one line per connection and
closing in order, served by one selector thread. Addresses without a listener refuse."""
import resource, selectors, socket, threading
from collections import Counter


def desk_addresses(count, network):
    """`count` addresses 127.NETWORK.x.y."""
    return [f"127.{network}.{i // 250}.{i % 250 + 1}" for i in range(count)]


def allow_open_files(count):
    soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
    if soft < count:
        resource.setrlimit(resource.RLIMIT_NOFILE, (hard, hard))


class StandInDesks:
    def __init__(self, addresses, port):
        allow_open_files(len(addresses) + 1024)
        self.lines = Counter()  # (address, line) -> how often shown
        self.selector = selectors.DefaultSelector()
        for address in addresses:
            listener = socket.socket()
            listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
            listener.bind((address, port))
            listener.listen(64)
            listener.setblocking(False)
            self.selector.register(listener, selectors.EVENT_READ, None)
        self.running = True
        self.thread = threading.Thread(target=self._serve, daemon=True)
        self.thread.start()

    def _serve(self):
        while self.running:
            for key, _ in self.selector.select(0.1):
                if key.data is None:
                    try:
                        connection, _ = key.fileobj.accept()
                    except BlockingIOError:
                        continue
                    connection.setblocking(False)
                    self.selector.register(connection, selectors.EVENT_READ, bytearray())
                    continue
                try:
                    chunk = key.fileobj.recv(9000)
                except BlockingIOError:
                    continue
                except ConnectionResetError:
                    chunk = b""
                key.data.extend(chunk)
                if b"\n" in key.data or not chunk:
                    line = bytes(key.data).split(b"\n")[0].decode("cp1252")
                    self.lines[(key.fileobj.getsockname()[0], line)] += 1
                    self.selector.unregister(key.fileobj)
                    key.fileobj.close()

    def stop(self):
        self.running = False
        self.thread.join()
        for key in list(self.selector.get_map().values()):
            key.fileobj.close()
        self.selector.close()
