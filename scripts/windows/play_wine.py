#!/usr/bin/env python3
"""Plays the Windows build of Quozzolo under Wine, as a player would: on a
virtual X screen (Xvfb), with real X key events (xdotool), reading the screen
from screenshots with Tesseract's Italian OCR. Checks the record files'
bytes, the record folder chosen when the Windows directory is closed or holds
an old record, and the installer's silent install, start and uninstall.

    play_wine.py GAME.exe INSTALLER.exe OUTPUT_DIR

Needs the Wine prefix in $WINEPREFIX (scripts/windows/wine.sh). Prints one
"PASS: ...", "FAIL: ..." or "SKIP: ..." line per check; OUTPUT_DIR gets the
screenshots (NAME.png) and what Tesseract read in them (NAME.txt).
"""
import os
import re
import shutil
import subprocess
import sys
import time

TIMEOUT = 60  # seconds for a box or window to show under a loaded machine


def log(text):
    print(text, flush=True)


def check(ok, what, detail=""):
    log(("PASS: " if ok else "FAIL: ") + what + (f" ({detail})" if detail and not ok else ""))
    return ok


class Screen:
    """An Xvfb of our own, a display number it picks itself."""

    def __init__(self, outdir):
        self.outdir = outdir
        read, write = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-noreset"],
            pass_fds=(write,), stderr=subprocess.DEVNULL)
        os.close(write)
        number = b""
        while not number.endswith(b"\n"):
            chunk = os.read(read, 16)
            if not chunk:
                raise SystemExit("Xvfb did not start")
            number += chunk
        os.close(read)
        os.environ["DISPLAY"] = ":" + number.decode().strip()
        self.shots = 0

    def close(self):
        self.xvfb.terminate()
        self.xvfb.wait()

    def shot(self, name, geometry=None):
        """A screenshot (of the whole screen, or of WxH+X+Y) and its text."""
        path = os.path.join(self.outdir, name + ".png")
        args = ["import", "-silent", "-window", "root"]
        if geometry:
            args += ["-crop", geometry, "+repage"]
        subprocess.run(args + [path], check=True, stderr=subprocess.DEVNULL)
        return path, ocr(path)

    def wait_for(self, name, pattern, title=None, timeout=TIMEOUT):
        """Screenshots (of the window whose title matches title, when given)
        until Tesseract reads pattern; whether it did, and the last text."""
        deadline = time.monotonic() + timeout
        text = ""
        while time.monotonic() < deadline:
            # The box alone reads best; the whole screen while it is not found.
            geometry = window_geometry(title, timeout=0, smallest=100) if title else None
            box = f"{geometry['WIDTH']}x{geometry['HEIGHT']}+{geometry['X']}+{geometry['Y']}" if geometry else None
            _, text = self.shot(name, box)
            if re.search(pattern, text, re.IGNORECASE | re.DOTALL):
                return True, text
            time.sleep(0.5)
        return False, text


def ocr(path, *extra, enlarge=True):
    """What Tesseract reads in the picture. The screen's text is small (about
    12 pixels): cut to what is not background and enlarged three times,
    Tesseract reads it."""
    if enlarge:
        large = os.path.splitext(path)[0] + "-ocr.png"
        subprocess.run(["convert", path, "-trim", "+repage", "-resize", "300%", large], check=True,
                       stderr=subprocess.DEVNULL)
        path = large
    result = subprocess.run(["tesseract", path, "stdout", "-l", "ita", *extra],
                            capture_output=True, text=True)
    text = result.stdout
    with open(os.path.splitext(path)[0] + ".txt", "w", encoding="utf-8") as f:
        f.write(text)
    return text


def xdotool(*args):
    return subprocess.run(["xdotool", *args], capture_output=True, text=True).stdout


def keys(*names):
    xdotool("key", "--delay", "150", *names)
    time.sleep(0.5)


def type_text(text):
    xdotool("type", "--delay", "150", text)
    time.sleep(0.3)


