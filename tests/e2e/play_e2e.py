#!/usr/bin/python3
"""Plays the real game as a player with a screen reader would.

    play_e2e.py GAME OUTPUT_DIR WORK_DIR

Run by play_e2e.sh, which provides DISPLAY (an Xvfb of its own) and a private
session bus with the accessibility bus on it. Keys are real X key events
(xdotool); everything the test knows about the game it reads from the
accessibility tree: the posed division from the answer box's name, the
verdict from the description of "Nuovo calcolo", the counts from their
labels, the boxes from their titles and texts. So every answer is chosen
right or wrong on purpose, and nothing waits a fixed time where the tree can
be polled.

Exit status: 0 when every game went as expected, 1 on the first failure (a
message on stderr, e2e_failure.png and the game's output in OUTPUT_DIR).
"""

import glob
import os
import re
import subprocess
import sys
import time
import traceback

import pyatspi

POLL = 0.02       # seconds between two looks at the tree
DEADLINE = 10.0   # seconds any one expected change may take
TIME_SPEED = 120  # the time-out game's clocks run this many times faster

MAIN_TITLE = " Giochiamo con le Quozzolo"
NAME_TITLE = "Gioca con le Quozzolo"
GREETING_TITLE = "Sei pronto per il record? Buona fortuna"
NOTICE_TITLE = "Quozzolo"
NEW_GAME_TITLE = "INIZIARE NUOVA GARA"
NEW_GAME_TEXT = "INIZIAMO UNA NUOVA GARA  ?"
RECORD_TEXT = "E' record"
SAVED_TEXT = "Ok ho registrato il tuo record, C A M P I O N E"
PRAISES = (
    "Esatto!",
    "Continua così!",
    "Esatto. Sei proprio in gamba!",
    "Ok.Un altro punto per il record!",
)
PHRASE = re.compile(r"^(meno )?(\d+) diviso (meno )?(\d+)$")
COUNT = re.compile(r"^Risposte (esatte|errate|totali): (-?\d+)$")
CLOCK = re.compile(r"^Tempo restante\b.*\d")
SPOKEN_VERDICT = re.compile(r"^(.*?)\.? Risposte esatte (\d+) su (\d+)$")


class Failure(Exception):
    pass


def is_verdict(text):
    return text in PRAISES or text.startswith("Sbagliato!!")


def quotient_of(phrase):
    """The exact quotient of a division read as "meno 20 diviso meno 4"."""
    match = PHRASE.match(phrase)
    if not match:
        raise Failure(f"the answer box is named {phrase!r}, not a division such as 'meno 20 diviso 4'")
    dividend = int(match.group(2)) * (-1 if match.group(1) else 1)
    divisor = int(match.group(4)) * (-1 if match.group(3) else 1)
    if divisor == 0 or dividend % divisor != 0:
        raise Failure(f"{phrase!r} is no exact division")
    return dividend // divisor


def states_of(node):
    state = node.getState()
    return {
        "focused": state.contains(pyatspi.STATE_FOCUSED),
        "enabled": state.contains(pyatspi.STATE_ENABLED),
        "showing": state.contains(pyatspi.STATE_SHOWING),
    }


def walk(node, depth=0):
    """(depth, node) of node and all below it, depth first."""
    yield depth, node
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield from walk(child, depth + 1)


