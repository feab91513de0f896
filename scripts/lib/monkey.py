"""Drives the program under Xvfb with a seeded random stream of real input events (xdotool) and
fails on a crash, a sanitizer report, a window that stops answering, or a moment without a
window. The events are drawn from the seed before the program starts, so a seed replays the
same stream; after every event the program must answer a _NET_WM_PING, which both checks that
it is alive and waits until it has handled the event."""
import argparse
import collections
import ctypes
import os
import random
import resource
import signal
import subprocess
import sys
import time

import xwin
from layout import Layout

MESSAGE_TITLES = {"提示", "哈哈"}
FILE_DIALOG_TITLES = {"Open", "Save As"}
HANG_SECONDS = 10
PLOTTER_BUTTONS = {"run": "Cdyx", "clear": "Cdqc", "save": "Command1", "back": "Command2"}

CALCULATOR_KEYS = (list("0123456789") + [
    "plus", "minus", "asterisk", "slash", "asciicircum", "parenleft", "parenright", "exclam",
    "period", "equal", "s", "c", "l", "L", "a", "e", "p", "KP_Add", "KP_Subtract", "KP_Multiply",
    "KP_Divide", "KP_Decimal", "KP_7", "KP_0", "KP_Enter", "BackSpace", "Up", "Tab"])
OTHER_KEYS = [
    "BackSpace", "Delete", "Left", "Right", "Home", "End", "Down", "Prior", "Next", "F1", "F10",
    "Insert", "space", "Escape", "Return", "x", "y", "q", "ctrl+a", "ctrl+c", "ctrl+x", "ctrl+z",
    "ctrl+shift+z", "ctrl+y", "shift+Left", "shift+End", "ctrl+Home", "ctrl+End", "ctrl+Return",
    "shift+Tab", "Menu", "alt+Up", "shift+F10", "ctrl+Tab", "shift+Right", "ctrl+BackSpace"]
MENU_KEYS = "fnosapehb"
TEXTS = ["1+2=", "3.14", "sin", "(1+2)*3=", "曜石", "9" * 120, " x ", "abc", "2^10=", "5!=",
         "1/0=", "lg0=", "((((", "))))", ".....", "1e308*10=", "0.1+0.2=", "l(5!/12)=",
         "s1^2+c1^2=", "\t", "a1=", "7/", "-3^0.5="]
CLIPBOARD_TEXTS = ["42", "1+2*3", "( x + 20 ) ^ 2", "曜石计算器", "1\n2\n3\n", "\t \t",
                   "8" * 4000, "sin x\r\n", "", "x" * 64 + " ^ " + "9" * 64,
                   "+345*6-78.9/10" * 700]
TOKENS = ["x", "1", "2", "20", "0.5", "3.14159", "+", "-", "*", "/", "^", "(", ")", "sin",
          "cos", "lg", "ln", "atn", "e", "-1", "1e9", "0"]
EQUATIONS = ["( x + 20 ) ^ 2", "30 * sin x", "20 * cos x", "1 / x", "lg ( x )", "x ^ x",
             "( x + 1 ) * ( x - 1 )", "atn x * 100", "((x", "x )", "sin ( 2 * x ) + lg ( x )"]


