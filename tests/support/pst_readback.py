#!/usr/bin/env python3
"""Reads a PST file back with two readers written independently of ours:
libpff (python3-pypff) and readpst (pst-utils), and reports what they saw.

  pst_readback.py report FILE.pst              JSON: header, folders, contacts and
                                               readpst's contacts per folder; exit 1
                                               when either reader had trouble
  pst_readback.py check FILE.pst EXPECT.json   one line per mismatch; exit 1 if any
  pst_readback.py name-map FILE.pst            the raw properties of the name-to-ID map

readpst always runs with -j 0: its parallel mode drops or misfiles items at
random on a busy machine.

Report: {"ok", "errors", "warnings", "store_display_name", "header",
"ipm_subtree_path", "folders": [{"path", "nid", "container_class",
"content_count", "message_count", "subfolder_count", "has_subfolders",
"message_classes", "contacts": [{"display_name", "given_name", "surname",
"emails", "email_details", "phones", "addresses", "file_as", "body", "named",
...}]}], "readpst": {"exit_status", "errors", "contacts_per_folder"}}.
Folder paths join the names from the root folder (itself "") with "/".
null means a property is absent, "" that it is present and empty; phones and
addresses list only what is present. readpst's folder paths start below the
IPM subtree. A contact is a message whose class starts with IPM.Contact.

Errors: a bad header (magic, CRCs, ibFileEof past the end), libpff failing on
anything, PR_CONTENT_COUNT differing from the messages of a folder inside the
IPM subtree (a warning outside it: search folders disagree normally), a named
property ID missing from the name-to-ID map, readpst failing or writing to
stderr, and the two readers counting different contacts in a folder.

EXPECT.json (every key optional):
  display_name     the store's display name
  folders          [{path, container_class, messages, subfolders}]
  exact_tree       true: the folder paths are exactly those listed
  min_messages     {folder path: n}: the folder holds at least n messages
  walk             false: skip libpff's walk (slow on very large files)
  readpst_counts   {folder path below the IPM subtree: contacts readpst exports}
  messages         [{folder, display_name, props: {"3001001f": hex}, named:
                   {"PSETID_Address:0x8083": [type, hex]}, absent: ["0037001f"],
                   subject: as libpff reads it, attachments: [{data_file, props}]}]
  vcards           [{folder, lines: [...]}]: one vCard readpst wrote for that
                   folder (path below the IPM subtree) holds every line
  crashed          read by the C++ side only (the checker's map allowance)
"""
import datetime
import json
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import uuid
import zlib

try:
    import pypff
except ImportError:  # another python3 first on PATH: Debian's module lives here
    sys.path.append("/usr/lib/python3/dist-packages")
    import pypff

# Property IDs (the type comes from the file).
ID_MESSAGE_CLASS, ID_SUBJECT, ID_BODY, ID_RTF, ID_DISPLAY_NAME = 0x001A, 0x0037, 0x1000, 0x1009, 0x3001
ID_CONTENT_COUNT, ID_SUBFOLDERS, ID_CONTAINER_CLASS, ID_IPM_SUBTREE = 0x3602, 0x360A, 0x3613, 0x35E0

CONTACT_FIELDS = {
    "given_name": 0x3A06, "surname": 0x3A11, "middle_name": 0x3A44, "prefix": 0x3A45, "suffix": 0x3A05,
    "nickname": 0x3A4F, "initials": 0x3A0A, "company": 0x3A16, "title": 0x3A17, "department": 0x3A18,
    "birthday": 0x3A42, "web_page": 0x3A51, "office_location": 0x3A19, "profession": 0x3A46,
}
PHONES = {
    "business": 0x3A08, "business2": 0x3A1B, "home": 0x3A09, "home2": 0x3A2F, "mobile": 0x3A1C,
    "car": 0x3A1E, "pager": 0x3A21, "primary": 0x3A1A, "other": 0x3A1F, "assistant": 0x3A2E,
    "company_main": 0x3A57, "callback": 0x3A02, "radio": 0x3A1D, "telex": 0x3A2C, "isdn": 0x3A2D,
    "tty_tdd": 0x3A4B, "business_fax": 0x3A24, "home_fax": 0x3A25, "primary_fax": 0x3A23,
}
# street, city, state, postal code, country
ADDRESS_PARTS = ("street", "city", "state", "postal_code", "country")
ADDRESSES = {
    "home": (0x3A5D, 0x3A59, 0x3A5C, 0x3A5B, 0x3A5A),
    "business": (0x3A29, 0x3A27, 0x3A28, 0x3A2A, 0x3A26),
    "other": (0x3A63, 0x3A5F, 0x3A62, 0x3A61, 0x3A60),
}

