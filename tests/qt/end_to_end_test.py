"""Vornic as a user meets it on Linux.

Runs the built program on a private X server with a window manager, puts data
on the real X11 clipboard with xclip, clicks with xdotool, and reads the
windows through AT-SPI as a screen reader does. Run it inside dbus-run-session
so that no bus is left behind.

usage: dbus-run-session -- scripts/with_x_server.sh -- end_to_end_test.py VORNIC
"""

import os
import subprocess
import sys
import time

import pyatspi

WAIT_SECONDS = 30  # generous: only a broken program takes this long
LIMIT_MESSAGE_JAPANESE = (
    "クリップボードの内容が大きいです。\n\nこのソフトの制限は50000文字までです。\n[\"改行文字\"を含みます。]"
)
LIMIT_MESSAGE_ENGLISH = (
    "Clipboard is too long.\n\nThis software limitation is 50000 strings.\n[Include \"Line-feed character\"]"
)


def wait_for(what, predicate, seconds=WAIT_SECONDS, or_none=False):
    deadline = time.monotonic() + seconds
    while True:
        try:
            result = predicate()
        except Exception:  # the tree changes under us while windows come and go
            result = None
        if result:
            return result
        if time.monotonic() > deadline:
            if or_none:
                return None
            raise AssertionError("gave up waiting for " + what)
        time.sleep(0.05)


def check(condition, message):
    if not condition:
        raise AssertionError(message)


