"""The test producer (clipboard_producer) that owns the X11 clipboard with
the offers it is given, for the tests and the benchmarks."""

import subprocess


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