class MainWindow:
    """What the main window shows, read once from the tree."""

    def __init__(self, frame):
        self.frame = frame
        self.answer_box = None
        self.next_button = None
        self.exit_button = None
        self.new_game_menu = None
        self.verdict_labels = []
        self.counts = {}
        self.clock = None
        for _, node in walk(frame):
            role, name = node.getRole(), node.name
            if role in (pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY):
                self.answer_box = node
            elif role == pyatspi.ROLE_PUSH_BUTTON and name == "Nuovo calcolo":
                self.next_button = node
            elif role == pyatspi.ROLE_PUSH_BUTTON and name == "Exit":
                self.exit_button = node
            elif role == pyatspi.ROLE_MENU_ITEM and name == "NUOVO GIOCO":
                self.new_game_menu = node
            elif role == pyatspi.ROLE_LABEL:
                if is_verdict(name):
                    self.verdict_labels.append(name)
                elif (match := COUNT.match(name)):
                    self.counts[match.group(1)] = int(match.group(2))
                elif CLOCK.match(name):
                    self.clock = name
        missing = [what for what, node in (("the answer box", self.answer_box),
                                           ("'Nuovo calcolo'", self.next_button),
                                           ("'Exit'", self.exit_button)) if node is None]
        if missing or len(self.counts) != 3:
            raise Failure(f"the main window shows no {', '.join(missing) or 'three counts'}"
                          f" (counts read: {self.counts})")

    @property
    def problem(self):
        return self.answer_box.name

    @property
    def typed(self):
        return self.answer_box.queryText().getText(0, -1)

    @property
    def verdict(self):
        """The verdict as "Nuovo calcolo" describes it and lblMessage shows it."""
        match = SPOKEN_VERDICT.match(self.next_button.description)
        return match.group(1) if match and is_verdict(match.group(1)) else ""

    @property
    def spoken_counts(self):
        """The right answers and the total that "Nuovo calcolo" tells with the verdict."""
        match = SPOKEN_VERDICT.match(self.next_button.description)
        return (int(match.group(2)), int(match.group(3))) if match else None

    def is_open(self):
        """A problem is posed and waits for an answer typed into the box."""
        return (PHRASE.match(self.problem) is not None and self.typed == "" and self.verdict == ""
                and not self.verdict_labels and not states_of(self.next_button)["enabled"]
                and states_of(self.answer_box)["focused"])


