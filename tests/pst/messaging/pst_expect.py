#!/usr/bin/env python3
"""Checks a PST written by the messaging tests against what the test wrote.

  pst_expect.py check FILE.pst EXPECT.json   print one line per mismatch; exit 1 if any
  pst_expect.py name-map FILE.pst            print the raw properties of NID 0x61
  pst_expect.py report FILE.pst              pstcheck's JSON, readpst's counts from a
                                             sequential run when its parallel run
                                             disagreed with libpff; exit 1 unless ok

EXPECT.json (every key optional):
  display_name     the store's display name
  folders          [{path, container_class, messages, subfolders}] paths as pstcheck
                   writes them ("Top of Personal Folders/Contacts")
  exact_tree       true: the folder paths are exactly those listed
  min_messages     {folder path: n}: the folder holds at least n messages
  pstcheck         false: skip pstcheck (libpff is slow on very large files)
  crashed          true: the writer was killed; with fAMapValid 0 in the header a
                   reader rebuilds the allocation maps, so only they may be off
  readpst_counts   {folder path below the IPM subtree: contacts readpst exports}
  messages         [{folder, display_name, props: {"3001001f": hex}, named:
                   {"PSETID_Address:0x8083": [type, hex]}, absent: ["0037001f"],
                   subject: the subject as libpff reads it, attachments: [{data_file, props}]}]
  vcards           [{folder, lines: [...]}]: one vCard of readpst -cv in that folder
                   (path below the IPM subtree) holds every line
"""
import importlib.machinery
import importlib.util
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

sys.path.append("/usr/lib/python3/dist-packages")
import pypff  # noqa: E402

TOOLS = os.environ.get("QUILLONET_SHARED_TOOLS", os.path.join(os.path.dirname(__file__), "../../../../shared/tools"))


def load_pstcheck():
    loader = importlib.machinery.SourceFileLoader("pstcheck", os.path.join(TOOLS, "pstcheck"))
    spec = importlib.util.spec_from_loader("pstcheck", loader)
    module = importlib.util.module_from_spec(spec)
    loader.exec_module(module)
    return module


def raw_entries(item):
    if item.number_of_record_sets == 0:
        return {}
    return {(e.entry_type, e.value_type): (e.data or b"") for e in item.get_record_set(0).entries}


def find_folder(pff, path):
    folder = pff.get_root_folder()
    for name in [p for p in path.split("/") if p] if path else []:
        subs = [folder.get_sub_folder(i) for i in range(folder.number_of_sub_folders)]
        match = [s for s in subs if s.name == name]
        if len(match) != 1:
            return None
        folder = match[0]
    return folder


