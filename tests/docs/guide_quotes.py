#!/usr/bin/env python3
"""The user guide quotes the programs' message boxes; this keeps it honest.

Every box text that docs/user-guide.txt quotes must appear byte for byte in the
programs' sources or in the tests' expected texts, and every box title it names
must be a string in them. The guide writes a box's text as lines that begin with
"|" (one per line of the box, "|" alone for an empty line); a line that begins
with "|" and three blanks continues the line above, joined by one blank. Parts in
<angle brackets> stand for what the program fills in (a path, a command name):
the text between them must be found, piece by piece.

With --packed it also checks the copy packed into the release: CR LF line ends
and the version line of the one version in the top CMakeLists.txt.

Usage: guide_quotes.py ROOT [--packed FILE --version X.Y.Z]
"""
import pathlib
import re
import sys

SOURCE_DIRS = ["quillbar", "pathmend", "settings", "tests"]
SOURCE_SUFFIXES = {".cpp", ".h", ".in", ".sh"}
ESCAPES = {"n": "\n", "r": "\r", "t": "\t"}


def unescape(text):
    return re.sub(r"\\(.)", lambda m: ESCAPES.get(m.group(1), m.group(1)), text, flags=re.S)


def normalise(text):
    """Source text as the strings in it read: adjacent C++ literals joined,
    bash $'...' strings opened, escapes resolved."""
    text = re.sub(r'"[ \t]*\r?\n[ \t]*"', "", text)
    text = re.sub(r"\"\$'((?:[^'\\]|\\.)*)'\"", lambda m: m.group(1), text)
    text = re.sub(r"\$'((?:[^'\\]|\\.)*)'", lambda m: m.group(1), text)
    return unescape(text)


def corpus(root):
    parts = []
    for d in SOURCE_DIRS:
        for path in sorted((root / d).rglob("*")):
            if path.is_file() and path.suffix in SOURCE_SUFFIXES:
                parts.append(normalise(path.read_text(encoding="utf-8", errors="replace")))
    return "\n\x00\n".join(parts)


def quoted_boxes(guide):
    """Each box as its lines joined by LF, with the guide's line number."""
    boxes, lines, start = [], None, 0
    for number, line in enumerate(guide.splitlines() + [""], 1):
        m = re.match(r"^\s*\|( {3,}| ?)(.*)$", line)
        if not m:
            if lines is not None:
                boxes.append((start, "\n".join(lines)))
            lines = None
            continue
        if lines is None:
            lines, start = [], number
        if len(m.group(1)) >= 3 and lines:
            lines[-1] += " " + m.group(2)
        else:
            lines.append(m.group(2))
    return boxes


def main(argv):
    root = pathlib.Path(argv[1])
    guide = (root / "docs" / "user-guide.txt").read_text(encoding="utf-8")
    text = corpus(root)
    faults = []

    boxes = quoted_boxes(guide)
    if len(boxes) < 12:
        faults.append(f"only {len(boxes)} boxes found in the guide: is the '|' layout still used?")
    for line, box in boxes:
        for piece in re.split(r"<[^<>\n]*>", box):
            if piece.strip() and piece not in text:
                faults.append(f"guide line {line}: not in the sources or tests: {piece!r}")
    for title in set(re.findall(r'titled "([^"]+)"', guide)):
        if f'"{title}"' not in text:
            faults.append(f"box title not in the sources: {title!r}")

    if "--packed" in argv:
        packed = pathlib.Path(argv[argv.index("--packed") + 1]).read_bytes()
        version = argv[argv.index("--version") + 1]
        if re.search(rb"(?<!\r)\n", packed) or not packed.endswith(b"\r\n"):
            faults.append("the packed guide has a line without CR LF")
        if f"Version {version}\r\n".encode() not in packed[:300]:
            faults.append(f"the packed guide's top lacks the line 'Version {version}'")
        if b"@" in packed:
            faults.append("the packed guide holds an unreplaced @...@")

    for f in faults:
        print("FAIL:", f)
    print(f"{len(boxes)} boxes checked, {len(faults)} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
