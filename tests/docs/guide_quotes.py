#!/usr/bin/env python3
"""The user guide quotes the programs' message boxes; this keeps it honest.

Every box text that docs/user-guide.txt quotes must appear byte for byte in the
programs' sources or in the tests' expected texts, and every box title it names
must be a string in them. The guide writes a box's text as lines that begin with
"|" (one per line of the box, "|" alone for an empty line); a line that begins
with "|" and three blanks continues the line above, joined by one blank. Parts in
<angle brackets> stand for what the program fills in (a path, a command name):
the text between them must be found, piece by piece.

Its lines stay under 80 columns. Three checks run the other way, from the
programs to the guide:
  * its command table (section 4: a button's name, then one line per menu
    entry with its caption and command) equals the program's, entry by entry;
  * its paragraph on the entries of one menu that share an underlined letter
    names exactly the letters that the captions share;
  * every box the programs can show is in it (see box_texts).
A fault names the guide's section where the text belongs, and the entry or box
that is missing or wrong.

With --packed it also checks the copy packed into the release: CR LF line ends
and the version line of the one version in the top CMakeLists.txt.

Usage: guide_quotes.py ROOT [--packed FILE --version X.Y.Z]
"""
import difflib
import pathlib
import re
import sys

SOURCE_DIRS = ["quillbar", "pathmend", "common", "settings", "tests"]
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


def literals(code):
    """The string literals of a piece of C++, adjacent ones joined, escapes resolved."""
    code = re.sub(r'"\s*"', "", code)
    return [unescape(s) for s in re.findall(r'"((?:[^"\\\n]|\\.)*)"', code)]


def function_body(root, program, name):
    """The body of `std::string name(...)`, looked for in the program's own
    folder first (both programs have an UnspellableFolderText), then in common/ and settings/"""
    for d in (program, "common", "settings"):
        for path in sorted((root / d).rglob("*.cpp")):
            m = re.search(r"^std::string " + name + r"\(.*?\{\n(.*?)^\}", path.read_text(), re.S | re.M)
            if m:
                return m.group(1)
    return None


def box_texts(root):
    """Every box the programs can show, as the pieces of text it is made of.

    The programs show boxes only through ShowBox (common/show_box.h, both
    programs' one call of MessageBoxA) and the seams that wrap it (messageBox,
    warningBox, Pathmend's Box, and tell, the palette's delivery path). Each call to one of those is a box: the string literals in its
    arguments (text and title) are pieces of it, and so are the literals of
    each function named ...Text that its arguments call, followed into the
    ...Text functions that one calls in turn. Calls that pass on a variable are
    the seams themselves and add nothing. printf formats (the error number)
    are left out."""
    boxes = []
    for program in ("quillbar", "pathmend"):
        for path in sorted((root / program).rglob("*.cpp")):
            code = path.read_text()
            for m in re.finditer(r"\b(?:MessageBoxA|ShowBox|messageBox|warningBox|Box|tell)\(([^;]*)", code):
                pieces, todo, seen = literals(m.group(1)), re.findall(r"\b(\w+Text)\(", m.group(1)), set()
                while todo:
                    name = todo.pop()
                    body = function_body(root, program, name) if name not in seen else None
                    seen.add(name)
                    if body is None:
                        continue
                    pieces += literals(body)
                    todo += re.findall(r"\b(\w+Text)\(", body)
                pieces = [p for p in pieces if p.strip() and "%" not in p]
                if pieces:
                    line = code.count("\n", 0, m.start()) + 1
                    boxes.append((f"{path.relative_to(root)}:{line}", pieces))
    return boxes


def section_names(lines):
    """For each line of the guide, the section that holds it, by number and
    title: a section's heading is underlined with "-", a subsection's reads
    "3.1 Title"."""
    names, name = [], "the guide's opening"
    for i, line in enumerate(lines):
        underlined = i + 1 < len(lines) and re.match(r"^-+$", lines[i + 1])
        m = (underlined and re.match(r"^(\d+)\. (\S.*)$", line)) or re.match(r"^(\d+\.\d+) (\S.*)$", line)
        if m:
            name = f"section {m.group(1)} ({m.group(2)})"
        names.append(name)
    return names


def program_entries(root):
    """(button, caption with its "&", command) for each menu entry: the rows of
    the command table in quillbar/commands.cpp; a menu's button is the text
    button on the text buttons layout (quillbar/layouts.cpp) whose MenuId is the
    menu's place. An entry that sends another command on one layout reads
    "_Cross (_Section on the icon buttons layout)", the layout named as the
    tooltip of the "/" that opens it does ("Switch to icon buttons")."""
    source = (root / "quillbar" / "commands.cpp").read_text()
    rows = re.findall(r'\{\d+, "(\w+)", "\w+", "([^"]*)", "(\w+)"(?:, (\d+), "(\w+)")?\}', source)
    menus = list(dict.fromkeys(row[0] for row in rows))
    layouts = (root / "quillbar" / "layouts.cpp").read_text()
    enum = (root / "quillbar" / "layouts.h").read_text()
    number = dict(re.findall(r"(\w+) = (\d+)", re.search(r"enum class MenuId \{(.*?)\}", enum).group(1)))
    button = {int(number[m]): text.strip()
              for m, text in re.findall(r'TextButton\("\w+", MenuId::(\w+), \{[^}]*\}, "([^"]*)"', layouts)}
    # Each layout's "/" names the next one, the last layout's the first.
    switches = re.findall(r'SwitchLabel\(\{[^}]*\}, "Switch to ([^"]+)"', layouts)
    names = switches[-1:] + switches[:-1]
    sends = lambda command, layout, other: (
        f"{command} ({other} on the {names[int(layout) - 1]} layout)" if layout else command)
    return [(button.get(menus.index(menu) + 1), caption, sends(command, layout, other))
            for menu, caption, command, layout, other in rows]


