"""Every document type of the installed schema files, exchanged with an independent peer.

The peer (peer/peer.cxx) is built from bindings that a schema-aware binder generated from the
installed schema files; it validates everything it reads. For every global element of the schemas
and every value set below, this script writes a document D0 by hand from the schemas alone, then:

- the library reads D0 and writes it again (`pelagon format`): D1;
- the peer reads D0 and D1 and lists the fields of each object it read: the two lists must be
  equal, and every value put into D0 must be in them;
- the peer writes what it read from D0 in each encoding and layout it offers: D2;
- the library reads each D2 and writes it again: it must write D1, byte for byte;
- the library's validator accepts D0, D1 and every D2, as the peer's validating parser did.

So a value changed by the library's reader or writer shows in the peer's list of D1, and a value
changed by the peer's reader or writer shows in what the library writes after reading D2.

Usage: exchange.py --pelagon TOOL --peer PEER --schemas DIR --work DIR
"""

import argparse
import difflib
import itertools
import os
import subprocess
import sys
import xml.etree.ElementTree as ET

XS = "{http://www.w3.org/2001/XMLSchema}"
INT_MIN, INT_MAX = -2147483648, 2147483647

# The value sets: how many entries each list gets, and the values that strings, ints and dates
# take in turn. The lexical forms are the schemas' to allow: an int may carry a sign, leading zeros
# and blanks, a date blanks around it.
VALUE_SETS = {
    "empty": {
        "entries": 0,
        "strings": [""],
        "ints": [str(INT_MIN)],
        "dates": ["0001-01-01T00:00:00"],
    },
    "single": {
        "entries": 1,
        "strings": ["<a href=\"x\">&amp; 'q' ]]> </a>"],
        "ints": [str(INT_MAX)],
        "dates": ["9999-12-31T23:59:59"],
    },
    "several": {
        "entries": 3,
        "strings": [
            "  leading and trailing blanks  ",
            "\ttab\tLF\nCRLF\r\nCR\rend",
            "\u00e9\u00df \u03a9 \u20ac \u4e2d \U0001F600 \U0001D11E",
            "",
            " ",
            "&lt; is text, not a reference",
            "\u00a0non-breaking\u00a0",
        ],
        "ints": ["0", "-1", "+2147483647", " 007 ", str(INT_MIN), "\t42\n"],
        "dates": ["2000-02-29T00:00:00", " 1970-01-01T12:34:56 ", "2008-06-04T09:30:00",
                  "1999-12-31T23:59:59"],
    },
}

# How the peer writes: (encoding, layout) pairs.
PEER_WRITES = [(encoding, style)
               for encoding in ("UTF-8", "UTF-16", "ISO-8859-1")
               for style in ("default", "prefixed", "compact")]


class Schema:
    """The part of one schema file that a document needs: types, global elements, namespaces."""

    def __init__(self, path):
        self.path = path
        # One pass gives the tree and the prefixes it declares, which ElementTree does not keep.
        parsing = ET.iterparse(path, events=["start-ns"])
        self.prefixes = {prefix: uri for _, (prefix, uri) in parsing}
        root = parsing.root
        self.namespace = root.get("targetNamespace")
        self.types = {t.get("name"): t for t in root.findall(XS + "complexType")}
        self.simple = {t.get("name"): t.find(XS + "restriction").get("base")
                       for t in root.findall(XS + "simpleType")}
        self.elements = {e.get("name"): e.get("type") for e in root.findall(XS + "element")}

    def expand(self, qname):
        prefix, _, local = qname.rpartition(":")
        return self.prefixes[prefix], local


class Schemas:
    def __init__(self, folder):
        self.by_namespace = {}
        for directory, _, files in os.walk(folder):
            for name in sorted(files):
                if name.endswith(".xsd"):
                    schema = Schema(os.path.join(directory, name))
                    self.by_namespace[schema.namespace] = schema

    def documents(self):
        """(namespace, element name) of every global element, in a stable order."""
        return sorted((ns, name) for ns, schema in self.by_namespace.items()
                      for name in schema.elements)

    def locations(self):
        return " ".join(f"{ns} {schema.path}" for ns, schema in sorted(self.by_namespace.items()))

    def scalar_kind(self, schema, qname):
        """"string", "int" or "date" for a simple type; None for a complex one."""
        ns, local = schema.expand(qname)
        if ns == XS[1:-1]:
            return {"string": "string", "int": "int", "dateTime": "date"}[local]
        owner = self.by_namespace[ns]
        if local in owner.simple:
            return self.scalar_kind(owner, owner.simple[local])
        return None


def escape(text, attribute):
    text = text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")
    text = text.replace("\r", "&#13;")
    if attribute:
        text = text.replace('"', "&quot;").replace("\t", "&#9;").replace("\n", "&#10;")
    return text


