"""The program as a screen reader sees it, read from the AT-SPI tree.

Run by scripts/a11y-check inside a D-Bus session and an X server of its own, with the path of the
program as its argument. It turns accessibility on as a screen reader does (the AT-SPI bus's
IsEnabled), starts the program three times (plain, --calculator, --plotter), opens every window,
checks each control's role, name and description, presses buttons through the AT-SPI action
interface, and checks that results and fault messages arrive as text events. It ends with a line
"a11y-check: N passed, N failed" and fails when any check did.
"""

import os
import subprocess
import sys
import tempfile
import time

import pyatspi
from gi.repository import GLib

from layout import Layout

PROGRAM = sys.argv[1]
LAYOUT = Layout(PROGRAM)
results = []


def check(ok, what):
    print(("ok    " if ok else "FAIL  ") + what, flush=True)
    results.append(bool(ok))
    return ok


def pump(seconds, until=lambda: False):
    """Lets AT-SPI events in until `until` holds or the time is up."""
    context = GLib.MainContext.default()
    end = time.monotonic() + seconds
    while True:
        while context.pending():
            context.iteration(False)
        if until():
            return True
        if time.monotonic() >= end:
            return False
        time.sleep(0.05)


def showing(node):
    return node.getState().contains(pyatspi.STATE_SHOWING)


def actions(node):
    try:
        action = node.queryAction()
    except NotImplementedError:
        return []
    return [action.getName(i) for i in range(action.nActions)]


def press(node):
    action = node.queryAction()
    action.doAction(actions(node).index("Press"))


def descendants(node):
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is None:
            continue
        yield child
        yield from descendants(child)


def find(root, role, name):
    for node in descendants(root):
        if node.getRoleName() == role and node.name == name:
            return node
    return None


INTERACTIVE = {"push button", "text", "menu item", "check box", "radio button", "combo box",
               "link", "image"}


def interactive(node):
    role = node.getRoleName()
    if role == "scroll bar":  # its role and orientation say all there is
        return False
    return (role in INTERACTIVE or node.getState().contains(pyatspi.STATE_FOCUSABLE)
            or "Press" in actions(node))


class Program:
    def __init__(self, *arguments):
        # A cache of its own: a copy ended by a signal leaves its unsaved work to be offered to
        # the next start.
        self.cache = tempfile.TemporaryDirectory()
        self.process = subprocess.Popen([PROGRAM, *arguments],
                                        env=dict(os.environ, XDG_CACHE_HOME=self.cache.name))
        self.app = None
        pump(20, self._registered)
        check(self.app is not None, f"yaoshi {' '.join(arguments)}: registers with the AT-SPI bus")

    def _registered(self):
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.get_process_id() == self.process.pid:
                self.app = app
                return True
        return False

    def windows(self):
        if self.app is None:
            return []
        return [w for w in (self.app.getChildAtIndex(i) for i in range(self.app.childCount))
                if w is not None and showing(w)]

    def window(self, name, seconds=10):
        found = []

        def appeared():
            found[:] = [w for w in self.windows() if w.name == name]
            return bool(found)

        pump(seconds, appeared)
        check(found, f"window {name} is on the screen")
        return found[0] if found else None

    def close(self):
        self.process.terminate()
        self.process.wait(10)
        self.cache.cleanup()


def check_window(window, role, expected):
    """`expected`: (role, name, description) of every control a user can act on."""
    if window is None:
        return
    check(window.getRoleName() == role,
          f"{window.name}: a {role} (is a {window.getRoleName()})")
    seen = sorted((n.getRoleName(), n.name, n.description)
                  for n in descendants(window) if showing(n) and interactive(n))
    unnamed = [control for control in seen if not control[1]]
    check(not unnamed, f"{window.name}: every control has a name"
          + "".join(f"\n        no name: {u}" for u in unnamed))
    missing = [e for e in expected if e not in seen]
    extra = [s for s in seen if s not in expected]
    check(not missing and not extra,
          f"{window.name}: {len(expected)} controls as expected"
          + "".join(f"\n        missing {m}" for m in missing)
          + "".join(f"\n        not expected {x}" for x in extra))


ROLES = {"button": "push button", "text": "text", "picture": "image"}

# What the windows work out as they run, so their tables cannot give it.
WORKED_OUT = {
    "calculator": {"计算显示": "计算状态：算式与结果；按 F2 键或单击后可输入文字"},
    "plotter": {"方程一": "请自行算试正确检查,注意空格使用,详看帮助", "函数图像": "左键放大,右键缩小"},
    "launcher": {"计算器": "快捷键 C", "解方程": "快捷键 P", "帮助": "快捷键 H"},
    "help": {},
}
MENU = ("文件f", "新建n", "打开o", "保存s", "另存为a", "打印p", "退出e", "帮助h", "关于b")


