#!/usr/bin/env python3
"""Measures the launcher against its baselines in one run and prints the table.

Started by bench/run.sh (which builds build-bench and provides an X server). Every figure
is the median over --runs runs, launcher and baseline runs alternating.
"""
import argparse
import datetime
import json
import os
import re
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
MAIN_TITLE = "^Tarvex Center$"
BASELINE_TITLE = "^tarvex-bench-baseline 1$"
CLICK_DELAY = 0.300  # the portal clicks 300 ms after the page's load event
GAME_TOKEN = "WEBGAME1"
# The Windows game's installer comes in this many pieces, this far apart: a download of 25 s.
WINE_CHUNKS = 26
WINE_CHUNK_MS = 1000
GAME_PATH = "/mini/play/web/1001/7/%E9%BE%99%E4%B9%8B%E6%80%92/dragonfans"
# The game window covers the work area of the 1920 × 1080 X server; its browser sits
# below the 30-pixel title strip.
GAME_WINDOW_BROWSER = "1920x1050"
TICKS = os.sysconf("SC_CLK_TCK")
FAILURES = os.path.join(ROOT, "build-bench", "failures")


def parse_args():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--runs", type=int, default=5, help="runs per figure (median)")
    parser.add_argument("--idle-seconds", type=float, default=60, help="idle CPU sampling period")
    parser.add_argument("--settle", type=float, default=3, help="seconds to wait before measuring memory")
    parser.add_argument("--requests", type=int, default=50, help="portal requests per side")
    parser.add_argument("--pad", type=int, default=256 * 1024 * 1024, help="installer padding in bytes")
    parser.add_argument("--client", default=os.path.join(ROOT, "build", "NimboClient"))
    parser.add_argument("--portal", default=os.path.join(ROOT, "build", "tarvex-portal"))
    parser.add_argument("--bench-build", default=os.path.join(ROOT, "build-bench"))
    parser.add_argument("--only", default="startup,memory,download,resume,portal,idle,wine",
                        help="phases to run: startup (start-up and idle PSS), memory (PSS with the game window), "
                             "portal, download, resume, idle, wine (a Windows client game's start under wine)")
    return parser.parse_args()


def split_size(path):
    """("WIDTHxHEIGHT@", PATH) of a sized path, ("", PATH) of a plain one."""
    size, at, rest = path.partition("@")
    return (size + at, rest) if at else ("", path)


def wait_for(condition, timeout, what):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(0.005)
    raise RuntimeError("timed out waiting for " + what)


class Portal:
    """A reference portal on a free loopback port with its own request log."""

    def __init__(self, executable, folder, name, extra):
        self.log = os.path.join(folder, name + ".log")
        self.process = subprocess.Popen([executable, "--port", "0", "--log", self.log] + extra,
                                        stdout=subprocess.PIPE, text=True)
        line = self.process.stdout.readline()
        match = re.match(r"listening on (127\.0\.0\.1:\d+)", line)
        if not match:
            raise RuntimeError("portal did not start: " + line)
        self.host = match.group(1)

    def url(self, path):
        return "http://" + self.host + path

    def entries(self):
        """Every request logged so far, as the log's JSON objects."""
        with open(self.log, encoding="utf-8") as log:
            return [json.loads(line) for line in log]

    def requests(self):
        """(wall time, path) of every request logged so far."""
        entries = []
        for entry in self.entries():
            if "path" in entry:
                moment = datetime.datetime.strptime(entry["time"], "%Y-%m-%dT%H:%M:%S.%fZ")
                moment = moment.replace(tzinfo=datetime.timezone.utc).timestamp()
                entries.append((moment, entry["path"]))
        return entries

    def first_request_after(self, since, prefix):
        for moment, path in self.requests():
            if moment >= since - 0.002 and path.startswith(prefix):
                return moment
        return None

    def stop(self):
        self.process.terminate()
        self.process.wait(10)


