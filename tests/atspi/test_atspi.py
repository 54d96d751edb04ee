#!/usr/bin/env python3
"""The window as a screen reader meets it: the program runs under Xvfb on a D-Bus session bus
of its own with the AT-SPI registry, and an AT-SPI client walks the channel table and a settings
page by keyboard, checking what is announced for the focused object (role, name, value).

Usage: test_atspi.py PATH/TO/Tessel
Exits 77 (skipped) when Xvfb, dbus-daemon, the AT-SPI bus launcher, pyatspi or xdotool is
missing, naming what is missing."""

import os
import shutil
import subprocess
import sys
import tempfile
import time

SKIP = 77
LAUNCHER_PATHS = ["/usr/libexec/at-spi-bus-launcher", "/usr/lib/at-spi2-core/at-spi-bus-launcher"]


def client_python():
    """An interpreter that has Debian's pyatspi: this one, or the system's (a python3 of its own,
    such as pyenv's, does not see the Debian packages)."""
    for python in [sys.executable, "/usr/bin/python3"]:
        if os.access(python, os.X_OK) and subprocess.run(
                [python, "-c", "import gi, pyatspi"], stdout=subprocess.DEVNULL,
                stderr=subprocess.DEVNULL).returncode == 0:
            return python
    return None


def missing_packages():
    missing = []
    for tool, package in [("Xvfb", "xvfb"), ("dbus-daemon", "dbus-daemon"), ("xdotool", "xdotool")]:
        if not shutil.which(tool):
            missing.append(package)
    if not any(os.access(p, os.X_OK) for p in LAUNCHER_PATHS):
        missing.append("at-spi2-core")
    if client_python() is None:
        missing.append("python3-pyatspi")
    return missing