class Desktop:
    """The helper programs started on the private X server that
    scripts/with_x_server.sh runs this test on."""

    def __init__(self):
        self.processes = []
        if not os.environ.get("DISPLAY") or os.environ.get("VORNIC_PRIVATE_DISPLAY") != os.environ["DISPLAY"]:
            raise SystemExit("run this under scripts/with_x_server.sh: it needs a private X server")
        os.environ.setdefault("QT_QPA_PLATFORM", "xcb")  # wayland: natively on a compositor

    def start(self, command, **options):
        options.setdefault("stdout", subprocess.DEVNULL)
        options.setdefault("stderr", subprocess.DEVNULL)
        process = subprocess.Popen(command, **options)
        self.processes.append(process)
        return process

    def close(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(timeout=10)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()


def clipboard_holds(target, data):
    result = subprocess.run(["xclip", "-o", "-selection", "clipboard", "-t", target], capture_output=True, timeout=20)
    return result.returncode == 0 and result.stdout == data


# Asked of every owner: no program pastes these.
NOT_DATA = ("TARGETS", "TIMESTAMP", "MULTIPLE", "SAVE_TARGETS")


def pastes(command):
    result = subprocess.run(command, capture_output=True, timeout=20)
    return result.returncode == 0 and result.stdout


def clipboard_is_empty():
    """Nothing for any program to paste: no owner, or one that refuses every
    target but the list of them; natively on Wayland too, where there is one."""
    listed = subprocess.run(["xclip", "-o", "-selection", "clipboard", "-t", "TARGETS"], capture_output=True,
                            text=True, timeout=20).stdout.split()
    if any(pastes(["xclip", "-o", "-selection", "clipboard", "-t", t]) for t in set(listed) - set(NOT_DATA)):
        return False
    if os.environ.get("WAYLAND_DISPLAY"):
        # What a native program pastes is text of a type it knows; KWin 5.27
        # never answers for others offered from X11, and tells wl-paste of no
        # empty clipboard at all.
        try:
            listed = subprocess.run(["wl-paste", "--list-types"], capture_output=True, text=True, timeout=3).stdout
        except subprocess.TimeoutExpired:
            return True
        texts = [t for t in listed.split() if t.startswith("text/") or t in ("UTF8_STRING", "STRING")]
        return not any(pastes(["wl-paste", "--no-newline", "--type", t]) for t in texts)
    return True


def put_on_clipboard(desktop, data, target="UTF8_STRING"):
    if isinstance(data, str):
        data = data.encode("utf-8")
    owner = desktop.start(["xclip", "-quiet", "-selection", "clipboard", "-t", target], stdin=subprocess.PIPE)
    owner.stdin.write(data)
    owner.stdin.close()
    wait_for("xclip to own the clipboard", lambda: clipboard_holds(target, data))
    return owner


def find_all(node, role, name=None):
    found = []
    if node is None:
        return found
    if node.getRole() == role and (name is None or node.name == name):
        found.append(node)
    for child in node:
        found.extend(find_all(child, role, name))
    return found


def find_one(node, role, name=None):
    matches = find_all(node, role, name)
    return matches[0] if matches else None


class Vornic:
    def __init__(self, desktop, program, arguments=()):
        environment = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
        self.process = desktop.start([program, *arguments], env=environment, stdout=None, stderr=None)
        self.app = wait_for("Vornic on the accessibility bus", self.find_application)
        self.app.set_cache_mask(pyatspi.Atspi.Cache.NONE)
        wait_for("the main window", lambda: self.main_window() and self.button(0))

    def find_application(self):
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == "Vornic" and app.get_process_id() == self.process.pid:
                return app
        return None

    def top_level(self, role, name=None):
        return [window for window in self.app if window is not None and window.getRole() == role
                and (name is None or window.name == name)]

    def main_window(self):
        windows = self.top_level(pyatspi.ROLE_FRAME, "Vornic")
        return windows[0] if windows else None

    def about_windows(self):
        return self.top_level(pyatspi.ROLE_FRAME, "Author")

    def message_box(self):
        boxes = self.top_level(pyatspi.ROLE_ALERT) + self.top_level(pyatspi.ROLE_DIALOG)
        return boxes[0] if boxes else None

    def buttons(self):
        """Command1, Command2, Command3 from left to right."""
        found = find_all(self.main_window(), pyatspi.ROLE_PUSH_BUTTON)
        return sorted(found, key=lambda button: extents(button)[0])

    def button(self, position):
        found = self.buttons()
        return found[position] if len(found) == 3 else None

    def count_label(self):
        return find_one(self.main_window(), pyatspi.ROLE_LABEL).name

    def text_box(self):
        text = find_one(self.main_window(), pyatspi.ROLE_TEXT).queryText()
        return text.getText(0, -1)

    def display(self):
        return self.count_label(), self.text_box()

    def menu_item(self, name):
        return find_one(self.main_window(), pyatspi.ROLE_MENU_ITEM, name)

    def choose_menu(self, menu, item):
        click(wait_for("the menu " + menu, lambda: shown(self.menu_item(menu))))
        click(wait_for("the drop-down item " + item, lambda: shown(self.menu_item(item))))

    def press_count(self):
        press(self.button(0))


def extents(accessible):
    box = accessible.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return box.x, box.y, box.width, box.height


def shown(accessible):
    if accessible is None or not accessible.getState().contains(pyatspi.STATE_SHOWING):
        return None
    return accessible if extents(accessible)[2] > 0 else None


# Set by scripts/with_x_server.sh --compositor: no mouse reaches a native
# Wayland window there, so presses are a screen reader's.
COMPOSITOR = os.environ.get("VORNIC_COMPOSITOR")


def click(accessible):
    if COMPOSITOR:
        accessible.queryAction().doAction(0)  # a window it closes may not answer
        return
    x, y, width, height = extents(accessible)
    subprocess.run(["xdotool", "mousemove", "--sync", str(x + width // 2), str(y + height // 2), "click", "1"],
                   check=True)


def press(button):
    """A screen reader's press clicks a moment later: once the button is up, it has."""
    click(button)
    if COMPOSITOR:
        wait_for(button.name + " to come up", lambda: not button.getState().contains(pyatspi.STATE_PRESSED))


def press_space_on(window, button):
    """Focuses the button and presses Space: on the compositor's own keyboard,
    else on the X server's for an X11 Vornic. False where no key reaches it."""
    # A window that wl-copy's own took the focus from gets it back a moment later.
    wait_for("the window to be active", lambda: window.getState().contains(pyatspi.STATE_ACTIVE))
    button.queryComponent().grabFocus()
    wait_for("the focus on " + button.name, lambda: button.getState().contains(pyatspi.STATE_FOCUSED))
    if os.environ.get("VORNIC_KEYBOARD"):
        with open(os.environ["VORNIC_KEYBOARD"], "w") as keyboard:
            keyboard.write("57\n")  # evdev's Space
    elif os.environ.get("QT_QPA_PLATFORM") == "xcb":
        subprocess.run(["xdotool", "key", "space"], check=True)
    else:
        return False
    return True


def window_corner(title):
    ids = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^" + title + "$"], capture_output=True,
                         text=True).stdout.split()
    check(len(ids) == 1, "expected one visible window titled %s, found %d" % (title, len(ids)))
    shell = subprocess.run(["xdotool", "getwindowgeometry", "--shell", ids[0]], capture_output=True,
                           text=True).stdout
    values = dict(line.split("=", 1) for line in shell.split())
    return int(values["X"]), int(values["Y"])


def open_and_close_about_window(vornic, about_menu):
    """Mouse clicks are handled in order: once the about window is up, every
    earlier click has been handled too."""
    vornic.choose_menu(*about_menu)
    about = wait_for("the about window", lambda: vornic.about_windows()[0] if len(vornic.about_windows()) == 1 else None)
    close_label = find_one(about, pyatspi.ROLE_LABEL, "   Close")
    click(close_label)
    wait_for("the about window to close", lambda: not vornic.about_windows())


def check_nothing_changes(vornic, what, about_menu):
    before = vornic.display()
    vornic.press_count()
    open_and_close_about_window(vornic, about_menu)
    check(vornic.display() == before, "%s changed the display: %r -> %r" % (what, before, vornic.display()))
    check(vornic.message_box() is None, what + " showed a message")
    check(vornic.process.poll() is None, "Vornic ended after " + what)


def answer_message_box(vornic):
    box = wait_for("the message box", vornic.message_box)
    text = "\n".join(label.name for label in find_all(box, pyatspi.ROLE_LABEL) if label.name)
    check(box.name == "Vornic", "message box title " + repr(box.name))
    click(find_one(box, pyatspi.ROLE_PUSH_BUTTON))
    wait_for("the message box to close", lambda: vornic.message_box() is None)
    return text


def test_count_and_clear(desktop, vornic):
    check([b.name for b in vornic.buttons()] == ["文字数", "表示クリア", "クリップボードクリア"], "Japanese buttons")
    check(vornic.menu_item("日本語").getState().contains(pyatspi.STATE_CHECKED), "Japanese checked at start")
    check(not vornic.menu_item("英語").getState().contains(pyatspi.STATE_CHECKED), "English unchecked at start")
    # The layout moves the count label under the buttons.
    button_bottom = extents(vornic.button(0))[1] + extents(vornic.button(0))[3]
    wait_for("the count label under the buttons",
             lambda: extents(find_one(vornic.main_window(), pyatspi.ROLE_LABEL))[1] >= button_bottom)

    put_on_clipboard(desktop, "こんにちは\r\nworld 😀\ttab")
    vornic.press_count()
    wait_for("the count", lambda: vornic.display() == (" = 17", "こんにちは\nworld 😀\ttab"))

    click(vornic.button(1))
    wait_for("the display to clear", lambda: vornic.display() == ("", ""))
    check(clipboard_holds("UTF8_STRING", "こんにちは\r\nworld 😀\ttab".encode()), "clear display kept the clipboard")

    vornic.press_count()
    wait_for("the count again", lambda: vornic.count_label() == " = 17")
    click(vornic.button(2))
    wait_for("display and clipboard to clear", lambda: vornic.display() == ("", "") and clipboard_is_empty())
    check_nothing_changes(vornic, "count on an empty clipboard", ("著作", "確認"))


def test_limit_and_language(desktop, vornic):
    put_on_clipboard(desktop, "xyz")
    vornic.press_count()
    wait_for("the count of xyz", lambda: vornic.count_label() == " = 3")

    put_on_clipboard(desktop, "a" * 50001)
    vornic.press_count()
    check(answer_message_box(vornic) == LIMIT_MESSAGE_JAPANESE, "Japanese limit message")
    wait_for("the Japanese limit notice", lambda: vornic.display() == (" = 3", "制限に達しました。"))

    vornic.choose_menu("言語", "英語")
    wait_for("English captions", lambda: [b.name for b in vornic.buttons()] ==
             ["Number of characters", "Clear of display", "Clear of clipboard"])
    check(vornic.menu_item("Author") and vornic.menu_item("Check") and vornic.menu_item("Language"), "English menus")
    check(vornic.menu_item("English").getState().contains(pyatspi.STATE_CHECKED), "English checked")
    check(not vornic.menu_item("Japanese").getState().contains(pyatspi.STATE_CHECKED), "Japanese unchecked")

    vornic.press_count()
    check(answer_message_box(vornic) == LIMIT_MESSAGE_ENGLISH, "English limit message")
    wait_for("the English limit notice", lambda: vornic.display() == (" = 3", "Limitation reached."))

    put_on_clipboard(desktop, "a" * 50000)
    vornic.press_count()
    wait_for("50000 characters accepted", lambda: vornic.count_label() == " = 50000")


def test_about_window(vornic):
    main_x, main_y = window_corner("Vornic")
    vornic.choose_menu("Author", "Check")
    wait_for("the about window", lambda: len(vornic.about_windows()) == 1)
    # 1500 twips at 96 DPI; both windows have the same frame.
    wait_for("the about window at its place", lambda: window_corner("Author") == (main_x + 100, main_y + 100))
    vornic.choose_menu("Author", "Check")
    wait_for("the menu to close (in the click that runs the choice)", lambda: not shown(vornic.menu_item("Check")))
    check(len(vornic.about_windows()) == 1, "a second Check opened a second about window")
    click(find_one(vornic.about_windows()[0], pyatspi.ROLE_LABEL, "   Close"))
    wait_for("the about window to close", lambda: not vornic.about_windows())


def main():
    vornic_program = sys.argv[1]
    desktop = Desktop()
    try:
        vornic = Vornic(desktop, vornic_program)
        test_count_and_clear(desktop, vornic)
        test_limit_and_language(desktop, vornic)
        test_about_window(vornic)
        # The close box of the last window ends the program normally.
        # openbox may still be moving the focus from the closed about window:
        # the key goes again to the activated window until Vornic has ended.
        for _ in range(WAIT_SECONDS // 5):
            subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Vornic$", "windowactivate", "--sync"])
            subprocess.run(["xdotool", "key", "alt+F4"], check=True)  # to the focus: the window is gone on release
            try:
                vornic.process.wait(timeout=5)
                break
            except subprocess.TimeoutExpired:
                pass
        check(vornic.process.wait(timeout=WAIT_SECONDS) == 0, "exit status after the close box")
    finally:
        desktop.close()
    print("end-to-end: all checks passed")


if __name__ == "__main__":
    main()
