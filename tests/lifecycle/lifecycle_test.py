#!/usr/bin/env python3
"""The whole life of an install under Wine and Xvfb: the real installer,
tessarim-host finding the library through the registry, Wine's own program
list, the real uninstaller started from its uninstall entry and clicked
with the X server's pointer, and the end of its self-removal script.

Environment: TESSARIM_BIN (the build's bin/), WINEPREFIX (a prefix of the
test's own: it ends the prefix's programs between tests), WINE_RUN (the
runner script), UNMANAGED_WINDOWS (the .reg file that keeps Wine from
waiting for a window manager), DISPLAY. Needs xdotool."""
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time
import unittest

sys.path.insert(0, os.path.dirname(os.environ["WINE_RUN"]))
from wine_program import run, windows  # noqa: E402

BIN = os.environ["TESSARIM_BIN"]
PREFIX = os.environ["WINEPREFIX"]
WINE_RUN = os.environ["WINE_RUN"]
DRIVE_C = os.path.join(PREFIX, "drive_c")

HOST_KEY = r"HKCU\Software\Quorvant"
SHARED_KEY = r"HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\SharedDLLs"
UNINSTALL_KEY = r"HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Tessarim"
CAPTION = "Uninstall Math Intrinsics Add-on Library"
SETUP_CAPTION = "Tessarim 0.0.0.1 Setup"
FOLDER_PAGE_CAPTION = SETUP_CAPTION + ": Installation Folder"

# A folder whose name holds a blank, as Program Files does.
SCRATCH = "lifecycle scratch"
FOLDER = "C:\\" + SCRATCH + "\\Tessarim"
LIBRARY = FOLDER + "\\tessarim.dll"
PROGRAM = FOLDER + "\\UTessarim.exe"
OTHER = "C:\\" + SCRATCH + "\\other\\other.dll"
SECOND_FOLDER = "C:\\" + SCRATCH + "\\Second"
# A text longer than the 260 bytes in which the uninstaller reads each
# host-list value: its scan, and the interpreter's list, end there.
OVERLONG = "C:\\" + "x" * 300 + ".dll"


def linux(path):
    assert path[:3].upper() == "C:\\", path
    return os.path.join(DRIVE_C, *path[3:].rstrip("\\").split("\\"))


def wine(*args, timeout=60):
    return run(PREFIX, *args, timeout=timeout)


def end_wine_programs():
    """Ends every program of the test's own prefix: a dialog left open by a
    failed test keeps its self-removal script retrying, and that slows
    every later Wine start."""
    subprocess.run(["wineserver", "-k"], env=dict(os.environ, WINEPREFIX=PREFIX), capture_output=True, timeout=60)
    subprocess.run(["wineserver", "-w"], env=dict(os.environ, WINEPREFIX=PREFIX), capture_output=True, timeout=60)


def start_wine_server():
    """One server for the whole test, so that Wine starts take no server
    start-up; ended by end_wine_programs."""
    subprocess.run(["wineserver", "-p"], env=dict(os.environ, WINEPREFIX=PREFIX), stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=60)


def probe(*args, timeout=60):
    return wine(os.path.join(BIN, "lifecycle_probe.exe"), *args, timeout=timeout)


def setup_command(options="/S", folder=FOLDER):
    # NSIS takes /D= only unquoted and last, so the command line is given
    # whole, as a shortcut or a deployment tool would give it.
    return '"%s" %s /D=%s' % (windows(os.path.join(BIN, "tessarim-setup.exe")), options, folder)


def install(folder=FOLDER):
    return probe("run", setup_command(folder=folder)).returncode


def registry():
    """{(key, name): (type, data)} of the three places, plus (key, '') for
    each key that exists."""
    out = probe("dump")
    assert out.returncode == 0, out.stderr
    entries = {}
    for line in out.stdout.splitlines():
        key, name, kind, data = line.split("|", 3)
        entries[(key, name)] = (kind, data)
    return entries


def host_list(entries):
    return {name: value for (key, name), value in entries.items() if key == HOST_KEY and name}


