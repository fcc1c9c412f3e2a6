#!/usr/bin/env python3
"""Checks what a built Ringlock.exe declares to Windows: its manifest (run as
the user who starts it, without UI access; written for Windows Vista to 10
and 11; aware of the system's display scale), its icon's image sizes and the header's Terminal Services
flag. Usage: program-check.py PROGRAM...; prints one line per program and
exits 1 on the first that falls short."""
import re
import struct
import sys
import xml.etree.ElementTree as ET

ASM_V1 = "{urn:schemas-microsoft-com:asm.v1}"
ASM_V3 = "{urn:schemas-microsoft-com:asm.v3}"
COMPAT = "{urn:schemas-microsoft-com:compatibility.v1}"
SETTINGS_2005 = "{http://schemas.microsoft.com/SMI/2005/WindowsSettings}"
# Microsoft's identifiers of the Windows versions an application names.
WINDOWS_IDS = {
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}": "Vista",
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}": "7",
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}": "8",
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}": "8.1",
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}": "10 and 11",
}
TERMINAL_SERVER_AWARE = 0x8000
RT_GROUP_ICON = 14


def icon_sizes():
    """The sizes Windows asks for, so that no icon is stretched: the small (16)
    and the large (32) icon at each display scale from 100 % to 200 %, and
    Explorer's largest view."""
    scales = (100, 125, 150, 175, 200)
    return sorted({base * scale // 100 for base in (16, 32) for scale in scales} | {256})


def group_icon_sizes(data, pe):
    """The image sizes of the program's first icon group, from its resources."""
    sections = struct.unpack_from("<H", data, pe + 6)[0]
    optional = struct.unpack_from("<H", data, pe + 20)[0]
    table = pe + 24 + optional
    for i in range(sections):
        name, _, rva, _, raw = struct.unpack_from("<8sIIII", data, table + 40 * i)
        if name.rstrip(b"\0") == b".rsrc":
            break
    else:
        return []

    def entries(offset):
        named, numbered = struct.unpack_from("<HH", data, raw + offset + 12)
        return [struct.unpack_from("<II", data, raw + offset + 16 + 8 * k) for k in range(named + numbered)]

    for ident, target in entries(0):
        if ident == RT_GROUP_ICON:
            name = entries(target & 0x7FFFFFFF)[0][1]
            language = entries(name & 0x7FFFFFFF)[0][1]
            at, _ = struct.unpack_from("<II", data, raw + language)
            group = raw + at - rva
            count = struct.unpack_from("<H", data, group + 4)[0]
            # A width of 256 is written as 0.
            return sorted(data[group + 6 + 14 * k] or 256 for k in range(count))
    return []


def problems(path):
    data = open(path, "rb").read()
    found = []
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        return ["not a PE file"]
    # DllCharacteristics sits 70 bytes into the optional header, which
    # follows the 4-byte signature and the 20-byte file header.
    flags = struct.unpack_from("<H", data, pe + 24 + 70)[0]
    if not flags & TERMINAL_SERVER_AWARE:
        found.append("the header lacks the Terminal Services flag")
    sizes = group_icon_sizes(data, pe)
    if sizes != icon_sizes():
        found.append("the icon holds images of %s pixels" % sizes)
    manifests = re.findall(rb"<assembly .*?</assembly>", data, re.S)
    if len(manifests) != 1:
        return found + ["%d manifests found" % len(manifests)]
    root = ET.fromstring(manifests[0])
    levels = root.findall(".//%strustInfo/%ssecurity/%srequestedPrivileges/%srequestedExecutionLevel"
                          % (ASM_V3, ASM_V3, ASM_V3, ASM_V3))
    if [(e.get("level"), e.get("uiAccess")) for e in levels] != [("asInvoker", "false")]:
        found.append("requestedExecutionLevel is not asInvoker without uiAccess")
    named = [e.get("Id") for e in root.findall(".//%scompatibility/%sapplication/%ssupportedOS"
                                               % (COMPAT, COMPAT, COMPAT))]
    if sorted(named) != sorted(WINDOWS_IDS):
        found.append("supportedOS names %s" % ", ".join(WINDOWS_IDS.get(i, i) for i in named))
    aware = root.findall(".//%sapplication/%swindowsSettings/%sdpiAware" % (ASM_V3, ASM_V3, SETTINGS_2005))
    if [e.text for e in aware] != ["true"]:
        found.append("dpiAware is not true (aware of the system's display scale)")
    return found


def main():
    for path in sys.argv[1:]:
        found = problems(path)
        if found:
            print("%s: %s" % (path, "; ".join(found)))
            return 1
        print("%s: asInvoker, Windows Vista to 11, system DPI aware, icon of %d sizes, Terminal Services aware"
              % (path, len(icon_sizes())))
    return 0


if __name__ == "__main__":
    sys.exit(main())
