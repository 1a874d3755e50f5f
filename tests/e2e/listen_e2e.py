#!/usr/bin/python3
"""Plays the real game by ear, as a blind player with Orca does.

    listen_e2e.py GAME ORCA_LOG WORK_DIR FAKETIME_LIBRARY

Run by listen_e2e.sh, which provides the session and a running Orca whose
log is ORCA_LOG. Keys and clicks are real X events (xdotool); everything the
test knows of the game it takes from what Orca says: the division spoken as
the answer box takes the focus gives the quotient to type. Every step waits
for the words it expects, so nothing waits a fixed time.

Exit status: 0 when the player heard everything expected, 1 otherwise
(what Orca said since the last step is printed).
"""

import os
import re
import subprocess
import sys
import time

POLL = 0.02
DEADLINE = 10.0
TIME_SPEED = 120  # the timed game's clocks run this many times faster

MAIN_TITLE = " Giochiamo con le Quozzolo"
NAME_TITLE = "Gioca con le Quozzolo"
GREETING_TITLE = "Sei pronto per il record? Buona fortuna"
DIVISION = re.compile(r"((?:meno )?\d+) diviso ((?:meno )?\d+) text\.")
PRAISE = r"(Esatto!|Continua così!|Esatto\. Sei proprio in gamba!|Ok\.Un altro punto per il record!)"
# cmdNext in the window's client area, below the menu bar (pixels).
NEXT_BUTTON_CENTRE = (168 + 60, 352 + 36)
SURFACE_HEIGHT = 554


class Failure(Exception):
    pass


def number(spoken):
    return -int(spoken[5:]) if spoken.startswith("meno ") else int(spoken)


def utterance(line):
    """The text of one "SPEECH OUTPUT" line of Orca's log, or None."""
    start = line.find("SPEECH OUTPUT: '")
    if start < 0:
        return None
    text = line[start + len("SPEECH OUTPUT: '"):].rstrip("\n")
    for end in ("' {", "'{"):  # the voice follows the text
        if end in text:
            return text[:text.rindex(end)]
    return text[:-1] if text.endswith("'") else text


class Ear:
    """What Orca says, read from its log as it grows."""

    def __init__(self, log):
        self.log = open(log, encoding="utf-8", errors="replace")
        self.pending = ""
        self.heard = []   # utterances not yet consumed by a wait
        self.started = time.monotonic()

    def listen(self):
        self.pending += self.log.read()
        lines = self.pending.split("\n")
        self.pending = lines.pop()
        for line in lines:
            said = utterance(line)
            if said is not None:
                self.heard.append(said)

    def hear(self, pattern, what, game, deadline=DEADLINE):
        """Waits until Orca says something that matches pattern in full;
        returns the match and forgets what was said up to it."""
        expression = re.compile(pattern)
        end = time.monotonic() + deadline
        while True:
            self.listen()
            for i, said in enumerate(self.heard):
                match = expression.fullmatch(said)
                if match:
                    for earlier in self.heard[:i + 1]:
                        print(f"listen: {time.monotonic() - self.started:5.1f}s   Orca: {earlier!r}", flush=True)
                    del self.heard[:i + 1]
                    print(f"listen: {time.monotonic() - self.started:5.1f}s {what}: heard", flush=True)
                    return match
            if game.poll() is not None:
                raise Failure(f"the game ended (status {game.returncode}) before Orca said {what}")
            if time.monotonic() > end:
                raise Failure(f"Orca did not say {what} ({pattern!r}) within {deadline:.0f} s;"
                              f" it said {self.heard!r}")
            time.sleep(POLL)


def title(text):
    """An xdotool pattern for the window titled text exactly."""
    return "^" + re.sub(r"([][\\.^$*+?(){}|])", r"\\\1", text) + "$"


def xdotool(*args, check=True):
    result = subprocess.run(["xdotool", *args], capture_output=True, text=True, timeout=5)
    if check and result.returncode != 0:
        raise Failure(f"xdotool {' '.join(args)} failed: {result.stderr.strip()}")
    return result.stdout


