"""The guide's cron line, systemd units and monitoring command deliver as written to a stand-in
receiver on port 26112, also text that begins with "-"; its PowerShell parses (no PowerShell
here), or, without the grammar that scripts/bootstrap fetches, the test says it is skipped
(exit status 77). Takes SENDER NODE_MODULES."""
import os, re, shlex, socket, subprocess, sys, tempfile

SENDER, NODE_MODULES = sys.argv[1:3]
GUIDE = open(os.path.join(os.path.dirname(__file__), "../../docs/using.md")).read().replace(
    "/usr/bin/tidemark-send", SENDER).replace("192.168.1.20", "127.0.0.1")
HOST = socket.gethostname()


def blocks(kind):
    return re.findall(rf"```{kind}\n(.*?)```", GUIDE, re.S)


def received(*command):
    lines, env = [], dict(os.environ, PATH=os.path.dirname(SENDER) + ":" + os.environ["PATH"])
    with socket.create_server(("127.0.0.1", 26112)) as server:
        server.settimeout(0.2)
        process = subprocess.Popen(command, env=env)
        while process.poll() is None:
            try:
                with server.accept()[0].makefile("rb") as connection:
                    lines.append(connection.readline().decode("cp1252").rstrip("\n"))
            except socket.timeout:
                pass
    assert process.returncode == 0, command
    return lines


disks = received("sh", "-c", blocks("crontab")[0].split(None, 5)[5])
assert disks and all(re.fullmatch(r"/\S* +\d+%", line) for line in disks), disks

template, watched = blocks("ini")
instance = re.search(r"^OnFailure=(.*)$", watched, re.M)[1].replace("%n", "backup-etc.service")
with tempfile.TemporaryDirectory() as units:
    for name, text in (("notify-desk@.service", template), ("backup-etc.service", watched)):
        open(f"{units}/{name}", "w").write(text)
    verify = subprocess.run(["systemd-analyze", "verify", f"{units}/backup-etc.service",
                             f"{units}/{instance}"], capture_output=True, text=True)
assert verify.returncode == 0 and not verify.stderr, verify.stderr
notice = re.search(r"^ExecStart=(.*)$", template, re.M)[1].replace("%H", HOST)
assert received(*shlex.split(notice.replace("%i", "-.mount"))) == [f"-.mount failed on {HOST}"]

macros = dict(NOTIFICATIONTYPE="PROBLEM", SERVICEDESC="Disk /", HOSTALIAS="web1",
              SERVICESTATE="CRITICAL", SERVICEOUTPUT="free: 4%")
command = re.search(r"command_line\s+(.*)", blocks("nagios")[0])[1]
assert received("sh", "-c", re.sub(r"\$(\w+)\$", lambda m: macros[m[1]], command)) == [
    "PROBLEM: Disk / on web1 is CRITICAL (free: 4%)"]

if not os.path.exists(f"{NODE_MODULES}/tree-sitter-powershell/tree-sitter-powershell.wasm"):
    print(f"SKIPPED: the guide's PowerShell examples are not parsed: no grammar in "
          f"{NODE_MODULES} (scripts/bootstrap fetches it from npm)")
    sys.exit(77)
# Liftoff alone: the optimising compiler takes many seconds over the grammar.
subprocess.run(["node", "--liftoff-only", "-e", """const ts = require('web-tree-sitter');
ts.Parser.init().then(async () => { const parser = new ts.Parser(); parser.setLanguage(await
  ts.Language.load(require.resolve('tree-sitter-powershell/tree-sitter-powershell.wasm')));
  for (const s of require('fs').readFileSync(0, 'utf8').split('\\0'))
    if (parser.parse(s).rootNode.hasError) { console.log(s); process.exitCode = 1; } });"""],
               input="\0".join(blocks("powershell")), text=True,
               env=dict(os.environ, NODE_PATH=NODE_MODULES), check=True)
