"""Vornic against the clipboards that real X11 programs make.

For each profile of the table, a producer program (never Vornic; once xclip
itself) puts exactly the targets named on the real X11 clipboard; the real
Vornic is clicked with xdotool and read through AT-SPI. Then Clear of clipboard, pressed while the
producer still owns the clipboard, must leave no program anything to paste.
Run on a private X server, in its own bus:

usage: dbus-run-session -- scripts/with_x_server.sh [--compositor C [--native]] -- clipboard_table_test.py VORNIC PRODUCER

On a compositor, wl-copy owns the clipboard with the desktop's profiles, and
Clear is pressed by key too; natively, a refused clear must end in a message.

With VORNIC_SCREENSHOTS set to a folder, the screen is saved there after
each profile.
"""

import os
import subprocess
import sys
import time

import end_to_end_test as e2e
from clipboard_offers import GNOME_FILES, NAUTILUS_FILES, URI_LIST, start_producer

NOTHING = ("nothing changes, no message",)
LIMIT = ("the limit message",)
# The limit message, then the owner still answers another program.
LIMIT_OWNER_GOES_ON = ("the limit message, then the owner answers others",)
# The real xclip as the owner: it serves one transfer at a time, so one left
# unfinished would leave it answering nobody.
XCLIP = ["(xclip)"]


def counts(label, text):
    return ("counts", label, text)


def fails(operation):
    return ("a message naming the failed operation, then exit status 1", operation)


JAPANESE = "日本語" * 16000  # 144000 bytes of UTF-8: three pieces, split inside characters

# name, producer options, {TARGET[:TYPE]: bytes}, outcome
PROFILES = [
    ("UTF8_STRING only", [], {"UTF8_STRING": "Grüße, 世界 😀".encode()}, counts(" = 12", "Grüße, 世界 😀")),
    ("text/plain;charset=utf-8 only", [], {"text/plain;charset=utf-8": "naïve\r\ncafé".encode()},
     counts(" = 9", "naïve\ncafé")),
    ("STRING only, Latin-1", [], {"STRING": b"caf\xe9"}, counts(" = 4", "café")),
    # TEXT leaves the encoding to the owner: this one answers in UTF-8.
    ("TEXT only", [], {"TEXT:UTF8_STRING": "日本 text".encode()}, counts(" = 7", "日本 text")),
    ("UTF8_STRING refused, STRING served", ["--refuse", "UTF8_STRING"], {"UTF8_STRING": b"x", "STRING": b"caf\xe9"},
     counts(" = 4", "café")),
    ("a link copied as text", [], {"UTF8_STRING": b"https://example.org/page"},
     counts(" = 24", "https://example.org/page")),
    ("COMPOUND_TEXT only", [], {"COMPOUND_TEXT": b"caf\xe9 \x1b%G" + "日本".encode() + b"\x1b%@"},
     counts(" = 7", "café 日本")),
    # As Xlib writes it in a Japanese locale: JIS X 0208 and half-width katakana.
    ("COMPOUND_TEXT in Japanese", [],
     {"COMPOUND_TEXT": b"Vornic\x1b$)B\xa4\xc7\xc6\xfc\xcb\xdc\xb8\xec\xa4\xc8\x1b)I\xb6\xc5"
                       b"\x1b$)B\xa4\xf2\xbf\xf4\xa4\xa8\xa4\xeb\xa1\xa3"},
     counts(" = 18", "Vornicで日本語とｶﾅを数える。")),
    ("UTF8_STRING sent incrementally", ["--incr"], {"UTF8_STRING": JAPANESE.encode()}, counts(" = 48000", JAPANESE)),
    # The first piece says how the text is encoded; the empty last one may say anything.
    ("UTF8_STRING sent incrementally, its end typed STRING", ["--incr", "--end-type", "STRING"],
     {"UTF8_STRING": "日本 text".encode()}, counts(" = 7", "日本 text")),
    ("UTF8_STRING as 16-bit items, STRING as text", ["--format-16", "UTF8_STRING"],
     {"UTF8_STRING": b"wrong", "STRING": b"caf\xe9s"}, counts(" = 5", "cafés")),
    # Drained before STRING is asked: this owner answers no one until the transfer ends, as xclip.
    ("UTF8_STRING in 16-bit pieces, STRING, one transfer at a time", ["--one-at-a-time", "--format-16", "UTF8_STRING"],
     {"UTF8_STRING": b"wrong!", "STRING": b"caf\xe9s"}, counts(" = 5", "cafés")),
    ("UTF8_STRING, INCR without a size (Alacritty)", ["--incr-no-size"], {"UTF8_STRING": "Grüße".encode()},
     counts(" = 5", "Grüße")),
    ("image/png only", [], {"image/png": b"\x89PNG\r\n\x1a\n"}, NOTHING),
    ("text/uri-list only", [], URI_LIST, NOTHING),
    ("x-special/gnome-copied-files with text/uri-list", [], GNOME_FILES, NOTHING),
    ("GTK 3 Nautilus: files", [], NAUTILUS_FILES, NOTHING),
    ("text/html only", [], {"text/html": b"<b>bold</b> text"}, NOTHING),
    ("10 MB of text sent incrementally", ["--incr"], {"UTF8_STRING": b"a" * 10_000_000}, LIMIT),
    ("200 MB of text sent incrementally", ["--incr"], {"UTF8_STRING": b"a" * 200_000_000}, LIMIT),
    # xclip sends more than about 1 MB incrementally (its share of the largest X request).
    ("10 MB of text from xclip, sent incrementally", XCLIP, {"UTF8_STRING": b"x" * 10_000_000}, LIMIT_OWNER_GOES_ON),
    ("an owner that never answers", ["--silent"], {"UTF8_STRING": b"never sent"}, NOTHING),
    # Last: they end Vornic. Four pieces, 2 s apart: the whole read has 5 s.
    ("an owner that sends its pieces slowly", ["--slow", "2000"], {"UTF8_STRING": "日".encode() * 50000},
     fails("ClipboardGetText")),
    ("an owner that dies in the middle of an incremental transfer", ["--die-mid-incr"],
     {"UTF8_STRING": b"b" * 300_000}, fails("ClipboardGetText")),
]


