"""A cross build's pelagon tool, run under its emulator, prints what the native tool prints: the
same standard output, standard error and exit status for every document the project has (the
example messages, the reader's corpus, the tool's own test documents) and every type of the type
table. Byte order and the signedness of char must change nothing a user sees.

The commands: check and check --strict over the documents of each folder at once (a line per
document), format of each document, format --indent of each that formats, and sample and
sample --indent of each type.

Usage: same_output.py NATIVE_TOOL CROSS_COMMAND...
(CROSS_COMMAND: the emulator, its options and the cross-built tool.)
"""

import concurrent.futures
import difflib
import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
TOP = os.path.normpath(os.path.join(HERE, "..", ".."))
DOCUMENT_FOLDERS = [os.path.join("examples", "messages"), os.path.join("tests", "corpus", "wf"),
                    os.path.join("tests", "corpus", "not-wf"), os.path.join("tests", "tool")]
CHECK_COMMANDS = [["check"], ["check", "--strict"]]
SAMPLE_COMMANDS = [["sample"], ["sample", "--indent", "1"]]


def documents(folder):
    """The documents in folder and below, as paths relative to the top of the tree, sorted."""
    found = []
    for directory, _, files in os.walk(os.path.join(TOP, folder)):
        found += [os.path.relpath(os.path.join(directory, name), TOP)
                  for name in files if name.endswith(".xml")]
    return sorted(found)


def outcome(command):
    """(exit status, standard output, standard error) of command, run at the top of the tree."""
    result = subprocess.run(command, cwd=TOP, stdin=subprocess.DEVNULL, capture_output=True,
                            timeout=120, check=False)
    return result.returncode, result.stdout, result.stderr


def type_names(native):
    """Every type of the type table, qualified by its version, from the native tool's listing."""
    status, out, err = outcome([native, "types"])
    if status != 0:
        sys.exit(f"{native} types failed ({status}): {err.decode(errors='replace')}")
    names, version = [], None
    for line in out.decode().splitlines():
        if not line.startswith(" "):
            version = line.split(": ", 1)[0]
        else:
            names.append(f"{version}:{line.split()[0]}")
    return names


def difference(args, native, cross):
    """What differs between the two outcomes of args, for the log."""
    shown = " ".join(args) if len(args) <= 4 else f"{' '.join(args[:3])} ... ({len(args)} words)"
    lines = [f"pelagon {shown}:"]
    if native[0] != cross[0]:
        lines.append(f"  exit status: native {native[0]}, cross {cross[0]}")
    for stream, a, b in (("stdout", native[1], cross[1]), ("stderr", native[2], cross[2])):
        if a != b:
            a_lines = a.decode("utf-8", "replace").splitlines(keepends=True)
            b_lines = b.decode("utf-8", "replace").splitlines(keepends=True)
            diff = list(difflib.unified_diff(a_lines, b_lines, f"native {stream}",
                                             f"cross {stream}", n=1))
            lines += ["  " + line.rstrip("\n") for line in diff[:40]]
    return "\n".join(lines)


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    native, cross = sys.argv[1], sys.argv[2:]
    if not os.access(native, os.X_OK):
        sys.exit(f"no native tool at {native}: build the default preset first "
                 "(or set PELAGON_NATIVE_TOOL)")
    folders = [documents(folder) for folder in DOCUMENT_FOLDERS]
    paths = [path for folder in folders for path in folder]
    types = type_names(native)
    runs = [["types"]]
    runs += [[*command, *folder] for folder in folders for command in CHECK_COMMANDS]
    runs += [["format", path] for path in paths]
    # Indenting is the writer's business: for documents that read.
    runs += [["format", "--indent", "2", path] for path in paths
             if outcome([native, "format", path])[0] == 0]
    runs += [[*command, name] for name in types for command in SAMPLE_COMMANDS]

    def compare(args):
        return args, outcome([native, *args]), outcome([*cross, *args])

    differences = []
    statuses = set()
    with concurrent.futures.ThreadPoolExecutor(max_workers=os.cpu_count() or 2) as pool:
        for args, native_outcome, cross_outcome in pool.map(compare, runs):
            statuses.add(native_outcome[0])
            if native_outcome != cross_outcome:
                differences.append(difference(args, native_outcome, cross_outcome))
    # The documents include broken ones: a tool that failed on everything would agree as well.
    if statuses != {0, 1}:
        differences.append(f"the native tool's exit statuses were {sorted(statuses)}, not 0 and 1")
    for text in differences:
        print(text)
    print(f"{len(paths)} documents and {len(types)} types: {len(runs)} commands compared, "
          f"{len(differences)} differences")
    return 1 if differences else 0


if __name__ == "__main__":
    sys.exit(main())