PROPERTY_SETS = {
    uuid.UUID("00020328-0000-0000-c000-000000000046"): "PS_MAPI",
    uuid.UUID("00020329-0000-0000-c000-000000000046"): "PS_PUBLIC_STRINGS",
    uuid.UUID("00020386-0000-0000-c000-000000000046"): "PS_INTERNET_HEADERS",
    uuid.UUID("00062002-0000-0000-c000-000000000046"): "PSETID_Appointment",
    uuid.UUID("00062003-0000-0000-c000-000000000046"): "PSETID_Task",
    uuid.UUID("00062004-0000-0000-c000-000000000046"): "PSETID_Address",
    uuid.UUID("00062008-0000-0000-c000-000000000046"): "PSETID_Common",
    uuid.UUID("0006200a-0000-0000-c000-000000000046"): "PSETID_Log",
    uuid.UUID("0006200e-0000-0000-c000-000000000046"): "PSETID_Note",
}
# Named contact fields: key -> name as the map resolves it.
NAMED_CONTACT_FIELDS = {
    "file_as": "PSETID_Address:0x8005", "im_address": "PSETID_Address:0x8062",
    "html_web_page": "PSETID_Address:0x802b", "categories": "PS_PUBLIC_STRINGS:Keywords",
}
ADDRESS_LABELS = {"home": "PSETID_Address:0x801a", "business": "PSETID_Address:0x801b",
                  "other": "PSETID_Address:0x801c"}
EMAIL_SLOTS = (1, 0x8080), (2, 0x8090), (3, 0x80A0)  # display name +0, type +2, address +3, original name +4


def squeeze(text):
    return " ".join(str(text).split())


# ---------------------------------------------------------------- values

