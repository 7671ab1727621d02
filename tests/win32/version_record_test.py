#!/usr/bin/env python3
"""Reads Vornic.exe's resources back from the file: version record, icon, manifest.

Usage: version_record_test.py Vornic.exe VERSION_TEXT VERSION_NUMBERS
where the build derived VERSION_TEXT ("1.00") and VERSION_NUMBERS ("1,0,0,0")
from the project version.
"""
import re
import sys

import pefile

EXPECTED_STRINGS = {
    "CompanyName": "Vornic Project",
    "FileDescription": "Counts the characters of the text on the clipboard",
    "FileVersion": None,
    "InternalName": "Vornic",
    "OriginalFilename": "Vornic.exe",
    "ProductName": "Vornic",
    "ProductVersion": None,
}


def check(condition, message, failures):
    if not condition:
        failures.append(message)


def main(path, version_text, version_numbers):
    pe = pefile.PE(path)
    failures = []
    expected_strings = dict(EXPECTED_STRINGS, FileVersion=version_text, ProductVersion=version_text)
    numbers = [int(part) for part in version_numbers.split(",")]
    high, low = numbers[0] << 16 | numbers[1], numbers[2] << 16 | numbers[3]

    fixed = pe.VS_FIXEDFILEINFO[0]
    check((fixed.FileVersionMS, fixed.FileVersionLS) == (high, low), f"FILEVERSION is not {version_numbers}", failures)
    check((fixed.ProductVersionMS, fixed.ProductVersionLS) == (high, low), f"PRODUCTVERSION is not {version_numbers}",
          failures)

    tables = [table for info in pe.FileInfo[0] if info.Key == b"StringFileInfo" for table in info.StringTable]
    check([table.LangID for table in tables] == [b"041104B0"], f"string tables: {[t.LangID for t in tables]}", failures)
    if tables:
        strings = {key.decode(): value.decode() for key, value in tables[0].entries.items()}
        check(strings == expected_strings, f"string entries: {strings}", failures)

    translations = [
        {key: value.decode() if isinstance(value, bytes) else value for key, value in var.entry.items()}
        for info in pe.FileInfo[0]
        if info.Key == b"VarFileInfo"
        for var in info.Var
    ]
    check(translations == [{b"Translation": "0x0411 0x04b0"}], f"translations: {translations}", failures)

    resources = {entry.id: entry for entry in pe.DIRECTORY_ENTRY_RESOURCE.entries}
    icon_groups = resources.get(pefile.RESOURCE_TYPE["RT_GROUP_ICON"])
    check(icon_groups is not None and icon_groups.directory.entries[0].id == 1, "the first icon is not id 1", failures)
    manifests = resources.get(pefile.RESOURCE_TYPE["RT_MANIFEST"])
    check(manifests is not None, "no manifest", failures)
    if manifests is not None:
        data_entry = manifests.directory.entries[0].directory.entries[0].data.struct
        manifest = pe.get_data(data_entry.OffsetToData, data_entry.Size).decode()
        check("PerMonitorV2" in manifest, "manifest without per-monitor-v2 DPI awareness", failures)
        check("Microsoft.Windows.Common-Controls" in manifest, "manifest without common controls 6", failures)
        identity = re.search(r'<assemblyIdentity type="win32" name="Vornic" version="([^"]*)"', manifest)
        dotted = version_numbers.replace(",", ".")
        check(identity is not None and identity.group(1) == dotted,
              f"manifest's own version is {identity and identity.group(1)}, not {dotted}", failures)

    for failure in failures:
        print("FAILED:", failure)
    print(f"{9 - len(failures)} passed, {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:4]))
