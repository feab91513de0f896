"""Kills the program under Xvfb at a random moment and checks that the next start recovers the
calculation. Each round starts the program with a cache of its own, opens the calculator, sends
it a seeded stream of the monkey's calculator events (keys, buttons, typed texts, notes typed
into the display), reads the display, and ends the program with SIGKILL (2.5 s later), SIGTERM,
SIGHUP or SIGINT (at once), drawn from the seed. It then starts the program again, answers the
recovery question with 是 and compares the display with the one read before the end."""
import argparse
import collections
import os
import random
import resource
import shutil
import signal
import subprocess
import sys
import time

import monkey
from monkey import Failure

ENDINGS = [signal.SIGKILL, signal.SIGTERM, signal.SIGHUP, signal.SIGINT]
# After a SIGKILL only what the program showed this long before is promised back.
KILL_GRACE = 2.5


def draw_round(rng, buttons):
    events = []
    for _ in range(rng.randrange(3, 40)):
        kind = rng.choices(["key", "button", "text", "note"], [10, 8, 2, 2])[0]
        if kind == "key":
            events.append(("key", rng.choice(monkey.CALCULATOR_KEYS)))
        elif kind == "button":
            events.append(("button", rng.randrange(buttons),
                           rng.randrange(1000), rng.randrange(1000)))
        elif kind == "text":
            events.append(("text", rng.choice(monkey.TEXTS)))
        else:
            events.append(("note", rng.choice(["注释", " note ", "x=1", "曜石"])))
    return events, rng.choice(ENDINGS)


class CrashMonkey(monkey.Monkey):
    def restart(self):
        """The second start: answers the recovery question with 是 (its default button)."""
        self.app_log = os.path.join(self.workdir, "program-again.log")
        self.log_offset = 0
        self.app = subprocess.Popen(
            [self.program], cwd=self.files, env=self.environment(), stdin=subprocess.DEVNULL,
            stdout=open(self.app_log, "wb"), stderr=subprocess.STDOUT,
            preexec_fn=lambda: resource.setrlimit(resource.RLIMIT_CORE, (0, 0)))
        self.pinged = None
        question = self.wait_for("message", "no recovery question")
        self.focus(question)
        self.key("Return")
        self.wait_for("calculator", "no calculator after 是")
        self.settle()

    def wait_for(self, kind, failure):
        deadline = time.monotonic() + 60
        while True:
            self.check_alive()
            w = self.find(kind)
            if w:
                return w
            if time.monotonic() > deadline:
                raise Failure(failure)
            time.sleep(0.05)

    def answer_messages(self):
        for _ in range(20):
            w = self.find("message")
            if not w:
                return
            self.focus(w)
            self.key("Return")
            self.settle()
        raise Failure("message boxes keep coming")

    def do_note(self, _blocker, text):
        self.click_display()
        self.key("ctrl+End")
        self.type(text)
        self.key("Tab")
        return "noted"

    def click_display(self):
        w = self.find("calculator")
        if not w:
            raise Failure("the calculator went away")
        self.click_at(w, *monkey.inside(self.layout.rect("calculator", "Text1"), 500, 500,
                                        self.calculator_origin(w)))
        return w

    def display_text(self):
        """The display's text, through the clipboard."""
        for _ in range(5):
            self.answer_messages()
            self.empty_clipboard()
            w = self.click_display()
            self.focus(w)
            self.key("ctrl+a", "ctrl+c")
            self.settle()
            deadline = time.monotonic() + 2
            while not self.x.selection_owner("CLIPBOARD") and time.monotonic() < deadline:
                time.sleep(0.01)
            got = subprocess.run(["xclip", "-o", "-selection", "clipboard"], env=self.env,
                                 capture_output=True, timeout=10)
            self.key("Tab")
            self.settle()
            # The display holds at least a blank: nothing copied means the keys went astray.
            if got.stdout:
                return got.stdout.decode("utf-8", "replace")
        raise Failure("the display could not be copied")


def play(program, workdir, display, seed):
    """One round; returns (ending, shown, recovered), or raises Failure."""
    rng = random.Random(seed)
    m = CrashMonkey(program, workdir, display, seed)
    events, ending = draw_round(rng, len(m.layout.controls("calculator", "button")))
    m.prepare_files()
    try:
        m.start()
        m.do_launch(None, 0, 500, 500)
        m.wait_for("calculator", "no calculator")
        m.settle()
        for event in events:
            m.answer_messages()
            if not m.run(event).startswith("skipped"):
                m.settle()
        shown = m.display_text()
        if ending == signal.SIGKILL:
            time.sleep(KILL_GRACE)
        m.check_alive()
        os.kill(m.app.pid, ending)
        try:
            code = m.app.wait(20)
        except subprocess.TimeoutExpired:
            raise Failure(f"still running 20 s after {ending.name}")
        if ending != signal.SIGKILL and code != 0:
            raise Failure(f"ended with status {code} after {ending.name}")
        if not shown.strip():
            return ending, shown, shown  # nothing of the user's: nothing to offer
        m.restart()
        recovered = m.display_text()
        return ending, shown, recovered
    finally:
        m.stop()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("program")
    parser.add_argument("rounds", type=int)
    parser.add_argument("seed", type=int)
    parser.add_argument("--workdir", required=True)
    args = parser.parse_args()
    os.makedirs(args.workdir, exist_ok=True)
    display = os.environ["DISPLAY"]
    results = collections.Counter()
    lengths = []
    failed = 0
    began = time.monotonic()
    for n in range(args.rounds):
        seed = args.seed * 1000 + n
        workdir = os.path.join(args.workdir, str(seed))
        try:
            ending, shown, recovered = play(args.program, workdir, display, seed)
        except Failure as failure:
            print(f"crashtest: round {n} (seed {seed}) FAILED: {failure}", flush=True)
            failed += 1
            continue
        if not shown.strip():
            results[ending.name, "blank"] += 1
            shutil.rmtree(workdir, ignore_errors=True)
        elif recovered == shown:
            results[ending.name, "recovered"] += 1
            lengths.append(len(shown))
            shutil.rmtree(workdir, ignore_errors=True)
        else:
            results[ending.name, "LOST"] += 1
            failed += 1
            print(f"crashtest: round {n} (seed {seed}) {ending.name}: shown {shown!r}, "
                  f"recovered {recovered!r}", flush=True)
    print(f"crashtest: {args.rounds} rounds in {time.monotonic() - began:.0f} s, seed "
          f"{args.seed}: " + ", ".join(f"{e} {what} {k}" for (e, what), k in
                                       sorted(results.items()))
          + f"; recovered displays of {min(lengths, default=0)} to {max(lengths, default=0)} "
          f"characters")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
