"""The X11 clipboard's shapes and the test producer (clipboard_producer) that
owns the clipboard with them, for the tests and the benchmarks."""

import subprocess

# One file copied in a file manager: the lists of files, and the text form
# GTK 3 Nautilus adds to them.
FILE_URI = b"file:///home/user/report.pdf"
URI_LIST = {"text/uri-list": FILE_URI + b"\r\n"}
GNOME_FILES = {"x-special/gnome-copied-files": b"copy\n" + FILE_URI, **URI_LIST}
NAUTILUS_TEXT = b"x-special/nautilus-clipboard\ncopy\n" + FILE_URI + b"\n"
NAUTILUS_FILES = {**GNOME_FILES, "UTF8_STRING": NAUTILUS_TEXT, "text/plain": NAUTILUS_TEXT}


def start_producer(command, offers, start=subprocess.Popen, **options):
    """Starts the producer (its program and options) offering
    {TARGET[:TYPE]: bytes} and returns it once it owns the clipboard. It ends
    when its input closes or another program takes the clipboard."""
    producer = start(command + ["%s=%d" % (target, len(data)) for target, data in offers.items()],
                     stdin=subprocess.PIPE, stdout=subprocess.PIPE, **options)
    for data in offers.values():
        producer.stdin.write(data)
    producer.stdin.flush()
    if producer.stdout.readline().strip() != b"ready":
        raise AssertionError("the producer did not take the clipboard")
    return producer
