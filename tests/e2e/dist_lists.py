#!/usr/bin/env python3
"""Prints the distribution lists (IPM.DistList) of a PST as libpff reads them, as JSON.

  dist_lists.py FILE.pst

For each list: its folder, its properties by name (named properties resolved
through the store's name-to-id map), the type of each, the CRC-32 of its
members as Outlook computes it, and every member decoded: a wrapped contact
entry ID with the contact it points at, or a one-off entry ID.
"""
import json
import struct
import sys
import zlib

sys.path.append("/usr/lib/python3/dist-packages")
import pypff  # noqa: E402

PSETID_ADDRESS = bytes.fromhex("0420060000000000c000000000000046")
WRAPPED = bytes.fromhex("c091add3519dcf11a4a900aa0047faa4")
ONE_OFF = bytes.fromhex("812b1fa4bea310199d6e00dd010f5402")
NAMES = {0x8005: "FileUnder", 0x8006: "FileUnderId", 0x804C: "DistributionListChecksum",
         0x8053: "DistributionListName", 0x8054: "DistributionListOneOffMembers",
         0x8055: "DistributionListMembers"}
TAGS = {0x001A: "MessageClass", 0x0037: "Subject", 0x0070: "ConversationTopic", 0x0E1D: "NormalizedSubject",
        0x3001: "DisplayName", 0x1080: "IconIndex", 0x0E07: "MessageFlags"}


def entries(item):
    if item.number_of_record_sets == 0:
        return {}
    return {(e.entry_type, e.value_type): (e.data or b"") for e in item.get_record_set(0).entries}


def address_names(pff):
    """{property id: LID} for the PSETID_Address names of the store."""
    raw = entries(pff.get_name_to_id_map())
    guids = raw.get((0x0002, 0x0102), b"")
    ids = {}
    table = raw.get((0x0003, 0x0102), b"")
    for off in range(0, len(table) - 7, 8):
        lid, wguid, idx = struct.unpack_from("<IHH", table, off)
        if wguid & 1:
            continue
        g = wguid >> 1
        if g >= 3 and guids[(g - 3) * 16:(g - 2) * 16] == PSETID_ADDRESS:
            ids[0x8000 + idx] = lid
    return ids


def multi_binary(data):
    count = struct.unpack_from("<I", data, 0)[0]
    offsets = list(struct.unpack_from("<%dI" % count, data, 4)) + [len(data)]
    return [data[offsets[i]:offsets[i + 1]] for i in range(count)]


def utf16z(data, pos):
    end = pos
    while end + 1 < len(data) and data[end:end + 2] != b"\0\0":
        end += 2
    return data[pos:end].decode("utf-16-le", "replace"), end + 2


def decode_member(raw, messages):
    if raw[4:20] == WRAPPED:
        embedded = raw[21:]
        nid = struct.unpack_from("<I", embedded, 20)[0] if len(embedded) == 24 else None
        return {"kind": "contact", "type": raw[20], "embedded_size": len(embedded),
                "embedded_provider": embedded[4:20].hex(), "contact": messages.get(nid)}
    if raw[4:20] == ONE_OFF:
        flags = struct.unpack_from("<H", raw, 22)[0]
        name, pos = utf16z(raw, 24)
        kind, pos = utf16z(raw, pos)
        address, pos = utf16z(raw, pos)
        return {"kind": "one-off", "flags": flags, "name": name, "address_type": kind, "address": address,
                "trailing": len(raw) - pos}
    return {"kind": "unknown", "hex": raw.hex()}


def value(vtype, data):
    if vtype == 0x1F:
        return data.decode("utf-16-le", "replace")
    if vtype == 0x03:
        return struct.unpack("<I", data)[0]
    if vtype == 0x1102:
        return [d.hex() for d in multi_binary(data)]
    return data.hex()


def main(path):
    pff = pypff.file()
    pff.open(path)
    names = address_names(pff)
    store = entries(pff.get_message_store())
    record_key = store.get((0x0FF9, 0x0102), b"").hex()
    found = []

    def walk(folder, where):
        for i in range(folder.number_of_sub_messages):
            msg = folder.get_sub_message(i)
            props = entries(msg)
            found.append((where, msg.identifier, props))
        for i in range(folder.number_of_sub_folders):
            sub = folder.get_sub_folder(i)
            walk(sub, (where + "/" if where else "") + (sub.name or ""))

    walk(pff.get_root_folder(), "")
    messages = {nid: props.get((0x3001, 0x1F), b"").decode("utf-16-le", "replace") for _, nid, props in found}
    lists = []
    for where, nid, props in found:
        if props.get((0x001A, 0x1F), b"").decode("utf-16-le", "replace") != "IPM.DistList":
            continue
        out = {"folder": where, "props": {}, "types": {}}
        for (pid, vtype), data in props.items():
            name = TAGS.get(pid) or NAMES.get(names.get(pid))
            if name:
                out["props"][name] = value(vtype, data)
                out["types"][name] = "%04x" % vtype
        members = multi_binary(props.get((next((p for p, l in names.items() if l == 0x8055), 0), 0x1102), b"\0\0\0\0"))
        one_offs = multi_binary(props.get((next((p for p, l in names.items() if l == 0x8054), 0), 0x1102), b"\0\0\0\0"))
        out["members"] = [decode_member(m, messages) for m in members]
        out["one_offs"] = [decode_member(m, messages) for m in one_offs]
        out["checksum_computed"] = zlib.crc32(b"".join(members), 0xFFFFFFFF) ^ 0xFFFFFFFF
        lists.append(out)
    json.dump({"record_key": record_key, "lists": lists}, sys.stdout, indent=1, ensure_ascii=False)
    sys.stdout.write("\n")


if __name__ == "__main__":
    main(sys.argv[1])