def listed_entries(lines):
    """(button, caption, command) for each entry of the guide's command table,
    and the line number of each."""
    listed, numbers, heading = [], [], None
    for number, line in enumerate(lines, 1):
        entry = re.match(r"^ {4}(\S.*?) {2,}(_\w+.*?)\s*$", line)
        if entry:
            listed.append((heading, entry.group(1), entry.group(2)))
            numbers.append(number)
        elif re.match(r"^ {2}\S", line):
            heading = line.strip()
    return listed, numbers


def command_table_faults(program, lines):
    """The guide's command table against the program's, aligned so that one
    entry missing or extra is one fault that names it."""
    listed, numbers = listed_entries(lines)
    where = section_names(lines)[numbers[0] - 1] if numbers else "section 4 (The palette)"
    show = lambda e: f"{e[1]!r} ({e[2]}) under {e[0]!r}"
    faults = []
    matcher = difflib.SequenceMatcher(None, program, listed, autojunk=False)
    for op, a, b, c, d in matcher.get_opcodes():
        if op == "equal":
            continue
        pairs = list(zip(range(a, b), range(c, d)))
        for i, j in pairs:
            faults.append(f"{where}, guide line {numbers[j]}: the program's entry {i + 1} is {show(program[i])}, "
                          f"the guide has {show(listed[j])}")
        for i in range(a + len(pairs), b):
            faults.append(f"{where}: the command table lacks the program's entry {i + 1}, {show(program[i])}")
        for j in range(c + len(pairs), d):
            faults.append(f"{where}, guide line {numbers[j]}: {show(listed[j])} is no entry of the program")
    return faults


def shared_letter_faults(entries, lines):
    """The paragraph that says which entries of one menu share an underlined
    letter, as "E in Import/Export; R and D in Modeling Commands", against the
    captions: a button's name may be cut short."""
    shared = {}
    for button in dict.fromkeys(b for b, _, _ in entries):
        letters = [c.split("&")[1][:1].upper() for b, c, _ in entries if b == button and "&" in c]
        common = {x for x in letters if letters.count(x) > 1}
        if common:
            shared[button] = common
    flat = re.sub(r"\s+", " ", "\n".join(lines))
    m = re.search(r"share their underlined letter \(([^)]*)\)", flat)
    number = next((n for n, line in enumerate(lines, 1) if "share their" in line), 0)
    where = section_names(lines)[number - 1] if number else "section 4 (The palette)"
    program = "; ".join(f"{' and '.join(sorted(v))} in {k}" for k, v in shared.items()) or "none"
    if not m:
        return [f"{where}: no paragraph says which entries share an underlined letter ({program})"] if shared else []
    said = {}
    for part in m.group(1).split(";"):
        letters, _, name = part.strip().partition(" in ")
        button = next((b for b in shared if b and b.startswith(name.strip())), name.strip())
        said[button] = set(re.split(r",\s*|\s+and\s+", letters.strip()))
    if said == shared:
        return []
    return [f"{where}, guide line {number}: the captions share underlined letters as '{program}', "
            f"the guide says '{m.group(1)}'"]


def main(argv):
    root = pathlib.Path(argv[1])
    guide = (root / "docs" / "user-guide.txt").read_text(encoding="utf-8")
    text = corpus(root)
    faults = []
    lines = guide.splitlines()
    sections = section_names(lines)

    for number, line in enumerate(lines, 1):
        if len(line) >= 80:
            faults.append(f"{sections[number - 1]}, guide line {number} is {len(line)} columns "
                          "wide: Notepad wraps it")
    boxes = quoted_boxes(guide)
    if len(boxes) < 12:
        faults.append(f"only {len(boxes)} boxes found in the guide: is the '|' layout still used?")
    for line, box in boxes:
        for piece in re.split(r"<[^<>\n]*>", box):
            if piece.strip() and piece not in text:
                faults.append(f"{sections[line - 1]}, guide line {line}: not in the sources or "
                              f"tests: {piece!r}")
    for title in set(re.findall(r'titled "([^"]+)"', guide)):
        if f'"{title}"' not in text:
            faults.append(f"box title not in the sources: {title!r}")

    entries = program_entries(root)
    program = [(button, caption.replace("&", ""), command) for button, caption, command in entries]
    if len(program) < 20:
        faults.append(f"only {len(program)} entries read from quillbar/commands.cpp: has its table changed shape?")
    faults += command_table_faults(program, lines)
    faults += shared_letter_faults(entries, lines)

    # Blanks and line ends count as one blank, as the guide wraps its prose.
    flat = lambda text: re.sub(r"\s+", " ", text)
    mentioned = flat(guide + "\n\x00\n" + "\n\x00\n".join(box for _, box in boxes))
    shown = box_texts(root)
    troubleshooting = next((n for n in sections if n.endswith("(Troubleshooting)")), "section 3 (Troubleshooting)")
    for where, pieces in shown:
        missing = [p for p in pieces if flat(p) not in mentioned]
        if missing:
            faults.append(f"the box of {where} belongs in {troubleshooting}, which lacks: {missing[0]!r}")

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
    print(f"{len(boxes)} quoted boxes, {len(shown)} box calls and {len(program)} commands checked, {len(faults)} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
