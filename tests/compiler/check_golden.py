"""Compares the schema compiler's output with the copies kept here, in both profiles.

Two schemas: coverage/Coverage.xsd, made so that its output takes every branch of the emitter
(golden/coverage/<profile>/, every file in the generated layout), and the 2006-03 saved-query
schema with the base types, for a few real types. A change to the compiler shows up in review as
a change to these files:
    python3 check_golden.py --update    rewrites them from the current compiler.
"""

import argparse
import difflib
import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
TOP = os.path.normpath(os.path.join(HERE, "..", ".."))
SCHEMAS = os.path.join(TOP, "schemas")
BASE = "http://schemas.corvanthel.example"
SAVEDQUERY = "query/2006_03/savedquery"
SKIPPED = 77

# Generated file (relative to the output folder) -> name of its golden copy, per profile.
GOLDEN_REDUCED = {
    f"include/pelagon/{SAVEDQUERY}/ExecuteSavedQueryInput.hxx": "reduced/ExecuteSavedQueryInput.hxx",
    f"src/pelagon/{SAVEDQUERY}/SavedQuery.cxx": "reduced/SavedQuery.cxx",
}
GOLDEN = {
    f"include/pelagon/{SAVEDQUERY}/ExecuteSavedQueryInput.hxx": "ExecuteSavedQueryInput.hxx",
    f"include/pelagon/{SAVEDQUERY}/GetSavedQueriesInput.hxx": "GetSavedQueriesInput.hxx",
    f"include/pelagon/{SAVEDQUERY}/SavedQueryFieldListObject.hxx": "SavedQueryFieldListObject.hxx",
    f"src/pelagon/{SAVEDQUERY}/SavedQuery.cxx": "SavedQuery.cxx",
    "include/varnicore/soa/2006_03/base/ServiceData.hxx": "ServiceData.hxx",
}


COVERAGE = os.path.join(HERE, "coverage", "Coverage.xsd")


def generate(out, clang_format, profile):
    common = [sys.executable, "-B", "-m", "pelagon_xsdc", "bindings", "--namespace-base", BASE,
              "--profile", profile,
              "--schema-root", SCHEMAS, "--out", out, "--clang-format", clang_format,
              "--clang-format-style", os.path.join(TOP, ".clang-format")]
    env = dict(os.environ, PYTHONPATH=os.path.join(TOP, "compiler"))
    subprocess.run(common + ["--include-prefix", "varnicore", "--export-macro", "VARNICORE_API",
                             "--export-header", "varnicore/Export.hxx",
                             os.path.join(SCHEMAS, "soa/2006_03/base/Base.xsd")],
                   check=True, env=env)
    for schema in (os.path.join(SCHEMAS, SAVEDQUERY, "SavedQuery.xsd"), COVERAGE):
        subprocess.run(common + ["--include-prefix", "pelagon", "--export-macro", "PELAGON_API",
                                 "--export-header", "pelagon/runtime/Export.hxx",
                                 "--import", f"{BASE}/Schemas/Soa/2006-03/Base=varnicore",
                                 schema], check=True, env=env)


def coverage_files(out, profile):
    """Every file generated from the coverage schema -> its golden copy."""
    files = {}
    for folder in ("include", "src"):
        for directory, _, names in os.walk(os.path.join(out, folder, "pelagon", "test")):
            for name in names:
                generated = os.path.relpath(os.path.join(directory, name), out)
                files[generated] = os.path.join("coverage", profile, generated)
    return files


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--update", action="store_true")
    parser.add_argument("--clang-format", default=shutil.which("clang-format"))
    args = parser.parse_args()
    update = args.update
    if not args.clang_format:
        print("clang-format is not installed; the golden copies are laid out by it")
        return SKIPPED
    failed = False
    for profile, golden_files in (("full", GOLDEN), ("reduced", GOLDEN_REDUCED)):
        failed |= compare(profile, golden_files, args.clang_format, update)
    if failed:
        print("Generated code differs from the golden copies; if the change is intended, run "
              "tests/compiler/check_golden.py --update and review the diff.")
    return 1 if failed else 0


def compare(profile, golden_files, clang_format, update):
    failed = False
    with tempfile.TemporaryDirectory() as out:
        generate(out, clang_format, profile)
        golden_files = dict(golden_files, **coverage_files(out, profile))
        for generated, golden in golden_files.items():
            with open(os.path.join(out, generated), encoding="utf-8") as stream:
                actual = stream.read()
            golden_path = os.path.join(HERE, "golden", golden)
            if update:
                os.makedirs(os.path.dirname(golden_path), exist_ok=True)
                with open(golden_path, "w", encoding="utf-8") as stream:
                    stream.write(actual)
                continue
            with open(golden_path, encoding="utf-8") as stream:
                expected = stream.read()
            if actual != expected:
                failed = True
                sys.stdout.writelines(difflib.unified_diff(
                    expected.splitlines(True), actual.splitlines(True),
                    f"golden/{golden}", f"generated/{golden}"))
    return failed


if __name__ == "__main__":
    sys.exit(main())
