"""Vornic as a screen reader meets it on Linux.

Lists the controls of each window through AT-SPI with their roles and names,
and uses every button, menu item and the about window's Close label through
their AT-SPI actions only: no mouse and no keyboard. Runs on its own X server
like end_to_end_test.py, whose helpers it shares; run it inside
dbus-run-session.

usage: accessibility_test.py VORNIC [--announces]
  --announces  Vornic is built with a Qt that announces (6.8 and later):
               a count must be spoken without the reader going to the label
"""

import os
import sys
import tempfile

import pyatspi
from gi.repository import GLib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from end_to_end_test import (Desktop, Vornic, check, clipboard_holds, clipboard_is_empty,  # noqa: E402
                             extents, find_one, put_on_clipboard, shown, wait_for)

TEXT_BOX_NAME = "クリップボードのテキスト (Clipboard text)"
SAMPLE = "読み上げ\r\nscreen reader"  # 4 + 13 characters between the line break


def is_checked(accessible):
    return accessible.getState().contains(pyatspi.STATE_CHECKED)


def outline(node, depth=0):
    """What a screen reader can reach: every node with a role worth reading,
    indented as in the tree. Fillers and scroll bars are left out."""
    lines = []
    role = node.getRole()
    if role not in (pyatspi.ROLE_FILLER, pyatspi.ROLE_SCROLL_BAR):
        entry = "%s%s %r" % ("  " * depth, node.getRoleName(), node.name)
        if is_checked(node):
            entry += " (checked)"
        lines.append(entry)
        depth += 1
    if role != pyatspi.ROLE_TEXT:
        for child in node:
            if child is not None:
                lines.extend(outline(child, depth))
    return lines


def children_of(node, role):
    found = []
    for child in node:
        if child is None:
            continue
        if child.getRole() == role:
            found.append(child)
        else:
            found.extend(children_of(child, role))
    return found


def action_names(accessible):
    action = accessible.queryAction()
    return [action.getName(i) for i in range(action.nActions)]


def do(accessible, name):
    """Runs the named AT-SPI action, as a screen reader's 'activate' does."""
    names = action_names(accessible)
    check(name in names, "%s %r offers %r, not %r" % (accessible.getRoleName(), accessible.name, names, name))
    check(accessible.queryAction().doAction(names.index(name)), "%r refused %s" % (accessible.name, name))


def menus(vornic):
    """{menu title: [(item, checked), ...]} in menu bar order."""
    bar = children_of(vornic.main_window(), pyatspi.ROLE_MENU_BAR)
    check(len(bar) == 1, "one menu bar")
    result = {}
    for title in children_of(bar[0], pyatspi.ROLE_MENU_ITEM):
        check(action_names(title) == ["ShowMenu"], "menu %r opens with ShowMenu" % title.name)
        result[title.name] = [(item.name, is_checked(item)) for item in children_of(title, pyatspi.ROLE_MENU_ITEM)]
    return result


def choose(vornic, menu, item):
    """Opens the drop-down and presses the item, as a screen reader user would."""
    do(wait_for("the menu " + menu, lambda: shown(vornic.menu_item(menu))), "ShowMenu")
    do(wait_for("the item " + item, lambda: shown(vornic.menu_item(item))), "Press")
    wait_for("the drop-down to close", lambda: not shown(vornic.menu_item(item)))


def close_label(about):
    found = [label for label in children_of(about, pyatspi.ROLE_LABEL) if label.name == "   Close"]
    return found[0] if found else None


def button_names(vornic):
    return [button.name for button in vornic.buttons()]