def value_of(value_type, data, codepage):
    """A property value in JSON form, by its MAPI type."""
    if data is None:
        return "" if value_type in (0x1E, 0x1F) else None
    if value_type == 0x1F:
        return data.decode("utf-16-le", "replace").rstrip("\0")
    if value_type == 0x1E:
        return data.decode(codepage, "replace").rstrip("\0")
    if value_type in (0x02, 0x03, 0x14):
        return int.from_bytes(data, "little", signed=True)
    if value_type == 0x0B:
        return data[0] != 0
    if value_type == 0x05:
        return struct.unpack_from("<d", data)[0]
    if value_type == 0x40:  # FILETIME: 100 ns since 1601-01-01 UTC
        when = datetime.datetime(1601, 1, 1) + datetime.timedelta(microseconds=int.from_bytes(data[:8], "little") // 10)
        return when.isoformat() + "Z"
    if value_type == 0x48:
        return str(uuid.UUID(bytes_le=bytes(data[:16])))
    if value_type in (0x101E, 0x101F):
        count = struct.unpack_from("<I", data)[0]
        bounds = list(struct.unpack_from("<%dI" % count, data, 4)) + [len(data)]
        encoding = "utf-16-le" if value_type == 0x101F else codepage
        return [data[bounds[k]:bounds[k + 1]].decode(encoding, "replace").rstrip("\0") for k in range(count)]
    if value_type == 0x1003:
        return list(struct.unpack("<%di" % (len(data) // 4), data))
    shown = data[:64].hex()
    return "hex:" + shown + ("..." if len(data) > 64 else "")


def record_entries(item):
    """(property ID, type) -> raw bytes (b"" when empty) of an item's first record set."""
    if item.number_of_record_sets == 0:
        return {}
    return {(e.entry_type, e.value_type): (e.data or b"") for e in item.get_record_set(0).entries}


def properties(item, codepage, where, errors):
    """Property ID -> value; a value that will not decode is an error naming it."""
    out = {}
    if item.number_of_record_sets == 0:
        return out
    for e in item.get_record_set(0).entries:
        try:
            out[e.entry_type] = value_of(e.value_type, e.data, codepage)
        except Exception as exc:
            errors.append("%s: property 0x%04x of type 0x%04x unreadable: %s" % (where, e.entry_type, e.value_type, exc))
    return out


def name_map(pff):
    """Property ID (0x8000 + n) -> "SET:0xlid" or "SET:Name", from the name-to-ID map (NID 0x61)."""
    raw = {pid: data for (pid, _type), data in record_entries(pff.get_name_to_id_map()).items()}
    guids, entries, strings = raw.get(0x0002, b""), raw.get(0x0003, b""), raw.get(0x0004, b"")
    names = {}
    for at in range(0, len(entries) - len(entries) % 8, 8):
        ident, guid_and_kind, index = struct.unpack_from("<IHH", entries, at)
        guid_index = guid_and_kind >> 1
        if guid_index == 1:
            guid = uuid.UUID("00020328-0000-0000-c000-000000000046")
        elif guid_index == 2:
            guid = uuid.UUID("00020329-0000-0000-c000-000000000046")
        else:
            start = (guid_index - 3) * 16
            guid = uuid.UUID(bytes_le=bytes(guids[start:start + 16]).ljust(16, b"\0"))
        set_name = PROPERTY_SETS.get(guid, "{%s}" % guid)
        if guid_and_kind & 1:  # a string name: its length, then UTF-16
            length = struct.unpack_from("<I", strings, ident)[0]
            name = strings[ident + 4:ident + 4 + length].decode("utf-16-le", "replace")
        else:
            name = "0x%04x" % ident
        names[0x8000 + index] = "%s:%s" % (set_name, name)
    return names


# ---------------------------------------------------------------- header

def pst_crc(data):
    """MS-PST's CRC: CRC-32 without the initial and final inversion."""
    return zlib.crc32(data, 0xFFFFFFFF) ^ 0xFFFFFFFF


def read_header(path):
    with open(path, "rb") as fh:
        head = fh.read(0x234)
    size = os.path.getsize(path)
    if len(head) < 0x234 or head[:4] != b"!BDN":
        return {"format": "not a PST", "file_size": size}, ["header: no !BDN magic or the file is too short"]
    version = struct.unpack_from("<H", head, 10)[0]
    unicode_format = version >= 23
    eof = struct.unpack_from("<Q", head, 0xB8)[0] if unicode_format else struct.unpack_from("<I", head, 0xA8)[0]
    info = {"format": "unicode" if unicode_format else "ansi", "version": version,
            "crypt_method": head[0x201] if unicode_format else head[0x1CD], "header_eof": eof, "file_size": size}
    errors = []
    if struct.unpack_from("<I", head, 4)[0] != pst_crc(head[8:8 + 471]):
        errors.append("header: dwCRCPartial does not match")
    if unicode_format and struct.unpack_from("<I", head, 0x20C)[0] != pst_crc(head[8:8 + 516]):
        errors.append("header: dwCRCFull does not match")
    if eof > size:
        errors.append("header: ibFileEof %d is past the end of the %d-byte file" % (eof, size))
    return info, errors


# ---------------------------------------------------------------- libpff

def contact_of(props, names):
    named = {names[i]: v for i, v in props.items() if i >= 0x8000 and i in names}
    subject = props.get(ID_SUBJECT)
    if isinstance(subject, str) and subject.startswith("\x01"):  # a prefix-length marker, then the prefix length
        subject = subject[2:]
    contact = {"display_name": props.get(ID_DISPLAY_NAME), "subject": subject,
               "message_class": props.get(ID_MESSAGE_CLASS)}
    for key, pid in CONTACT_FIELDS.items():
        contact[key] = props.get(pid)
    contact["emails"], contact["email_details"] = [], []
    for slot, base in EMAIL_SLOTS:
        lid = lambda offset: named.get("PSETID_Address:0x%04x" % (base + offset))
        if lid(3) is None:
            continue
        contact["emails"].append(lid(3))
        contact["email_details"].append({"slot": slot, "address": lid(3), "type": lid(2), "display_name": lid(0),
                                         "original_display_name": lid(4)})
    contact["phones"] = {kind: props[pid] for kind, pid in PHONES.items() if pid in props}
    contact["addresses"] = {}
    for kind, pids in ADDRESSES.items():
        parts = {part: props[pid] for part, pid in zip(ADDRESS_PARTS, pids) if pid in props}
        if ADDRESS_LABELS[kind] in named:
            parts["label"] = named[ADDRESS_LABELS[kind]]
        if parts:
            contact["addresses"][kind] = parts
    for key, name in NAMED_CONTACT_FIELDS.items():
        contact[key] = named.get(name)
    contact["body"] = props.get(ID_BODY)
    contact["has_rtf_body"] = ID_RTF in props
    contact["named"] = dict(sorted(named.items()))
    contact["unresolved_named"] = ["0x%04x" % i for i in sorted(props) if i >= 0x8000 and i not in names]
    return contact


def walk_libpff(path, report):
    errors = report["errors"]
    pff = pypff.file()
    try:
        pff.open(path)
    except Exception as exc:
        errors.append("libpff: cannot open the file: %s" % squeeze(exc))
        return
    try:
        codepage = (pff.ascii_codepage or b"cp1252").decode()
        try:
            names = name_map(pff)
        except Exception as exc:
            names = {}
            errors.append("libpff: the name-to-ID map is unreadable: %s" % squeeze(exc))
        store = pff.get_message_store()
        root = pff.get_root_folder()
        if store is None or root is None:
            errors.append("libpff: no %s (a truncated or damaged file)" % ("message store" if store is None else "root folder"))
            return
        report["store_display_name"] = properties(store, codepage, "message store", errors).get(ID_DISPLAY_NAME)
        entry_id = record_entries(store).get((ID_IPM_SUBTREE, 0x0102), b"")  # flags, provider UID, then the NID
        ipm_nid = struct.unpack_from("<I", entry_id, 20)[0] if len(entry_id) >= 24 else None
        visit_folder(root, "", ipm_nid, False, codepage, names, report)
        if ipm_nid is not None and "ipm_subtree_path" not in report:
            errors.append("libpff: the IPM subtree (NID 0x%x) is not in the folder tree" % ipm_nid)
    except Exception as exc:
        errors.append("libpff: %s: %s" % (type(exc).__name__, squeeze(exc)))
    finally:
        pff.close()


def visit_folder(folder, path, ipm_nid, inside_ipm, codepage, names, report):
    errors = report["errors"]
    where = "libpff: folder %r" % path
    props = properties(folder, codepage, where, errors)
    if folder.identifier == ipm_nid:
        report["ipm_subtree_path"] = path
    entry = {"path": path, "nid": folder.identifier, "container_class": props.get(ID_CONTAINER_CLASS),
             "content_count": props.get(ID_CONTENT_COUNT), "message_count": folder.number_of_sub_messages,
             "subfolder_count": folder.number_of_sub_folders, "has_subfolders": props.get(ID_SUBFOLDERS),
             "message_classes": {}, "contacts": []}
    report["folders"].append(entry)
    if entry["content_count"] is not None and entry["content_count"] != entry["message_count"]:
        note = "%s: PR_CONTENT_COUNT is %s, it holds %d messages" % (where, entry["content_count"], entry["message_count"])
        (errors if inside_ipm else report["warnings"]).append(note)
    for i in range(folder.number_of_sub_messages):
        try:
            message = folder.get_sub_message(i)
            mprops = properties(message, codepage, "%s: message %d" % (where, i), errors)
        except Exception as exc:
            errors.append("%s: message %d: %s" % (where, i, squeeze(exc)))
            continue
        message_class = mprops.get(ID_MESSAGE_CLASS) or ""
        entry["message_classes"][message_class] = entry["message_classes"].get(message_class, 0) + 1
        if message_class.lower().startswith("ipm.contact"):  # readpst's test too
            contact = contact_of(mprops, names)
            entry["contacts"].append(contact)
            errors.extend("%s: message %d: named property %s is not in the name-to-ID map" % (where, i, pid)
                          for pid in contact["unresolved_named"])
    for i in range(folder.number_of_sub_folders):
        try:
            sub = folder.get_sub_folder(i)
        except Exception as exc:
            errors.append("%s: subfolder %d: %s" % (where, i, squeeze(exc)))
            continue
        name = sub.name if sub.name is not None else "#%d" % sub.identifier
        visit_folder(sub, path + "/" + name if path else name, ipm_nid, inside_ipm or sub.identifier == ipm_nid,
                     codepage, names, report)


# ---------------------------------------------------------------- readpst

def run_readpst(path):
    """readpst -j 0 -r -cv: its exit status, stderr lines and the vCards it wrote per folder below the top."""
    if not shutil.which("readpst"):
        return {"available": False, "exit_status": None, "errors": ["readpst is not installed (pst-utils)"],
                "contacts_per_folder": {}}, {}
    out = tempfile.mkdtemp(prefix="pst-readback-")
    try:
        proc = subprocess.run(["readpst", "-j", "0", "-q", "-r", "-D", "-cv", "-tc", "-o", out, os.path.abspath(path)],
                              capture_output=True, timeout=1800)
        cards = {}
        for folder, _dirs, files in os.walk(out):
            below_top = os.path.relpath(folder, out).split(os.sep)[1:]  # the top is named after the store
            if "contacts" in files:
                with open(os.path.join(folder, "contacts"), "rb") as fh:
                    text = fh.read().decode("utf-8", "replace")
                found = []  # a card starts at a line of its own ("AGENT:BEGIN:VCARD" nests one in a line)
                for line in text.splitlines(keepends=True):
                    if line.rstrip("\r\n") == "BEGIN:VCARD":
                        found.append("")
                    if found:
                        found[-1] += line
                if found:
                    cards["/".join(below_top)] = found
    finally:
        shutil.rmtree(out, ignore_errors=True)
    stderr = [line for line in proc.stderr.decode("utf-8", "replace").splitlines() if line.strip()]
    return {"available": True, "exit_status": proc.returncode, "errors": stderr,
            "contacts_per_folder": {folder: len(c) for folder, c in sorted(cards.items())}}, cards


def compare_readers(report):
    """Contacts per folder below the IPM subtree: libpff's against readpst's."""
    top = report.get("ipm_subtree_path")
    if top is None or report["readpst"]["exit_status"] != 0:
        return
    ours = {f["path"][len(top) + 1:]: len(f["contacts"]) for f in report["folders"]
            if f["contacts"] and f["path"].startswith(top + "/")}
    theirs = report["readpst"]["contacts_per_folder"]
    for folder in sorted(set(ours) | set(theirs)):
        if ours.get(folder, 0) != theirs.get(folder, 0):
            report["errors"].append("the readers disagree on folder %r: libpff %d contacts, readpst %d"
                                    % (folder, ours.get(folder, 0), theirs.get(folder, 0)))


def read_back(path, walk=True):
    """The report, and readpst's vCards per folder."""
    report = {"ok": False, "file": path, "errors": [], "warnings": [], "store_display_name": None, "folders": []}
    report["header"], header_errors = read_header(path)
    report["errors"].extend(header_errors)
    if walk:
        walk_libpff(path, report)
    report["readpst"], cards = run_readpst(path)
    rp = report["readpst"]
    if rp["exit_status"] != 0:
        report["errors"].append("readpst: exit status %s" % rp["exit_status"])
    report["errors"].extend("readpst: " + line for line in rp["errors"])
    if walk:
        compare_readers(report)
    report["ok"] = not report["errors"]
    return report, cards


# ---------------------------------------------------------------- expectations

def find_folder(pff, path):
    folder = pff.get_root_folder()
    for name in [part for part in path.split("/") if part]:
        match = [s for s in (folder.get_sub_folder(i) for i in range(folder.number_of_sub_folders)) if s.name == name]
        if len(match) != 1:
            return None
        folder = match[0]
    return folder


def compare_props(where, entries, expected, problems):
    for tag, value in expected.items():
        key = (int(tag[:4], 16), int(tag[4:], 16))
        if key not in entries:
            problems.append("%s: property %s missing" % (where, tag))
        elif entries[key].hex() != value.lower():
            got = entries[key].hex()
            problems.append("%s: property %s differs: %d bytes %s... instead of %d bytes %s..."
                            % (where, tag, len(got) // 2, got[:48], len(value) // 2, value[:48].lower()))


def check_messages(path, expected_messages, problems):
    pff = pypff.file()
    pff.open(path)
    try:
        by_name = {name: pid for pid, name in name_map(pff).items()}
        for m in expected_messages:
            where = "message %r in %r" % (m["display_name"], m["folder"])
            folder = find_folder(pff, m["folder"])
            if folder is None:
                problems.append("%s: folder not found" % where)
                continue
            found = []
            for i in range(folder.number_of_sub_messages):
                message = folder.get_sub_message(i)
                entries = record_entries(message)
                if entries.get((ID_DISPLAY_NAME, 0x1F), b"").decode("utf-16-le", "replace") == m["display_name"]:
                    found.append((message, entries))
            if len(found) != 1:
                problems.append("%s: found %d times" % (where, len(found)))
                continue
            message, entries = found[0]
            compare_props(where, entries, m.get("props", {}), problems)
            if "subject" in m and message.subject != m["subject"]:
                problems.append("%s: libpff reads the subject %r instead of %r" % (where, message.subject, m["subject"]))
            for tag in m.get("absent", []):
                if any(pid == int(tag[:4], 16) for pid, _type in entries):
                    problems.append("%s: property %s present" % (where, tag))
            for name, (value_type, value) in m.get("named", {}).items():
                if name not in by_name:
                    problems.append("%s: named property %s not in the name-to-ID map" % (where, name))
                    continue
                compare_props(where + " " + name, entries, {"%04x%04x" % (by_name[name], value_type): value}, problems)
            attachments = m.get("attachments")
            if attachments is None:
                continue
            if message.number_of_attachments != len(attachments):
                problems.append("%s: %d attachments instead of %d" % (where, message.number_of_attachments, len(attachments)))
                continue
            for i, a in enumerate(attachments):
                attachment = message.get_attachment(i)
                data = attachment.read_buffer(attachment.get_size()) if attachment.get_size() else b""
                with open(a["data_file"], "rb") as fh:
                    written = fh.read()
                if data != written:
                    problems.append("%s: attachment %d: %d bytes differ from the %d written" % (where, i, len(data), len(written)))
                compare_props("%s attachment %d" % (where, i), record_entries(attachment), a.get("props", {}), problems)
    finally:
        pff.close()


def check(path, expected):
    walk = expected.get("walk", True)
    report, cards = read_back(path, walk)
    problems = list(report["errors"])
    if walk:
        if "display_name" in expected and report["store_display_name"] != expected["display_name"]:
            problems.append("store display name %r" % report["store_display_name"])
        folders = {f["path"]: f for f in report["folders"]}
        for f in expected.get("folders", []):
            got = folders.get(f["path"])
            if got is None:
                problems.append("folder %r missing" % f["path"])
                continue
            for key, field in (("container_class", "container_class"), ("messages", "message_count"),
                               ("messages", "content_count"), ("subfolders", "subfolder_count")):
                if key in f and got[field] != f[key]:
                    problems.append("folder %r: %s %r, expected %r" % (f["path"], field, got[field], f[key]))
            if "subfolders" in f and got["has_subfolders"] != (f["subfolders"] > 0):
                problems.append("folder %r: PidTagSubfolders %r" % (f["path"], got["has_subfolders"]))
        for folder_path, n in expected.get("min_messages", {}).items():
            got = folders.get(folder_path)
            if got is None or got["message_count"] < n:
                problems.append("folder %r holds %s messages, fewer than the %d committed"
                                % (folder_path, got and got["message_count"], n))
        if expected.get("exact_tree"):
            extra = sorted(set(folders) - {f["path"] for f in expected.get("folders", [])})
            if extra:
                problems.append("unexpected folders: %r" % extra[:10])
    for folder, n in expected.get("readpst_counts", {}).items():
        if len(cards.get(folder, [])) != n:
            problems.append("readpst: %d contacts in %r, expected %d" % (len(cards.get(folder, [])), folder, n))
    for v in expected.get("vcards", []):
        texts = [t.replace("\r\n", "\n") for t in cards.get(v["folder"], [])]
        if not any(all(line in t.split("\n") for line in v["lines"]) for t in texts):
            problems.append("readpst: no vCard in %r holds all of %r; cards: %r"
                            % (v["folder"], v["lines"], [t[:400] for t in texts][:3]))
    if expected.get("messages"):
        check_messages(path, expected["messages"], problems)
    return problems


def main(argv):
    if len(argv) == 2 and argv[0] == "report":
        if not os.path.isfile(argv[1]):
            print("pst_readback.py: no such file: %s" % argv[1], file=sys.stderr)
            return 2
        report, _cards = read_back(argv[1])
        json.dump(report, sys.stdout, indent=1, ensure_ascii=False)
        sys.stdout.write("\n")
        return 0 if report["ok"] else 1
    if len(argv) == 3 and argv[0] == "check":
        with open(argv[2], encoding="utf-8") as fh:
            expected = json.load(fh)
        problems = check(argv[1], expected)
        for p in problems:
            print(p)
        return 1 if problems else 0
    if len(argv) == 2 and argv[0] == "name-map":
        pff = pypff.file()
        pff.open(argv[1])
        for (pid, value_type), data in sorted(record_entries(pff.get_name_to_id_map()).items()):
            print("%04x%04x %s" % (pid, value_type, data.hex()))
        pff.close()
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