def draw_events(seed, count, buttons):
    """The event stream of a seed: the first count events, the same whatever count is."""
    rng = random.Random(seed)
    kinds = collections.OrderedDict([
        ("key", 20), ("button", 12), ("click", 12), ("text", 3), ("menu", 5), ("clip", 4),
        ("paste", 6), ("file", 4), ("path", 2), ("dialog", 6), ("box", 5), ("plot", 5),
        ("zoom", 5), ("hover", 1), ("close", 3), ("launch", 6), ("focus", 4)])
    names, weights = list(kinds), list(kinds.values())
    events = []
    for _ in range(count):
        kind = rng.choices(names, weights)[0]
        frac = lambda: rng.randrange(1000)
        if kind == "key":
            keys = CALCULATOR_KEYS if rng.random() < 0.75 else OTHER_KEYS
            event = (kind, rng.choice(keys))
        elif kind == "button":
            event = (kind, rng.randrange(buttons),
                     frac(), frac())
        elif kind == "click":
            button = rng.choices([1, 3, 2], [8, 1, 1])[0]
            event = (kind, frac(), frac(), frac(), button, rng.random() < 0.1)
        elif kind == "text":
            event = (kind, rng.choice(TEXTS))
        elif kind == "menu":
            event = (kind, rng.choice(MENU_KEYS), rng.random() < 0.7)
        elif kind == "clip":
            how = rng.choices(["empty", "clipboard", "primary", "image"], [4, 4, 1, 1])[0]
            event = (kind, how, rng.randrange(len(CLIPBOARD_TEXTS)))
        elif kind == "paste":
            how = rng.choice(["ctrl+v", "shift+Insert", "middle", "menu"])
            event = (kind, how, rng.choice(["calculator", "help", "plotter", "focus"]),
                     rng.randrange(4), frac(), frac())
        elif kind == "file":
            op = rng.choice("osa")
            answer = rng.choices(["path", "escape", "later"], [6, 2, 1])[0]
            event = (kind, op, answer, frac())
        elif kind == "path":
            event = (kind, frac())
        elif kind == "dialog":
            event = (kind, rng.choice(["Escape", "Return", "Return", "Tab", "space"]))
        elif kind == "box":
            if rng.random() < 0.5:
                text = rng.choice(EQUATIONS)
            else:
                text = " ".join(rng.choice(TOKENS) for _ in range(rng.randrange(1, 12)))
            event = (kind, rng.randrange(4), text)
        elif kind == "plot":
            event = (kind, rng.choices(["run", "clear", "save", "back"], [6, 2, 1, 1])[0])
        elif kind in ("zoom", "hover"):
            event = (kind, rng.choice([1, 3]), frac(), frac())
        elif kind == "close":
            event = (kind, frac())
        elif kind == "launch":
            event = (kind, rng.choices(range(3), [4, 4, 2])[0], frac(), frac())
        else:  # focus
            event = (kind, frac())
        events.append(event)
    return events


