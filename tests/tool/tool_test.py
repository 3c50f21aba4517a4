"""The pelagon tool, run as its users run it: the real binary on real files, checking the lines it
prints and its exit statuses.

Environment: PELAGON_TOOL (the binary), PELAGON_SCHEMA_LIST (a file naming the schema files the
build compiled, one a line) and PELAGON_VERSION (the project version); in a cross build,
PELAGON_TOOL_EMULATOR (the command that runs the binary, its words separated by blanks).
"""

import os
import re
import shlex
import subprocess
import sys
import tempfile
import unittest
import xml.etree.ElementTree as ElementTree

HERE = os.path.dirname(os.path.abspath(__file__))
TOP = os.path.normpath(os.path.join(HERE, "..", ".."))
MESSAGES = os.path.join(TOP, "examples", "messages")
SCHEMAS = os.path.join(TOP, "schemas")
BROKEN = os.path.join(HERE, "broken")
STRICT = os.path.join(HERE, "strict")
XS = "{http://www.w3.org/2001/XMLSchema}"
TOOL = shlex.split(os.environ.get("PELAGON_TOOL_EMULATOR", "")) + [
    os.environ.get("PELAGON_TOOL", "pelagon")]

# The version label of each schema folder, as the tool must print it.
LABELS = {
    "soa/2006_03/base": "base 2006-03",
    "query/2006_03/savedquery": "saved queries 2006-03",
    "query/2007_01/savedquery": "saved queries 2007-01",
    "query/2007_06/savedquery": "saved queries 2007-06",
    "query/2007_09/savedquery": "saved queries 2007-09",
    "query/2008_06/savedquery": "saved queries 2008-06",
    "query/2007_06/finder": "finder 2007-06",
    "internal/query/2008_06/finder": "internal finder 2008-06",
}
Q2006 = "http://schemas.corvanthel.example/Schemas/Query/2006-03/SavedQuery"
BASE = "http://schemas.corvanthel.example/Schemas/Soa/2006-03/Base"


def run(*args, stdin=b"", cwd=None):
    """(exit status, standard output, standard error) of the tool."""
    result = subprocess.run([*TOOL, *args], input=stdin, capture_output=True, cwd=cwd,
                            timeout=60, check=False)
    return result.returncode, result.stdout.decode("utf-8"), result.stderr.decode("utf-8")


# A library built on the runtime's interface alone: no validation, and the errors that reading
# finds (an unexpected element, a value that does not convert) carry no place.
CONTRACT = os.environ.get("PELAGON_CONTRACT") == "1"
needs_validation = unittest.skipIf(CONTRACT, "this build rests on the runtime's interface alone, "
                                   "without validation")
READING_ERROR = re.compile(r"^([^:]*):\d+:\d+(: error: (?:Unexpected node name:|Cannot convert) .*)$",
                           re.DOTALL)


def as_reported(line):
    """The line as this build reports it: without a place for an error that reading finds, where
    the build has no places."""
    return READING_ERROR.sub(r"\1\2", line) if CONTRACT else line


def built_folders():
    """The schema folders (relative to schemas/) that the build compiled."""
    with open(os.environ["PELAGON_SCHEMA_LIST"], encoding="utf-8") as stream:
        paths = [line.strip() for line in stream if line.strip()]
    return {os.path.relpath(os.path.dirname(p), SCHEMAS).replace(os.sep, "/") for p in paths}


def schema_documents(folder):
    """The global element names of the schema file in folder."""
    (name,) = [f for f in os.listdir(os.path.join(SCHEMAS, folder)) if f.endswith(".xsd")]
    root = ElementTree.parse(os.path.join(SCHEMAS, folder, name)).getroot()
    return [e.get("name") for e in root.findall(XS + "element")]


def all_schema_folders():
    folders = []
    for directory, _, files in os.walk(SCHEMAS):
        if any(f.endswith(".xsd") for f in files):
            folders.append(os.path.relpath(directory, SCHEMAS).replace(os.sep, "/"))
    return sorted(folders)


