"""A small code writer: blocks of text with named slots, each slot's lines kept at its indentation.

    code = CodeWriter()
    code.block('''
        void $name() {
          $body
        }
        ''', name="run", body=["a();", "b();"])

A block is dedented, then its $slots are filled (string.Template). A slot that stands alone on its
line takes a list of lines, each put at the slot's indentation; an empty list removes the line. A
slot elsewhere takes a string. Layout beyond indentation is clang-format's.
"""

import re
import textwrap
from string import Template

_ALONE = re.compile(r"^(\s*)\$(\w+)\s*$")


class CodeWriter:
    def __init__(self):
        self._lines = []

    def line(self, text=""):
        self._lines.append(text)

    def lines(self, texts):
        for text in texts:
            self.line(text)

    def block(self, template, **slots):
        for text in fill(template, **slots):
            self.line(text)

    def text(self):
        return "\n".join(self._lines) + "\n"


def fill(template, **slots):
    """The lines of a dedented template with its slots filled (see the module's comment)."""
    out = []
    body = textwrap.dedent(template).strip("\n")
    for raw in body.split("\n"):
        alone = _ALONE.match(raw)
        if alone and isinstance(slots.get(alone.group(2)), (list, tuple)):
            out += [alone.group(1) + item if item else "" for item in slots[alone.group(2)]]
        else:
            out.append(Template(raw).substitute(slots))
    return out