class Player:
    def __init__(self, test, name, env=None):
        self.test = test
        self.name = name
        env_all = dict(test.env)
        env_all.update(env or {})
        self.log = open(os.path.join(test.work, f"listen_{name}.out"), "w")
        self.game = subprocess.Popen([test.game], env=env_all, stdout=self.log, stderr=subprocess.STDOUT)
        self.ear = test.ear

    def hear(self, pattern, what, deadline=DEADLINE):
        return self.ear.hear(pattern, what, self.game, deadline)

    def window(self, title_pattern):
        end = time.monotonic() + DEADLINE
        while time.monotonic() < end:
            found = xdotool("search", "--all", "--onlyvisible", "--pid", str(self.game.pid),
                            "--name", title_pattern, check=False).split()
            if found:
                return found[0]
            time.sleep(POLL)
        raise Failure(f"no window titled {title_pattern!r}")

    def keys(self, title_pattern, *keys):
        """Keys typed into the window so titled: with no window manager
        nothing else gives it the keyboard focus."""
        xdotool("windowfocus", "--sync", self.window(title_pattern))
        xdotool("key", "--delay", "20", *keys)

    def start(self):
        self.hear(re.escape(f"{NAME_TITLE} dialog."), "the name box")
        self.keys(title(NAME_TITLE), *self.name, "Return")
        self.hear(re.escape(f" {self.name} vediamo se sei un vero campione  "), "the greeting")
        self.keys(title(GREETING_TITLE), "Return")
        return self.division("the first division")

    def division(self, what):
        match = self.hear(DIVISION.pattern, what)
        dividend, divisor = number(match.group(1)), number(match.group(2))
        return dividend // divisor

    def answer(self, typed, verdict, what):
        keys = ["minus" if c == "-" else c for c in typed]
        self.keys(title(MAIN_TITLE), *keys, "Return")
        self.hear(re.escape("Nuovo calcolo push button."), f"the focus on 'Nuovo calcolo' after {what}")
        self.hear(verdict, f"the verdict with its counts after {what}")

    def click_next(self):
        window = self.window(title(MAIN_TITLE))
        geometry = dict(line.split("=", 1) for line in xdotool("getwindowgeometry", "--shell", window).split())
        menu_bar = int(geometry["HEIGHT"]) - SURFACE_HEIGHT
        x = int(geometry["X"]) + NEXT_BUTTON_CENTRE[0]
        y = int(geometry["Y"]) + menu_bar + NEXT_BUTTON_CENTRE[1]
        xdotool("mousemove", str(x), str(y), "click", "1")

    def goodbye(self, deadline=DEADLINE):
        self.hear(re.escape(f"Ciao {self.name}, alla prossima sfida!"), "the goodbye", deadline)
        self.keys("^Data ", "Return")
        try:
            status = self.game.wait(DEADLINE)
        except subprocess.TimeoutExpired:
            raise Failure("the game still runs after its goodbye")
        if status != 0:
            raise Failure(f"the game ended with status {status}")


class Test:
    def __init__(self, game, orca_log, work, faketime):
        self.game = game
        self.work = work
        self.faketime = faketime
        self.ear = Ear(orca_log)
        self.env = dict(os.environ)
        self.env.update({
            "QT_QPA_PLATFORM": "xcb",
            "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
            "QT_ACCESSIBILITY": "1",
            "XDG_DATA_HOME": os.path.join(work, "game-data"),
        })
        # A best of 99 stored: no "E' record" box comes between the answers.
        records = os.path.join(work, "game-data", "quozzolo")
        os.makedirs(records)
        for file, text in (("quozrec.txt", b"99\r\n"), ("nquozrec.txt", b"Zeno\r\n")):
            with open(os.path.join(records, file), "wb") as f:
                f.write(text)

    def play(self):
        # Every division heard: after a right answer by Enter, after a wrong
        # one by Alt+N, after an empty one by a click; each verdict with its counts.
        anna = Player(self, "Anna")
        quotient = anna.start()
        anna.answer(str(quotient), PRAISE + r" Risposte esatte 1 su 1\.", "a right answer")
        anna.keys(title(MAIN_TITLE), "Return")
        quotient = anna.division("the division after a right answer and Enter")
        anna.answer(str(quotient + 1), re.escape(f"Sbagliato!! {quotient}. Risposte esatte 1 su 2."),
                    "a wrong answer")
        anna.keys(title(MAIN_TITLE), "alt+n")
        quotient = anna.division("the division after a wrong answer and Alt+N")
        anna.answer("", re.escape(f"Sbagliato!! {quotient}. Risposte esatte 1 su 3."), "an empty answer")
        anna.click_next()
        anna.division("the division after an empty answer and a click")
        anna.keys(title(MAIN_TITLE), "alt+x")
        anna.goodbye()

        # The time, told as it runs out, and its end before the goodbye:
        # libfaketime runs the game's clock TIME_SPEED times faster.
        bruno = Player(self, "Bruno", {"LD_PRELOAD": self.faketime, "FAKETIME": f"+0 x{TIME_SPEED}"})
        bruno.start()
        for call in ("Restano 10 minuti", "Restano 5 minuti", "Resta 1 minuto", "Tempo scaduto"):
            bruno.hear(re.escape(f"notification {call}."), f"'{call}'", deadline=15 * 60 / TIME_SPEED + DEADLINE)
        bruno.goodbye()

    def run(self):
        try:
            self.play()
        except Failure as failure:
            self.ear.listen()
            print(f"listen: FAIL: {failure}", file=sys.stderr, flush=True)
            return 1
        print(f"listen: everything was heard in {time.monotonic() - self.ear.started:.1f} s", flush=True)
        return 0


def main():
    if len(sys.argv) != 5:
        print("usage: listen_e2e.py GAME ORCA_LOG WORK_DIR FAKETIME_LIBRARY", file=sys.stderr)
        return 2
    return Test(*sys.argv[1:]).run()


if __name__ == "__main__":
    sys.exit(main())