def example_messages(folders):
    """(folder, path relative to the top, type name) of the example messages in folders."""
    found = []
    for folder in sorted(folders):
        directory = os.path.join(MESSAGES, folder)
        for name in sorted(os.listdir(directory)) if os.path.isdir(directory) else []:
            if name.endswith(".xml"):
                found.append((folder, os.path.join("examples", "messages", folder, name), name[:-4]))
    return found


def undeclared(text):
    """The text without namespace declarations: where the library puts them differs between the
    full and the reduced runtime, and is no business of the tool."""
    return re.sub(r' xmlns(:\w+)?="[^"]*"', "", text)


def expected_lines(folder):
    with open(os.path.join(folder, "expected.txt"), encoding="utf-8") as stream:
        return {line.split(":", 1)[0]: line.rstrip("\n") for line in stream}


class CommandLineTest(unittest.TestCase):
    """Help, version and usage errors: exit status 2, a message on standard error only."""

    def assertUsageError(self, args, message):
        status, out, err = run(*args)
        self.assertEqual((status, out), (2, ""), args)
        self.assertIn(message, err)
        self.assertRegex(err, r"Try 'pelagon[a-z ]*--help'\.\n$")

    def test_help_of_every_command(self):
        for command in ([], ["check"], ["format"], ["types"], ["sample"]):
            with self.subTest(command=command):
                status, out, err = run(*command, "--help")
                self.assertEqual((status, err), (0, ""))
                self.assertTrue(out.startswith("Usage: pelagon " + (command[0] if command else
                                                                     "COMMAND")), out)

    def test_version(self):
        self.assertEqual(run("--version"), (0, f"pelagon {os.environ['PELAGON_VERSION']}\n", ""))

    def test_usage_errors(self):
        cases = [
            ([], "pelagon: no COMMAND given"),
            (["validate", "x.xml"], 'pelagon: unknown command "validate"'),
            (["check"], "pelagon check: no FILE given"),
            (["check", "--bogus", "x.xml"], "pelagon check: unknown option --bogus"),
            (["check", "--type"], "pelagon check: option --type needs a value"),
            (["format", "a.xml", "b.xml"], "pelagon format: format takes one FILE"),
            (["format", "--indent", "two", "a.xml"], "--indent takes a number of spaces from 0"),
            (["format", "--indent=17", "a.xml"], "--indent takes a number of spaces from 0"),
            (["sample"], "pelagon sample: sample takes one TYPE"),
            (["types", "A", "B"], "pelagon types: types takes at most one TYPE"),
        ]
        for args, message in cases:
            with self.subTest(args=args):
                self.assertUsageError(args, message)

    def test_a_type_that_does_not_exist(self):
        cases = [
            (["types", "NoSuchType"], "NoSuchType"),
            (["sample", "NoSuchType"], "NoSuchType"),
            (["check", "--type", "NoSuchType", "x.xml"], "NoSuchType"),
            (["format", "--type=saved queries 2006-03:ModelObject", "x.xml"],
             "saved queries 2006-03:ModelObject"),
            (["types", "saved queries 1999-01:ExecuteSavedQueryInput"],
             "saved queries 1999-01:ExecuteSavedQueryInput"),
        ]
        for args, type_name in cases:
            with self.subTest(args=args):
                self.assertUsageError(args, f'no type "{type_name}"; pelagon types lists them')

    def test_a_name_of_several_versions_must_be_qualified(self):
        if not {"query/2007_09/savedquery", "query/2008_06/savedquery"} <= built_folders():
            self.skipTest("this build has one version of QueryInput at most")
        self.assertUsageError(["types", "QueryInput"],
                              '"QueryInput" is a type of several versions: '
                              '"saved queries 2007-09:QueryInput", "saved queries 2008-06:QueryInput"')