# A native Wayland owner, as a desktop user copies: a text, files, a picture
# and a text over the limit.
WAYLAND = ["(wl-copy)"]
WAYLAND_PROFILES = [
    ("a text with Japanese and a line break", WAYLAND, {"text/plain;charset=utf-8": "日本語の\r\ntext".encode()},
     counts(" = 8", "日本語の\ntext")),
    ("a file list", WAYLAND, URI_LIST, NOTHING),
    ("a picture", WAYLAND, {"image/png": b"\x89PNG\r\n\x1a\n"}, NOTHING),
    ("50001 units", WAYLAND, {"text/plain;charset=utf-8": b"a" * 50001}, LIMIT),
]


def own_natively(programs, offers):
    (mime_type, data), = offers.items()
    # mutter has no data-control: each wl-paste takes the focus a moment, which
    # wl-copy needs to take the clipboard, and XWayland's bridge answers xclip
    # without it. KWin and sway answer X11 programs only while one has focus.
    ask = ["xclip", "-o", "-selection", "clipboard", "-t", "TARGETS"] if e2e.COMPOSITOR == "mutter" else [
        "wl-paste", "--list-types"]
    for _ in range(3):  # a loaded mutter may give its window no focus: a user copies again
        owner = programs.start(["wl-copy", "--foreground", "--type", mime_type], stdin=subprocess.PIPE)
        owner.stdin.write(data)
        owner.stdin.close()
        if e2e.wait_for("wl-copy to own the clipboard", lambda: mime_type in subprocess.run(
                ask, capture_output=True, text=True, timeout=20).stdout.split(), seconds=10, or_none=True):
            return owner
        owner.terminate()
    raise AssertionError("wl-copy never owned the clipboard")


def start_owner(programs, producer_program, options, offers):
    if options is WAYLAND:
        return own_natively(programs, offers)
    if options is XCLIP:
        (target, data), = offers.items()
        return e2e.put_on_clipboard(programs, data, target)
    return start_producer([producer_program] + options, offers, start=programs.start)


def check_outcome(vornic, name, outcome):
    kind = outcome[0]
    if kind == NOTHING[0]:
        e2e.check_nothing_changes(vornic, name, ("著作", "確認"))
    elif kind in (LIMIT[0], LIMIT_OWNER_GOES_ON[0]):
        before = vornic.count_label()
        start = time.monotonic()
        vornic.press_count()
        e2e.wait_for("the message box", vornic.message_box)
        # Promptly, however much the owner has: reading it all took seconds.
        e2e.check(time.monotonic() - start < 4, name + ": the limit message came late")
        e2e.check(e2e.answer_message_box(vornic) == e2e.LIMIT_MESSAGE_JAPANESE, name + ": limit message")
        e2e.wait_for(name + ": the limit notice", lambda: vornic.display() == (before, "制限に達しました。"))
        if kind == LIMIT_OWNER_GOES_ON[0]:
            e2e.wait_for(name + ": the owner to answer another program", lambda: not e2e.clipboard_is_empty())
    elif kind == "counts":
        vornic.press_count()
        e2e.wait_for("%s: %s and its text" % (name, outcome[1]), lambda: vornic.display() == outcome[1:])
        e2e.check(vornic.message_box() is None, name + " showed a message")
    else:
        vornic.press_count()
        check_failure_ends_vornic(vornic, name, e2e.wait_for("the message box", vornic.message_box), outcome[1])