def compare_props(where, got, expected_props, problems):
    for tag, value in expected_props.items():
        key = (int(tag[:4], 16), int(tag[4:], 16))
        if key not in got:
            problems.append("%s: property %s missing" % (where, tag))
        elif got[key].hex() != value.lower():
            g = got[key].hex()
            problems.append("%s: property %s differs: %d bytes %s... instead of %d bytes %s..."
                            % (where, tag, len(g) // 2, g[:48], len(value) // 2, value[:48].lower()))


def check_messages(pff, pstcheck, exp, problems):
    names = pstcheck.read_name_map(pff)
    by_name = {v: k for k, v in names.items()}
    for m in exp.get("messages", []):
        where = "message %r in %r" % (m["display_name"], m["folder"])
        folder = find_folder(pff, m["folder"])
        if folder is None:
            problems.append("%s: folder not found" % where)
            continue
        found = []
        for i in range(folder.number_of_sub_messages):
            msg = folder.get_sub_message(i)
            entries = raw_entries(msg)
            if entries.get((0x3001, 0x1F), b"").decode("utf-16-le", "replace") == m["display_name"]:
                found.append((msg, entries))
        if len(found) != 1:
            problems.append("%s: found %d times" % (where, len(found)))
            continue
        msg, entries = found[0]
        compare_props(where, entries, m.get("props", {}), problems)
        if "subject" in m and msg.subject != m["subject"]:
            problems.append("%s: libpff reads the subject %r instead of %r" % (where, msg.subject, m["subject"]))
        for tag in m.get("absent", []):
            if any(k[0] == int(tag[:4], 16) for k in entries):
                problems.append("%s: property %s present" % (where, tag))
        for name, (vtype, value) in m.get("named", {}).items():
            if name not in by_name:
                problems.append("%s: named property %s not in the name-to-id map" % (where, name))
                continue
            compare_props(where + " " + name, entries, {"%04x%04x" % (by_name[name], vtype): value}, problems)
        atts = m.get("attachments")
        if atts is not None:
            if msg.number_of_attachments != len(atts):
                problems.append("%s: %d attachments instead of %d" % (where, msg.number_of_attachments, len(atts)))
                continue
            for i, a in enumerate(atts):
                att = msg.get_attachment(i)
                data = att.read_buffer(att.get_size()) if att.get_size() else b""
                with open(a["data_file"], "rb") as fh:
                    written = fh.read()
                if data != written:
                    problems.append("%s: attachment %d: %d bytes differ from the %d written" % (where, i, len(data), len(written)))
                compare_props("%s attachment %d" % (where, i), raw_entries(att), a.get("props", {}), problems)


def run_readpst(path):
    """readpst -r -cv into a temp dir: {folder path below the IPM subtree: [vCard texts]}."""
    tmp = tempfile.mkdtemp(prefix="pst-expect-")
    try:
        # -j 0: readpst's default parallel mode files items of sibling folders
        # into the wrong folder now and then when a store has many folders.
        proc = subprocess.run(["readpst", "-q", "-j", "0", "-r", "-D", "-cv", "-tc", "-o", tmp, path],
                              capture_output=True)
        cards = {}
        for dirpath, _dirs, files in os.walk(tmp):
            rel = "/".join(os.path.relpath(dirpath, tmp).split(os.sep)[1:])
            if "contacts" in files:
                with open(os.path.join(dirpath, "contacts"), "rb") as fh:
                    text = fh.read().decode("utf-8", "replace")
                cards[rel] = ["BEGIN:VCARD" + c for c in text.split("BEGIN:VCARD")[1:]]
        return proc, cards
    finally:
        shutil.rmtree(tmp, ignore_errors=True)


MAP_PROBLEM = re.compile(r"AMap|cbAMapFree|ibFileEof|ibAMapLast|fAMapValid")


def maps_invalid(path):
    """fAMapValid (ROOT at 0xB4, field at +0x44) is 0 while a commit runs."""
    with open(path, "rb") as fh:
        fh.seek(0xF8)
        return fh.read(1) == b"\x00"


def recount_disagreements(path, report, errors):
    """pstcheck runs readpst in its default parallel mode, which now and then
    loses or misfiles a folder's last items when the machine is busy; compare
    libpff's contacts per folder with a sequential readpst run instead.
    Returns the errors that remain and the sequential run's counts."""
    base = report.get("ipm_subtree_path")
    mine = {f["path"][len(base) + 1:]: len(f["contacts"]) for f in report["folders"]
            if f["contacts"] and f["path"].startswith(base + "/")}
    proc, cards = run_readpst(path)
    theirs = {folder: len(c) for folder, c in cards.items() if c}
    kept = [e for e in errors if not e.startswith("oracles disagree")]
    for folder in sorted(set(mine) | set(theirs)):
        if mine.get(folder, 0) != theirs.get(folder, 0):
            kept.append("oracles disagree on folder %r: pypff %d contacts, readpst -j 0 %d"
                        % (folder, mine.get(folder, 0), theirs.get(folder, 0)))
    if proc.returncode != 0:
        kept.append("readpst -j 0: exit status %d" % proc.returncode)
    return kept, theirs


def checked_report(path):
    """pstcheck's report, or None and the reason it gave none."""
    out = subprocess.run([os.path.join(TOOLS, "pstcheck"), path], capture_output=True, text=True)
    try:
        report = json.loads(out.stdout)
    except ValueError:
        return None, "no JSON (exit %d): %s" % (out.returncode, out.stderr[:500])
    if any(e.startswith("oracles disagree") for e in report["errors"]):
        report["errors"], counts = recount_disagreements(path, report, report["errors"])
        report["readpst"]["contacts_per_folder"] = counts
        report["readpst"]["sequential_recount"] = True
        report["ok"] = not report["errors"]
    return report, None


def check(path, exp):
    problems = []
    pstcheck = load_pstcheck()

    # The strict checker runs beside the readers.
    strict = subprocess.Popen([os.path.join(TOOLS, "pststrict"), path], stdout=subprocess.PIPE,
                              stderr=subprocess.STDOUT, text=True)
    if exp.get("pstcheck", True):
        report, failure = checked_report(path)
        if report is None:
            problems.append("pstcheck: " + failure)
        else:
            problems.extend("pstcheck: " + e for e in report["errors"])
            if "display_name" in exp and report["store_display_name"] != exp["display_name"]:
                problems.append("store display name %r" % report["store_display_name"])
            folders = {f["path"]: f for f in report["folders"]}
            for f in exp.get("folders", []):
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
            for path_, n in exp.get("min_messages", {}).items():
                got = folders.get(path_)
                if got is None or got["message_count"] < n:
                    problems.append("folder %r holds %s messages, fewer than the %d committed"
                                    % (path_, got and got["message_count"], n))
            if exp.get("exact_tree"):
                extra = sorted(set(folders) - {f["path"] for f in exp["folders"]})
                if extra:
                    problems.append("unexpected folders: %r" % extra[:10])

    if "readpst_counts" in exp or "vcards" in exp:
        proc, cards = run_readpst(path)
        if proc.returncode != 0 or proc.stderr.strip():
            problems.append("readpst: exit %d %s" % (proc.returncode, proc.stderr.decode("utf-8", "replace")[:500]))
        for folder, n in exp.get("readpst_counts", {}).items():
            if len(cards.get(folder, [])) != n:
                problems.append("readpst: %d contacts in %r, expected %d" % (len(cards.get(folder, [])), folder, n))
        for v in exp.get("vcards", []):
            texts = [t.replace("\r\n", "\n") for t in cards.get(v["folder"], [])]
            if not any(all(line in t.split("\n") for line in v["lines"]) for t in texts):
                problems.append("readpst: no vCard in %r holds all of %r; cards: %r"
                                % (v["folder"], v["lines"], [t[:400] for t in texts][:3]))

    strict_out, _ = strict.communicate()
    if strict.returncode != 0:
        lines = [l for l in strict_out.splitlines() if not l.startswith("  note:")]
        if exp.get("crashed") and maps_invalid(path):
            lines = [l for l in lines if not l.startswith("  PROBLEM:") or not MAP_PROBLEM.search(l)]
        if any(l.startswith("  PROBLEM:") or "Traceback" in l for l in lines):
            problems.append("pststrict: " + " | ".join(lines)[:2000])

    if exp.get("messages"):
        pff = pypff.file()
        pff.open(path)
        try:
            check_messages(pff, pstcheck, exp, problems)
        finally:
            pff.close()
    return problems


def main(argv):
    if len(argv) == 3 and argv[0] == "check":
        with open(argv[2], encoding="utf-8") as fh:
            exp = json.load(fh)
        problems = check(argv[1], exp)
        for p in problems:
            print(p)
        return 1 if problems else 0
    if len(argv) == 2 and argv[0] == "name-map":
        pff = pypff.file()
        pff.open(argv[1])
        for (pid, vtype), data in sorted(raw_entries(pff.get_name_to_id_map()).items()):
            print("%04x%04x %s" % (pid, vtype, data.hex()))
        return 0
    if len(argv) == 2 and argv[0] == "report":
        report, failure = checked_report(argv[1])
        if report is None:
            print("pstcheck: " + failure, file=sys.stderr)
            return 2
        json.dump(report, sys.stdout, indent=1, ensure_ascii=False)
        sys.stdout.write("\n")
        return 0 if report["ok"] else 1
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