def reset(*values):
    """Removes every trace of an install, then puts the host-list values
    given (NAME=text:DATA, NAME=number:N, Func0=fill:N)."""
    shutil.rmtree(os.path.join(DRIVE_C, SCRATCH), ignore_errors=True)
    out = probe("clear", *values)
    assert out.returncode == 0, out.stderr


def place_other_library():
    os.makedirs(os.path.dirname(linux(OTHER)), exist_ok=True)
    shutil.copy(os.path.join(BIN, "other.dll"), linux(OTHER))


def temporary_folder():
    return linux(probe("temp").stdout.strip())


def plugin_folders():
    """The installers' plug-in folders in the temporary folder: one stays
    behind when a DLL loaded from it is still loaded at the end."""
    return {name for name in os.listdir(temporary_folder()) if name.startswith("ns") and name.endswith(".tmp")}


def wait_until(condition, seconds):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if condition():
            return True
        time.sleep(0.25)
    return condition()


def elevated_scripts():
    """The scripts an elevated uninstall writes, under new names in the
    system's temporary folder; Wine runs every process elevated."""
    folder = linux("C:\\windows\\temp")
    return {name for name in os.listdir(folder) if name.startswith("tessarim-") and name.endswith(".bat")}


def uninstall_through_entry(test, command=("uninstaller", "--remove", "Tessarim"), meanwhile=lambda: None):
    """Starts the uninstall as the platform's program list does, from the
    uninstall entry (or as `command` does), clicks OK, runs `meanwhile` and
    waits for the script to finish."""
    script = os.path.join(temporary_folder(), "tessarim.bat")
    earlier = elevated_scripts()
    # Wine's program list runs the entry's UninstallString and waits.
    remover = subprocess.Popen([WINE_RUN, PREFIX, *command], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        found = probe("ok-button", CAPTION, timeout=120)
        test.assertEqual(found.returncode, 0, "the uninstaller's dialog did not appear")
        x, y = found.stdout.split()
        # The pointer, not keys: with no window manager on the display, key
        # events need not reach the dialog.
        subprocess.run(["xdotool", "mousemove", x, y, "click", "1"], check=True, timeout=30)
        meanwhile()
        remover.wait(timeout=120)
    finally:
        if remover.poll() is None:
            remover.kill()
    test.assertTrue(wait_until(lambda: not os.path.exists(script) and not elevated_scripts() - earlier, 90),
                    "the script is still there")
    return script


class Lifecycle(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        start_wine_server()
        out = wine("regedit", "/S", windows(os.environ["UNMANAGED_WINDOWS"]), timeout=300)
        assert out.returncode == 0, out.stderr

    @classmethod
    def tearDownClass(cls):
        end_wine_programs()

    def setUp(self):
        end_wine_programs()
        start_wine_server()
        reset()

    def tearDown(self):
        end_wine_programs()
        reset()

    def test_install_use_uninstall(self):
        # Func0 and a value that is no text before the gap at 2, Func4 after
        # the gap at 3.
        reset("Func0=text:" + OTHER, "Func1=number:7", "Func4=text:C:\\after the gap.dll")
        place_other_library()

        plugins = plugin_folders()
        self.assertEqual(install(), 0)
        self.assertEqual(plugin_folders(), plugins)
        for name in ("tessarim.dll", "UTessarim.exe"):
            with open(os.path.join(BIN, name), "rb") as built, open(linux(FOLDER + "\\" + name), "rb") as installed:
                self.assertEqual(built.read(), installed.read(), name)
        entries = registry()
        size = entries.get((UNINSTALL_KEY, "EstimatedSize"), ("", "0"))
        expected = {
            (HOST_KEY, ""): ("", ""),
            (HOST_KEY, "Func0"): ("REG_SZ", OTHER),
            (HOST_KEY, "Func1"): ("REG_DWORD", "7"),
            (HOST_KEY, "Func2"): ("REG_SZ", LIBRARY),
            (HOST_KEY, "Func4"): ("REG_SZ", "C:\\after the gap.dll"),
            (SHARED_KEY, ""): ("", ""),
            (SHARED_KEY, LIBRARY): ("REG_DWORD", "1"),
            (UNINSTALL_KEY, ""): ("", ""),
            (UNINSTALL_KEY, "DisplayName"): ("REG_SZ", "Tessarim"),
            (UNINSTALL_KEY, "DisplayVersion"): ("REG_SZ", "0.0.0.1"),
            (UNINSTALL_KEY, "Publisher"): ("REG_SZ", "Tessarim"),
            (UNINSTALL_KEY, "UninstallString"): ("REG_SZ", '"%s"' % PROGRAM),
            (UNINSTALL_KEY, "InstallLocation"): ("REG_SZ", FOLDER),
            (UNINSTALL_KEY, "DisplayIcon"): ("REG_SZ", PROGRAM + ",0"),
            (UNINSTALL_KEY, "EstimatedSize"): size,
            (UNINSTALL_KEY, "NoModify"): ("REG_DWORD", "1"),
            (UNINSTALL_KEY, "NoRepair"): ("REG_DWORD", "1"),
        }
        self.assertEqual(entries, expected)
        files_kib = sum(os.path.getsize(linux(FOLDER + "\\" + n)) for n in ("tessarim.dll", "UTessarim.exe")) / 1024
        self.assertEqual(size[0], "REG_DWORD")
        self.assertTrue(files_kib <= int(size[1]) <= files_kib + 8, size)

        # The tool reads Func0 and Func2, steps over Func1 as the installer
        # does, and stops at the gap; PI stays the earlier library's.
        ran = wine(os.path.join(BIN, "tessarim-host.exe"), "SIN(1)", "HELLO", "PI")
        self.assertEqual(ran.returncode, 0, ran.stderr)
        self.assertEqual(ran.stdout.splitlines(), ["SIN(1) = 0.841470985", "HELLO = hello", "PI = 3"])

        listed = wine("uninstaller", "--list")
        self.assertIn("Tessarim", [line.split("|")[-1] for line in listed.stdout.splitlines()])

        script = uninstall_through_entry(self)
        self.assertFalse(os.path.exists(linux(LIBRARY)))
        self.assertFalse(os.path.exists(linux(PROGRAM)))
        self.assertFalse(os.path.exists(linux(FOLDER)))
        self.assertFalse(os.path.exists(script))
        after = registry()
        self.assertEqual(host_list(after), {"Func0": ("REG_SZ", OTHER), "Func1": ("REG_DWORD", "7"),
                                            "Func4": ("REG_SZ", "C:\\after the gap.dll")})
        self.assertNotIn((SHARED_KEY, LIBRARY), after)
        self.assertNotIn((UNINSTALL_KEY, ""), after)

    def test_install_twice_uninstall_once(self):
        self.assertEqual(install(), 0)
        self.assertEqual(install(), 0)
        entries = registry()
        self.assertEqual(host_list(entries), {"Func0": ("REG_SZ", LIBRARY)})
        self.assertEqual(entries[(SHARED_KEY, LIBRARY)], ("REG_DWORD", "2"))

        # UTessarim deletes the count whatever it holds, and the file with it.
        uninstall_through_entry(self)
        after = registry()
        self.assertNotIn((SHARED_KEY, LIBRARY), after)
        self.assertEqual(host_list(after), {})
        self.assertFalse(os.path.exists(linux(LIBRARY)))
        self.assertFalse(os.path.exists(linux(FOLDER)))

    def test_host_list_entry(self):
        """Which FuncN the installer writes, from what the list holds."""
        other_case = LIBRARY.upper()
        cases = [
            ("no list yet", [], {"Func0": LIBRARY}),
            ("a number value takes its place", ["Func0=text:C:\\a.dll", "Func1=number:7"],
             {"Func0": "C:\\a.dll", "Func1": 7, "Func2": LIBRARY}),
            ("first gap", ["Func0=text:C:\\a.dll", "Func2=text:C:\\c.dll"],
             {"Func0": "C:\\a.dll", "Func1": LIBRARY, "Func2": "C:\\c.dll"}),
            ("listed already, other letter case", ["Func0=text:C:\\a.dll", "Func1=text:" + other_case],
             {"Func0": "C:\\a.dll", "Func1": other_case}),
            ("listed only after the gap, where nobody reads it", ["Func1=text:" + LIBRARY],
             {"Func0": LIBRARY, "Func1": LIBRARY}),
            ("names the interpreter would not read", ["Func01=text:C:\\a.dll", "Func-1=text:C:\\b.dll",
                                                      "Funcs=text:C:\\c.dll", "Func256=text:C:\\d.dll"],
             {"Func0": LIBRARY, "Func01": "C:\\a.dll", "Func-1": "C:\\b.dll", "Funcs": "C:\\c.dll",
              "Func256": "C:\\d.dll"}),
            ("an overlong value takes its number", ["Func0=text:" + OVERLONG], {"Func0": OVERLONG, "Func1": LIBRARY}),
            ("listed beyond an overlong value", ["Func0=text:" + OVERLONG, "Func1=text:" + LIBRARY],
             {"Func0": OVERLONG, "Func1": LIBRARY}),
            ("last free number", ["Func0=fill:255"], None),
        ]
        for what, values, expected in cases:
            with self.subTest(what):
                reset(*values)
                self.assertEqual(install(), 0)
                got = host_list(registry())
                if expected is None:
                    self.assertEqual(len(got), 256)
                    self.assertEqual(got["Func255"], ("REG_SZ", LIBRARY))
                    continue
                want = {name: ("REG_DWORD", str(v)) if isinstance(v, int) else ("REG_SZ", v)
                        for name, v in expected.items()}
                self.assertEqual(got, want)

    def test_copy_elsewhere_leaves_the_installation(self):
        """A copy of the uninstaller run from a download folder finds no
        library beside it, and takes nothing of the installation: its
        program-list entry names another folder."""
        self.assertEqual(install(), 0)
        before = registry()
        copy = "C:\\" + SCRATCH + "\\Downloads\\UTessarim.exe"
        os.makedirs(os.path.dirname(linux(copy)))
        shutil.copy(linux(PROGRAM), linux(copy))
        uninstall_through_entry(self, (copy,))
        self.assertFalse(os.path.exists(linux(copy)))
        self.assertEqual(registry(), before)
        self.assertTrue(os.path.exists(linux(LIBRARY)) and os.path.exists(linux(PROGRAM)))

        self.uninstall_leaves_nothing(LIBRARY, {})

    def uninstall_leaves_nothing(self, library, host_values):
        """Uninstalls through the entry: no entry naming `library`, no
        folder, and only `host_values` left in the host list."""
        uninstall_through_entry(self)
        after = registry()
        self.assertEqual(host_list(after), host_values)
        self.assertEqual([(SHARED_KEY, library) in after, (UNINSTALL_KEY, "") in after,
                          os.path.exists(linux(library.rsplit("\\", 1)[0]))], [False] * 3)

    def test_values_that_name_no_library(self):
        """A value before the gap that is no text, or names another
        library: not taken for the library's entry, never deleted."""
        strasse = "C:\\" + SCRATCH + "\\Strasse\\tessarim.dll"
        osaka = "C:\\" + SCRATCH + "\\\u014csaka\\tessarim.dll"
        cases = [
            # (what, Func0 as put, folder installed into, Func0 as read back)
            ("REG_MULTI_SZ holding the library's path", "multi:" + LIBRARY, FOLDER,
             ("type 7", "%d bytes" % (2 * len(LIBRARY) + 4))),
            ("REG_BINARY holding it", "binary:" + LIBRARY, FOLDER, ("type 3", "%d bytes" % (len(LIBRARY) + 1))),
            ("Strasse, installed into Stra\u00dfe", "text:" + strasse, "C:\\" + SCRATCH + "\\Stra\u00dfe",
             ("REG_SZ", strasse)),
            ("\u014csaka, installed into Osaka", "text:" + osaka, "C:\\" + SCRATCH + "\\Osaka", ("REG_SZ", osaka)),
        ]
        for what, value, folder, kept in cases:
            with self.subTest(what):
                reset("Func0=" + value)
                if value.startswith("text:"):
                    os.makedirs(os.path.dirname(linux(value[5:])))
                    shutil.copy(os.path.join(BIN, "other.dll"), linux(value[5:]))
                library = folder + "\\tessarim.dll"
                self.assertEqual(install(folder), 0)
                self.assertEqual(host_list(registry()), {"Func0": kept, "Func1": ("REG_SZ", library)})
                ran = wine(os.path.join(BIN, "tessarim-host.exe"), "SIN(1)")
                self.assertEqual((ran.returncode, ran.stdout), (0, "SIN(1) = 0.841470985\n"), ran.stderr)
                self.uninstall_leaves_nothing(library, {"Func0": kept})

    def test_short_folder_name(self):
        """The paths written are the long ones, whatever form /D= gives, so
        that they are the ones the uninstaller computes from its own path."""
        os.makedirs(linux(FOLDER))
        short = probe("short", FOLDER).stdout.strip()
        self.assertNotEqual(short.lower(), FOLDER.lower(), "the scratch folder has no short form")
        self.assertEqual(install(short), 0)
        self.assertEqual(install(FOLDER), 0)
        entries = registry()
        self.assertEqual(host_list(entries), {"Func0": ("REG_SZ", LIBRARY)})
        self.assertEqual(entries[(SHARED_KEY, LIBRARY)], ("REG_DWORD", "2"))
        self.assertEqual(entries[(UNINSTALL_KEY, "InstallLocation")], ("REG_SZ", FOLDER))

    def assertRefusedWithoutChange(self, before, library_bytes=None):
        entries = registry()
        self.assertEqual(entries, before)
        if library_bytes is None:
            self.assertFalse(os.path.exists(linux(FOLDER)), "the folder was created")
        else:
            with open(linux(LIBRARY), "rb") as f:
                self.assertEqual(f.read(), library_bytes)

    def refused_on_folder_page(self, folder):
        """Runs the installer with its windows, presses Install on the
        folder page, and returns the box's text; the page must stay, and
        Cancel then ends the installer with code 1."""
        with tempfile.TemporaryFile() as out:
            setup = subprocess.Popen([WINE_RUN, PREFIX, os.path.join(BIN, "lifecycle_probe.exe"), "run",
                                      setup_command(options="", folder=folder)], stdout=out, stderr=out)
            try:
                self.assertEqual(probe("press", FOLDER_PAGE_CAPTION, "1", timeout=120).returncode, 0)
                box = probe("answer-box", SETUP_CAPTION, timeout=120)
                self.assertEqual(box.returncode, 0)
                self.assertIn("Nothing was changed.", box.stdout)
                self.assertEqual(probe("press", FOLDER_PAGE_CAPTION, "2", timeout=120).returncode, 0)
                self.assertEqual(setup.wait(timeout=60), 1)
            finally:
                if setup.poll() is None:
                    setup.kill()
        return box.stdout

    def test_refusals_change_nothing(self):
        """Folders the interpreter or the uninstaller could not handle, host
        lists whose scan cannot reach the library, and a second folder:
        refused before anything is written, with their exit codes."""
        cjk = "C:\\" + SCRATCH + "\\\u6570\u5b66"
        too_long = "C:\\" + SCRATCH + "\\" + "L" * (246 - len("C:\\" + SCRATCH + "\\"))
        cases = [
            # (what, host-list values, installed first, folder, code, box text or None)
            ("a letter outside the ANSI code page", [], None, cjk, 6, "cannot be written exactly"),
            ("a letter outside the OEM code page", [], None, "C:\\" + SCRATCH + "\\Pr\u20acmie", 6,
             "code page lacks"),
            ("the uninstaller's own path one too long", [], None, too_long, 6, "is too long"),
            ("installed in another folder", [], SECOND_FOLDER, FOLDER, 7, "installed already in " + SECOND_FOLDER),
        ]
        for what, values, installed, folder, code, text in cases:
            with self.subTest(what):
                reset(*values)
                if installed:
                    self.assertEqual(install(installed), 0)
                before, plugins = registry(), plugin_folders()
                self.assertEqual(install(folder), code)
                self.assertEqual(registry(), before)
                self.assertEqual(plugin_folders(), plugins)
                self.assertFalse(os.path.exists(linux(folder)), "the folder was created")
                if text:
                    self.assertIn(text, self.refused_on_folder_page(folder))
                    self.assertEqual(registry(), before)

    def test_installed_folder_is_the_default_and_a_stale_entry_blocks_nothing(self):
        self.assertEqual(install(SECOND_FOLDER), 0)
        # No /D=: the installed folder again, a reinstall.
        self.assertEqual(probe("run", '"%s" /S' % windows(os.path.join(BIN, "tessarim-setup.exe"))).returncode, 0)
        entries = registry()
        self.assertEqual(entries[(SHARED_KEY, SECOND_FOLDER + "\\tessarim.dll")], ("REG_DWORD", "2"))
        self.assertEqual(host_list(entries), {"Func0": ("REG_SZ", SECOND_FOLDER + "\\tessarim.dll")})

        # The entry's uninstaller is gone: the entry is stale.
        os.remove(linux(SECOND_FOLDER + "\\UTessarim.exe"))
        self.assertEqual(install(FOLDER), 0)
        self.assertEqual(registry()[(UNINSTALL_KEY, "InstallLocation")], ("REG_SZ", FOLDER))

    def test_failed_registry_write_is_undone(self):
        """The uninstall entry cannot be made (no lasting key under a
        volatile one) after the count and the host list were written: what
        the run changed is put back, files it added are removed."""
        for what, installed_before in (("first install", False), ("over an earlier one", True)):
            with self.subTest(what):
                reset("Func0=text:" + OTHER)
                if installed_before:
                    self.assertEqual(install(), 0)
                try:
                    # Also deletes the earlier install's entry.
                    self.assertEqual(probe("uninstall-key", "volatile").returncode, 0)
                    before = registry()
                    self.assertEqual(install(), 5)
                    self.assertEqual(registry(), before)
                    self.assertEqual(os.path.exists(linux(LIBRARY)), installed_before)
                    # Folders the run made go too: the scratch folder was new.
                    self.assertEqual(os.path.exists(linux("C:\\" + SCRATCH)), installed_before)
                finally:
                    self.assertEqual(probe("uninstall-key", "lasting").returncode, 0)

    def test_double_byte_folder_is_removed_whole(self):
        """Code page 932, as on a Japanese system: the second byte of the
        folder's last letter is a backslash's, and the script must still
        remove the folder, and nothing beside it."""
        os.environ["WINE_LOCALE"] = "ja_JP.UTF-8"
        try:
            end_wine_programs()
            start_wine_server()
            self.assertEqual(probe("codepages").stdout.split(), ["932", "932"], "no ja_JP.UTF-8 locale")
            # The second byte of \u30dd is 124 (|), which the script cannot carry.
            refused = "C:\\" + SCRATCH + "\\\u30dd"
            self.assertEqual(install(refused), 6)
            self.assertFalse(os.path.exists(linux(refused)))
            folder = "C:\\" + SCRATCH + "\\\u8868"
            sibling = linux("C:\\" + SCRATCH + "\\sibling.txt")
            os.makedirs(os.path.dirname(sibling), exist_ok=True)
            with open(sibling, "w") as f:
                f.write("stays")
            self.assertEqual(install(folder), 0)
            self.assertTrue(os.path.exists(linux(folder + "\\UTessarim.exe")))
            uninstall_through_entry(self)
            self.assertFalse(os.path.exists(linux(folder)), "the folder stayed")
            with open(sibling) as f:
                self.assertEqual(f.read(), "stays")
            after = registry()
            self.assertEqual(host_list(after), {})
            self.assertNotIn((UNINSTALL_KEY, ""), after)
            self.assertNotIn((SHARED_KEY, folder + "\\tessarim.dll"), after)
        finally:
            del os.environ["WINE_LOCALE"]
            end_wine_programs()
            start_wine_server()

    def test_full_host_list_is_refused(self):
        reset("Func0=fill:256")
        before = registry()
        self.assertEqual(install(), 4)
        self.assertRefusedWithoutChange(before)

    def test_library_in_use_is_refused(self):
        self.assertEqual(install(), 0)
        before = registry()
        with open(linux(LIBRARY), "rb") as f:
            library_bytes = f.read()
        # tessarim-host holds the installed library while it waits for lines.
        holder = subprocess.Popen([WINE_RUN, PREFIX, os.path.join(BIN, "tessarim-host.exe"), "--library", LIBRARY],
                                  stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        try:
            holder.stdin.write("SIN(1)\n")
            holder.stdin.flush()
            # The answer comes once the library is loaded and registered.
            answer = []
            reader = threading.Thread(target=lambda: answer.append(holder.stdout.readline()))
            reader.start()
            reader.join(60)
            self.assertEqual(answer, ["SIN(1) = 0.841470985\n"])
            # A box in silent mode would hold the installer until the timeout.
            self.assertEqual(probe("run", setup_command(), timeout=60).returncode, 3)
            self.assertRefusedWithoutChange(before, library_bytes)

            # With its windows the folder page refuses it and stays.
            self.assertIn(LIBRARY + " is in use by a running program", self.refused_on_folder_page(FOLDER))
            self.assertRefusedWithoutChange(before, library_bytes)
        finally:
            holder.stdin.close()
            holder.wait(timeout=60)
            holder.stdout.close()

    def assertInstalledAndRemovable(self, count="1"):
        """Everything of an install into FOLDER is there, the registry names
        it as the uninstaller will derive it from its own path, and the
        uninstall through the program list leaves nothing."""
        entries = registry()
        self.assertTrue(os.path.exists(linux(LIBRARY)) and os.path.exists(linux(PROGRAM)))
        self.assertEqual(host_list(entries), {"Func0": ("REG_SZ", LIBRARY)})
        self.assertEqual(entries[(SHARED_KEY, LIBRARY)], ("REG_DWORD", count))
        self.assertEqual(entries[(UNINSTALL_KEY, "InstallLocation")], ("REG_SZ", FOLDER))
        self.assertEqual(entries[(UNINSTALL_KEY, "UninstallString")], ("REG_SZ", '"%s"' % PROGRAM))
        self.uninstall_leaves_nothing(LIBRARY, {})

    def test_other_forms_of_the_folder(self):
        """Forms that name FOLDER another way install into FOLDER and write
        it in its one form, so that the plain form installs over them."""
        os.makedirs(linux("C:\\" + SCRATCH))
        short_parent = probe("short", "C:\\" + SCRATCH).stdout.strip()
        self.assertNotEqual(short_parent.lower(), ("C:\\" + SCRATCH).lower(), "no short form")
        for form in (FOLDER + ".", FOLDER + "\\.", "C:\\" + SCRATCH + "\\x\\..\\Tessarim",
                     FOLDER.replace("\\", "/"), short_parent + "\\Tessarim"):
            with self.subTest(form):
                reset()
                os.makedirs(linux("C:\\" + SCRATCH))
                self.assertEqual(install(form), 0)
                self.assertEqual(install(FOLDER), 0)
                self.assertInstalledAndRemovable(count="2")

    def refused_before_page(self, folder):
        """Runs the installer with its windows and returns the text of the
        box that refuses /D= before any page; the code must be 6."""
        with tempfile.TemporaryFile() as out:
            setup = subprocess.Popen([WINE_RUN, PREFIX, os.path.join(BIN, "lifecycle_probe.exe"), "run",
                                      setup_command(options="", folder=folder)], stdout=out, stderr=out)
            try:
                box = probe("answer-box", SETUP_CAPTION, timeout=120)
                self.assertEqual(box.returncode, 0)
                self.assertEqual(setup.wait(timeout=60), 6)
            finally:
                if setup.poll() is None:
                    setup.kill()
        return box.stdout

    def test_folders_that_are_no_folder_on_a_drive(self):
        """/D= that names no plain folder on a drive: 6, with the reason,
        and nothing changed, in silent mode too (NSIS itself would have
        installed into a folder of its choice)."""
        in_scratch = "C:\\" + SCRATCH + "\\"
        cases = [
            ("rel", "is not a full path"),
            ("C:rel", "is not a full path"),
            ("\\rel", "is not a full path"),
            (in_scratch + "rtG\\NUL", "keeps for a device"),
            (in_scratch + "rtH\\com1", "keeps for a device"),
            (in_scratch + "nul .txt\\T", "keeps for a device"),
            (in_scratch + "LPT\u00b2\\T", "keeps for a device"),
            ("C:\\CON", "keeps for a device"),
            ("\\\\.\\" + in_scratch + "rtF", "network path"),
            ("\\\\?\\" + in_scratch + "rtF", "network path"),
            ("\\\\server\\share\\T", "network path"),
            (in_scratch + "dot.\\T", "ends in a dot or a blank"),
            (in_scratch + "blank \\T", "ends in a dot or a blank"),
            (in_scratch + "x:y", "holds a folder name"),
            (in_scratch + "a|b", "holds a folder name"),
            (in_scratch + "file.txt\\T", "A file stands"),
            ("Q:\\T", "does not exist"),
            ("C:\\", "a drive's root"),
        ]
        os.makedirs(linux(in_scratch))
        with open(linux(in_scratch + "file.txt"), "w") as f:
            f.write("a file")
        before = registry()
        shown = set()
        for folder, text in cases:
            with self.subTest(folder):
                self.assertEqual(install(folder), 6)
                self.assertEqual(registry(), before)
                self.assertEqual(os.listdir(linux(in_scratch)), ["file.txt"])
                # Each reason's box once, with its windows.
                if text not in shown:
                    shown.add(text)
                    message = self.refused_before_page(folder)
                    self.assertIn(text, message)
                    self.assertIn("Nothing was changed.", message)

    def test_running_uninstaller_is_refused(self):
        """A running program in UTessarim.exe's place cannot be replaced:
        3, and nothing changed. The probe, copied there, runs the install."""
        self.assertEqual(install(), 0)
        shutil.copy(os.path.join(BIN, "lifecycle_probe.exe"), linux(PROGRAM))
        before = registry()
        ran = wine(linux(PROGRAM), "run", setup_command())
        self.assertEqual(ran.returncode, 3)
        self.assertEqual(registry(), before)
        with open(linux(PROGRAM), "rb") as program, open(os.path.join(BIN, "lifecycle_probe.exe"), "rb") as copy:
            self.assertEqual(program.read(), copy.read())

    def test_shared_count_saturates(self):
        self.assertEqual(probe("count", LIBRARY, "0xFFFFFFFF").returncode, 0)
        self.assertEqual(install(), 0)
        self.assertInstalledAndRemovable(count="4294967295")

    def test_removal_scripts(self):
        """A young self-removal script naming the folder means its uninstall
        is not over: 3 after a short wait, nothing changed. An old one, or
        one naming another folder, blocks nothing."""
        user_script = os.path.join(temporary_folder(), "tessarim.bat")
        system_script = os.path.join(linux("C:\\windows\\temp"), "tessarim-0badcafe.bat")
        old = time.time() - 3600
        cases = [
            # (script, names FOLDER, last written, code)
            (user_script, True, None, 3),
            (system_script, True, None, 3),
            (user_script, True, old, 0),
            (system_script, False, None, 0),
        ]
        for script, ours, written, code in cases:
            with self.subTest(script=script, ours=ours, old=written is not None):
                reset()
                folder = FOLDER if ours else SECOND_FOLDER
                with open(script, "wb") as f:
                    f.write(b'del "%s\\UTessarim.exe"\r\nrmdir "%s"\r\n' % (folder.encode(), folder.encode()))
                if written:
                    os.utime(script, (written, written))
                try:
                    before = registry()
                    self.assertEqual(install(), code)
                    if code:
                        self.assertEqual(registry(), before)
                        self.assertFalse(os.path.exists(linux(FOLDER)))
                        self.assertIn("Try again in a minute.", self.refused_on_folder_page(FOLDER))
                finally:
                    os.remove(script)

    def test_install_right_after_uninstall(self):
        """An install started at several delays after the uninstall's OK
        either waits its turn (3, and the uninstall ends with nothing left)
        or lands whole and stays removable: never an entry whose uninstaller
        the old script deletes."""
        for delay in (0, 1, 2, 4):
            with self.subTest(delay=delay):
                reset()
                self.assertEqual(install(), 0)
                codes = []
                uninstall_through_entry(self, meanwhile=lambda: codes.append(time.sleep(delay) or install()))
                code = codes[0]
                print("install %s s after OK: exit %s" % (delay, code), file=sys.stderr)
                self.assertIn(code, (0, 3))
                if code == 3:
                    self.assertFalse(os.path.exists(linux(FOLDER)))
                    self.assertEqual(host_list(registry()), {})
                    self.assertNotIn((UNINSTALL_KEY, ""), registry())
                else:
                    self.assertInstalledAndRemovable()


if __name__ == "__main__":
    unittest.main(verbosity=2)