class CheckTest(unittest.TestCase):
    """pelagon check on the bundled example messages and on messages picked by --type."""

    def test_every_document_type_has_an_example(self):
        for folder in all_schema_folders():
            for element in schema_documents(folder):
                with self.subTest(folder=folder, element=element):
                    self.assertTrue(os.path.isfile(os.path.join(MESSAGES, folder, element + ".xml")))

    def test_every_example_is_ok_one_line_each_in_order(self):
        examples = example_messages(built_folders())
        self.assertGreater(len(examples), 0)
        status, out, err = run("check", *[path for _, path, _ in examples], cwd=TOP)
        self.assertEqual((status, err), (0, ""))
        lines = out.splitlines()
        self.assertEqual(len(lines), len(examples))
        for line, (folder, path, type_name) in zip(lines, examples):
            self.assertRegex(line, "^" + re.escape(f"{path}: ok: {type_name} ({LABELS[folder]}), ") +
                             r"\d+ elements?( \(\w+: \d+(, \w+: \d+)*\))?$")

    def test_every_example_passes_strict(self):
        examples = example_messages(built_folders())
        status, out, _ = run("check", "--strict", *[path for _, path, _ in examples], cwd=TOP)
        self.assertEqual(status, 0, out)
        self.assertEqual(out.count(": ok: "), len(examples))

    def test_counts_what_the_message_holds(self):
        path = "examples/messages/query/2006_03/savedquery/ExecuteSavedQueryInput.xml"
        self.assertEqual(run("check", path, cwd=TOP), (0, (
            f"{path}: ok: ExecuteSavedQueryInput (saved queries 2006-03), 6 elements "
            "(entries: 2, values: 2)\n"), ""))
        path = "examples/messages/query/2006_03/savedquery/GetSavedQueriesInput.xml"
        self.assertEqual(run("check", path, cwd=TOP)[1],
                         f"{path}: ok: GetSavedQueriesInput (saved queries 2006-03), 1 element\n")

    def test_standard_input(self):
        with open(os.path.join(MESSAGES, "query/2006_03/savedquery/GetSavedQueriesResponse.xml"),
                  "rb") as stream:
            text = stream.read()
        self.assertEqual(run("check", "-", stdin=text), (0, (
            "<stdin>: ok: GetSavedQueriesResponse (saved queries 2006-03), 8 elements "
            "(queries: 2)\n"), ""))

    def test_type_picks_the_type_of_a_root_named_otherwise(self):
        text = (f'<Request xmlns="{Q2006}" limit="5"><query uid="Ab12" type="SavedQuery"/>'
                "<entries>Name</entries><values>PUMP*</values></Request>").encode()
        self.assertEqual(run("check", "-", stdin=text), (1, (
            f'<stdin>:1:1: error: no type has the document element "Request" in namespace '
            f'"{Q2006}"; name one with --type\n'), ""))
        for type_name in ("saved queries 2006-03:ExecuteSavedQueryInput",
                          f"{Q2006}:ExecuteSavedQueryInput", "ExecuteSavedQueryInput"):
            with self.subTest(type_name=type_name):
                result = run("check", "--strict", "--type", type_name, "-", stdin=text)
                self.assertEqual(result, (0, (
                    "<stdin>: ok: ExecuteSavedQueryInput (saved queries 2006-03), 4 elements "
                    "(entries: 1, values: 1)\n"), ""))

    def test_a_document_read_as_the_wrong_type(self):
        path = "examples/messages/query/2006_03/savedquery/ExecuteSavedQueryInput.xml"
        self.assertEqual(run("check", "--type", "GetSavedQueriesResponse", path, cwd=TOP), (1, (
            as_reported(f"{path}:1:269: error: Unexpected node name: query\n")), ""))


