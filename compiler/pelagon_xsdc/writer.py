"""Templates: the one way the emitters write code, so that the code they make reads in their source.

    fill('''
        void $name() {
          $body
        }
        ''', name="run", body=["a();", "b();"])

A template is dedented and stripped of the blank lines at either end, then its $slots are filled
(string.Template). A slot that stands alone on its line takes a list of lines, each put at the
slot's indentation; an empty list removes the line, and an empty string in the list is a blank
line. A slot elsewhere takes a string. Every file and every definition is one template; what a
slot takes is built from the model: a line per field, a filled template, or nothing. Layout beyond
indentation is clang-format's.
"""

import re
import textwrap
from string import Template

_ALONE = re.compile(r"^(\s*)\$(\w+)\s*$")


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


def text(lines):
    """A file of these lines."""
    return "\n".join(lines) + "\n"


def paragraph(lines):
    """The lines followed by a blank line; nothing for no lines."""
    return [*lines, ""] if lines else []


def string_literal(value):
    return '"' + value.replace("\\", "\\\\").replace('"', '\\"') + '"'


def boolean(value):
    return "true" if value else "false"
