#!/usr/bin/env python3
"""Prints every property of one contact in a PST, and of its attachments, as JSON.

  contact_properties.py FILE.pst[.xz] DISPLAY_NAME

Output: {"properties": {KEY: HEX}, "attachments": [{KEY: HEX}]}, where KEY is
"3001001F" for a tagged property and "PSETID_Address:8083:001F" (set, LID or
name, type) for a named one, and HEX the value's bytes as libpff reads them.
The contact is the one message anywhere in the store whose PidTagDisplayName
is DISPLAY_NAME; exit 1 when there is not exactly one. A .xz file is
decompressed to a temporary file first.
"""
import json
import lzma
import os
import struct
import sys
import tempfile
import uuid

sys.path.append("/usr/lib/python3/dist-packages")
import pypff  # noqa: E402

SETS = {
    "00062004-0000-0000-c000-000000000046": "PSETID_Address",
    "00062008-0000-0000-c000-000000000046": "PSETID_Common",
    "00062003-0000-0000-c000-000000000046": "PSETID_Task",
    "00062002-0000-0000-c000-000000000046": "PSETID_Appointment",
    "00020329-0000-0000-c000-000000000046": "PS_PUBLIC_STRINGS",
    "00020328-0000-0000-c000-000000000046": "PS_MAPI",
}


def entries(item):
    if item.number_of_record_sets == 0:
        return []
    return [(e.entry_type, e.value_type, e.data or b"") for e in item.get_record_set(0).entries]


def name_map(pff):
    """NPID -> "SET:LID" or "SET:name", from the name-to-ID map (MS-PST 2.4.7)."""
    streams = {t: d for t, _, d in entries(pff.get_name_to_id_map())}
    guids, records, strings = streams.get(2, b""), streams.get(3, b""), streams.get(4, b"")
    names = {}
    for k in range(len(records) // 8):
        prop, flags, index = struct.unpack_from("<IHH", records, 8 * k)
        guid = flags >> 1
        if guid == 1:
            set_name = "PS_MAPI"
        elif guid == 2:
            set_name = "PS_PUBLIC_STRINGS"
        else:
            raw = guids[16 * (guid - 3):16 * (guid - 2)]
            text = str(uuid.UUID(bytes_le=raw))
            set_name = SETS.get(text, "{%s}" % text)
        if flags & 1:
            length = struct.unpack_from("<I", strings, prop)[0]
            name = strings[prop + 4:prop + 4 + length].decode("utf-16-le")
        else:
            name = "%04X" % prop
        names[0x8000 + index] = "%s:%s" % (set_name, name)
    return names


def keyed(item, names):
    out = {}
    for tag, vtype, data in entries(item):
        if tag >= 0x8000:
            key = "%s:%04X" % (names.get(tag, "?%04X" % tag), vtype)
        else:
            key = "%04X%04X" % (tag, vtype)
        out[key] = data.hex()
    return out


def messages(folder):
    for i in range(folder.number_of_sub_messages):
        yield folder.get_sub_message(i)
    for i in range(folder.number_of_sub_folders):
        yield from messages(folder.get_sub_folder(i))


def main(path, display_name):
    pff = pypff.file()
    pff.open(path)
    names = name_map(pff)
    wanted = display_name.encode("utf-16-le")
    found = [m for m in messages(pff.get_root_folder())
             if any(t == 0x3001 and v == 0x1F and d == wanted for t, v, d in entries(m))]
    if len(found) != 1:
        print("%s: %d messages named %r" % (path, len(found), display_name), file=sys.stderr)
        return 1
    message = found[0]
    result = {"properties": keyed(message, names),
              "attachments": [keyed(message.get_attachment(i), names) for i in range(message.number_of_attachments)]}
    json.dump(result, sys.stdout, indent=1, sort_keys=True)
    print()
    return 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        sys.exit(2)
    source = sys.argv[1]
    if source.endswith(".xz"):
        with tempfile.TemporaryDirectory() as tmp:
            plain = os.path.join(tmp, "store.pst")
            with lzma.open(source) as packed, open(plain, "wb") as out:
                out.write(packed.read())
            sys.exit(main(plain, sys.argv[2]))
    sys.exit(main(source, sys.argv[1 + 1]))
