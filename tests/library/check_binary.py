#!/usr/bin/env python3
"""Checks the built tessarim.dll as a file: exports, imports, the shared
section and the resources, decompiled with windres and compared."""
import argparse
import struct
import subprocess
import sys

EXPECTED_RESOURCES = """\
LANGUAGE 9, 1

STRINGTABLE
BEGIN
  29, "Requires the Quorvant REXX interpreter"
  30, "Requires a later version of the Quorvant REXX interpreter"
END

1 VERSIONINFO
 FILEVERSION 0, 0, 0, 1
 PRODUCTVERSION 0, 0, 0, 1
 FILEFLAGSMASK 0x3f
 FILEOS 0x40004
 FILETYPE 0x2
BEGIN
  BLOCK "StringFileInfo"
  BEGIN
    BLOCK "040904b0"
    BEGIN
      VALUE "CompanyName", ""
      VALUE "FileDescription", "Quorvant Math Intrinsics add-on"
      VALUE "FileVersion", "0, 0, 0, 1"
      VALUE "InternalName", "Tessarim"
      VALUE "OriginalFilename", ""
      VALUE "ProductName", "Tessarim"
      VALUE "ProductVersion", "0, 0, 0, 1"
    END
  END
  BLOCK "VarFileInfo"
  BEGIN
    VALUE "Translation", 0x409, 1200
  END
END
"""

SHARED_TAIL = (b"quorvant.dll\0RexxGetQuorvantFuncs\0tessarim\0"
               b"3.141592653589793238462643383279502884197169399375\0")
# The 124-byte name block, written out: the one check of these bytes that
# does not derive them from the function list.
NAME_BLOCK = (b"\x00\x04ACOS\x05ACOSH\x04ASIN\x05ASINH\x04ATAN\x05ATANH\x04CEIL"
              b"\x03COS\x04COSH\x05COTAN\x03CSC\x03EXP\x04FACT\x05FLOOR\x03LOG"
              b"\x05LOG10\x02PI\x03POW\x05ROUND\x03SEC\x03SIN\x04SINH\x04SQRT"
              b"\x03TAN\x04TANH\x00")
ALLOWED_IMPORTS = {"kernel32.dll", "user32.dll", "msvcrt.dll"}
# The system runtime's functions the handlers must call, not a statically
# linked copy (mingw-w64's own pow is far less accurate).
RUNTIME_IMPORTS = {"acos", "asin", "cosh", "sinh", "tanh", "pow"}

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


class Pe:
    def __init__(self, data):
        self.data = data
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        assert data[pe:pe + 4] == b"PE\0\0"
        sections, opt_size = struct.unpack_from("<H12xH", data, pe + 6)
        opt = pe + 24
        self.directories = [struct.unpack_from("<II", data, opt + 96 + 8 * i) for i in range(16)]
        self.sections = []
        at = opt + opt_size
        for _ in range(sections):
            name, vsize, va, rsize, rptr = struct.unpack_from("<8sIIII", data, at)
            flags = struct.unpack_from("<I", data, at + 36)[0]
            self.sections.append((name.rstrip(b"\0").decode(), va, vsize, rptr, rsize, flags))
            at += 40

    def offset(self, rva):
        for _, va, vsize, rptr, rsize, _ in self.sections:
            if va <= rva < va + max(vsize, rsize):
                return rva - va + rptr
        raise ValueError(hex(rva))

    def cstring(self, rva):
        at = self.offset(rva)
        return self.data[at:self.data.index(b"\0", at)].decode()


def check_exports(pe):
    rva, _ = pe.directories[0]
    at = pe.offset(rva)
    name_rva, base, functions, names, _, names_rva, ordinals_rva = struct.unpack_from("<12xIIIIIII", pe.data, at)
    check(pe.cstring(name_rva) == "TESSARIM.dll", f"export module name {pe.cstring(name_rva)!r}")
    check(functions == 1 and names == 1, f"{functions} exports, {names} names: want exactly one")
    first_name = pe.cstring(struct.unpack_from("<I", pe.data, pe.offset(names_rva))[0])
    ordinal = base + struct.unpack_from("<H", pe.data, pe.offset(ordinals_rva))[0]
    check(first_name == "RexxFeedback", f"export named {first_name!r}")
    check(ordinal == 1, f"RexxFeedback at ordinal {ordinal}")


