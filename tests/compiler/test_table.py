"""The type table of the pelagon tool that the schema compiler writes (--tool-table)."""

import os
import re
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
TOP = os.path.normpath(os.path.join(HERE, "..", ".."))
sys.path.insert(0, os.path.join(TOP, "compiler"))

from pelagon_xsdc.model import Schema  # noqa: E402
from pelagon_xsdc.names import version_label  # noqa: E402

BASE = "http://schemas.corvanthel.example"
SCHEMAS = os.path.join(TOP, "schemas")
SAVEDQUERY_2006 = os.path.join(SCHEMAS, "query/2006_03/savedquery/SavedQuery.xsd")
FINDER_2007 = os.path.join(SCHEMAS, "query/2007_06/finder/Finder.xsd")


def table(*schemas):
    """The table source for the schema files, as the build generates it."""
    with tempfile.TemporaryDirectory() as folder:
        out = os.path.join(folder, "TypeTable.cxx")
        subprocess.run([sys.executable, "-B", "-m", "pelagon_xsdc", "table", "--out", out,
                        "--namespace-base", BASE, "--include-prefix", "pelagon",
                        "--import", f"{BASE}/Schemas/Soa/2006-03/Base=varnicore", *schemas],
                       check=True, env=dict(os.environ, PYTHONPATH=os.path.join(TOP, "compiler")))
        with open(out, encoding="utf-8") as stream:
            return stream.read()


class TableTest(unittest.TestCase):
    def test_version_labels_follow_the_namespace_path(self):
        cases = {
            "/Schemas/Query/2007-06/SavedQuery": "saved queries 2007-06",
            "/Schemas/Query/2007-06/Finder": "finder 2007-06",
            "/Schemas/Internal/Query/2008-06/Finder": "internal finder 2008-06",
            "/Schemas/Soa/2006-03/Base": "base 2006-03",
            "/Schemas/Query/2009-01/WorkspaceObjectQuery": "workspace object query 2009-01",
        }
        for path, label in cases.items():
            with self.subTest(path=path):
                self.assertEqual(version_label(Schema("x.xsd", BASE + path, path, "")), label)

    def test_every_type_of_the_schemas_and_their_imports_in_order(self):
        text = table(SAVEDQUERY_2006, FINDER_2007)
        types = re.findall(r'TypeInfo\{"([^"]+)",\s*"([^"]+)",\s*"([^"]+)",\s*"(\w+)", '
                           r'(true|false), (\d+), (\d+),\s*&rewrite<([\w:]+)>,\s*'
                           r'(nullptr|kValidateDocument<[\w:]+>),\s*kValidateContent<([\w:]+)>\}',
                           text)
        self.assertEqual([(t[0], t[3], t[4]) for t in types], [
            ("base 2006-03", "ModelObject", "false"), ("base 2006-03", "ErrorValue", "false"),
            ("base 2006-03", "PartialError", "false"), ("base 2006-03", "ServiceData", "true"),
            ("finder 2007-06", "WSOFindCriteria", "false"), ("finder 2007-06", "WSOFindSet", "false"),
            ("finder 2007-06", "FindWorkspaceObjectsOutput", "false"),
            ("finder 2007-06", "FindWorkspaceObjectsInput", "true"),
            ("finder 2007-06", "FindWorkspaceObjectsResponse", "true"),
            ("saved queries 2006-03", "SavedQueryObject", "false"),
            ("saved queries 2006-03", "SavedQueryFieldObject", "false"),
            ("saved queries 2006-03", "SavedQueryFieldListObject", "false"),
            ("saved queries 2006-03", "GetSavedQueriesInput", "true"),
            ("saved queries 2006-03", "GetSavedQueriesResponse", "true"),
            ("saved queries 2006-03", "DescribeSavedQueriesInput", "true"),
            ("saved queries 2006-03", "DescribeSavedQueriesResponse", "true"),
            ("saved queries 2006-03", "ExecuteSavedQueryInput", "true"),
            ("saved queries 2006-03", "ExecuteSavedQueryResponse", "true")])
        # Only a document type validates as a document; each type validates the content of its
        # own class.
        for t in types:
            self.assertEqual((t[8], t[9]), (f"kValidateDocument<{t[7]}>" if t[4] == "true"
                                            else "nullptr", t[7]))
        self.assertEqual(types[-2][1], f"{BASE}/Schemas/Query/2006-03/SavedQuery")
        # Schema files are named relative to the folder that holds them all, imports included.
        self.assertEqual({t[0]: t[2] for t in types}, {
            "base 2006-03": "soa/2006_03/base/Base.xsd",
            "finder 2007-06": "query/2007_06/finder/Finder.xsd",
            "saved queries 2006-03": "query/2006_03/savedquery/SavedQuery.xsd"})
        self.assertEqual(types[-2][7],
                         "::Corvanthel::Schemas::Query::_2006_03::Savedquery::ExecuteSavedQueryInput")
        self.assertIn("#include <varnicore/soa/2006_03/base/ModelObject.hxx>", text)
        self.assertIn("#include <pelagon/query/2007_06/finder/WSOFindSet.hxx>", text)

        fields = re.findall(r'FieldInfo\{"(\w+)", FieldKind::(\w+), "\w+", (?:true|false), '
                            r'(?:true|false), "(\w+)", (\w+)\}', text)
        first, count = int(types[-2][5]), int(types[-2][6])
        self.assertEqual(fields[first:first + count], [
            ("limit", "Int", "Limit", "kNoType"), ("query", "Child", "Query", "0"),
            ("entries", "StringList", "Entrie", "kNoType"), ("values", "StringList", "Value", "kNoType")])
        first = int(types[-1][5])
        self.assertEqual(fields[first + 2], ("ServiceData", "Ref", "ServiceData", "3"))
        self.assertEqual(len(fields), sum(int(t[6]) for t in types))
        # What a kind is in XML comes with every field, from the compiler's description of kinds.
        self.assertIn('FieldInfo{"limit", FieldKind::Int, "int", true, false, "Limit", kNoType}',
                      text)
        self.assertIn('FieldInfo{"entries", FieldKind::StringList, "string_list", false, true, '
                      '"Entrie", kNoType}', text)

        documents = re.findall(r'DocumentElement\{"(\w+)", (\d+)\}', text)
        self.assertEqual(documents[0], ("ServiceData", "3"))
        self.assertIn(("ExecuteSavedQueryInput", str(len(types) - 2)), documents)
        self.assertEqual(len(documents), 9)

    def test_a_rejected_schema_names_file_and_line(self):
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "Bad.xsd")
            with open(path, "w", encoding="utf-8") as stream:
                stream.write('<xs:schema xmlns:xs="http://www.w3.org/2001/XMLSchema"/>\n')
            result = subprocess.run(
                [sys.executable, "-B", "-m", "pelagon_xsdc", "table", "--out",
                 os.path.join(folder, "out.cxx"), "--namespace-base", BASE, "--include-prefix",
                 "pelagon", path], capture_output=True, text=True, check=False,
                env=dict(os.environ, PYTHONPATH=os.path.join(TOP, "compiler")))
            self.assertEqual(result.returncode, 1)
            self.assertRegex(result.stderr, r"Bad\.xsd:1: xs:schema needs a targetNamespace")
            self.assertFalse(os.path.exists(os.path.join(folder, "out.cxx")))


if __name__ == "__main__":
    unittest.main()