def window_geometry(title, timeout=TIMEOUT, smallest=200):
    """The position and size of the visible window whose title matches
    title (a regular expression), or None."""
    deadline = time.monotonic() + timeout
    while True:
        ids = xdotool("search", "--onlyvisible", "--name", title).split()
        for window in reversed(ids):
            out = xdotool("getwindowgeometry", "--shell", window)
            values = dict(line.split("=", 1) for line in out.split() if "=" in line)
            if int(values.get("WIDTH", 0)) > smallest:
                return {k: int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT")}
        if time.monotonic() >= deadline:
            return None
        time.sleep(0.5)


class Wine:
    def __init__(self):
        self.prefix = os.environ["WINEPREFIX"]
        self.drive = os.path.join(self.prefix, "drive_c")

    def path(self, windows_path):
        """The Linux path of C:\\..."""
        assert windows_path[:3].upper() == "C:\\"
        return os.path.join(self.drive, *windows_path[3:].split("\\"))

    def start(self, exe, *args):
        return subprocess.Popen(["wine", exe, *args], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def run(self, *args, timeout=300):
        return subprocess.run(["wine", *args], capture_output=True, timeout=timeout).returncode

    def wait_gone(self, process, timeout=TIMEOUT):
        try:
            process.wait(timeout=timeout)
            return True
        except subprocess.TimeoutExpired:
            process.kill()
            subprocess.run(["wineserver", "-k"])
            return False


def user_folder(wine, name):
    """The Linux path of the Wine user's folder C:\\users\\<user>\\NAME."""
    users = os.path.join(wine.drive, "users")
    for user in sorted(os.listdir(users)):
        if user != "Public" and os.path.isdir(os.path.join(users, user, name)):
            return os.path.join(users, user, name)
    return os.path.join(users, os.environ.get("USER", "root"), name)


def bytes_of(path):
    try:
        with open(path, "rb") as f:
            return f.read()
    except OSError:
        return None


def read_problem(screen, geometry, name):
    """The division on show, read from the window's top: (dividend, divisor)."""
    # Below the menu bar, the row of the division.
    menu = 22
    box = f"{geometry['WIDTH']}x{geometry['HEIGHT'] // 6}+{geometry['X']}+{geometry['Y'] + menu}"
    for attempt in range(3):
        path, _ = screen.shot(f"{name}-{attempt}", box)
        # The numbers are black on their labels; the background gradient can
        # be nearly black too, but never quite: keep the black alone, then
        # wipe the labels' one-pixel frames.
        clean = os.path.splitext(path)[0] + "-clean.png"
        subprocess.run(["convert", path, "-fuzz", "5%", "-fill", "white", "+opaque", "black",
                        "-morphology", "Close", "Square:1", "-bordercolor", "white", "-border", "20", clean],
                       check=True)
        text = ocr(clean, "--psm", "11", "-c", "tessedit_char_whitelist=0123456789-", enlarge=False)
        numbers = [int(n) for n in re.findall(r"-?\d+", text)]
        if len(numbers) == 2 and numbers[1] != 0 and numbers[0] % numbers[1] == 0 \
                and abs(numbers[0] // numbers[1]) <= 11:
            return numbers[0], numbers[1]
        time.sleep(0.5)
    return None


def read_colour(screen, geometry, name, top, height, colour, fuzz):
    """The text of one colour in a band of the window (top and height in
    parts of its height), black on white for Tesseract."""
    box = (f"{geometry['WIDTH']}x{int(geometry['HEIGHT'] * height)}"
           f"+{geometry['X']}+{geometry['Y'] + int(geometry['HEIGHT'] * top)}")
    path, _ = screen.shot(name, box)
    clean = os.path.splitext(path)[0] + "-clean.png"
    subprocess.run(["convert", path, "-fuzz", fuzz, "-fill", "white", "+opaque", colour,
                    "-fill", "black", "-opaque", colour, "-resize", "300%",
                    "-bordercolor", "white", "-border", "20", clean], check=True)
    return ocr(clean, "--psm", "11", enlarge=False)


def wait_for_verdict(screen, geometry, name, pattern, timeout=TIMEOUT):
    """Reads the verdict line (red italic, on the gradient) until pattern
    shows; whether it did, and the last text read."""
    menu = 22
    box = f"{min(700, geometry['WIDTH'])}x80+{geometry['X'] + 80}+{geometry['Y'] + menu + 115}"
    deadline = time.monotonic() + timeout
    text = ""
    attempt = 0
    while time.monotonic() < deadline:
        path, _ = screen.shot(f"{name}-{attempt % 3}", box)
        # Only the red text, black on white; closer to pure red in turn, for
        # a background that is reddish itself.
        fuzz = ("25%", "12%", "6%")[attempt % 3]
        clean = os.path.splitext(path)[0] + "-clean.png"
        subprocess.run(["convert", path, "-fuzz", fuzz, "-fill", "white", "+opaque", "red",
                        "-fill", "black", "-opaque", "red", "-resize", "200%",
                        "-bordercolor", "white", "-border", "20", clean], check=True)
        text = ocr(clean, "--psm", "7", enlarge=False)
        if re.search(pattern, text, re.IGNORECASE):
            return True, text
        attempt += 1
        time.sleep(0.5)
    return False, text


def start_up(screen, wine, exe, name, tag):
    """Starts the game and gets past the name box and the greeting; the
    running process and the window's geometry (None on a failure)."""
    game = wine.start(exe)
    ok, text = screen.wait_for(f"{tag}-name-box", r"Come ti chiami", title="^Gioca con le Quozzolo")
    if not check(ok, f"{tag}: the name box shows (\"Come ti chiami?\")", text.strip()[:200]):
        return game, None
    # With no window manager the box may show without the keyboard: click
    # into its line, as a player would.
    box = window_geometry("^Gioca con le Quozzolo", timeout=5, smallest=100)
    if box:
        xdotool("mousemove", str(box["X"] + box["WIDTH"] // 2), str(box["Y"] + box["HEIGHT"] * 45 // 100),
                "click", "1")
        time.sleep(0.3)
    type_text(name)
    keys("Return")
    ok, text = screen.wait_for(f"{tag}-greeting", r"vediamo se sei un vero campione",
                               title="^Sei pronto per il record")
    if not check(ok, f"{tag}: the greeting shows", text.strip()[:200]):
        return game, None
    keys("Return")
    geometry = window_geometry("Giochiamo con le Quozzolo")
    check(geometry is not None, f"{tag}: the window shows")
    return game, geometry


def leave(screen, wine, game, tag, name_seen, saved):
    """Alt+X, the goodbye, and the saved box when a record was beaten."""
    keys("alt+x")
    ok, text = screen.wait_for(f"{tag}-goodbye", r"Ciao .*alla prossima", title="^Data ")
    # Tesseract reads a short name poorly (Zoë as "Zoé", "206"): the record
    # file's bytes show the name, the goodbye is checked by its words.
    check(ok, f"{tag}: the goodbye shows", text.strip()[:200])
    log(f"{tag}: goodbye read as {text.strip()!r}; the player is {name_seen!r}")
    keys("Return")
    if saved:
        ok, text = screen.wait_for(f"{tag}-saved", r"ho registrato il tuo record", title="^Quozzolo$")
        check(ok, f"{tag}: the saved box shows", text.strip()[:200])
        keys("Return")
    check(wine.wait_gone(game), f"{tag}: the game ends")


def play_a_game(screen, wine, exe, outdir):
    """Name with a letter outside ASCII, a wrong and a right answer, Alt+X,
    the goodbye and the saved box, the files' bytes. The Windows directory is
    closed, so the record goes to the player's own folder."""
    windows = os.path.join(wine.drive, "windows")
    own = os.path.join(user_folder(wine, os.path.join("AppData", "Roaming")), "Quozzolo")
    # No machine-wide folder (an earlier installation's) and no record yet.
    shutil.rmtree(wine.path("C:\\ProgramData\\Quozzolo"), ignore_errors=True)
    shutil.rmtree(own, ignore_errors=True)
    closed = subprocess.run(["chattr", "+i", windows], capture_output=True).returncode == 0
    try:
        game, geometry = start_up(screen, wine, exe, "Zoë", "play")
        if geometry is None:
            wine.wait_gone(game, 1)
            return
        time.sleep(1)
        screen.shot("play-window")
        # Wrong: no quotient here is above 11.
        type_text("999")
        keys("Return")
        ok, text = wait_for_verdict(screen, geometry, "play-wrong", r"Sbagliato\S*\s*-?\d")
        check(ok, "play: a wrong answer is told \"Sbagliato!!\" with the right quotient", text.strip()[:200])
        screen.shot("play-wrong")
        keys("Return")  # cmdNext has the focus: the next problem
        time.sleep(1)
        problem = read_problem(screen, geometry, "play-problem")
        if check(problem is not None, "play: the problem reads as an exact division"):
            dividend, divisor = problem
            log(f"play: read {dividend} : ({divisor})")
            # Into the answer box, as a player who clicks it first.
            xdotool("mousemove", str(geometry["X"] + geometry["WIDTH"] * 87 // 100),
                    str(geometry["Y"] + 22 + geometry["HEIGHT"] // 12), "click", "1")
            time.sleep(0.5)
            type_text(str(dividend // divisor))
            screen.shot("play-answer")
            keys("Return")
            ok, text = wait_for_verdict(
                screen, geometry, "play-right", r"Esatto|Continua cos|Sei proprio in gamba|Un altro punto per il record")
            check(ok, "play: a right answer is praised", text.strip()[:200])
            screen.shot("play-right")
        leave(screen, wine, game, "play", "Zo", saved=problem is not None)
    finally:
        if closed:
            subprocess.run(["chattr", "-i", windows])
    if not closed:
        log("SKIP: play: the Windows directory could not be closed (chattr): the fallback is not shown")
        return
    score, holder = bytes_of(os.path.join(own, "quozrec.txt")), bytes_of(os.path.join(own, "nquozrec.txt"))
    log(f"play: record files in {own}: quozrec.txt {score!r}, nquozrec.txt {holder!r}")
    check(score == b"1\r\n", "play: the score file holds 1 CR LF", repr(score))
    check(holder == b"Zo\xeb\r\n", "play: the holder file holds the name in cp1252 (ë = EB) and CR LF", repr(holder))
    check(not os.path.exists(os.path.join(windows, "quozrec.txt")), "play: nothing written in the closed Windows directory")


def old_record_kept(screen, wine, exe):
    """An old record in the (open) Windows directory stays in use."""
    windows = os.path.join(wine.drive, "windows")
    with open(os.path.join(windows, "quozrec.txt"), "wb") as f:
        f.write(b"7\r\n")
    with open(os.path.join(windows, "nquozrec.txt"), "wb") as f:
        f.write(b"Vecchio\r\n")
    try:
        game, geometry = start_up(screen, wine, exe, "Ada", "old")
        if geometry is not None:
            time.sleep(1)
            screen.shot("old-window")
            # The record line: the holder in blue, the score in magenta.
            holder = read_colour(screen, geometry, "old-holder", 0.78, 0.22, "#0000FF", "8%")
            # Closer to the label's colour in turn, for a background near it.
            for fuzz in ("15%", "8%", "4%"):
                score = read_colour(screen, geometry, "old-score", 0.78, 0.22, "#C000C0", fuzz)
                if re.search(r"\b7\b", score):
                    break
            check("Vecchio" in holder and re.search(r"\b7\b", score) is not None,
                  "old: the window shows the old record (Vecchio, 7)", f"{holder.strip()!r} {score.strip()!r}")
            check(os.path.exists(os.path.join(windows, ".~quozrec-lock")), "old: the record in the Windows directory is used")
            leave(screen, wine, game, "old", "Ada", saved=False)
        else:
            wine.wait_gone(game, 1)
        check(bytes_of(os.path.join(windows, "quozrec.txt")) == b"7\r\n", "old: a lower score leaves the old record")
    finally:
        for name in ("quozrec.txt", "nquozrec.txt", ".~quozrec-lock"):
            if os.path.exists(os.path.join(windows, name)):
                os.remove(os.path.join(windows, name))


def installer(screen, wine, setup):
    """Silent install, the installed game started, silent uninstall."""
    if not os.path.exists(setup):
        log("FAIL: installer: no installer was built")
        return
    status = wine.run(setup, "/S")
    program = wine.path("C:\\Program Files\\Quozzolo")
    exe = os.path.join(program, "quozzolo.exe")
    records = wine.path("C:\\ProgramData\\Quozzolo")
    link = wine.path("C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Quozzolo.lnk")
    check(status == 0 and os.path.exists(exe), "installer: /S installs quozzolo.exe", f"exit {status}")
    for name in ("uninstall.exe", "quozzolo.ico", "LICENZA.txt", "LICENZE-Qt.txt", "LGPL-3.0.txt"):
        check(os.path.exists(os.path.join(program, name)), f"installer: {name} installed")
    check(os.path.exists(link), "installer: the Start-menu entry is made")
    link_bytes = bytes_of(link) or b""
    check("quozzolo.ico".encode("utf-16-le") in link_bytes or b"quozzolo.ico" in link_bytes,
          "installer: the Start-menu entry carries the icon")
    check(os.path.isdir(records), "installer: the machine-wide record folder is made")

    game, geometry = start_up(screen, wine, "C:\\Program Files\\Quozzolo\\quozzolo.exe", "Eva", "installed")
    if geometry is not None:
        leave(screen, wine, game, "installed", "Eva", saved=False)
    else:
        wine.wait_gone(game, 1)
    check(os.path.exists(os.path.join(records, "quozrec.txt")),
          "installed: the game keeps its record in the installer's folder")

    # The uninstaller hands over to a copy of itself and ends at once: wait
    # for what the copy removes.
    status = wine.run("C:\\Program Files\\Quozzolo\\uninstall.exe", "/S")
    deadline = time.monotonic() + TIMEOUT
    while time.monotonic() < deadline and (os.path.exists(exe) or os.path.exists(link)):
        time.sleep(0.5)
    check(status == 0 and not os.path.exists(exe) and not os.path.exists(link)
          and not os.path.exists(os.path.join(program, "uninstall.exe")),
          "uninstaller: /S removes the program and the Start-menu entry", f"exit {status}")
    check(os.path.exists(os.path.join(records, "quozrec.txt")), "uninstaller: the records stay")
    shutil.rmtree(program, ignore_errors=True)


def main():
    if len(sys.argv) != 4:
        raise SystemExit(__doc__)
    exe, setup, outdir = sys.argv[1:]
    os.makedirs(outdir, exist_ok=True)
    wine = Wine()
    screen = Screen(outdir)
    try:
        play_a_game(screen, wine, exe, outdir)
        old_record_kept(screen, wine, exe)
        installer(screen, wine, setup)
    finally:
        subprocess.run(["wineserver", "-k"], capture_output=True)
        screen.close()


if __name__ == "__main__":
    main()
