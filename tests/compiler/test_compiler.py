"""The schema compiler's rules: what it accepts, what it rejects and with which message."""

import contextlib
import io
import os
import shutil
import sys
import tempfile
import textwrap
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "compiler"))

from pelagon_xsdc import __main__ as command  # noqa: E402
from pelagon_xsdc.model import Loader  # noqa: E402
from pelagon_xsdc.xmltree import SchemaError  # noqa: E402

BASE_SCHEMA = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "schemas", "soa",
                           "2006_03", "base", "Base.xsd")

BASE = "http://schemas.corvanthel.example"
HEAD = f"""<?xml version="1.0"?>
<xs:schema xmlns:xs="http://www.w3.org/2001/XMLSchema" xmlns:tns="{BASE}/Schemas/Test/2009-01/Port"
           targetNamespace="{BASE}/Schemas/Test/2009-01/Port" elementFormDefault="qualified">
"""


class CompilerTest(unittest.TestCase):
    def load(self, body, head=HEAD):
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "Test.xsd")
            with open(path, "w", encoding="utf-8") as stream:
                stream.write(head + textwrap.dedent(body) + "</xs:schema>\n")
            return Loader(BASE).load(path)

    def rejects(self, body, line, message, head=HEAD):
        with self.assertRaises(SchemaError) as caught:
            self.load(body, head)
        self.assertRegex(str(caught.exception), rf"Test\.xsd:{line}: .*{message}")

    def test_fields_in_order_with_kinds_and_stems(self):
        schema = self.load("""\
            <xs:complexType name="Entry"/>
            <xs:complexType name="Holder">
              <xs:sequence>
                <xs:element name="entry" type="tns:Entry"/>
                <xs:element name="queries" type="tns:Entry" minOccurs="0" maxOccurs="unbounded"/>
                <xs:element name="criterias" type="xs:string" minOccurs="0" maxOccurs="unbounded"/>
                <xs:element name="objectUIDS" type="xs:string" minOccurs="0" maxOccurs="unbounded"/>
                <xs:element name="arrayOfResults" type="xs:int" minOccurs="0" maxOccurs="unbounded"/>
                <xs:element name="output" type="tns:Entry" minOccurs="0" maxOccurs="unbounded"/>
              </xs:sequence>
              <xs:attribute name="nFound" type="xs:int"/>
              <xs:attribute name="when" type="xs:dateTime"/>
            </xs:complexType>
            """)
        holder = schema.find_type("Holder")
        self.assertEqual([(f.xml_name, f.kind, f.stem) for f in holder.fields], [
            ("nFound", "int", "NFound"), ("when", "date", "When"), ("entry", "child", "Entry"),
            ("queries", "child_list", "Querie"), ("criterias", "string_list", "Criteria"),
            ("objectUIDS", "string_list", "ObjectUIDS"),
            ("arrayOfResults", "int_list", "ArrayOfResult"), ("output", "child_list", "Output")])
        self.assertEqual([f.xml_name for f in holder.constructor_fields], ["nFound", "when", "entry"])
        self.assertEqual(schema.class_namespace,
                         ["Corvanthel", "Schemas", "Test", "_2009_01", "Port"])
        self.assertEqual(schema.header_dir, "test/2009_01/port")

    def test_rejects_what_the_binding_cannot_express(self):
        cases = [
            ('<xs:complexType name="A"><xs:choice/></xs:complexType>', "xs:choice is not supported"),
            ('<xs:complexType name="A"><xs:attribute name="b" type="xs:boolean"/></xs:complexType>',
             'attribute type "xs:boolean" is not supported'),
            ('<xs:complexType name="A"><xs:sequence><xs:element name="b" type="xs:string"/>'
             '</xs:sequence></xs:complexType>', "only as a list"),
            ('<xs:complexType name="A"><xs:sequence><xs:element name="b" type="xs:string" '
             'maxOccurs="3"/></xs:sequence></xs:complexType>', "occurs once"),
            ('<xs:complexType name="A"><xs:attribute name="b" type="xs:int"/>'
             '<xs:attribute name="b" type="xs:string"/></xs:complexType>', '"b" is declared twice'),
            ('<xs:complexType name="A"><xs:sequence><xs:element name="c" type="tns:Missing"/>'
             '</xs:sequence></xs:complexType>', 'type "Missing" is not declared'),
            ('<xs:complexType name="A"><xs:sequence><xs:element name="a" type="tns:A"/>'
             '</xs:sequence></xs:complexType>', "recursive types are not supported: A -> A"),
            ('<xs:complexType name="A" mixed="true"/>', 'attribute "mixed"'),
            # A named type of either sort: a name of letters and digits, declared once.
            ('<xs:complexType name="A"/><xs:complexType name="A"/>', 'type "A" is declared twice'),
            ('<xs:complexType name="a_b"/>', "xs:complexType needs a name of letters and digits"),
            ('<xs:simpleType name="S"><xs:restriction base="xs:int"/></xs:simpleType>' * 2,
             'simple type "S" is declared twice'),
            ('<xs:simpleType name="1S"><xs:restriction base="xs:int"/></xs:simpleType>',
             "xs:simpleType needs a name of letters and digits"),
        ]
        for body, message in cases:
            with self.subTest(message=message):
                self.rejects(body, 4, message)

    def test_rejects_names_that_clash_with_the_runtime(self):
        def attribute(name):
            return f'<xs:complexType name="A"><xs:attribute name="{name}" type="xs:string"/>' \
                   '</xs:complexType>'

        def string_list(*names):
            elements = "".join(f'<xs:element name="{n}" type="xs:string" minOccurs="0" '
                               f'maxOccurs="unbounded"/>' for n in names)
            return f'<xs:complexType name="A"><xs:sequence>{elements}</xs:sequence></xs:complexType>'

        cases = [
            # Accessors that would hide a member of BaseObject, Handle or the generated classes.
            (attribute("namespace"), "getNamespace would hide getNamespace of BaseObject"),
            (attribute("refCount"), "getRefCount would hide getRefCount of BaseObject"),
            (attribute("handleObject"), "getHandleObject would hide getHandleObject of Handle"),
            (string_list("refs"), "addRef would hide addRef of BaseObject"),
            (attribute("namespaces"), "getNamespaces would hide getNamespaces of every generated"),
            # Two fields whose accessors meet: a list and a field named after its array accessor,
            # and names that differ only in the final "s" that a list drops.
            ('<xs:complexType name="A"><xs:sequence><xs:element name="items" type="xs:string" '
             'minOccurs="0" maxOccurs="unbounded"/></xs:sequence>'
             '<xs:attribute name="itemArray" type="xs:string"/></xs:complexType>',
             '"itemArray" and "items" of "A" both have the accessor getItemArray'),
            (string_list("value", "values"), '"value" and "values" of "A" both have'),
            (string_list("s"), '"s" leaves no accessor stem'),
            # Type names: keywords, names the generated code uses, another type's implementation.
            ('<xs:complexType name="class"/>', '"class" is a C\\+\\+ keyword'),
            ('<xs:complexType name="Handle"/>', '"Handle" is a name the generated code uses'),
            ('<xs:complexType name="XmlStream"/>', '"XmlStream" is a name the generated code'),
            ('<xs:complexType name="AImpl"/><xs:complexType name="A"/>',
             'the implementation class of type "A"'),
        ]
        for body, message in cases:
            with self.subTest(message=message):
                self.rejects(body, 4, message)

    def test_a_simple_type_stands_for_its_base_type(self):
        schema = self.load("""\
            <xs:complexType name="Holder">
              <xs:attribute name="when" type="tns:Stamp"/>
              <xs:attribute name="code" type="tns:Code"/>
            </xs:complexType>
            <xs:simpleType name="Stamp">
              <xs:restriction base="xs:dateTime"><xs:pattern value="[0-9]{4}-.*"/></xs:restriction>
            </xs:simpleType>
            <xs:simpleType name="Code">
              <xs:annotation><xs:documentation>A code.</xs:documentation></xs:annotation>
              <xs:restriction base="xs:int"/>
            </xs:simpleType>
            """)
        self.assertEqual([(f.xml_name, f.kind) for f in schema.find_type("Holder").fields],
                         [("when", "date"), ("code", "int")])
        cases = [
            ('<xs:simpleType name="S"><xs:restriction base="xs:boolean"/></xs:simpleType>',
             "must have the base"),
            ('<xs:simpleType name="S"><xs:restriction base="xs:string"><xs:maxLength value="3"/>'
             '</xs:restriction></xs:simpleType>', "only xs:pattern"),
            ('<xs:simpleType name="S"><xs:list itemType="xs:int"/></xs:simpleType>',
             "must hold one xs:restriction"),
        ]
        for body, message in cases:
            with self.subTest(message=message):
                self.rejects(body, 4, message)

    def test_rejects_a_namespace_outside_the_base(self):
        head = HEAD.replace(f'targetNamespace="{BASE}/', 'targetNamespace="urn:other/')
        self.rejects("", 2, "does not start with", head)

    def test_malformed_schema_names_the_line(self):
        self.rejects("<xs:complexType name='A'>\n</xs:element>\n", 5, "mismatched tag")

    def test_a_pattern_it_cannot_translate_is_refused_at_its_line(self):
        self.rejects("""\
            <xs:simpleType name="Code">
              <xs:restriction base="xs:string">
                <xs:pattern value="\\p{Lu}+"/>
              </xs:restriction>
            </xs:simpleType>
            """, 6, r'pattern "\\p\{Lu\}\+": \\p stands for a Unicode category')

    def test_use_required_is_kept(self):
        schema = self.load("""\
            <xs:complexType name="A">
              <xs:attribute name="b" type="xs:int" use="required"/>
              <xs:attribute name="c" type="xs:int"/>
            </xs:complexType>
            """)
        self.assertEqual([f.required for f in schema.find_type("A").fields], [True, False])