def expected_controls(tool):
    """(role, name, description) of every control of the tool's window that a user can act on,
    from the window's layout."""
    controls = [(ROLES[c["kind"]], c["accessibleName"],
                 WORKED_OUT[tool].get(c["accessibleName"], c["description"]))
                for c in LAYOUT.controls(tool) if c["kind"] in ROLES]
    if tool == "calculator":
        controls += [("menu item", m, "") for m in MENU]
    return controls


class TextEvents:
    """The texts inserted anywhere, with the name of the control they went into."""

    def __init__(self):
        self.inserted = []
        pyatspi.Registry.registerEventListener(self._heard, "object:text-changed:insert")

    def _heard(self, event):
        self.inserted.append((event.source.name, event.any_data))

    def heard(self, source, text, seconds=5):
        return pump(seconds, lambda: any((source is None or s == source) and text(t)
                                         for s, t in self.inserted))

    def stop(self):
        pyatspi.Registry.deregisterEventListener(self._heard, "object:text-changed:insert")


def plain_start(program):
    """The splash, then the launcher; a screen reader opens the tools with the launcher's words."""
    splash = program.window("曜石 启动画面")
    if splash is not None:
        check(splash.getRoleName() == "frame", "the splash is a frame")
        ids = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--pid",
                              str(program.process.pid)], capture_output=True, text=True)
        window = ids.stdout.split()[0]
        subprocess.run(["xdotool", "windowfocus", "--sync", window, "key", "Return"], check=True)
    launcher = program.window(LAYOUT.title("launcher"))
    check_window(launcher, "frame", expected_controls("launcher"))
    for word, tool, role, checked in (("Label3", "help", "dialog", True),
                                      ("Label1", "calculator", "frame", False),
                                      ("Label2", "plotter", "frame", False)):
        word = LAYOUT.control("launcher", word)["accessibleName"]
        button = find(launcher, "push button", word) if launcher else None
        if check(button is not None and "Press" in actions(button),
                 f"the launcher's {word} can be pressed"):
            press(button)
        window = program.window(LAYOUT.title(tool))
        if checked:
            check_window(window, role, expected_controls(tool))


def started_alone(program, tool):
    """A tool started from the command line: at once, with the launcher behind it."""
    window = program.window(LAYOUT.title(tool))
    check(not any(w.name == "曜石 启动画面" for w in program.windows()), "no splash")
    program.window(LAYOUT.title("launcher"))
    check_window(window, "frame", expected_controls(tool))
    return window


def calculator(program):
    window = started_alone(program, "calculator")
    if window is None:
        return

    events = TextEvents()
    for name in ("1", "加", "2", "等于"):
        press(find(window, "push button", name))
        pump(0.3)
    check(events.heard("计算显示", lambda text: "= 3" in text),
          "the result reaches the screen reader as text inserted into the display")

    for name in ("1", "除", "0", "等于"):
        press(find(window, "push button", name))
        pump(0.3)
    alert = program.window("提示")
    if alert is not None:
        labels = [n.name for n in descendants(alert) if n.getRoleName() == "label" and n.name]
        heard = bool(labels) and events.heard(None, lambda text: text == labels[0])
        check(heard, f"the fault message {labels[:1]} reaches the screen reader as inserted text"
              + ("" if heard else f" (heard only {events.inserted})"))
        buttons = [n for n in descendants(alert) if n.getRoleName() == "push button"]
        if buttons:
            press(buttons[0])
    events.stop()


def plotter(program):
    window = started_alone(program, "plotter")
    if window is None:
        return

    told = []

    def described(event):
        told.append(event.source.description)

    pyatspi.Registry.registerEventListener(described,
                                           "object:property-change:accessible-description")
    find(window, "text", "方程一").queryEditableText().setTextContents("x")
    press(find(window, "push button", "开始运行"))
    want = "方程一 y = x。方程一与x轴交于 x = 0。中心 (0, 0)，放大系数 1"
    heard = pump(5, lambda: want in told)
    check(heard, f"after Run the screen reader is told the picture's description “{want}”"
          + ("" if heard else f" (told only {told})"))
    pyatspi.Registry.deregisterEventListener(described,
                                             "object:property-change:accessible-description")


def main():
    # What Orca does when it starts: ask the AT-SPI bus to turn accessibility on.
    subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus",
                    "/org/a11y/bus", "org.freedesktop.DBus.Properties.Set",
                    "string:org.a11y.Status", "string:IsEnabled", "variant:boolean:true"],
                   check=True, stdout=subprocess.DEVNULL)
    for run, arguments in ((plain_start, []), (calculator, ["--calculator"]),
                           (plotter, ["--plotter"])):
        program = Program(*arguments)
        try:
            if program.app is not None:
                run(program)
        except Exception as error:  # a broken tree is a failed check, not a stop
            check(False, f"{run.__name__}: {type(error).__name__}: {error}")
        finally:
            program.close()
    failed = results.count(False)
    print(f"a11y-check: {len(results) - failed} passed, {failed} failed")
    return 1 if failed else 0


sys.exit(main())