class BrokenTest(unittest.TestCase):
    """Messages that cannot be read: the exact line the tool prints for each, and exit status 1."""

    # Broken messages of types that the reduced build does not have.
    NEEDS = {"NotADate.xml": "query/2007_06/finder",
             "NotAnIntEntry.xml": "query/2007_06/savedquery"}

    def test_each_broken_message(self):
        expected = expected_lines(BROKEN)
        names = sorted(f for f in os.listdir(BROKEN) if f.endswith(".xml"))
        self.assertEqual(sorted(expected), names)
        for name in names:
            if self.NEEDS.get(name, "query/2006_03/savedquery") not in built_folders():
                continue
            with self.subTest(name=name):
                self.assertEqual(run("check", name, cwd=BROKEN),
                                 (1, as_reported(expected[name] + "\n"), ""))

    def test_files_that_are_no_documents(self):
        with tempfile.TemporaryDirectory() as folder:
            files = {"empty.xml": b"", "blank.xml": b" \n\n  ", "garbage.bin": bytes(range(256)),
                     "text.txt": b"Saved queries: Item Name, Checked-Out\n"}
            for name, content in files.items():
                with open(os.path.join(folder, name), "wb") as stream:
                    stream.write(content)
            expected = {
                "empty.xml": r":1:1: error: No document element found\n",
                "blank.xml": r":[1-3]:\d+: error: No document element found\n",
                "garbage.bin": r":1:1: error: Control character U\+0000 is not allowed\n",
                "text.txt": r":1:1: error: Text is not allowed before the root element\n",
                "missing.xml": r": error: cannot read: No such file or directory\n",
                ".": r": error: cannot read: Is a directory\n",
            }
            for name, line in expected.items():
                with self.subTest(name=name):
                    status, out, err = run("check", name, cwd=folder)
                    self.assertEqual((status, err), (1, ""))
                    self.assertRegex(out, "^" + re.escape(name) + line + "$")

    def test_one_broken_file_fails_the_run_and_the_others_are_still_checked(self):
        ok = os.path.join(MESSAGES, "query/2006_03/savedquery/GetSavedQueriesInput.xml")
        status, out, err = run("check", ok, "UnexpectedChild.xml", ok, cwd=BROKEN)
        self.assertEqual((status, err), (1, ""))
        self.assertEqual([line.split(": ")[1] for line in out.splitlines()], ["ok", "error", "ok"])

    def test_format_reports_on_standard_error(self):
        self.assertEqual(run("format", "UnexpectedChild.xml", cwd=BROKEN), (1, "", as_reported(
            "UnexpectedChild.xml:6:3: error: Unexpected node name: sortBy\n")))


class StrictTest(unittest.TestCase):
    """check --strict: what reading drops or normalises, one line each, at the element concerned."""

    @needs_validation
    def test_findings(self):
        names = sorted(f for f in os.listdir(STRICT) if f.endswith(".xml"))
        status, out, err = run("check", "--strict", *names, cwd=STRICT)
        self.assertEqual((status, err), (1, ""))
        with open(os.path.join(STRICT, "expected.txt"), encoding="utf-8") as stream:
            self.assertEqual(out, stream.read())

    def test_without_strict_the_same_messages_are_ok(self):
        names = sorted(f for f in os.listdir(STRICT) if f.endswith(".xml"))
        status, out, _ = run("check", *names, cwd=STRICT)
        self.assertEqual(status, 0)
        self.assertEqual(out.count(": ok: "), len(names))


@needs_validation
class ValidateTest(unittest.TestCase):
    """check --validate: the first fault against the schema, where reading would accept."""

    def test_every_example_and_sample_is_valid(self):
        examples = example_messages(built_folders())
        status, out, _ = run("check", "--validate", *[path for _, path, _ in examples], cwd=TOP)
        self.assertEqual((status, out.count(": ok: ")), (0, len(examples)), out)

    def test_what_reading_accepts_and_validation_refuses(self):
        text = (f'<ExecuteSavedQueryInput xmlns="{Q2006}" limit="5" max="7"><entries>Name</entries>'
                "</ExecuteSavedQueryInput>").encode()
        self.assertEqual(run("check", "-", stdin=text)[0], 0)
        self.assertEqual(run("check", "--validate", "-", stdin=text), (1, (
            "<stdin>:1:110: error: attribute 'max' is not declared for element "
            "'ExecuteSavedQueryInput'\n"), ""))
        # --type takes the root's content as the type's, whatever the root is named.
        renamed = text.replace(b"ExecuteSavedQueryInput", b"Request").replace(b' max="7"', b"")
        self.assertEqual(run("check", "--validate", "--type", "ExecuteSavedQueryInput", "-",
                             stdin=renamed), (1, (
            "<stdin>:1:95: error: expected element 'query' before 'entries'\n"), ""))

    def test_a_huge_name_is_shortened(self):
        name = "n" * 100_000
        text = f'<GetSavedQueriesResponse xmlns="{Q2006}"><{name}/></GetSavedQueriesResponse>'
        for option in ((), ("--validate",)):
            with self.subTest(option=option):
                status, out, _ = run("check", *option, "-", stdin=text.encode())
                self.assertEqual(status, 1)
                self.assertLess(len(out), 300)
                self.assertIn("n" * 40, out)


