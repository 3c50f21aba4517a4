"""Command line of the schema compiler.

    python3 -m pelagon_xsdc --namespace-base URI --include-prefix PREFIX --export-macro MACRO
        --export-header HEADER [--import NAMESPACE=PREFIX ...] [--schema-root DIR]
        [--profile full|reduced] [--clang-format EXE [--clang-format-style FILE]]
        --out DIR [--list-outputs] SCHEMA

Writes DIR/include/PREFIX/<path>/<Type>.hxx for every complex type of SCHEMA and
DIR/src/PREFIX/<path>/<Name>.cxx for the schema, where <path> follows the namespace URI
("/Schemas/Query/2006-03/SavedQuery" gives query/2006_03/savedquery). Files whose content would not
change are left alone, so that a build does not recompile them. --list-outputs prints the paths it
would write, one a line, and writes nothing. Exit status 1 and "file:line: message" on standard
error for a schema outside the supported subset (see model.py).

    python3 -m pelagon_xsdc --tool-table OUT.cxx --namespace-base URI --include-prefix PREFIX
        [--import NAMESPACE=PREFIX ...] [--schema-root DIR]
        [--clang-format EXE [--clang-format-style FILE]] SCHEMA...

Writes the type table of the pelagon tool for all the schema files (and the files they import)
into one C++ source, OUT.cxx (see table.py); left alone when its content would not change. The
table names the schema file of each type relative to DIR, by default the deepest folder that holds
them all.
"""

import argparse
import os
import subprocess
import sys

from . import cpp, table
from .model import Loader
from .xmltree import SchemaError


def arguments(argv):
    parser = argparse.ArgumentParser(prog="pelagon-xsdc", description=__doc__.split("\n\n")[0])
    parser.add_argument("schema")
    parser.add_argument("--namespace-base", required=True)
    parser.add_argument("--include-prefix", required=True)
    parser.add_argument("--export-macro", required=True)
    parser.add_argument("--export-header", required=True)
    parser.add_argument("--import", dest="imports", action="append", default=[],
                        metavar="NAMESPACE=PREFIX")
    parser.add_argument("--schema-root", help="paths in comments are relative to it")
    parser.add_argument("--out", required=True)
    parser.add_argument("--list-outputs", action="store_true")
    parser.add_argument("--profile", choices=("full", "reduced"), default="full",
                        help="the binding runtime the code is built against")
    parser.add_argument("--clang-format", metavar="EXECUTABLE",
                        help="format the output with it, in the style of --clang-format-style")
    parser.add_argument("--clang-format-style", metavar="FILE")
    return parser.parse_args(argv)


def table_arguments(argv):
    parser = argparse.ArgumentParser(prog="pelagon-xsdc --tool-table",
                                     description="Writes the type table of the pelagon tool.")
    parser.add_argument("schemas", nargs="+", metavar="SCHEMA")
    parser.add_argument("--tool-table", required=True, metavar="OUT")
    parser.add_argument("--namespace-base", required=True)
    parser.add_argument("--include-prefix", required=True)
    parser.add_argument("--import", dest="imports", action="append", default=[],
                        metavar="NAMESPACE=PREFIX")
    parser.add_argument("--schema-root", help="schema files are named relative to it")
    parser.add_argument("--clang-format", metavar="EXECUTABLE")
    parser.add_argument("--clang-format-style", metavar="FILE")
    return parser.parse_args(argv)


def import_prefixes(items):
    """{namespace: prefix} from NAMESPACE=PREFIX items; None after reporting a malformed one."""
    imports = {}
    for item in items:
        namespace, separator, prefix = item.rpartition("=")
        if not separator:
            print(f"pelagon-xsdc: --import takes NAMESPACE=PREFIX, not {item}", file=sys.stderr)
            return None
        imports[namespace] = prefix
    return imports


def table_main(argv):
    args = table_arguments(argv)
    imports = import_prefixes(args.imports)
    if imports is None:
        return 2
    loader = Loader(args.namespace_base)
    try:
        schemas = [loader.load(path) for path in args.schemas]
    except SchemaError as error:
        print(error, file=sys.stderr)
        return 1
    loaded = table.all_schemas(schemas)
    root = args.schema_root or os.path.commonpath([os.path.dirname(s.path) for s in loaded])
    for schema in loaded:
        schema.relative_path = os.path.relpath(schema.path, root)
    target = cpp.Target(args.include_prefix, None, None, imports)
    text = formatted(table.source(schemas, target), args.tool_table, args)
    write_if_changed(os.path.abspath(args.tool_table), text)
    return 0


def outputs(schema, target):
    files = {}
    for complex_type in schema.types:
        files["include/" + target.header_path(complex_type, schema)] = cpp.header(complex_type,
                                                                                target)
    files["src/" + target.source_path(schema)] = cpp.source(schema, target)
    return files


def formatted(text, path, args):
    """The text as clang-format lays it out, so that generated code reads like the project's own."""
    if not args.clang_format:
        return text
    style = f"file:{args.clang_format_style}" if args.clang_format_style else "file"
    result = subprocess.run([args.clang_format, f"--style={style}", f"--assume-filename={path}"],
                            input=text, capture_output=True, text=True, check=False)
    if result.returncode != 0:
        raise RuntimeError(f"{args.clang_format} failed on {path}: {result.stderr.strip()}")
    return result.stdout


def write_if_changed(path, text):
    try:
        with open(path, encoding="utf-8") as existing:
            if existing.read() == text:
                return
    except OSError:
        pass
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8") as stream:
        stream.write(text)


def main(argv=None):
    argv = sys.argv[1:] if argv is None else argv
    if any(a == "--tool-table" or a.startswith("--tool-table=") for a in argv):
        return table_main(argv)
    args = arguments(argv)
    imports = import_prefixes(args.imports)
    if imports is None:
        return 2
    try:
        schema = Loader(args.namespace_base).load(args.schema)
    except SchemaError as error:
        print(error, file=sys.stderr)
        return 1
    root = args.schema_root or os.path.dirname(os.path.abspath(args.schema))
    for loaded in [schema] + schema.imports:
        loaded.relative_path = os.path.relpath(loaded.path, root)
    target = cpp.Target(args.include_prefix, args.export_macro, args.export_header, imports,
                        reduced=args.profile == "reduced")
    files = outputs(schema, target)
    for relative in sorted(files):
        path = os.path.join(args.out, relative)
        if args.list_outputs:
            print(path)
        else:
            write_if_changed(path, formatted(files[relative], path, args))
    return 0


if __name__ == "__main__":
    sys.exit(main())