def imported_names(pe, lookup_rva):
    names = set()
    at = pe.offset(lookup_rva)
    while True:
        entry = struct.unpack_from("<I", pe.data, at)[0]
        if entry == 0:
            return names
        if not entry & 0x80000000:  # by name: a hint, then the name
            names.add(pe.cstring(entry + 2))
        at += 4


def check_imports(pe):
    rva, _ = pe.directories[1]
    at = pe.offset(rva)
    dlls = set()
    msvcrt_entries, msvcrt_names = 0, set()
    while True:
        lookup_rva, name_rva = struct.unpack_from("<I8xI", pe.data, at)
        if name_rva == 0:
            break
        dll = pe.cstring(name_rva).lower()
        dlls.add(dll)
        if dll == "msvcrt.dll":
            msvcrt_entries += 1
            msvcrt_names |= imported_names(pe, lookup_rva)
        at += 20
    check(msvcrt_entries <= 1, f"{msvcrt_entries} import entries for msvcrt.dll: want one")
    check(RUNTIME_IMPORTS <= msvcrt_names, f"not imported from msvcrt.dll: {sorted(RUNTIME_IMPORTS - msvcrt_names)}")
    check(dlls <= ALLOWED_IMPORTS, f"imports from {sorted(dlls - ALLOWED_IMPORTS)}")
    check({"kernel32.dll", "user32.dll"} <= dlls, f"imports {sorted(dlls)}")


def check_shared(pe):
    shared = [s for s in pe.sections if s[0] == "Shared"]
    check(len(shared) == 1, "one section named Shared")
    if not shared:
        return
    _, _, vsize, rptr, _, flags = shared[0]
    check(flags == 0x50000040, f"Shared flags {flags:#x}: want shared, read, initialised data, not writable")
    content = pe.data[rptr:rptr + vsize]
    check(len(NAME_BLOCK) == 124, "expected name block length")
    check(content[:124] == NAME_BLOCK, "the name block opens the Shared section")
    check(content[124:124 + len(SHARED_TAIL)] == SHARED_TAIL, "host name, entry name, library name, pi text follow")


def check_fixed_version(pe):
    at = pe.data.find(struct.pack("<I", 0xFEEF04BD))
    check(at >= 0, "a fixed version block")
    if at < 0:
        return
    fields = struct.unpack_from("<13I", pe.data, at)
    (_, _, fv_ms, fv_ls, pv_ms, pv_ls, mask, flags, os_, type_, subtype, date_ms, date_ls) = fields
    check((fv_ms, fv_ls, pv_ms, pv_ls) == (0, 1, 0, 1), "file and product version 0.0.0.1")
    check((mask, flags, os_, type_, subtype, date_ms, date_ls) == (0x3F, 0, 0x40004, 2, 0, 0, 0),
          f"fixed version fields {fields[6:]}")


def check_resources(windres, path):
    text = subprocess.run([windres, "-i", path, "-O", "rc"], check=True, capture_output=True, text=True).stdout
    # Drop windres's own comments and blank runs; compare what is left.
    lines = [l for l in text.splitlines() if l.strip() and not l.startswith(("/*", "   Name:", "0"))]
    want = [l for l in EXPECTED_RESOURCES.splitlines() if l.strip()]
    check(lines == want, "resources differ:\n" + "\n".join(lines))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--objdump", required=True)
    parser.add_argument("--windres", required=True)
    parser.add_argument("dll")
    args = parser.parse_args()
    with open(args.dll, "rb") as f:
        pe = Pe(f.read())
    check_exports(pe)
    check_imports(pe)
    check_shared(pe)
    check_fixed_version(pe)
    check_resources(args.windres, args.dll)
    # objdump agrees with the hand-read tables on the export.
    dump = subprocess.run([args.objdump, "-p", args.dll], check=True, capture_output=True, text=True).stdout
    check("[   0] RexxFeedback" in dump, "objdump lists RexxFeedback")
    for message in failures:
        print("FAIL:", message)
    print("binary checks passed" if not failures else f"{len(failures)} binary checks failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