class FormatTest(unittest.TestCase):
    """pelagon format: the library's canonical form, optionally indented without changing values."""

    def test_layout_and_prefixes_do_not_change_the_canonical_form(self):
        example = os.path.join(MESSAGES, "query/2006_03/savedquery/GetSavedQueriesResponse.xml")
        indented = os.path.join(STRICT, "IndentedWithOtherPrefixes.xml")
        status, canonical, err = run("format", example)
        self.assertEqual((status, err), (0, ""))
        self.assertEqual(canonical.count("\n"), 1)
        self.assertEqual(run("format", indented), (0, canonical, ""))

    def test_indented_form(self):
        text = (f'<e:ExecuteSavedQueryInput xmlns:e="{Q2006}" limit="7"><e:entries>a  &lt; b'
                '</e:entries><e:query type="Item" uid="Ab12"/></e:ExecuteSavedQueryInput>').encode()
        status, out, err = run("format", "--indent", "2", "-", stdin=text)
        self.assertEqual((status, err), (0, ""))
        self.assertEqual(undeclared(out), (
            '<ExecuteSavedQueryInput limit="7">\n'
            '  <savedquery:query uid="Ab12" type="Item"/>\n'
            "  <savedquery:entries>a  &lt; b</savedquery:entries>\n"
            "</ExecuteSavedQueryInput>\n"))
        self.assertIn(f'xmlns="{Q2006}"', out.splitlines()[0])
        status, out, _ = run("format", "--indent=0", "-", stdin=text)
        self.assertEqual(status, 0)
        self.assertEqual([line[:1] for line in out.splitlines()], ["<"] * 4)

    def test_indenting_changes_no_value(self):
        with tempfile.TemporaryDirectory() as folder:
            for _, path, _ in example_messages(built_folders()):
                if path.endswith("/GetSavedQueriesInput.xml"):
                    continue  # a single empty element: one line however it is laid out
                with self.subTest(path=path):
                    status, canonical, _ = run("format", path, cwd=TOP)
                    self.assertEqual(status, 0)
                    status, indented, _ = run("format", "--indent", "4", path, cwd=TOP)
                    self.assertEqual(status, 0)
                    self.assertGreater(indented.count("\n"), 1)
                    copy = os.path.join(folder, "indented.xml")
                    with open(copy, "w", encoding="utf-8") as stream:
                        stream.write(indented)
                    self.assertEqual(run("format", copy), (0, canonical, ""))
                    self.assertEqual(run("check", "--strict", copy)[0], 0)

    def test_values_with_blanks_and_line_ends_survive_indenting(self):
        text = (f'<ExecuteSavedQueryInput xmlns="{Q2006}" limit="1"><query uid=" a&#10;b " '
                'type="&#9;"/><entries>\n  two lines\n</entries><values> </values>'
                "</ExecuteSavedQueryInput>").encode()
        status, indented, _ = run("format", "--indent", "2", "-", stdin=text)
        self.assertEqual(status, 0)
        self.assertIn('uid=" a&#10;b " type="&#9;"', indented)
        self.assertIn("<savedquery:entries>&#10;  two lines&#10;</savedquery:entries>", indented)
        self.assertEqual(run("format", "-", stdin=indented.encode()),
                         run("format", "-", stdin=text))