def test_main_window_reads_fully(vornic):
    window = vornic.main_window()
    print("\n".join(outline(window)))
    buttons = vornic.buttons()
    check(button_names(vornic) == ["文字数", "表示クリア", "クリップボードクリア"], "buttons named by their captions")
    for button in buttons:
        check(action_names(button)[0] == "Press", "button %r can be pressed" % button.name)
        check(button.getState().contains(pyatspi.STATE_FOCUSABLE), "button %r takes focus" % button.name)
    texts = children_of(window, pyatspi.ROLE_TEXT)
    check([text.name for text in texts] == [TEXT_BOX_NAME], "one named text box, found %r" % texts)
    check(texts[0].getState().contains(pyatspi.STATE_EDITABLE), "the text box is editable")
    check(texts[0].getState().contains(pyatspi.STATE_FOCUSABLE), "the text box takes focus")
    check([label.name for label in children_of(window, pyatspi.ROLE_LABEL)] == [""], "one empty count label")
    check(menus(vornic) == {"著作": [("確認", False)], "言語": [("英語", False), ("日本語", True)]},
          "Japanese menus: %r" % menus(vornic))


def test_buttons_through_actions(desktop, vornic):
    put_on_clipboard(desktop, SAMPLE)
    do(vornic.button(0), "Press")
    wait_for("the count", lambda: vornic.display() == (" = 17", "読み上げ\nscreen reader"))

    do(vornic.button(1), "Press")
    wait_for("the display to clear", lambda: vornic.display() == ("", ""))
    check(clipboard_holds("UTF8_STRING", SAMPLE.encode()), "clear display kept the clipboard")

    do(vornic.button(0), "Press")
    wait_for("the count again", lambda: vornic.count_label() == " = 17")
    do(vornic.button(2), "Press")
    wait_for("display and clipboard to clear", lambda: vornic.display() == ("", "") and clipboard_is_empty())


def test_count_is_announced(desktop, vornic):
    """The count is spoken as soon as it is shown, as a live region is on Windows."""
    heard = []
    listener = lambda event: heard.append((event.any_data, event.detail1))  # noqa: E731
    pyatspi.Registry.registerEventListener(listener, "object:announcement")
    try:
        put_on_clipboard(desktop, "twelve chars")
        do(vornic.button(0), "Press")
        def delivered():  # events arrive through GLib's main loop
            while GLib.MainContext.default().iteration(False):
                pass
            return heard
        wait_for("the announcement", delivered)
        check(heard == [(" = 12", 1)], "heard %r, not one polite ' = 12'" % heard)
    finally:
        pyatspi.Registry.deregisterEventListener(listener, "object:announcement")


def test_language_through_menus(vornic):
    choose(vornic, "言語", "英語")
    wait_for("English captions",
             lambda: button_names(vornic) == ["Number of characters", "Clear of display", "Clear of clipboard"])
    check(menus(vornic) == {"Author": [("Check", False)], "Language": [("English", True), ("Japanese", False)]},
          "English menus: %r" % menus(vornic))
    # The text box keeps its name: it carries both languages.
    check([text.name for text in children_of(vornic.main_window(), pyatspi.ROLE_TEXT)] == [TEXT_BOX_NAME],
          "text box name after switching")


def test_about_window_reads_and_closes(vornic):
    choose(vornic, "Author", "Check")
    about = wait_for("the about window", lambda: vornic.about_windows()[0] if len(vornic.about_windows()) == 1
                     else None)
    print("\n".join(outline(about)))
    labels = {label.name.rstrip("\n"): label for label in children_of(about, pyatspi.ROLE_LABEL)}
    check(sorted(labels) == sorted(["Vornic Project", "Released 2026-12-07", "Vornic Team",
                                    "a@example.org", "   Close"]), "about labels: %r" % sorted(labels))
    for name, label in labels.items():
        check(shown(label), "label %r is on the screen" % name)
    check([image.name for image in children_of(about, pyatspi.ROLE_IMAGE)] == ["Vornic icon"], "the named icon")
    # Only the Close label does something when pressed.
    check([name for name, label in labels.items() if action_names(label)] == ["   Close"], "only Close is pressable")
    do(labels["   Close"], "Press")
    wait_for("the about window to close", lambda: not vornic.about_windows())

    # A fresh one opens again and closes the same way.
    choose(vornic, "Author", "Check")
    about = wait_for("the about window again", lambda: vornic.about_windows()[0] if vornic.about_windows() else None)
    do(wait_for("its Close label", lambda: close_label(about)), "Press")
    wait_for("the about window to close again", lambda: not vornic.about_windows())
    check(vornic.process.poll() is None, "Vornic still runs")