def start_session(scratch):
    """Xvfb and a session bus with the AT-SPI bus on it; returns (env, processes)."""
    processes = []
    read_fd, write_fd = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1280x1024x24",
                             "-nolisten", "tcp"], pass_fds=[write_fd], stderr=subprocess.DEVNULL)
    processes.append(xvfb)
    os.close(write_fd)
    with os.fdopen(read_fd) as displays:
        display = ":" + displays.readline().strip()
    env = dict(os.environ)
    for name in ["WAYLAND_DISPLAY", "SESSION_MANAGER", "AT_SPI_BUS_ADDRESS", "NO_AT_BRIDGE"]:
        env.pop(name, None)
    runtime = os.path.join(scratch, "runtime")
    os.makedirs(runtime, mode=0o700)
    env.update({"DISPLAY": display, "HOME": scratch, "XDG_RUNTIME_DIR": runtime,
                "XDG_CONFIG_HOME": os.path.join(scratch, "config"),
                "XDG_DATA_HOME": os.path.join(scratch, "data"),
                "QT_QPA_PLATFORM": "xcb", "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
                "QT_ACCESSIBILITY": "1", "GTK_MODULES": "", "LANG": "C.UTF-8"})
    bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                           stdout=subprocess.PIPE, env=env, text=True)
    processes.append(bus)
    env["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().strip()
    launcher = next(p for p in LAUNCHER_PATHS if os.access(p, os.X_OK))
    processes.append(subprocess.Popen([launcher, "--launch-immediately"], env=env,
                                      stderr=subprocess.DEVNULL))
    return env, processes


def client(pid):
    """The AT-SPI side: runs with the session's environment already in place."""
    import pyatspi
    from gi.repository import GLib

    announced = []

    def on_focus(event):
        if event.detail1:
            announced.append(event.source)

    pyatspi.Registry.registerEventListener(on_focus, "object:state-changed:focused")

    def pump(seconds):
        end = time.monotonic() + seconds
        context = GLib.MainContext.default()
        while time.monotonic() < end:
            while context.iteration(False):
                pass
            time.sleep(0.02)

    def find(root, predicate, depth=0):
        if root is None or depth > 40:
            return None
        try:
            if predicate(root):
                return root
            # A table's cells are many; nothing else is looked for inside it.
            if root.getRole() == pyatspi.ROLE_TABLE:
                return None
            for child in root:
                found = find(child, predicate, depth + 1)
                if found is not None:
                    return found
        except Exception:
            return None
        return None

    def wait_for(predicate, what, seconds=20):
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            desktop = pyatspi.Registry.getDesktop(0)
            for app in desktop:
                if app is not None:  # the bus is ours: the program is its only application
                    found = find(app, predicate)
                    if found is not None:
                        return found
            pump(0.2)
        desktop = pyatspi.Registry.getDesktop(0)
        raise AssertionError("not found: %s; applications: %s" % (
            what, [(a.name, a.childCount) for a in desktop if a is not None]))

    def value_of(obj):
        try:
            text = obj.queryText()
            return text.getText(0, -1)
        except NotImplementedError:
            return ""

    def await_announcement(before, seconds):
        # A slower build (sanitizers) announces later: wait for it, bounded, then let it settle.
        end = time.monotonic() + seconds
        while len(announced) <= before and time.monotonic() < end:
            pump(0.05)
        pump(0.2)

    def key(name, moves_focus=True):
        before = len(announced)
        subprocess.run(["xdotool", "key", "--clearmodifiers", name], check=True)
        await_announcement(before, 5 if moves_focus else 0.2)

    def grab_focus(obj):
        before = len(announced)
        obj.queryComponent().grabFocus()
        await_announcement(before, 10)

    def focused():
        await_announcement(0, 10)
        assert announced, "no focus was announced"
        return announced[-1]

    failures = []

    def expect(obj, role, name, value=None, description=None):
        got = (obj.getRoleName(), obj.name, value_of(obj), obj.description)
        want_ok = got[0] == role and got[1] == name and (value is None or got[2] == value) and \
            (description is None or got[3] == description)
        print(("ok   " if want_ok else "FAIL ") + repr(got))
        if not want_ok:
            failures.append("want %r got %r" % ((role, name, value, description), got))

    table = wait_for(lambda o: o.getRole() == pyatspi.ROLE_TABLE and o.name == "Параметры каналов",
                     "the channel table")
    print("found the channel table", flush=True)
    window_id = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", pid],
                               capture_output=True, text=True, check=True).stdout.split()[0]
    subprocess.run(["xdotool", "windowfocus", "--sync", window_id], check=True)
    pump(0.5)
    grab_focus(table)
    # Channel 00 of a fresh set: not in use; then along its row to the receive frequency.
    # The arrows pass over the zero-wide step column.
    expect(focused(), "table cell", "Нет", description="Вкл")
    key("Right")
    expect(focused(), "table cell", "145 000 000", description="Частота, Гц ПРМ")
    key("Down")
    expect(focused(), "table cell", "145 000 000", description="Частота, Гц ПРМ")
    key("space", moves_focus=False)  # on the number column nothing changes; the reader still follows
    key("Left")
    key("space", moves_focus=False)  # channel 01 switched on
    expect(focused(), "table cell", "Да", description="Вкл")

    # The basic page, walked with Tab from its first row.
    tab = wait_for(lambda o: o.getRole() == pyatspi.ROLE_PAGE_TAB and
                   o.name == "Основные параметры", "the basic page's tab")
    tab.queryAction().doAction(0)
    pump(0.6)
    tone = wait_for(lambda o: o.name == "Частота вызывного тона, Гц" and
                    o.getRole() != pyatspi.ROLE_LABEL, "the call tone row")
    grab_focus(tone)
    expect(focused(), "text", "Частота вызывного тона, Гц", value="1450")
    key("Tab")
    expect(focused(), "combo box", "Порог срабатывания шумоподавителя", value="Уровень 2")
    key("Down", moves_focus=False)
    expect(focused(), "combo box", "Порог срабатывания шумоподавителя", value="Уровень 3")
    key("Tab")
    expect(focused(), "combo box", "Мощность передатчика", value="Номинальная")
    if failures:
        print("\n".join(failures))
        return 1
    return 0


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--client":  # with the program's process id
        return client(sys.argv[2])
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    missing = missing_packages()
    if missing:
        print("skipped: missing " + ", ".join(missing) + " (scripts/install-deps.sh installs them)")
        return SKIP
    program = os.path.abspath(sys.argv[1])
    with tempfile.TemporaryDirectory(prefix="tessel-atspi-") as scratch:
        env, processes = start_session(scratch)
        env["TESSEL_IRDA_DIR"] = os.path.join(scratch, "irda")
        app = None
        try:
            time.sleep(0.5)
            app = subprocess.Popen([program, "--virtual-radio", "alder"], env=env,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
            result = subprocess.run([client_python(), __file__, "--client", str(app.pid)], env=env,
                                    timeout=50)
            return result.returncode
        finally:
            for process in ([app] if app else []) + processes[::-1]:
                process.terminate()
                try:
                    process.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    process.kill()


if __name__ == "__main__":
    sys.exit(main())