class TypesTest(unittest.TestCase):
    """pelagon types: the versions and types this build has, and one type's fields."""

    def test_lists_every_version_with_its_namespace_and_documents(self):
        status, out, err = run("types")
        self.assertEqual((status, err), (0, ""))
        versions = re.findall(r"^(\S.*): (http://\S+)$", out, re.M)
        self.assertEqual(sorted(v for v, _ in versions),
                         sorted(LABELS[f] for f in built_folders()))
        for folder in built_folders():
            with self.subTest(folder=folder):
                block = out.split(LABELS[folder] + ": ", 1)[1].split("\n", 1)[1]
                block = block[:re.search(r"^\S", block + "x", re.M).start()]
                documents = re.findall(r"^  (\w+) \(document\)$", block, re.M)
                self.assertEqual(sorted(documents), sorted(schema_documents(folder)))

    def test_the_2006_03_saved_queries(self):
        out = run("types")[1]
        self.assertIn(f"saved queries 2006-03: {Q2006}\n"
                      "  SavedQueryObject\n"
                      "  SavedQueryFieldObject\n"
                      "  SavedQueryFieldListObject\n"
                      "  GetSavedQueriesInput (document)\n"
                      "  GetSavedQueriesResponse (document)\n"
                      "  DescribeSavedQueriesInput (document)\n"
                      "  DescribeSavedQueriesResponse (document)\n"
                      "  ExecuteSavedQueryInput (document)\n"
                      "  ExecuteSavedQueryResponse (document)\n", out)

    def test_fields_of_one_type(self):
        expected = (
            "type: ExecuteSavedQueryInput\n"
            "version: saved queries 2006-03\n"
            f"namespace: {Q2006}\n"
            "document element: ExecuteSavedQueryInput\n"
            "fields:\n"
            "  XML name  kind         accessor stem  entry type\n"
            "  limit     int          Limit\n"
            "  query     child        Query          base 2006-03:ModelObject\n"
            "  entries   string_list  Entrie\n"
            "  values    string_list  Value\n")
        for type_name in ("ExecuteSavedQueryInput", "saved queries 2006-03:ExecuteSavedQueryInput",
                          f"{Q2006}:ExecuteSavedQueryInput"):
            with self.subTest(type_name=type_name):
                self.assertEqual(run("types", type_name), (0, expected, ""))

    def test_a_type_without_fields_and_a_reference(self):
        self.assertEqual(run("types", "GetSavedQueriesInput")[1].splitlines()[3:], [
            "document element: GetSavedQueriesInput",
            "fields: none (reading ignores child elements of any name)"])
        self.assertIn("  ServiceData  ref         ServiceData    base 2006-03:ServiceData\n",
                      run("types", "ExecuteSavedQueryResponse")[1])


class SampleTest(unittest.TestCase):
    """pelagon sample: a filled message of any type, which pelagon check accepts."""

    def test_check_accepts_the_sample_of_every_type(self):
        out = run("types")[1]
        version = None
        types = []
        for line in out.splitlines():
            if not line.startswith(" "):
                version = line.split(": ", 1)[0]
            else:
                types.append((version, line.split()[0], line.endswith("(document)")))
        self.assertGreater(len(types), 10)
        for version, name, document in types:
            with self.subTest(type=name, version=version):
                type_name = f"{version}:{name}"
                status, sample, err = run("sample", type_name)
                self.assertEqual((status, err), (0, ""))
                forced = [] if document else ["--type", type_name]
                status, report, _ = run("check", "--strict", *forced, "-", stdin=sample.encode())
                self.assertEqual(status, 0, report)
                self.assertTrue(report.startswith(f"<stdin>: ok: {name} ({version}), "), report)

    def test_every_field_is_filled(self):
        status, out, err = run("sample", "base 2006-03:ModelObject")
        self.assertEqual((status, err), (0, ""))
        self.assertEqual(undeclared(out), '<ModelObject uid="uid-1" type="type-2"></ModelObject>\n')
        self.assertIn(f'xmlns="{BASE}"', out)
        status, out, _ = run("sample", "--indent", "1", "ExecuteSavedQueryInput")
        self.assertEqual(status, 0)
        self.assertEqual(undeclared(out).splitlines()[1:], [
            ' <savedquery:query uid="uid-2" type="type-3"/>',
            " <savedquery:entries>entries-4</savedquery:entries>",
            " <savedquery:entries>entries-5</savedquery:entries>",
            " <savedquery:values>values-6</savedquery:values>",
            " <savedquery:values>values-7</savedquery:values>",
            "</ExecuteSavedQueryInput>"])


if __name__ == "__main__":
    unittest.main(argv=sys.argv)