def check_failure_ends_vornic(vornic, name, box, operation):
    message = "\n".join(label.name for label in e2e.find_all(box, e2e.pyatspi.ROLE_LABEL) if label.name)
    e2e.check(operation + " failed" in message, "%s: the message %r names no %s" % (name, message, operation))
    e2e.click(e2e.find_one(box, e2e.pyatspi.ROLE_PUSH_BUTTON))
    e2e.check(vornic.process.wait(timeout=e2e.WAIT_SECONDS) == 1, name + ": exit status")


def check_clear_clipboard(vornic, producer, name, by_key=False):
    """True once no program has anything to paste; False once a refused clear's message ended Vornic."""
    if by_key:
        e2e.check(e2e.press_space_on(vornic.main_window(), vornic.button(2)), name + ": no key reaches Vornic")
    else:
        e2e.click(vornic.button(2))
    e2e.wait_for(name + ": display cleared", lambda: vornic.display() == ("", ""))
    if os.environ.get("QT_QPA_PLATFORM") == "wayland":
        outcome = e2e.wait_for(name + ": the clipboard cleared, or a message", lambda: vornic.message_box() or (
            producer.poll() is not None and e2e.clipboard_is_empty()))
        if outcome is not True:
            check_failure_ends_vornic(vornic, name, outcome, "ClipboardClear")
            return False
    e2e.wait_for(name + ": nothing to paste", e2e.clipboard_is_empty)
    e2e.check(producer.wait(timeout=e2e.WAIT_SECONDS) == 0, name + ": the producer kept the clipboard")
    if e2e.COMPOSITOR:
        time.sleep(1.5)  # a manager undoes a clear at once; Vornic watches for that a moment
        e2e.check(vornic.message_box() is None and e2e.clipboard_is_empty(), name + ": the clear did not hold")
    return True


def check_clear_by_key_outlives_vornic(programs, vornic, vornic_program):
    """Pressed by key where one reaches Vornic, Clear of clipboard takes on
    every compositor, and the clipboard stays empty once Vornic has ended."""
    # A Vornic started after the copy: natively, mutter tells only the window
    # with the focus of a copy, and after a clear may give Vornic none back.
    vornic.process.terminate()
    vornic.process.wait(timeout=e2e.WAIT_SECONDS)
    (name, options, offers, outcome), = WAYLAND_PROFILES[:1]
    producer = start_owner(programs, None, options, offers)
    vornic = e2e.Vornic(programs, vornic_program)
    manager = os.environ.get("VORNIC_CLIPBOARD_MANAGER")
    check_outcome(vornic, name, outcome)  # so that the clear has something to clear
    by_key = bool(os.environ.get("VORNIC_KEYBOARD")) or os.environ.get("QT_QPA_PLATFORM") == "xcb"
    cleared = check_clear_clipboard(vornic, producer, name + (", cleared by key" if by_key else ""), by_key)
    e2e.check(cleared or not by_key, "a clear by key was refused")
    if cleared:
        vornic.press_count()  # no menu: after a key, mutter opens none of a Wayland window for a screen reader
        e2e.check(vornic.display() == ("", "") and vornic.message_box() is None, "a count after the clear did something")
        vornic.process.terminate()
        vornic.process.wait(timeout=e2e.WAIT_SECONDS)
        # Natively the clipboard then has no owner, and Klipper refills such a one.
        if manager == "klipper" and os.environ.get("QT_QPA_PLATFORM") == "wayland":
            e2e.wait_for(manager + " to put the text back", lambda: not e2e.clipboard_is_empty())
        else:
            time.sleep(1.5)  # a manager refills an ownerless clipboard at once
            e2e.check(e2e.clipboard_is_empty(), "after Vornic ended, the clipboard has something to paste again")


def main():
    vornic_program, producer_program = sys.argv[1:3]
    screenshots = os.environ.get("VORNIC_SCREENSHOTS")
    programs = e2e.Desktop()
    try:
        vornic = e2e.Vornic(programs, vornic_program)
        for number, (name, options, offers, outcome) in enumerate(WAYLAND_PROFILES if e2e.COMPOSITOR else PROFILES):
            if vornic.process.poll() is not None:
                vornic = e2e.Vornic(programs, vornic_program)
            producer = start_owner(programs, producer_program, options, offers)
            check_outcome(vornic, name, outcome)
            if screenshots:
                subprocess.run(["import", "-window", "root", os.path.join(screenshots, "%02d.png" % number)],
                               check=True)
            if vornic.process.poll() is None:
                check_clear_clipboard(vornic, producer, name)
            producer.stdin.close()
            if options is WAYLAND and producer.poll() is None:
                producer.terminate()  # it kept the clipboard: a clear that was refused
            producer.wait(timeout=e2e.WAIT_SECONDS)
            print("%-60s %s" % (name, ": ".join(outcome[:2])[:60]))
        if e2e.COMPOSITOR:
            check_clear_by_key_outlives_vornic(programs, vornic, vornic_program)
    finally:
        programs.close()
    print("clipboard table: all profiles passed")


if __name__ == "__main__":
    main()