BASE_NAMESPACE = f"{BASE}/Schemas/Soa/2006-03/Base"
IMPORTING = HEAD.replace('xmlns:tns=', f'xmlns:base="{BASE_NAMESPACE}" xmlns:tns=') + f"""\
  <xs:import namespace="{BASE_NAMESPACE}" schemaLocation="soa/2006_03/base/Base.xsd"/>
  <xs:complexType name="Holder">
    <xs:sequence><xs:element name="object" type="base:ModelObject"/></xs:sequence>
  </xs:complexType>
  <xs:element name="Holder" type="tns:Holder"/>
</xs:schema>
"""


class ImportTest(unittest.TestCase):
    """An import's schemaLocation: next to the importing file first, then along the schema path."""

    def test_where_an_imported_file_is_found(self):
        # (copy of Base.xsd next to the schema, copy in a schema path folder, found)
        cases = [(True, False, True), (False, True, True), (True, True, True),
                 (False, False, False)]
        for beside, in_path, found in cases:
            with self.subTest(beside=beside, in_path=in_path), \
                    tempfile.TemporaryDirectory() as top:
                own, installed = os.path.join(top, "own"), os.path.join(top, "installed")
                for folder, wanted in ((own, beside), (installed, in_path)):
                    os.makedirs(os.path.join(folder, "soa", "2006_03", "base"))
                    if wanted:
                        shutil.copy(BASE_SCHEMA, os.path.join(folder, "soa", "2006_03", "base"))
                path = os.path.join(own, "Test.xsd")
                with open(path, "w", encoding="utf-8") as stream:
                    stream.write(IMPORTING)
                loader = Loader(BASE, [installed])
                if found:
                    field = loader.load(path).find_type("Holder").fields[0]
                    self.assertEqual(field.type.schema.namespace, BASE_NAMESPACE)
                    expected = own if beside else installed
                    self.assertEqual(os.path.dirname(field.type.schema.path),
                                     os.path.join(expected, "soa", "2006_03", "base"))
                else:
                    with self.assertRaises(SchemaError) as caught:
                        loader.load(path)
                    self.assertRegex(str(caught.exception),
                                     r"Test\.xsd:4: soa/2006_03/base/Base\.xsd is neither next "
                                     r"to this file nor in the schema path \(.*installed\)")


