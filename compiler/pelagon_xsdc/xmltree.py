"""A minimal XML element tree that remembers where each element stands in its file.

The standard library's ElementTree drops line numbers; the compiler needs them to name the line of
every construct it rejects.
"""

from dataclasses import dataclass, field
from xml.parsers import expat


class SchemaError(Exception):
    """A schema that the compiler cannot accept; str() is "file:line: message"."""

    def __init__(self, path, line, message):
        super().__init__(f"{path}:{line}: {message}")


@dataclass
class Element:
    namespace: str
    name: str
    attributes: dict
    line: int
    prefixes: dict  # prefix -> namespace URI in scope ("" for the default namespace)
    children: list = field(default_factory=list)
    text: str = ""

    def resolve(self, qname, path):
        """Resolves a QName attribute value to (namespace URI, local name)."""
        prefix, _, local = qname.rpartition(":")
        if prefix not in self.prefixes:
            raise SchemaError(path, self.line, f'prefix "{prefix}" of "{qname}" is not declared')
        return self.prefixes[prefix], local


def parse(path):
    """Parses an XML file into a tree of Element; raises SchemaError when it is not well-formed."""
    parser = expat.ParserCreate(namespace_separator=" ")
    stack = []
    pending = {}
    root = []

    def start_ns(prefix, uri):
        pending[prefix or ""] = uri

    def start(tag, attributes):
        namespace, _, name = tag.rpartition(" ")
        scope = dict(stack[-1].prefixes) if stack else {"xml": "http://www.w3.org/XML/1998/namespace"}
        scope.update(pending)
        pending.clear()
        element = Element(namespace, name, dict(attributes), parser.CurrentLineNumber, scope)
        if stack:
            stack[-1].children.append(element)
        else:
            root.append(element)
        stack.append(element)

    def end(_tag):
        stack.pop()

    def text(data):
        if stack:
            stack[-1].text += data

    parser.StartNamespaceDeclHandler = start_ns
    parser.StartElementHandler = start
    parser.EndElementHandler = end
    parser.CharacterDataHandler = text
    try:
        with open(path, "rb") as stream:
            parser.ParseFile(stream)
    except expat.ExpatError as error:
        raise SchemaError(path, error.lineno, expat.errors.messages[error.code]) from None
    except OSError as error:
        raise SchemaError(path, 0, error.strerror) from None
    return root[0]