def inside(rect, fx, fy, origin=(0, 0)):
    """A point inside a twips rectangle, by thousandths, in pixels from origin."""
    left, top, width, height = (v // 15 for v in rect)
    return (origin[0] + left + 1 + fx * max(width - 2, 1) // 1000,
            origin[1] + top + 1 + fy * max(height - 2, 1) // 1000)


def pick(items, frac):
    return items[frac * len(items) // 1000] if items else None


class Failure(Exception):
    pass


class Monkey:
    def __init__(self, program, workdir, display, seed):
        self.program, self.workdir = os.path.abspath(program), os.path.abspath(workdir)
        self.display, self.seed = display, seed
        self.layout = Layout(program)
        self.titles = {self.layout.title(tool): tool
                       for tool in ("launcher", "calculator", "plotter", "help")}
        self.env = dict(os.environ, DISPLAY=display)
        self.clipboard_owners = []
        self.app = None
        self.pinged = None  # the window that answers pings
        self.log_offset = 0
        self.files = os.path.join(self.workdir, "files")
        self.paths = []

    # -- set-up ------------------------------------------------------------------------------

    def prepare_files(self):
        """A folder of documents to open and places to save, the program's working folder."""
        rng = random.Random(self.seed)
        os.makedirs(self.files)
        os.makedirs(os.path.join(self.files, "dir.txt"))
        with open(os.path.join(self.files, "empty.txt"), "wb"):
            pass
        with open(os.path.join(self.files, "junk.txt"), "wb") as f:
            f.write(bytes(rng.randrange(256) for _ in range(2048)))
        with open(os.path.join(self.files, "plain.txt"), "w", encoding="utf-8") as f:
            f.write("1+2=3\n曜石\n")
        with open(os.path.join(self.files, "big.txt"), "wb") as f:
            f.truncate(9 * 1024 * 1024)  # over the document limit
        names = ["empty.txt", "junk.txt", "plain.txt", "big.txt", "dir.txt", "saved.txt",
                 "saved.txt", "second.txt", "图.txt", "missing/x.txt", "picture.bmp", "noext"]
        self.paths = [os.path.join(self.files, n) for n in names]

    def environment(self):
        """The program's environment: a home, cache and settings of its own, the ASan build's
        options."""
        home = os.path.join(self.workdir, "home")
        env = dict(self.env, HOME=home, XDG_CACHE_HOME=os.path.join(self.workdir, "cache"),
                   XDG_CONFIG_HOME=os.path.join(home, ".config"), LANG="C.UTF-8",
                   LC_ALL="C.UTF-8", QT_QPA_PLATFORM="xcb",
                   # Not strict_string_checks: libxkbcommon hands strndup unterminated names.
                   # handle_abort: a stuck program is shown with the stack it is stuck in.
                   ASAN_OPTIONS="detect_leaks=0:abort_on_error=1:handle_abort=1",
                   UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1")
        env.pop("XDG_RUNTIME_DIR", None)
        return env

    def start(self):
        os.makedirs(os.path.join(self.workdir, "home"))
        env = self.environment()
        self.app_log = os.path.join(self.workdir, "program.log")
        self.app = subprocess.Popen(
            [self.program], cwd=self.files, env=env, stdin=subprocess.DEVNULL,
            stdout=open(self.app_log, "wb"), stderr=subprocess.STDOUT,
            preexec_fn=lambda: resource.setrlimit(resource.RLIMIT_CORE, (0, 0)))
        self.x = xwin.Display(self.display, self.lost)
        deadline = time.monotonic() + 60
        while not self.windows():
            self.check_alive()
            if time.monotonic() > deadline:
                raise Failure("no window within 60 s of the start")
            time.sleep(0.05)
        # The splash closes by itself after some seconds, which no replay would repeat: a key
        # ends it first.
        self.settle()
        self.key("Return")
        self.pinged = None
        self.settle()

    def lost(self):
        print(f"monkey: FAILED with seed {self.seed}: the X server went away", flush=True)
        self.stop()

    def stop(self):
        for owner in self.clipboard_owners:
            owner.kill()
            owner.wait()
        if self.app and self.app.poll() is None:
            self.app.terminate()
            try:
                self.app.wait(10)
            except subprocess.TimeoutExpired:
                self.app.kill()
                self.app.wait()

    # -- the program's state -----------------------------------------------------------------

    def windows(self):
        # Tool tips come and go with time, not with events.
        return [w for w in self.x.windows(self.app.pid) if "TOOLTIP" not in w.kinds]

    def kind(self, w):
        if w.override:
            return "popup"
        if w.title in self.titles:
            return self.titles[w.title]
        if w.title in FILE_DIALOG_TITLES:
            return "file" if w.height > 200 else "message"  # the overwrite question
        if w.title in MESSAGE_TITLES:
            return "message"
        if w.x < 0 and w.y < 0:
            return "splash"
        if w.title == "Print":
            return "print"
        return "other"

    def find(self, kind):
        for w in reversed(self.windows()):
            if self.kind(w) == kind:
                return w
        return None

    def dialog(self):
        """The dialog to answer: a message box before anything under it."""
        shown = list(reversed(self.windows()))
        for kinds in (("message",), ("file", "print", "other")):
            for w in shown:
                if self.kind(w) in kinds:
                    return w
        return None

    def blocker(self):
        """A dialog that may only be answered, not played with: a file dialog could be walked
        out of the private folder, a print dialog could print many copies."""
        for w in reversed(self.windows()):
            if self.kind(w) in ("file", "print", "other"):
                return w
        return None

    def new_output(self):
        with open(self.app_log, "rb") as f:
            f.seek(self.log_offset)
            data = f.read()
        self.log_offset += len(data)
        return data.decode("utf-8", "replace")

    def check_alive(self):
        text = self.new_output()
        for marker in ("ERROR: AddressSanitizer", "runtime error:", "ERROR: LeakSanitizer",
                       "SUMMARY: UndefinedBehaviorSanitizer", "AddressSanitizer:DEADLYSIGNAL"):
            if marker in text:
                raise Failure(f"sanitizer report ({marker.strip()})")
        code = self.app.poll()
        if code is not None:
            if code < 0:
                raise Failure(f"the program died of signal {signal.Signals(-code).name}")
            raise Failure(f"the program ended by itself with exit status {code}")

    def settle(self):
        """Waits until the program has handled what was sent, and checks it on the way."""
        self.check_alive()
        # Qt answers a ping as it reads it, before it delivers the input read with it, and
        # posts some work for later: only an answer to a later ping shows that this is done.
        for _ in range(3):
            self.ping()
        self.check_alive()
        # The program has handled everything sent so far: what is on the screen now is a
        # state it rests in.
        if not self.windows():
            time.sleep(0.5)  # a crash takes the windows first
            self.check_alive()
            raise Failure("no window on the screen while the program runs")

    def ping(self):
        first = None
        deadline = time.monotonic() + HANG_SECONDS
        while True:
            # The launcher lives as long as the program, shown or not; a window that closes
            # meanwhile would not answer.
            if not self.pinged:
                known = [w for w in self.x.windows(self.app.pid, hidden=True) if w.title]
                target = next((w for w in known if self.kind(w) == "launcher"), None)
                self.pinged = target.wid if target else known[0].wid if known else None
            if self.pinged:
                serial = self.x.ping(self.pinged, 0.5, first)
                if serial is True:
                    break
                first = first or serial
            else:
                time.sleep(0.1)
            self.pinged = None
            self.check_alive()
            if time.monotonic() > deadline:
                # To the main thread, whose stack the sanitizer then prints.
                ctypes.CDLL(None).tgkill(self.app.pid, self.app.pid, signal.SIGABRT)
                try:
                    self.app.wait(10)
                except subprocess.TimeoutExpired:
                    pass
                raise Failure(f"the program did not answer for {HANG_SECONDS} s")

    # -- input -------------------------------------------------------------------------------

    def xdo(self, *args):
        subprocess.run(["xdotool", *map(str, args)], env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=60)

    @staticmethod
    def clicks(button, double=False):
        # Not xdotool's click, which waits 100 ms.
        return ["mousedown", button, "mouseup", button] * (2 if double else 1)

    def click_at(self, w, x, y, button=1, double=False):
        """Raises the window and clicks, as a window manager would let a user."""
        self.xdo("windowraise", w.wid, "mousemove", w.x + x, w.y + y,
                 *self.clicks(button, double))

    def focus(self, w):
        self.xdo("windowraise", w.wid, "windowfocus", w.wid)

    def key(self, *keys):
        self.xdo("key", "--delay", 5, *keys)

    def type(self, text):
        self.xdo("type", "--delay", 2, text)

    def box(self, index):
        return self.layout.rect("plotter", f"Text{index + 1}")

    def calculator_origin(self, w):
        return (0, w.height - self.layout.size("calculator")[1] // 15)  # below the menu bar

    def set_clipboard(self, selection, data, mime=None):
        before = self.x.selection_owner(selection)
        owner = subprocess.Popen(
            ["xclip", "-quiet", "-selection", selection, *(["-t", mime] if mime else [])],
            env=self.env, stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)
        owner.stdin.write(data)
        owner.stdin.close()
        self.clipboard_owners.append(owner)
        deadline = time.monotonic() + 5
        while self.x.selection_owner(selection) in (0, before) and time.monotonic() < deadline:
            time.sleep(0.005)

    def empty_clipboard(self):
        for owner in self.clipboard_owners:
            owner.kill()
            owner.wait()
        self.clipboard_owners = []
        for selection in ("CLIPBOARD", "PRIMARY"):
            self.x.clear_selection(selection)

    # -- events ------------------------------------------------------------------------------

    def run(self, event):
        """Sends one event; returns what was done, or why nothing was."""
        kind = event[0]
        blocker = self.blocker()
        if blocker and kind not in ("path", "dialog", "close", "file", "clip"):
            return f"skipped: {blocker.title!r} is open"
        return getattr(self, "do_" + kind)(blocker, *event[1:])

    def do_key(self, _blocker, key):
        self.key(key)
        return "sent"

    def do_text(self, _blocker, text):
        self.type(text)
        return "typed"

    def do_button(self, _blocker, index, fx, fy):
        w = self.find("calculator")
        if not w:
            return "skipped: no calculator"
        origin = self.calculator_origin(w)
        button = self.layout.controls("calculator", "button")[index]
        x, y = inside(button["rect"], fx, fy, origin)
        self.click_at(w, x, y)
        return f"at {x},{y}"

    def do_click(self, _blocker, which, fx, fy, button, double):
        w = pick(self.windows(), which)
        if not w:
            return "skipped: no window"
        if w.override:  # a menu or tool tip: no raising
            self.xdo("mousemove", w.x + fx * w.width // 1000, w.y + fy * w.height // 1000,
                     *self.clicks(button, double))
        else:
            self.click_at(w, fx * w.width // 1000, fy * w.height // 1000, button, double)
        return f"in {w}"

    def do_menu(self, _blocker, letter, on_calculator):
        w = self.find("calculator") if on_calculator else None
        if w:
            self.focus(w)
        self.key("alt+" + letter)
        return "on the calculator" if w else "sent"

    def do_clip(self, _blocker, how, index):
        text = CLIPBOARD_TEXTS[index].encode()
        if how == "empty":
            self.empty_clipboard()
        elif how == "image":
            self.set_clipboard("CLIPBOARD", b"\x89PNG\r\n\x1a\n", "image/png")
        else:
            self.set_clipboard(how.upper(), text)
        return "done"

    def do_paste(self, _blocker, how, where, box, fx, fy):
        if where == "focus":
            w, point = None, None
        elif where == "calculator":
            w = self.find("calculator")
            point = w and inside(self.layout.rect("calculator", "Text1"), fx, fy,
                                  self.calculator_origin(w))
        elif where == "help":
            w = self.find("help")
            point = w and inside(self.layout.rect("help", "Text1"), fx, fy)
        else:
            w = self.find("plotter")
            point = w and inside(self.box(box), fx, fy)
        if where != "focus" and not w:
            return f"skipped: no {where}"
        if how == "middle":
            if not w:
                return "skipped: a middle click needs a place"
            self.click_at(w, *point, button=2)
            return f"middle click in {where}"
        if w:
            self.click_at(w, *point)
        if how == "menu":  # the text box's own menu, then its Paste entry
            self.key("shift+F10")
            self.key("p")
        else:
            self.key(how)
        return f"into {where}"

    def answer_file_dialog(self, frac):
        dialog = self.find("file")
        if not dialog:
            return "skipped: no file dialog"
        path = pick(self.paths, frac)
        self.focus(dialog)
        self.key("ctrl+a")
        self.type(path)
        self.key("Return")  # reaches the name box even with its completion list open
        return f"answered {path}"

    def do_file(self, blocker, op, answer, frac):
        if blocker:
            return f"skipped: {blocker.title!r} is open"
        w = self.find("calculator")
        if not w:
            return "skipped: no calculator"
        self.focus(w)
        self.key("alt+" + op)
        self.settle()
        if not self.find("file"):
            return f"alt+{op}: no file dialog"
        if answer == "escape":
            self.key("Escape")
            return f"alt+{op}, Escape"
        if answer == "later":
            return f"alt+{op}, left open"
        return f"alt+{op}, " + self.answer_file_dialog(frac)

    def do_path(self, _blocker, frac):
        return self.answer_file_dialog(frac)

    def do_dialog(self, _blocker, key):
        dialog = self.dialog()
        if not dialog:
            return "skipped: no dialog"
        kind = self.kind(dialog)
        if kind in ("file", "other") and key != "Escape":
            return f"skipped: only Escape for {dialog.title!r}"
        if kind == "print" and key not in ("Escape", "Return"):
            return "skipped: only Escape and Return for printing"
        self.focus(dialog)
        self.key(key)
        return f"{key} on {dialog.title!r}"

    def do_box(self, _blocker, index, text):
        w = self.find("plotter")
        if not w:
            return "skipped: no plotter"
        self.click_at(w, *inside(self.box(index), 500, 500))
        self.key("ctrl+a")
        self.type(text)
        return f"box {index + 1}"

    def do_plot(self, _blocker, button):
        w = self.find("plotter")
        if not w:
            return "skipped: no plotter"
        self.click_at(w, *inside(self.layout.rect("plotter", PLOTTER_BUTTONS[button]), 500, 500))
        return "clicked"

    def do_zoom(self, _blocker, button, fx, fy):
        w = self.find("plotter")
        if not w:
            return "skipped: no plotter"
        self.click_at(w, *inside(self.layout.rect("plotter", "Picture1"), fx, fy), button=button)
        return "clicked"

    def do_hover(self, _blocker, _button, fx, fy):
        w = self.find("plotter")
        if not w:
            return "skipped: no plotter"
        x, y = inside(self.layout.rect("plotter", "Picture1"), fx, fy)
        self.xdo("mousemove", w.x + x, w.y + y)
        return "moved"

    def do_close(self, blocker, which):
        if blocker:
            candidates = [self.dialog()]
        else:
            candidates = [w for w in self.windows()
                          if self.kind(w) not in ("launcher", "splash", "popup")]
        w = pick(candidates, which)
        if not w:
            return "skipped: nothing to close"
        self.x.close(w.wid)
        return f"closed {w}"

    def do_launch(self, _blocker, index, fx, fy):
        w = self.find("launcher")
        if not w:
            return "skipped: no launcher"
        self.click_at(w, *inside(self.layout.controls("launcher", "button")[index]["rect"], fx, fy))
        return ["calculator", "plotter", "help"][index]

    def do_focus(self, _blocker, which):
        w = pick([w for w in self.windows() if not w.override], which)
        if not w:
            return "skipped: no window"
        self.focus(w)
        return f"{w}"


def report(seed, seconds, reason, trail, output, workdir):
    print(f"monkey: FAILED with seed {seed}: {reason}")
    print(f"last {len(trail)} events:")
    for line in trail:
        print("  " + line)
    stack = output.strip().splitlines()
    for i, line in enumerate(stack):
        if "Sanitizer" in line or "runtime error" in line:
            stack = stack[i:]
            break
    print("program output:" if stack else "program output: none")
    for line in stack[:80]:
        print("  " + line)
    print(f"replay: scripts/monkey {seconds:g} {seed}    (log: {workdir})")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("program")
    parser.add_argument("seconds", type=float)
    parser.add_argument("seed", type=int)
    parser.add_argument("--workdir", required=True)
    parser.add_argument("--events", type=int, default=0,
                        help="send exactly this many events, however long it takes")
    args = parser.parse_args()

    # More than can be sent: skipped ones cost next to nothing.
    count = args.events or int(args.seconds * 200) + 1000
    events = draw_events(args.seed, count,
                         len(Layout(args.program).controls("calculator", "button")))
    os.makedirs(args.workdir, exist_ok=True)
    with open(os.path.join(args.workdir, "events.txt"), "w", encoding="utf-8") as f:
        for i, event in enumerate(events, 1):
            f.write(f"{i}\t{event!r}\n")

    monkey = Monkey(args.program, args.workdir, os.environ["DISPLAY"], args.seed)
    monkey.prepare_files()
    trail = collections.deque(maxlen=50)
    log = open(os.path.join(args.workdir, "log.txt"), "w", encoding="utf-8")
    counts = collections.Counter()
    sent = 0
    began = time.monotonic()
    status = 0
    try:
        monkey.start()
        for i, event in enumerate(events, 1):
            if not args.events and time.monotonic() - began >= args.seconds:
                break
            line = f"#{i} {time.monotonic() - began:7.2f}s {event!r}: "
            outcome = "?"
            try:
                outcome = monkey.run(event)
                monkey.settle()
            except Failure as failure:
                outcome += f"; then {failure}"
                raise
            finally:
                trail.append(line + outcome)
                log.write(line + outcome + "\n")
                log.flush()
            if not outcome.startswith("skipped"):
                sent += 1
                counts[event[0]] += 1
    except Failure as failure:
        time.sleep(1)  # let a sanitizer finish its report
        output = open(monkey.app_log, encoding="utf-8", errors="replace").read()
        report(args.seed, args.seconds, failure, list(trail), output, args.workdir)
        status = 1
    finally:
        monkey.stop()
        log.close()
    elapsed = time.monotonic() - began
    print(f"monkey: seed {args.seed}: {sent} events sent in {elapsed:.0f} s "
          f"({sent * 60 / max(elapsed, 1):.0f} a minute): "
          + ", ".join(f"{k} {n}" for k, n in counts.most_common()))
    if status == 0:
        print(f"monkey: seed {args.seed}: no fault")
    return status


if __name__ == "__main__":
    sys.exit(main())