def message_boxes(vornic):
    return vornic.top_level(pyatspi.ROLE_ALERT) + vornic.top_level(pyatspi.ROLE_DIALOG)


def test_nothing_reenters_the_limit_box(desktop, vornic):
    """The box keeps out the mouse, not a screen reader: presses on the main
    window's buttons while it is open must do nothing. The about window still
    works."""
    put_on_clipboard(desktop, SAMPLE)
    do(vornic.button(0), "Press")
    wait_for("the count", lambda: vornic.count_label() == " = 17")
    choose(vornic, "Author", "Check")
    about = wait_for("the about window", lambda: vornic.about_windows()[0] if vornic.about_windows() else None)
    put_on_clipboard(desktop, "b" * 50001)
    do(vornic.button(0), "Press")
    box = wait_for("the limit box", lambda: message_boxes(vornic)[0] if message_boxes(vornic) else None)
    for position in range(3):
        do(vornic.button(position), "Press")
    do(wait_for("its Close label", lambda: close_label(about)), "Press")
    wait_for("the about window to close behind the box", lambda: not vornic.about_windows())
    # A press clicks a moment later; once the buttons are up, their clicks have run.
    wait_for("the pressed buttons to come up",
             lambda: not any(vornic.button(i).getState().contains(pyatspi.STATE_PRESSED) for i in range(3)))
    check(len(message_boxes(vornic)) == 1, "a press opened a second limit box")
    check(vornic.display() == (" = 17", "読み上げ\nscreen reader"), "a press changed the display: %r" % (vornic.display(),))
    check(clipboard_holds("UTF8_STRING", b"b" * 50001), "a press emptied the clipboard")
    do(find_one(box, pyatspi.ROLE_PUSH_BUTTON), "Press")
    wait_for("the limit notice", lambda: vornic.display() == (" = 17", "Limitation reached."))
    check(not message_boxes(vornic), "another box followed the first")


def test_command_line_is_ignored(desktop, program):
    """Vornic takes no command line, so Qt's own options must not reach Qt:
    no mirrored layout, no other title, no style sheet read from a file."""
    with tempfile.NamedTemporaryFile("w", suffix=".qss", delete=False) as style:
        style.write("QPushButton { min-height: 200px; }\n")
    try:
        other = Vornic(desktop, program, ["-reverse", "-qwindowtitle", "Other", "-stylesheet", style.name])
        check(other.main_window() is not None, "the main window is titled Vornic")
        check(button_names(other) == ["文字数", "表示クリア", "クリップボードクリア"], "buttons left to right, not mirrored")
        bar = children_of(other.main_window(), pyatspi.ROLE_MENU_BAR)[0]
        titles = sorted(children_of(bar, pyatspi.ROLE_MENU_ITEM), key=lambda title: extents(title)[0])
        check([title.name for title in titles] == ["著作", "言語"], "menus left to right, not mirrored")
        heights = [extents(button)[3] for button in other.buttons()]
        check(heights == [25, 25, 25], "buttons 375 twips high, not styled from a file: %r" % heights)
        other.process.terminate()
        other.process.wait(timeout=10)
    finally:
        os.unlink(style.name)


def main():
    desktop = Desktop()
    try:
        vornic = Vornic(desktop, sys.argv[1])
        test_main_window_reads_fully(vornic)
        test_buttons_through_actions(desktop, vornic)
        if "--announces" in sys.argv[2:]:
            test_count_is_announced(desktop, vornic)
        test_language_through_menus(vornic)
        test_about_window_reads_and_closes(vornic)
        test_nothing_reenters_the_limit_box(desktop, vornic)
        test_command_line_is_ignored(desktop, sys.argv[1])
    finally:
        desktop.close()
    print("accessibility: all checks passed")


if __name__ == "__main__":
    main()
