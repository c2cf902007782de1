#!/usr/bin/python3
"""Reads a vCard file with vobject (Debian's python3-vobject), an independent reader, and
prints what it found as JSON: for each card its UID, the parts of N, FN, ORG, TITLE, every
TEL with its types, EMAIL, URL and the parts of each ADR.

Exit status 2 when vobject is not installed, 1 when the file does not parse."""
import json
import sys

try:
    import vobject
except ImportError:
    sys.exit(2)


def text(card, name):
    item = getattr(card, name, None)
    return item.value if item is not None else ""


def main(path):
    with open(path, encoding="utf-8", newline="") as f:
        data = f.read()
    cards = []
    for card in vobject.readComponents(data):
        n = card.n.value if hasattr(card, "n") else None
        org = card.org.value if hasattr(card, "org") else []
        entry = {
            "uid": text(card, "uid"),
            "family": n.family if n else "",
            "given": n.given if n else "",
            "prefix": n.prefix if n else "",
            "fn": text(card, "fn"),
            "org": org[0] if org else "",
            "title": text(card, "title"),
            "email": text(card, "email"),
            "url": text(card, "url"),
            "tel": [],
            "adr": [],
        }
        for tel in card.contents.get("tel", []):
            types = []
            for t in tel.params.get("TYPE", []):
                types.extend(p.strip().upper() for p in t.split(","))
            entry["tel"].append({"value": tel.value, "types": sorted(types)})
        for adr in card.contents.get("adr", []):
            a = adr.value
            entry["adr"].append({"street": a.street, "city": a.city, "region": a.region,
                                 "code": a.code})
        cards.append(entry)
    json.dump(cards, sys.stdout, ensure_ascii=False)


if __name__ == "__main__":
    try:
        main(sys.argv[1])
    except Exception as e:  # any parse failure is a failure of the file
        print(e, file=sys.stderr)
        sys.exit(1)