class CommandLineTest(unittest.TestCase):
    """The bindings command: export macros, and the defaults an installed package gives it."""

    def run_bindings(self, options, defaults=None):
        """(exit status, {generated file: text}, standard error)"""
        with tempfile.TemporaryDirectory() as top:
            os.makedirs(os.path.join(top, "soa", "2006_03", "base"))
            shutil.copy(BASE_SCHEMA, os.path.join(top, "soa", "2006_03", "base"))
            schema = os.path.join(top, "Test.xsd")
            with open(schema, "w", encoding="utf-8") as stream:
                stream.write(IMPORTING)
            errors = io.StringIO()
            with contextlib.redirect_stderr(errors):
                status = command.main(["bindings", "--include-prefix", "own", "--out", top]
                                      + options + [schema], defaults)
            files = {}
            for folder, _, names in os.walk(top):
                for name in names:
                    if name.endswith((".hxx", ".cxx")):
                        with open(os.path.join(folder, name), encoding="utf-8") as stream:
                            files[os.path.relpath(os.path.join(folder, name), top)] = stream.read()
            return status, files, errors.getvalue()

    def test_export_macro_and_header(self):
        header = "include/own/test/2009_01/port/Holder.hxx"
        cases = [  # (options, exit status, the class declaration, the export header's include)
            ([], 0, r"class\s+HolderImpl", None),
            (["--export-macro", "OWN_API", "--export-header", "own/Export.hxx"], 0,
             r"class OWN_API HolderImpl", "#include <own/Export.hxx>"),
            (["--export-macro", "OWN_API"], 2, None, None),
            (["--export-header", "own/Export.hxx"], 2, None, None),
        ]
        for options, status, declaration, include in cases:
            with self.subTest(options=options):
                got, files, errors = self.run_bindings(
                    ["--namespace-base", BASE, "--import", f"{BASE_NAMESPACE}=varnicore"] + options)
                self.assertEqual(got, status, errors)
                if status != 0:
                    self.assertIn("go together", errors)
                    self.assertEqual(files, {})
                    continue
                self.assertRegex(files[header], declaration)
                self.assertEqual(include is not None, "Export" in files[header])
                if include:
                    self.assertIn(include, files[header])
                self.assertIn("#include <varnicore/soa/2006_03/base/ModelObject.hxx>",
                              files[header])

    def test_package_defaults_and_what_overrides_them(self):
        defaults = {"namespace_base": BASE, "profile": "reduced",
                    "imports": [f"{BASE_NAMESPACE}=varnicore"]}
        header = "include/own/test/2009_01/port/Holder.hxx"
        cases = [  # (options, include prefix of ModelObject, profile in the release check)
            ([], "varnicore", "reduced"),
            (["--profile", "full"], "varnicore", "full"),
            (["--import", f"{BASE_NAMESPACE}=mine"], "mine", "reduced"),
        ]
        for options, prefix, profile in cases:
            with self.subTest(options=options):
                status, files, errors = self.run_bindings(options, defaults)
                self.assertEqual(status, 0, errors)
                self.assertIn(f"#include <{prefix}/soa/2006_03/base/ModelObject.hxx>",
                              files[header])
                self.assertIn(f", {profile} profile, not for", files[header])
        with contextlib.redirect_stderr(io.StringIO()), self.assertRaises(SystemExit):
            self.run_bindings([])  # without defaults, the namespace base is required

    def test_the_release_is_named_in_every_header(self):
        status, files, errors = self.run_bindings(["--namespace-base", BASE])
        self.assertEqual(status, 0, errors)
        with open(os.path.join(os.path.dirname(command.__file__), "VERSION"),
                  encoding="utf-8") as stream:
            release = stream.read().strip()
        major, minor, patch = release.split(".")
        for name, text in files.items():
            if name.endswith(".hxx"):
                self.assertIn(f"PELAGON_BINDING_VERSION_MAJOR == {major} && "
                              f"PELAGON_BINDING_VERSION_MINOR == {minor} &&", text)
                self.assertIn(f"PELAGON_BINDING_VERSION_PATCH == {patch}", text)
                self.assertIn(f"generated for binding runtime {release}, full profile", text)


if __name__ == "__main__":
    unittest.main()