class Game:
    def __init__(self, test, number, name, env=None):
        self.test = test
        self.number = number
        self.name = name
        self.env = env or {}
        self.boxes = []          # (title, text) of every box answered, in order
        self.pid = None
        self.counts = (0, 0, 0)  # right, wrong, total as the labels should show them
        self.process = None
        self.app = None

    # ---------------------------------------------------------------- tree --
    def application(self):
        if self.app is None:
            desktop = pyatspi.Registry.getDesktop(0)
            for i in range(desktop.childCount):
                app = desktop.getChildAtIndex(i)
                try:
                    if app is not None and app.get_process_id() == self.pid:
                        self.app = app
                        break
                except Exception:
                    continue
        return self.app

    def top_levels(self):
        """(role, title, node) of the game's windows that show. A window, or
        the whole game, may go away while it is read: what is gone is left out."""
        app = self.application()
        found = []
        try:
            count = app.childCount if app is not None else 0
        except Exception:
            return found
        for i in range(count):
            try:
                node = app.getChildAtIndex(i)
                if node is not None and states_of(node)["showing"]:
                    found.append((node.getRole(), node.name, node))
            except Exception:
                continue
        return found

    def boxes_showing(self):
        boxes = []
        for role, title, node in self.top_levels():
            if role in (pyatspi.ROLE_DIALOG, pyatspi.ROLE_ALERT):
                try:
                    boxes.append((title, box_text(node), node))
                except Exception:
                    continue
        return boxes

    def main_window(self):
        for role, title, node in self.top_levels():
            if role == pyatspi.ROLE_FRAME and title == MAIN_TITLE:
                return MainWindow(node)
        return None

    def wait(self, what, look, deadline=DEADLINE, may_end=False):
        """Polls look() until it gives something true; fails after deadline.
        The game ending meanwhile is a failure unless may_end."""
        end = time.monotonic() + deadline
        last_error = None
        while True:
            if self.process.poll() is not None:
                if may_end:
                    return True
                raise Failure(f"the game ended (status {self.process.returncode}) while waiting for {what}")
            try:
                result = look()
                if result:
                    return result
            except Failure as error:
                last_error = error
            except Exception as error:   # a node that went away while read
                last_error = error
            if time.monotonic() > end:
                if self.application() is None:
                    raise Failure(f"waited in vain for {what}: the game (pid {self.pid}) never showed up"
                                  " on the accessibility bus")
                shown = "; ".join(f"{t!r}: {x!r}" for t, x, _ in self.boxes_showing()) or "no box"
                raise Failure(f"waited {deadline:.0f} s in vain for {what} ({shown} showing"
                              + (f"; last error: {last_error}" if last_error else "") + ")")
            time.sleep(POLL)

    # ---------------------------------------------------------------- keys --
    def x_window(self, title):
        pattern = "^" + re.sub(r"([][\\.^$*+?(){}|])", r"\\\1", title) + "$"
        result = self.test.xdotool("search", "--all", "--onlyvisible", "--pid", str(self.pid),
                                   "--name", pattern, check=False)
        ids = result.stdout.split()
        return ids[0] if ids else None

    def focus(self, title):
        """Gives the keyboard focus to the game's window titled title: with no
        window manager nothing else moves it when a box opens or closes."""
        def focused():
            # The X server is the test's own: a title names one window.
            if self.test.xdotool("getwindowfocus", "getwindowname", check=False).stdout.rstrip("\n") == title:
                return True
            window = self.x_window(title)
            if window is None:
                return None
            self.test.xdotool("windowfocus", "--sync", window, check=False, timeout=2)
            return self.test.xdotool("getwindowfocus", check=False).stdout.strip() == window
        self.wait(f"keyboard focus on the window {title!r}", focused)

    def click(self, node):
        """A left click in the middle of node, where the tree says it is."""
        x, y, width, height = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        # No --sync: it waits for ever when the pointer is already there.
        self.test.xdotool("mousemove", str(x + width // 2), str(y + height // 2), "click", "1")

    def keys(self, *keys):
        self.test.xdotool("key", "--delay", "10", *keys)

    def type(self, text, *then):
        """Types text (letters, digits, "-") and then the keys then, in one go."""
        self.keys(*("minus" if c == "-" else c for c in text), *then)

    # --------------------------------------------------------------- boxes --
    def answer_box(self, title, text, key="Return", title_match=None, deadline=DEADLINE, check=None):
        """Waits for the box titled title (or whose title title_match accepts)
        showing text, checks it is the only box, runs check() and answers the
        box with key."""
        def found():
            boxes = self.boxes_showing()
            for shown_title, shown_text, node in boxes:
                if (title_match(shown_title) if title_match else shown_title == title):
                    if shown_text != text:
                        raise Failure(f"the box {shown_title!r} says {shown_text!r} rather than {text!r}")
                    if len(boxes) > 1:
                        raise Failure(f"other boxes show with {shown_title!r}: {[b[:2] for b in boxes]}")
                    if states_of(node)["showing"]:
                        return shown_title
            return None
        shown_title = self.wait(f"the box {title!r} saying {text!r}", found, deadline)
        if check:
            check()
        self.focus(shown_title)
        self.keys(key)
        self.boxes.append((shown_title, text))
        # The last box of a game closes as the program ends.
        self.wait(f"the box {shown_title!r} to close",
                  lambda: all(t != shown_title for t, _, _ in self.boxes_showing()), may_end=True)
        self.test.step(self, f"box {shown_title!r}: {text!r} answered with {key}")
        return shown_title

    def expect_no_box(self, when):
        boxes = self.boxes_showing()
        if boxes:
            raise Failure(f"{when}, a box shows: {[b[:2] for b in boxes]}")

    # ---------------------------------------------------------------- play --
    def start(self):
        self.test.current = self
        self.log = os.path.join(self.test.outdir, f"e2e_game{self.number}.log")
        env = dict(self.test.game_env)
        env.update(self.env)
        with open(self.log, "w") as log:
            self.process = subprocess.Popen([self.test.game], env=env, stdout=log, stderr=subprocess.STDOUT)
        self.pid = self.process.pid
        self.test.step(self, f"started, {self.name} plays")

    def open(self):
        """From the name box to the first problem."""
        self.start()
        self.answer_name()
        return self.wait_open()

    def answer_name(self):
        def name_box():
            for title, _, node in self.boxes_showing():
                if title == NAME_TITLE:
                    labels = [n.name for _, n in walk(node) if n.getRole() == pyatspi.ROLE_LABEL]
                    if labels != ["Come ti chiami?"]:
                        raise Failure(f"the name box asks {labels!r}")
                    return any(states_of(n)["focused"] for _, n in walk(node)
                               if n.getRole() in (pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY))
            return False
        self.wait("the name box 'Come ti chiami?' with its entry focused", name_box)
        self.focus(NAME_TITLE)
        self.type(self.name, "Return")
        self.boxes.append((NAME_TITLE, "Come ti chiami?"))
        self.answer_box(GREETING_TITLE, f" {self.name} vediamo se sei un vero campione  ")

    def wait_open(self):
        """Waits for a posed problem with the answer box focused; checks the counts."""
        self.focus(MAIN_TITLE)
        window = self.wait("a posed problem with the answer box focused",
                           lambda: (w := self.main_window()) is not None and w.is_open() and w)
        expected = dict(zip(("esatte", "errate", "totali"), self.counts))
        if window.counts != expected:
            raise Failure(f"with a problem open the counts read {window.counts} rather than {expected}")
        if window.clock is None:
            raise Failure("no clock label named 'Tempo restante ...'")
        self.expect_no_box("while a problem is open")
        return window

    def answer(self, right):
        """Reads the division, types its quotient (or a wrong number) and Enter,
        checks verdict and counts."""
        window = self.main_window()
        quotient = quotient_of(window.problem)
        typed = quotient if right else quotient + 1
        right_count, wrong_count, total = self.counts
        counts_after = (right_count + right, wrong_count + (not right), total + 1)
        self.focus(MAIN_TITLE)
        self.type(str(typed), "Return")
        def judged():
            w = self.main_window()
            if w is None or w.counts["totali"] != counts_after[2]:
                return None
            if not w.verdict:
                raise Failure(f"the answer is counted, but 'Nuovo calcolo' is described"
                              f" {w.next_button.description!r}, no verdict")
            return w
        window = self.wait(f"a verdict on {typed} for {window.problem!r}", judged)
        verdict = window.verdict
        if right and verdict not in PRAISES:
            raise Failure(f"the right answer {typed} to {window.problem!r} is judged {verdict!r}")
        if not right and verdict != f"Sbagliato!! {quotient}":
            raise Failure(f"the wrong answer {typed} to {window.problem!r} is judged {verdict!r},"
                          f" not 'Sbagliato!! {quotient}'")
        if window.spoken_counts != (counts_after[0], counts_after[2]):
            raise Failure(f"'Nuovo calcolo' tells {window.next_button.description!r}, not the counts {counts_after}")
        if window.verdict_labels != [verdict]:
            raise Failure(f"the message label reads {window.verdict_labels!r}, 'Nuovo calcolo' {verdict!r}")
        expected = dict(zip(("esatte", "errate", "totali"), counts_after))
        if window.counts != expected:
            raise Failure(f"after {verdict!r} the counts read {window.counts} rather than {expected}")
        if window.typed != str(typed):
            raise Failure(f"after the verdict the answer box holds {window.typed!r}, not {typed}")
        if not states_of(window.next_button)["enabled"]:
            raise Failure("'Nuovo calcolo' stays disabled after the verdict")
        self.expect_no_box("after a verdict")
        self.counts = counts_after
        self.test.step(self, f"{window.problem} = {quotient}: typed {typed}, {verdict!r}, counts {counts_after}")
        return window

    def edit_keys(self):
        """Keys that edit, as X delivers them (Ctrl+Backspace and Ctrl+H both
        with the text U+0008, Delete with U+007F): with 25 typed and the
        cursor between the digits, Ctrl+Backspace does nothing, Ctrl+H
        deletes the 2 as Backspace would, Delete the 5. A key that must change
        nothing is followed by one that shows it was read."""
        self.focus(MAIN_TITLE)
        steps = (
            (("2", "5", "Left"), "25", "25 typed, Left"),
            (("ctrl+BackSpace", "End", "0"), "250", "Ctrl+Backspace, then End and 0"),
            (("BackSpace", "Left"), "25", "Backspace, Left"),
            (("ctrl+h",), "5", "Ctrl+H"),
            (("Delete",), "", "Delete"),
        )
        for keys, expected, what in steps:
            self.keys(*keys)
            try:
                self.wait(f"the answer box to read {expected!r} after {what}",
                          lambda: self.main_window().typed == expected, deadline=3)
            except Failure:
                raise Failure(f"after {what} the answer box reads {self.main_window().typed!r},"
                              f" not {expected!r}") from None
            self.test.step(self, f"{what}: the answer box reads {expected!r}")
        window = self.main_window()
        if window.counts != dict(zip(("esatte", "errate", "totali"), self.counts)):
            raise Failure(f"editing keys changed the counts to {window.counts}")

    def next_problem(self, record_notice):
        """Enter on "Nuovo calcolo" poses the next problem; checks the record
        notice comes exactly when expected."""
        self.focus(MAIN_TITLE)
        self.keys("Return")
        if record_notice:
            self.answer_box(NOTICE_TITLE, RECORD_TEXT)
        return self.wait_open()

    def new_game(self, answer, saved):
        """NUOVO GIOCO from the menu bar, clicked with the mouse; answers the
        question No (play goes on) or Yes (a beaten record is saved)."""
        window = self.main_window()
        before = (window.problem, window.counts, window.typed)
        self.click(window.new_game_menu)
        self.answer_box(NEW_GAME_TITLE, NEW_GAME_TEXT, key="alt+s" if answer else "Return")
        if not answer:
            # The menu's list opens once the question is answered No: Escape
            # shuts it, and a click puts the player back into the answer box
            # (the menu bar keeps the keyboard focus after Escape).
            def menu_open():
                return any(n.getRole() == pyatspi.ROLE_POPUP_MENU and states_of(n)["showing"]
                           for _, n in walk(self.main_window().frame))
            self.wait("the list of the menu NUOVO GIOCO open", menu_open)
            self.keys("Escape")
            self.wait("the list of the menu NUOVO GIOCO shut", lambda: not menu_open())
            self.click(self.main_window().answer_box)
            window = self.wait_open()
            if window.problem != before[0]:
                raise Failure(f"No at the new-game question changed the problem {before[0]!r}"
                              f" to {window.problem!r}")
            self.test.step(self, "No at the new-game question: the same problem, the same counts")
            return window
        if saved:
            self.answer_box(NOTICE_TITLE, SAVED_TEXT + '"')
        # The new game starts its counts from 0.
        self.counts = (0, 0, 0)
        return None

    def leave(self, saved):
        """Alt+X: the goodbye box, the record box when the record was beaten,
        then the end of the program."""
        self.focus(MAIN_TITLE)
        self.keys("alt+x")
        self.answer_box("Data ...", f"Ciao {self.name}, alla prossima sfida!",
                        title_match=lambda t: GOODBYE_TITLE.match(t) is not None)
        if saved:
            self.answer_box(NOTICE_TITLE, SAVED_TEXT)
        self.wait_exit()

    def wait_exit(self):
        end = time.monotonic() + DEADLINE
        while self.process.poll() is None:
            boxes = self.boxes_showing()
            if boxes:
                raise Failure(f"a box shows where the game should end: {[b[:2] for b in boxes]}")
            if time.monotonic() > end:
                raise Failure(f"the game is still running {DEADLINE:.0f} s after its last box")
            time.sleep(POLL)
        if self.process.returncode != 0:
            raise Failure(f"the game exited with status {self.process.returncode}")
        self.test.step(self, "ended with status 0")
        self.test.current = None

    def expect_boxes(self, expected):
        """Every box of the game, title and text, in the order they came."""
        # The goodbye's title holds the date: checked for its form as it showed.
        shown = [("Data <today>" if GOODBYE_TITLE.match(title) else title, text) for title, text in self.boxes]
        if shown != expected:
            raise Failure("the boxes came as\n    " + "\n    ".join(map(repr, shown))
                          + "\n  rather than\n    " + "\n    ".join(map(repr, expected)))


def box_text(node):
    """The text of a box: its labels' names, blank ones left out."""
    return "\n".join(n.name for _, n in walk(node) if n.getRole() == pyatspi.ROLE_LABEL and n.name)


def greeting(name):
    return (GREETING_TITLE, f" {name} vediamo se sei un vero campione  ")


GOODBYE_TITLE = re.compile(r"^Data \S*\d")


def goodbye(name):
    return ("Data <today>", f"Ciao {name}, alla prossima sfida!")


class Test:
    def __init__(self, game, outdir, work):
        self.game = game
        self.outdir = outdir
        self.work = work
        self.records = os.path.join(work, "data", "quozzolo")
        self.skipped = None
        self.current = None
        self.started = time.monotonic()
        self.game_env = dict(os.environ)
        self.game_env.update({
            "HOME": os.path.join(work, "home"),
            "XDG_DATA_HOME": os.path.join(work, "data"),
            "XDG_CONFIG_HOME": os.path.join(work, "config"),
            "XDG_CACHE_HOME": os.path.join(work, "cache"),
            "XDG_RUNTIME_DIR": os.path.join(work, "runtime"),
            "QT_QPA_PLATFORM": "xcb",
            "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
            "QT_ACCESSIBILITY": "1",
        })
        for folder in ("home", "data", "config", "cache", "runtime"):
            os.makedirs(os.path.join(work, folder), mode=0o700, exist_ok=True)

    def xdotool(self, *args, check=True, timeout=5):
        result = subprocess.run(["xdotool", *args], capture_output=True, text=True, timeout=timeout)
        if check and result.returncode != 0:
            raise Failure(f"xdotool {' '.join(args)} failed: {result.stderr.strip()}")
        return result

    def step(self, game, what):
        print(f"e2e: {time.monotonic() - self.started:5.1f}s game {game.number}: {what}", flush=True)

    def screenshot(self, name):
        path = os.path.join(self.outdir, name)
        subprocess.run(["import", "-window", "root", path], check=True, timeout=10)
        return path

    def dump_tree(self, window, name):
        """Role, name and description of every node of the main window."""
        path = os.path.join(self.outdir, name)
        with open(path, "w", encoding="utf-8") as out:
            for depth, node in walk(window.frame):
                out.write(f"{'  ' * depth}{node.getRoleName()} | name={node.name!r}"
                          f" | description={node.description!r}\n")
        return path

    def expect_records(self, score, holder, records=None):
        records = records or self.records
        for file, expected in (("quozrec.txt", score), ("nquozrec.txt", holder)):
            path = os.path.join(records, file)
            if not os.path.isfile(path):
                raise Failure(f"{path} is missing")
            with open(path, "rb") as f:
                content = f.read()
            if content != expected:
                raise Failure(f"{file} holds {content!r} rather than {expected!r}")
        listing = sorted(os.listdir(records))
        if listing != [".~quozrec-lock", "nquozrec.txt", "quozrec.txt"]:
            raise Failure(f"the record folder holds {listing}")
        print(f"e2e: record files hold {score!r} and {holder!r}", flush=True)

    def expect_painted(self, path, game):
        """The main window's part of the screenshot is not one flat colour."""
        window = game.x_window(MAIN_TITLE)
        geometry = dict(line.split("=", 1) for line in
                        self.xdotool("getwindowgeometry", "--shell", window).stdout.split())
        width, height = int(geometry["WIDTH"]), int(geometry["HEIGHT"])
        if width < 792 or height < 554:
            raise Failure(f"the main window is only {width}x{height}")
        spread = subprocess.run(
            ["convert", path, "-crop", f"{width}x{height}+{geometry['X']}+{geometry['Y']}",
             "-colorspace", "Gray", "-format", "%[fx:standard_deviation]", "info:"],
            capture_output=True, text=True, check=True).stdout
        if float(spread) <= 0.05:
            raise Failure(f"the window looks blank (grey spread {spread})")

    def fail(self, message):
        number = self.current.number if self.current else "-"
        print(f"e2e: FAIL (game {number}): {message}", file=sys.stderr, flush=True)
        try:
            print(f"e2e: screen at the failure: {self.screenshot('e2e_failure.png')}", file=sys.stderr)
        except Exception as error:
            print(f"e2e: no screenshot of the failure: {error}", file=sys.stderr)
        game = self.current
        if game is not None:
            try:
                window = game.main_window()
                if window is not None:
                    print(f"e2e: tree of the main window: {self.dump_tree(window, 'e2e_failure_tree.txt')}",
                          file=sys.stderr)
            except Exception:
                pass
            if game.process and game.process.poll() is None:
                game.process.kill()
                game.process.wait()
            if os.path.exists(game.log) and os.path.getsize(game.log):
                print("e2e: the game's output:", file=sys.stderr)
                with open(game.log, errors="replace") as log:
                    for line in log:
                        print("    " + line.rstrip("\n"), file=sys.stderr)
        return 1

    def run(self):
        try:
            self.play()
        except Failure as failure:
            return self.fail(str(failure))
        except subprocess.TimeoutExpired as error:
            return self.fail(f"a tool hung: {error}")
        except Exception:
            # The test's own fault, or the tree in a state it cannot read.
            return self.fail("the test broke off:\n" + traceback.format_exc())
        elapsed = time.monotonic() - self.started
        if self.skipped:
            print(f"e2e: SKIP: the other games played as expected in {elapsed:.1f} s, but {self.skipped}",
                  file=sys.stderr, flush=True)
            return 77
        print(f"e2e: all games played as expected in {elapsed:.1f} s", flush=True)
        return 0

    def play(self):
        # 1. The editing keys, then a wrong answer: the record files are
        #    created empty and stay so.
        anna = Game(self, 1, "Anna")
        anna.open()
        self.expect_records(b"", b"")
        anna.edit_keys()
        window = anna.answer(right=False)
        path = self.screenshot("e2e_window.png")
        self.expect_painted(path, anna)
        print(f"e2e: screenshot {path}; tree {self.dump_tree(window, 'e2e_atspi_tree.txt')}", flush=True)
        anna.leave(saved=False)
        self.expect_records(b"", b"")
        anna.expect_boxes([(NAME_TITLE, "Come ti chiami?"), greeting("Anna"), goodbye("Anna")])

        # 2. One right answer beats the empty record: "E' record" as the next
        #    problem is posed, and leaving saves 1 and Anna.
        anna = Game(self, 2, "Anna")
        anna.open()
        anna.answer(right=True)
        anna.next_problem(record_notice=True)
        anna.leave(saved=True)
        self.expect_records(b"1\r\n", b"Anna\r\n")
        anna.expect_boxes([(NAME_TITLE, "Come ti chiami?"), greeting("Anna"), (NOTICE_TITLE, RECORD_TEXT),
                           goodbye("Anna"), (NOTICE_TITLE, SAVED_TEXT)])

        # 3. Leaving at once beats nothing: no record box, the files as they were.
        bruno = Game(self, 3, "Bruno")
        bruno.open()
        self.screenshot("e2e_record.png")
        bruno.leave(saved=False)
        self.expect_records(b"1\r\n", b"Anna\r\n")
        bruno.expect_boxes([(NAME_TITLE, "Come ti chiami?"), greeting("Bruno"), goodbye("Bruno")])

        # 4. The stored best is read back as 1: one right answer is no record,
        #    the second is, and leaving saves 2 and Carla.
        carla = Game(self, 4, "Carla")
        carla.open()
        carla.answer(right=True)
        carla.next_problem(record_notice=False)
        carla.answer(right=True)
        carla.next_problem(record_notice=True)
        carla.leave(saved=True)
        self.expect_records(b"2\r\n", b"Carla\r\n")
        carla.expect_boxes([(NAME_TITLE, "Come ti chiami?"), greeting("Carla"), (NOTICE_TITLE, RECORD_TEXT),
                            goodbye("Carla"), (NOTICE_TITLE, SAVED_TEXT)])

        # 5. A new game from the menu: No goes on with the same problem; Yes
        #    saves Dario's 3 (that box ends in a double quote), then Elena
        #    starts from 0 and leaving at once saves nothing.
        dario = Game(self, 5, "Dario")
        dario.open()
        for right, notice in ((True, False), (False, False), (True, False), (True, True)):
            dario.answer(right=right)
            dario.next_problem(record_notice=notice)
        dario.new_game(answer=False, saved=False)
        dario.new_game(answer=True, saved=True)
        self.expect_records(b"3\r\n", b"Dario\r\n")
        dario.name = "Elena"
        dario.answer_name()
        dario.wait_open()
        dario.leave(saved=False)
        self.expect_records(b"3\r\n", b"Dario\r\n")
        dario.expect_boxes([(NAME_TITLE, "Come ti chiami?"), greeting("Dario"), (NOTICE_TITLE, RECORD_TEXT),
                            (NEW_GAME_TITLE, NEW_GAME_TEXT), (NEW_GAME_TITLE, NEW_GAME_TEXT),
                            (NOTICE_TITLE, SAVED_TEXT + '"'), (NAME_TITLE, "Come ti chiami?"),
                            greeting("Elena"), goodbye("Elena")])

        # 6. Time out: libfaketime runs the game's clocks TIME_SPEED times
        #    faster (Qt's timers follow it), so the fifteen minutes pass in
        #    seconds. The goodbye comes by itself with the clock at 00:00:00,
        #    and the record beaten meanwhile is saved. Own record folder:
        #    one right answer is a record there.
        library = libfaketime()
        if library is None:
            self.skipped = "the time-out game needs libfaketime (Debian package faketime)"
            return
        data = os.path.join(self.work, "data-timeout")
        franca = Game(self, 6, "Franca", env={"XDG_DATA_HOME": data, "LD_PRELOAD": library,
                                              "FAKETIME": f"+0 x{TIME_SPEED}"})
        franca.open()
        franca.answer(right=True)
        franca.next_problem(record_notice=True)
        def clock_run_out():
            clock = franca.main_window().clock
            if any(int(number) != 0 for number in re.findall(r"\d+", clock)):
                raise Failure(f"the goodbye box came with the clock at {clock!r}")
        franca.answer_box("Data ...", f"Ciao {franca.name}, alla prossima sfida!",
                          title_match=lambda t: GOODBYE_TITLE.match(t) is not None,
                          deadline=3 * 15 * 60 / TIME_SPEED + DEADLINE, check=clock_run_out)
        franca.answer_box(NOTICE_TITLE, SAVED_TEXT)
        franca.wait_exit()
        self.expect_records(b"1\r\n", b"Franca\r\n", os.path.join(data, "quozzolo"))
        franca.expect_boxes([(NAME_TITLE, "Come ti chiami?"), greeting("Franca"), (NOTICE_TITLE, RECORD_TEXT),
                             goodbye("Franca"), (NOTICE_TITLE, SAVED_TEXT)])


def libfaketime():
    """The preload library of Debian's faketime, or None."""
    for pattern in ("/usr/lib/*/faketime/libfaketime.so.1", "/usr/lib/faketime/libfaketime.so.1"):
        found = sorted(glob.glob(pattern))
        if found:
            return found[0]
    return None


def main():
    if len(sys.argv) != 4:
        print("usage: play_e2e.py GAME OUTPUT_DIR WORK_DIR", file=sys.stderr)
        return 2
    return Test(*sys.argv[1:]).run()


if __name__ == "__main__":
    sys.exit(main())
