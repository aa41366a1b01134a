#!/usr/bin/env python3
"""Lists the functions declared in the headers of app/, fnc/ and cli/ that only tests call.

A name counts as called when it appears, as a whole word, in a source file of app/, fnc/, cli/,
fuzz/ or bench/ on a line that neither declares nor defines that name (ctags says which do).
Names that several functions share are judged together, so an overload only tests call can
hide behind a busy name: the list errs on the side of missing one, never of a false one.
Prints "name  header" per function, then the count. Needs Universal Ctags.
"""
import collections, pathlib, re, subprocess, sys

root = pathlib.Path(__file__).resolve().parent.parent
production = ["app", "fnc", "cli"]
others = ["fuzz", "bench"]


def tags(folders, kinds):
    out = subprocess.run(
        ["ctags", "-R", "--languages=C++", f"--kinds-C++={kinds}", "-x",
         "--_xformat=%N\t%n\t%F"] + folders, cwd=root, capture_output=True, text=True, check=True)
    for line in out.stdout.splitlines():
        name, number, path = line.split("\t", 2)
        yield name, int(number), path


def declaration(path, number):
    """The declaration from its first line to its end, which may lie lines further on."""
    lines = (root / path).read_text(errors="replace").splitlines()[number - 1:]
    text = ""
    for line in lines:
        text += line
        if ";" in line or "{" in line:
            break
    return text


# An override is called through its interface (the system calls a COM object's methods).
declared = collections.defaultdict(set)
for name, number, path in tags(production, "pf"):
    if (path.endswith(".h") and not name.startswith(("operator", "~")) and
            "override" not in declaration(path, number)):
        declared[name].add(path)
own_lines = {(name, path, number) for name, number, path in tags(production + others, "pf")}

words = collections.Counter()
tested = collections.Counter()
word = re.compile(r"[A-Za-z_][A-Za-z0-9_]*")
for folder in production + others + ["tests"]:
    for path in (root / folder).rglob("*"):
        if path.suffix not in {".h", ".cpp", ".rc"}:
            continue
        relative = str(path.relative_to(root))
        for number, line in enumerate(path.read_text(errors="replace").splitlines(), 1):
            for name in set(word.findall(line)) & declared.keys():
                if (name, relative, number) in own_lines:
                    continue
                (tested if folder == "tests" else words)[name] += 1

found = sorted(name for name in declared if words[name] == 0 and tested[name] > 0)
for name in found:
    print(f"{name:40} {' '.join(sorted(declared[name]))}")
print(f"{len(found)} functions only tests call")
sys.exit(0)