def process_tree(root):
    """The root's pid and those of all its descendants."""
    children = {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/stat" % entry) as stat:
                fields = stat.read().rsplit(")", 1)[1].split()
        except OSError:
            continue
        children.setdefault(int(fields[1]), []).append(int(entry))
    tree, pending = [], [root]
    while pending:
        pid = pending.pop()
        tree.append(pid)
        pending.extend(children.get(pid, []))
    return tree


def pss_kib(pid):
    """A process's proportional set size; 0 for one that has gone."""
    try:
        with open("/proc/%d/smaps_rollup" % pid) as rollup:
            for line in rollup:
                if line.startswith("Pss:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0


def total_pss_mib(root):
    return sum(pss_kib(pid) for pid in process_tree(root)) / 1024


def cpu_ticks(root):
    ticks = {}
    for pid in process_tree(root):
        try:
            with open("/proc/%d/stat" % pid) as stat:
                fields = stat.read().rsplit(")", 1)[1].split()
            ticks[pid] = int(fields[11]) + int(fields[12])  # utime, stime
        except OSError:
            pass
    return ticks


def warm_prefix_pss_mib(prefix):
    """What the processes of a wine prefix hold (its server, services and the launcher's
    keeper), found by the WINEPREFIX in their environment."""
    wanted = ("WINEPREFIX=" + os.path.normpath(prefix)).encode()
    total = 0
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/environ" % entry, "rb") as environ:
                if wanted in environ.read().split(b"\0"):
                    total += pss_kib(int(entry))
        except OSError:
            pass
    return total / 1024


def window_visible(title):
    result = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", title],
                            capture_output=True, text=True)
    return result.returncode == 0 and result.stdout.strip() != ""


class Program:
    """One start of the launcher or of the baseline, with a home folder of its side."""

    def __init__(self, command, home, portal, title):
        env = dict(os.environ)
        env.update({
            "HOME": home, "XDG_DATA_HOME": home + "/data", "XDG_CACHE_HOME": home + "/cache",
            "XDG_CONFIG_HOME": home + "/config", "XDG_RUNTIME_DIR": home + "/run",
            "TARVEX_PORTAL_HOST": portal.host, "TARVEX_DOWNLOAD_HOST": portal.host, "TARVEX_DOWNLOAD_SCHEME": "http",
            "QTWEBENGINE_DISABLE_SANDBOX": "1",
        })
        os.makedirs(home + "/run", mode=0o700, exist_ok=True)
        self.title = title
        self.wall_start = time.time()
        self.start = time.monotonic()
        self.output = open(home + "/output.log", "w")
        self.process = subprocess.Popen(command, env=env, start_new_session=True,
                                        stdout=self.output, stderr=subprocess.STDOUT)

    def running(self):
        if self.process.poll() is not None:
            kept = os.path.join(FAILURES, "%s-%d.log" % (os.path.basename(self.process.args[0]), self.process.pid))
            os.makedirs(FAILURES, exist_ok=True)
            shutil.copyfile(self.output.name, kept)
            raise RuntimeError("%s ended with %s; its output is in %s" % (self.process.args[0],
                                                                         self.process.returncode, kept))
        return False

    def seconds_to_window(self):
        wait_for(lambda: self.running() or window_visible(self.title), 60, "window " + self.title)
        return time.monotonic() - self.start

    def seconds_to_request(self, portal, prefix):
        moment = wait_for(lambda: self.running() or portal.first_request_after(self.wall_start, prefix), 60,
                          "request " + prefix)
        return moment - self.wall_start

    def stop(self):
        if self.process.poll() is None:
            os.killpg(self.process.pid, signal.SIGTERM)
            try:
                self.process.wait(5)
            except subprocess.TimeoutExpired:
                pass
        try:
            os.killpg(self.process.pid, signal.SIGKILL)  # sub-processes left behind
        except ProcessLookupError:
            pass
        self.process.wait()
        self.output.close()


def attempt(start, measure):
    """One measured start; a start that fails (the program ends early, or a signal never
    comes) is reported and tried once more, so one hiccup of a shared machine does not
    end the whole run."""
    for tries in (1, 2):
        program = start()
        try:
            return measure(program)
        except RuntimeError as error:
            if tries == 2:
                raise
            print("  retrying after: %s" % error, file=sys.stderr)
        finally:
            program.stop()


class Bench:
    def __init__(self, args, folder):
        self.args = args
        self.folder = folder
        self.baseline = os.path.join(args.bench_build, "bench_baseline")
        self.probe = os.path.join(args.bench_build, "bench_probe")
        self.rows = []

    def home(self, side):
        return os.path.join(self.folder, "home-" + side)

    def launcher(self, portal, token=None):
        home = self.home("launcher")
        if token:
            box = home + "/data/Tarvex/Box"
            os.makedirs(box, exist_ok=True)
            with open(box + "/ONEREAD.TXT", "w") as token_file:
                token_file.write(token)
        return Program([self.args.client], home, portal, MAIN_TITLE)

    def minimal(self, portal, *paths):
        """Views on the portal's pages; a path may lead with a size, "WIDTHxHEIGHT@PATH"."""
        arguments = [size + portal.url(path) for size, path in (split_size(path) for path in paths)]
        return Program([self.baseline] + arguments, self.home("baseline"), portal, BASELINE_TITLE)

    def row(self, figure, unit, ours, baseline, ratio, goal, met):
        self.rows.append((figure, unit, ours, baseline, "" if ratio is None else "%.2f" % ratio, goal,
                          "yes" if met else "NO"))

    def startup_and_memory(self, portal):
        """Process start → main window visible, → start page loaded, for a first start (no
        browser profile yet) and a later one (the profile as the run before left it); PSS
        idle afterwards, on later starts."""
        kinds = ("first start", "later start")
        figures = {(kind, side): ([], [], []) for kind in kinds for side in ("launcher", "baseline")}
        for run in range(self.args.runs):
            for kind in kinds:
                for side in ("launcher", "baseline"):
                    def measure(program):
                        shown = program.seconds_to_window()
                        loaded = program.seconds_to_request(portal, "/mini/servers/") - CLICK_DELAY
                        time.sleep(self.args.settle)
                        return shown, loaded, total_pss_mib(program.process.pid)

                    if kind == "first start":
                        # The launcher's profile only: the user's font cache and the
                        # like are as warm as on any desktop. The baseline's profile is
                        # in memory, new at every start.
                        shutil.rmtree(os.path.join(self.home(side), "cache", "Wexlod"), ignore_errors=True)
                    start = (lambda: self.launcher(portal)) if side == "launcher" else (
                        lambda: self.minimal(portal, "/mini/index/"))
                    for figure, value in zip(figures[(kind, side)], attempt(start, measure)):
                        figure.append(value)
            print("  start-up run %d of %d done" % (run + 1, self.args.runs), file=sys.stderr)
        for kind in kinds:
            for index, figure, goal in ((0, "main window shown", 0.70), (1, "start page loaded", 1.05)):
                ours = statistics.median(figures[(kind, "launcher")][index])
                floor = statistics.median(figures[(kind, "baseline")][index])
                self.row("start-up (%s): %s" % (kind, figure), "s", "%.3f" % ours, "%.3f" % floor, ours / floor,
                         "<= %.2f" % goal, ours <= floor * goal)
        ours = statistics.median(figures[("later start", "launcher")][2])
        floor = statistics.median(figures[("later start", "baseline")][2])
        self.row("memory: PSS, main window idle", "MiB", "%.1f" % ours, "%.1f" % floor, ours / floor, "<= 1.10",
                 ours <= floor * 1.10)

    def game_memory(self, portal):
        """PSS with the game window open: the launcher opens it for the token; the
        baseline shows what the launcher shows then, the portal index in the main
        window's browser area and the game in a view of the game window's browser size."""
        figures = {"launcher": [], "baseline": []}
        for run in range(self.args.runs):
            for side in ("launcher", "baseline"):
                def measure(program):
                    program.seconds_to_request(portal, "/mini/play/")
                    time.sleep(self.args.settle + 2)
                    return total_pss_mib(program.process.pid)

                start = (lambda: self.launcher(portal, GAME_TOKEN)) if side == "launcher" else (
                    lambda: self.minimal(portal, "/mini/index/", GAME_WINDOW_BROWSER + "@" + GAME_PATH + "?v=2"))
                figures[side].append(attempt(start, measure))
            print("  game-window run %d of %d done" % (run + 1, self.args.runs), file=sys.stderr)
        ours, floor = statistics.median(figures["launcher"]), statistics.median(figures["baseline"])
        self.row("memory: PSS, game window open", "MiB", "%.1f" % ours, "%.1f" % floor, ours / floor, "<= 1.10",
                 ours <= floor * 1.10)

    def idle(self, portal):
        """CPU of every process of each side over the idle period, one side after the other."""
        share = {}
        for side in ("launcher", "baseline"):
            def measure(program):
                program.seconds_to_window()
                time.sleep(self.args.settle + 2)
                before = cpu_ticks(program.process.pid)
                time.sleep(self.args.idle_seconds)
                program.running()
                after = cpu_ticks(program.process.pid)
                used = sum(ticks - before.get(pid, 0) for pid, ticks in after.items())
                return 100.0 * used / TICKS / self.args.idle_seconds

            start = (lambda: self.launcher(portal)) if side == "launcher" else (
                lambda: self.minimal(portal, "/mini/index/"))
            share[side] = attempt(start, measure)
        ratio = share["launcher"] / share["baseline"] if share["baseline"] else float("nan")
        self.row("idle CPU over %g s" % self.args.idle_seconds, "% core", "%.2f" % share["launcher"],
                 "%.2f" % share["baseline"], ratio, "< 1 %", share["launcher"] < 1.0)

    def download(self, portal):
        """The installer through InstallerFetch (bench_probe), hashed against its checksum
        file, against curl -o."""
        url = portal.url("/games/hero/download-hero.exe")
        ours, curls, size, reports = [], [], 0, 0
        target = os.path.join(self.folder, "installer.exe")
        # The portal hashes a padded installer once, on the first request for its sum.
        subprocess.run(["curl", "-s", "-f", "-o", "/dev/null", url + ".sha256"], check=True)
        for _ in range(self.args.runs):
            seconds, count = subprocess.run([self.probe, "download", url, target], check=True, capture_output=True,
                                            text=True).stdout.split()
            size = os.path.getsize(target)
            ours.append(float(seconds))
            reports = max(reports, int(count) / float(seconds))
            os.remove(target)
            curls.append(float(subprocess.run(["curl", "-s", "-f", "-o", target, "-w", "%{time_total}", url],
                                              check=True, capture_output=True, text=True).stdout))
            os.remove(target)
        mib = size / 1024 / 1024
        ours_rate, curl_rate = mib / statistics.median(ours), mib / statistics.median(curls)
        self.row("download %.0f MiB, hashed (InstallerFetch)" % mib, "MiB/s", "%.0f" % ours_rate, "%.0f" % curl_rate,
                 ours_rate / curl_rate, ">= 0.95", ours_rate >= 0.95 * curl_rate)
        print("  transfer callbacks: up to %.0f a second (the window throttles them to 30)" % reports,
              file=sys.stderr)

    def resume(self, portal):
        """A download cut at 90 %, resumed by the next attempt: the bytes sent again."""
        url = portal.url("/games/hero/download-hero.exe")
        size = int(subprocess.run(["curl", "-s", "-f", "-o", "/dev/null", "-w", "%{size_download}", url],
                                  check=True, capture_output=True, text=True).stdout)
        cut = size * 9 // 10
        cutting = Portal(self.args.portal, self.folder, "cutting",
                         ["--installer-pad", str(self.args.pad), "--sha256", "hero=right",
                          "--fault", "/games/hero/download-hero.exe=cut:%d" % cut])
        try:
            target = os.path.join(self.folder, "resumed.exe")
            subprocess.run([self.probe, "download", url.replace(portal.host, cutting.host), target], check=True,
                           capture_output=True)
            os.remove(target)
            ranges = [entry.get("headers", {}).get("Range", "") for entry in cutting.entries()
                      if entry.get("path") == "/games/hero/download-hero.exe"]
        finally:
            cutting.stop()
        if len(ranges) != 2:
            raise RuntimeError("expected two installer requests, saw %d" % len(ranges))
        kept = int(ranges[1][len("bytes="):-1]) if ranges[1].startswith("bytes=") else 0
        again = 100.0 * (cut - kept) / size
        self.row("resume after a cut at 90 %% of %.0f MiB" % (size / 1024 / 1024), "% sent again", "%.2f" % again,
                 "", None, "<= 2 %", again <= 2.0)

    def windows_game(self, portal):
        """A Windows client game (a real NSIS installer of the test build's Korean game) under wine, its
        installer served in WINE_CHUNKS pieces a second apart (a download of about 25 s), for a
        fresh user: from the end of the download to the game's start, the first time (no
        prefix before the launcher started) and later (the game removed, the prefix kept);
        and, later, from the portal's answer that starts the game to its start, the game
        installed. Also how long the prefix's preparation took and the memory a warm prefix
        holds."""
        if portal is None:
            raise RuntimeError("needs wine and the PE programs the test build makes (build/windows)")
        home = self.home("launcher")
        prefix = home + "/data/Tarvex/wine"
        game = home + "/data/Tarvex/Box/games/hero"
        figures = {"first time": [], "later": [], "installed": [], "prepare": [], "warm": []}
        download_seconds = (WINE_CHUNKS - 1) * WINE_CHUNK_MS / 1000.0

        def downloads(program):
            return [moment for moment, path in portal.requests()
                    if moment >= program.wall_start and path == "/games/hero/download-hero.exe"]

        for run in range(self.args.runs):
            for kind in ("first time", "later", "installed"):
                def measure(program):
                    wait_for(lambda: program.running() or os.path.exists(game + "/start.log"), 300, "the game's start")
                    started = os.path.getmtime(game + "/start.log")
                    if kind == "installed":
                        if downloads(program):
                            raise RuntimeError("the installed game was downloaded again")
                        answers = [moment for moment, path in portal.requests()
                                   if moment >= program.wall_start and path.startswith("/outapi/game_get_box_url")]
                        return started - answers[-1]
                    seen = downloads(program)
                    if len(seen) != 1:
                        raise RuntimeError("expected one installer download, saw %d" % len(seen))
                    if kind == "first time":
                        figures["prepare"].append(os.path.getmtime(prefix + "/.tarvex-prepared") - program.wall_start)
                        wait_for(lambda: warm_prefix_pss_mib(prefix) > 0, 30, "the warm prefix")
                        figures["warm"].append(warm_prefix_pss_mib(prefix))
                    return started - (seen[0] + download_seconds)

                gone = [home + "/cache/Tarvex", home + "/Desktop"]
                if kind != "installed":
                    gone.append(game)
                else:
                    os.remove(game + "/start.log")
                for folder in gone:
                    shutil.rmtree(folder, ignore_errors=True)
                if kind == "first time":
                    shutil.rmtree(prefix, ignore_errors=True)
                figures[kind].append(attempt(lambda: self.launcher(portal, "CLIENTG1"), measure))
            print("  wine run %d of %d done" % (run + 1, self.args.runs), file=sys.stderr)
        for kind, label, goal in (("first time", "download end to start (first time)", 1.0),
                                  ("later", "download end to start (later)", 1.0),
                                  ("installed", "portal answer to start (installed)", 0.5)):
            seconds = statistics.median(figures[kind])
            self.row("Windows game: " + label, "s", "%.2f" % seconds, "", None, "<= %g s" % goal, seconds <= goal)
        self.row("Windows game: prefix prepared after launcher start", "s",
                 "%.1f" % statistics.median(figures["prepare"]), "", None, "< download (%.0f s)" % download_seconds,
                 statistics.median(figures["prepare"]) < download_seconds)
        self.row("Windows game: warm prefix (wine's server and services)", "MiB PSS",
                 "%.0f" % statistics.median(figures["warm"]), "", None, "recorded", True)

    def portal_request(self, portal):
        """The game-address request (PortalGet) against curl's time for the same target."""
        target = "/outapi/game_get_box_url/?key=" + GAME_TOKEN
        ours = [float(line) for line in subprocess.run(
            [self.probe, "portal", portal.host, target, str(self.args.requests)], check=True, capture_output=True,
            text=True).stdout.split()]
        curls = [float(subprocess.run(["curl", "-s", "-f", "-o", "/dev/null", "-w", "%{time_total}",
                                       portal.url(target)], check=True, capture_output=True, text=True).stdout)
                 for _ in range(self.args.requests)]
        ours_ms, curl_ms = 1000 * statistics.median(ours), 1000 * statistics.median(curls)
        self.row("portal request (PortalGet)", "ms", "%.2f" % ours_ms, "%.2f" % curl_ms, ours_ms / curl_ms,
                 "<= 1.20", ours_ms <= 1.2 * curl_ms)

    def print_table(self):
        header = ("figure", "unit", "launcher", "baseline", "ratio", "goal", "met")
        widths = [max(len(row[i]) for row in self.rows + [header]) for i in range(len(header))]

        def line(cells):
            return " | ".join(cell.ljust(width) for cell, width in zip(cells, widths))

        print(line(header))
        print("-+-".join("-" * width for width in widths))
        for row in self.rows:
            print(line(row))


def main():
    args = parse_args()
    for path in (args.client, args.portal):
        if not os.access(path, os.X_OK):
            sys.exit("missing %s: build the launcher first (scripts/build.sh)" % path)
    wanted = set(args.only.split(","))
    folder = tempfile.mkdtemp(prefix="tarvex-bench-")
    bench = Bench(args, folder)
    portals = []
    try:
        clicking = Portal(args.portal, folder, "clicking", ["--click", "/mini/index=nav-servers"])
        plain = Portal(args.portal, folder, "plain", [])
        padded = Portal(args.portal, folder, "padded", ["--installer-pad", str(args.pad), "--sha256", "hero=right"])
        portals.extend([clicking, plain, padded])
        programs = os.path.join(os.path.dirname(args.client), "windows")
        windows = None
        if "wine" in wanted and shutil.which("wine") and shutil.which("makensis") and os.path.exists(programs + "/game-ko.exe"):
            windows = Portal(args.portal, folder, "windows",
                             ["--windows-programs", programs, "--windows", "hero", "--fault",
                              "/games/hero/download-hero.exe=chunks:%d:%d" % (WINE_CHUNKS, WINE_CHUNK_MS)])
            portals.append(windows)
        phases = [("startup", bench.startup_and_memory, clicking), ("memory", bench.game_memory, plain),
                  ("portal", bench.portal_request, plain), ("download", bench.download, padded),
                  ("resume", bench.resume, padded),
                  ("idle", bench.idle, plain), ("wine", bench.windows_game, windows)]
        for name, phase, portal in phases:
            if name not in wanted:
                continue
            try:
                phase(portal)
            except RuntimeError as error:
                print("  %s failed: %s" % (name, error), file=sys.stderr)
                bench.rows.append((name, "", "failed", "", "", "", "NO"))
    finally:
        for portal in portals:
            portal.stop()
        shutil.rmtree(folder, ignore_errors=True)
    bench.print_table()
    return 0 if all(row[6] == "yes" for row in bench.rows) else 1


if __name__ == "__main__":
    sys.exit(main())
