"""The schema compiler's rules: what it accepts, what it rejects and with which message."""

import os
import sys
import tempfile
import textwrap
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "compiler"))

from pelagon_xsdc.model import Loader  # noqa: E402
from pelagon_xsdc.xmltree import SchemaError  # noqa: E402

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


if __name__ == "__main__":
    unittest.main()
