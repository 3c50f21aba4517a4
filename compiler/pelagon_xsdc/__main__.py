"""Command line of the schema compiler: python3 -m pelagon_xsdc COMMAND [OPTION...] SCHEMA...

    bindings [--export-macro MACRO --export-header HEADER] [--schema-root DIR] --out DIR
             [--list-outputs] COMMON SCHEMA
        Writes DIR/include/PREFIX/<path>/<Type>.hxx for every complex type of SCHEMA and
        DIR/src/PREFIX/<path>/<Name>.cxx for the schema, where <path> follows the namespace URI
        ("/Schemas/Query/2006-03/SavedQuery" gives query/2006_03/savedquery). The classes are
        declared with MACRO, defined in HEADER, for a shared library; without them, with no
        export macro. --list-outputs prints the paths it would write, one a line, and writes
        nothing.
    table --out FILE.cxx COMMON SCHEMA...
        Writes the type table of the pelagon tool for the schema files and the files they import
        (see table.py). It names the schema file of each type relative to --schema-root, by
        default the deepest folder that holds them all.
    umbrella --out FILE --header PATH COMMON SCHEMA...
        Writes the umbrella header, included as <PATH>: the runtime's API headers and the header of
        every type of the schema files and the files they import.

COMMON is --namespace-base URI --include-prefix PREFIX [--import NAMESPACE=PREFIX ...]
[--schema-root DIR] [--schema-path DIR ...] [--profile full|reduced]
[--clang-format EXE [--clang-format-style FILE]]. An import's schemaLocation is looked up next to
the importing file, then in each --schema-path folder in turn.

The installed pelagon-xsdc command fills in --namespace-base, --profile, the --import of the
framework's base types and the --schema-path of the installed schema files as its package was
built; options given on its command line take precedence.

A file whose content would not change is left alone, so that a build does not recompile what
includes it. Exit status 1 and "file:line: message" on standard error for a schema outside the
supported subset (see model.py), 2 for a usage error.
"""

import argparse
import os
import subprocess
import sys

from . import __version__, cpp, profiles, table, umbrella
from .model import Loader, all_schemas
from .xmltree import SchemaError


def arguments(argv, defaults=None):
    """The parsed command line; defaults holds the values of an installed package, by option."""
    defaults = defaults or {}
    common = argparse.ArgumentParser(add_help=False)
    common.add_argument("--namespace-base", required="namespace_base" not in defaults,
                        default=defaults.get("namespace_base"))
    common.add_argument("--include-prefix", required=True)
    common.add_argument("--import", dest="imports", action="append",
                        default=list(defaults.get("imports", [])), metavar="NAMESPACE=PREFIX")
    common.add_argument("--schema-root", help="schema files are named relative to it")
    common.add_argument("--schema-path", action="append", metavar="DIR",
                        default=list(defaults.get("schema_path", [])),
                        help="a folder where imported schema files are looked up too")
    common.add_argument("--profile", choices=("full", "reduced"),
                        default=defaults.get("profile", "full"),
                        help="the binding runtime the code is built against")
    common.add_argument("--clang-format", metavar="EXECUTABLE",
                        help="format the output with it, in the style of --clang-format-style")
    common.add_argument("--clang-format-style", metavar="FILE")

    parser = argparse.ArgumentParser(prog="pelagon-xsdc", description=__doc__.split("\n\n")[0])
    parser.add_argument("--version", action="version", version=f"%(prog)s {__version__}")
    commands = parser.add_subparsers(dest="command", required=True)
    bindings = commands.add_parser("bindings", parents=[common],
                                   help="the classes of one schema file")
    bindings.add_argument("schemas", nargs=1, metavar="SCHEMA")
    bindings.add_argument("--export-macro")
    bindings.add_argument("--export-header")
    bindings.add_argument("--out", required=True, metavar="DIR")
    bindings.add_argument("--list-outputs", action="store_true")
    types = commands.add_parser("table", parents=[common], help="the pelagon tool's type table")
    types.add_argument("schemas", nargs="+", metavar="SCHEMA")
    types.add_argument("--out", required=True, metavar="FILE")
    header = commands.add_parser("umbrella", parents=[common], help="the umbrella header")
    header.add_argument("schemas", nargs="+", metavar="SCHEMA")
    header.add_argument("--out", required=True, metavar="FILE")
    header.add_argument("--header", required=True, metavar="PATH",
                        help="the path it is included as, e.g. pelagon/pelagon.hxx")
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
    os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
    with open(path, "w", encoding="utf-8") as stream:
        stream.write(text)


def binding_files(schema, target):
    files = {}
    for complex_type in schema.types:
        files["include/" + target.header_path(complex_type, schema)] = cpp.header(complex_type,
                                                                                target)
    files["src/" + target.source_path(schema)] = cpp.source(schema, target)
    return files


def main(argv=None, defaults=None):
    args = arguments(sys.argv[1:] if argv is None else argv, defaults)
    imports = import_prefixes(args.imports)
    if imports is None:
        return 2
    if args.command == "bindings" and (args.export_macro is None) != (args.export_header is None):
        print("pelagon-xsdc: --export-macro and --export-header go together", file=sys.stderr)
        return 2
    loader = Loader(args.namespace_base, args.schema_path)
    try:
        schemas = [loader.load(path) for path in args.schemas]
    except SchemaError as error:
        print(error, file=sys.stderr)
        return 1
    target = cpp.Target(args.include_prefix, getattr(args, "export_macro", None),
                        getattr(args, "export_header", None), imports,
                        profiles.profile(args.profile))
    loaded = all_schemas(schemas)
    root = args.schema_root or os.path.commonpath([os.path.dirname(s.path) for s in loaded])
    for schema in loaded:
        schema.relative_path = os.path.relpath(schema.path, root)
    if args.command == "table":
        write_if_changed(args.out, formatted(table.source(schemas, target), args.out, args))
    elif args.command == "umbrella":
        write_if_changed(args.out, umbrella.source(schemas, target, args.header))
    else:
        files = binding_files(schemas[0], target)
        for relative in sorted(files):
            path = os.path.join(args.out, relative)
            if args.list_outputs:
                print(path)
            else:
                write_if_changed(path, formatted(files[relative], path, args))
    return 0


if __name__ == "__main__":
    sys.exit(main())