class DocumentWriter:
    """Writes a document from the schemas alone, taking values from one value set in turn."""

    def __init__(self, schemas, value_set):
        self.schemas = schemas
        self.entries = value_set["entries"]
        self.values = {kind: itertools.cycle(value_set[kind + "s"])
                       for kind in ("string", "int", "date")}
        self.used = []

    def value(self, kind):
        text = next(self.values[kind])
        # What the value is, as the peer lists it: an int in decimal, a date without blanks.
        if kind == "int":
            self.used.append(str(int(text)))
        else:
            self.used.append(text.strip() if kind == "date" else text)
        return text

    def document(self, namespace, name):
        schema = self.schemas.by_namespace[namespace]
        return ('<?xml version="1.0" encoding="UTF-8"?>\n'
                + self.element(schema, schema.elements[name], name, namespace, None))

    def element(self, schema, type_qname, name, namespace, parent_namespace):
        declaration = f' xmlns="{namespace}"' if namespace != parent_namespace else ""
        kind = self.schemas.scalar_kind(schema, type_qname)
        if kind is not None:
            return f"<{name}{declaration}>{escape(self.value(kind), False)}</{name}>"
        type_ns, type_name = schema.expand(type_qname)
        owner = self.schemas.by_namespace[type_ns]
        definition = owner.types[type_name]
        attributes = "".join(
            f' {a.get("name")}="{escape(self.value(self.schemas.scalar_kind(owner, a.get("type"))), True)}"'
            for a in definition.findall(XS + "attribute"))
        children = []
        for child in definition.findall(f"{XS}sequence/{XS}element"):
            count = self.entries if child.get("maxOccurs") == "unbounded" else 1
            for _ in range(count):
                if child.get("ref"):
                    ref_ns, ref_name = owner.expand(child.get("ref"))
                    ref_schema = self.schemas.by_namespace[ref_ns]
                    children.append(self.element(ref_schema, ref_schema.elements[ref_name],
                                                 ref_name, ref_ns, namespace))
                else:
                    children.append(self.element(owner, child.get("type"), child.get("name"),
                                                 owner.namespace, namespace))
        return f"<{name}{declaration}{attributes}>{''.join(children)}</{name}>"


class Exchange:
    def __init__(self, args):
        self.args = args
        self.schemas = Schemas(args.schemas)
        self.locations = self.schemas.locations()
        self.checks = 0
        self.validated = 0

    def run(self, *command, capture=True):
        result = subprocess.run(command, capture_output=True)
        if result.returncode != 0:
            raise AssertionError(f"{' '.join(command[:3])}... failed:\n"
                                 + result.stderr.decode("utf-8", "replace"))
        return result.stdout

    def pelagon_format(self, path, indent=None):
        options = ["--indent", str(indent)] if indent is not None else []
        return self.run(self.args.pelagon, "format", *options, path)

    def peer(self, *arguments):
        return self.run(self.args.peer, self.locations, *arguments)

    def fail(self, what, expected, actual, context):
        diff = "".join(difflib.unified_diff(expected.splitlines(True), actual.splitlines(True),
                                            "expected", "actual", n=2))
        raise AssertionError(f"{context}: {what}\n{diff[:4000]}")

    def exchange(self, namespace, name, set_name):
        base = os.path.join(self.args.work, f"{name}.{set_name}")
        writer = DocumentWriter(self.schemas, VALUE_SETS[set_name])
        d0, d1 = base + ".d0.xml", base + ".d1.xml"
        with open(d0, "w", encoding="utf-8", newline="") as out:
            out.write(writer.document(namespace, name))
        ours = self.pelagon_format(d0)
        with open(d1, "wb") as out:
            out.write(ours)

        # The peer reads what the library wrote as it reads the hand-written document.
        self.peer("dump", d0, base + ".d0.fields", d1, base + ".d1.fields")
        fields = [open(base + f".d{i}.fields", encoding="utf-8", newline="").read()
                  for i in (0, 1)]
        if fields[0] != fields[1]:
            self.fail("the peer read other values from the library's document", fields[0],
                      fields[1], f"{name} ({set_name})")
        missing = [value for value in writer.used if value not in fields[0]]
        if missing:
            raise AssertionError(f"{name} ({set_name}): the peer's fields lack {missing[:3]}")
        self.checks += 1

        # The library reads what the peer wrote, in every encoding and layout, into what it wrote.
        written = [(encoding, style, f"{base}.{encoding}.{style}.xml")
                   for encoding, style in PEER_WRITES]
        self.peer("write", d0, *[item for triple in written for item in triple])
        # Every document of the exchange, the peer's among them, is valid to our validator too:
        # the peer validated what it read, and the schema says the same to both. (A build on the
        # runtime's interface alone has no validator.)
        if os.environ.get("PELAGON_CONTRACT") != "1":
            self.run(self.args.pelagon, "check", "--validate", d0, d1,
                     *[d2 for _, _, d2 in written])
            self.validated += 2 + len(written)
        for encoding, style, d2 in written:
            again = self.pelagon_format(d2)
            if again != ours:
                self.fail(f"the library read other values from the peer's {encoding} "
                          f"{style} document", self.pelagon_format(d1, 2).decode("utf-8"),
                          self.pelagon_format(d2, 2).decode("utf-8"), f"{name} ({set_name})")
            self.checks += 1
        return len(writer.used)

    def main(self):
        print("peer:", self.identify())
        documents = self.schemas.documents()
        if not documents:
            raise AssertionError(f"no global elements in the schema files of {self.args.schemas}")
        values = 0
        for namespace, name in documents:
            for set_name in VALUE_SETS:
                values += self.exchange(namespace, name, set_name)
        print(f"{len(documents)} document types x {len(VALUE_SETS)} value sets: {values} values; "
              f"{self.checks} exchanges agree (the peer validated every document it read, "
              f"and wrote {len(PEER_WRITES)} encodings and layouts); our validator accepts all "
              f"{self.validated} documents")

    def identify(self):
        versions = []
        for package in ("xsdcxx", "libxerces-c3.2"):
            result = subprocess.run(["dpkg-query", "-W", "-f", "${Package} ${Version}", package],
                                    capture_output=True, text=True)
            if result.returncode == 0:
                versions.append(result.stdout.strip())
        xerces = self.peer("version").decode().strip()
        return ", ".join(versions + [f"validating parser {xerces}"])


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    for option in ("--pelagon", "--peer", "--schemas", "--work"):
        parser.add_argument(option, required=True)
    args = parser.parse_args()
    try:
        Exchange(args).main()
    except AssertionError as failure:
        print(f"exchange.py: {failure}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
