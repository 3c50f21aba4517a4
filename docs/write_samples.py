"""Writes the XML form of every document type for the API documentation, as the pelagon tool
prints it (`pelagon sample --indent 2`): OUT/<version label>/<Type>.xml, with the label's blanks as
underscores. The generated class comments include these files by the same names.

Usage: write_samples.py PELAGON OUT
"""

import os
import subprocess
import sys


def document_types(pelagon):
    """(version label, type name) of every document type that `pelagon types` lists."""
    listing = subprocess.run([pelagon, "types"], capture_output=True, text=True, check=True)
    label = None
    for line in listing.stdout.splitlines():
        if not line.startswith(" "):
            label = line.rpartition(": ")[0]
        elif line.endswith(" (document)"):
            yield label, line.split()[0]


def main(pelagon, out):
    written = 0
    for label, name in document_types(pelagon):
        sample = subprocess.run([pelagon, "sample", "--indent", "2", f"{label}:{name}"],
                                capture_output=True, text=True, check=True).stdout
        path = os.path.join(out, label.replace(" ", "_"), name + ".xml")
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w", encoding="utf-8") as stream:
            stream.write(sample)
        written += 1
    if written == 0:
        sys.exit(f"write_samples.py: {pelagon} listed no document types")


if __name__ == "__main__":
    main(*sys.argv[1:])
