"""Runs a Windows program under Wine (through scripts/wine-run.sh) for the
Python tests and tools, and names Linux files as Windows paths.

Output goes through files, never pipes: a Wine program that starts the
prefix's server or desktop hands them its standard handles, and a pipe
would then stay open until they end."""
import os
import subprocess
import tempfile

WINE_RUN = os.path.join(os.path.dirname(os.path.abspath(__file__)), "wine-run.sh")


def windows(path):
    """A Linux path as Wine's drive Z: names it."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def run(prefix, *args, stdin=b"", timeout=120):
    """Runs PROGRAM ARGS... in the prefix; returns a CompletedProcess with
    the output as text."""
    with tempfile.TemporaryFile() as given, tempfile.TemporaryFile("w+") as out, \
            tempfile.TemporaryFile("w+") as err:
        given.write(stdin)
        given.seek(0)
        ran = subprocess.run([WINE_RUN, prefix, *args], stdin=given, stdout=out, stderr=err, timeout=timeout)
        out.seek(0)
        err.seek(0)
        return subprocess.CompletedProcess(ran.args, ran.returncode, out.read(), err.read())
