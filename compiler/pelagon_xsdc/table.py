"""Emits the type table of the pelagon command-line tool.

One C++ source describes every complex type of the given schema files and of the files they import:
its interface version label (names.py), namespace URI, schema file (Schema.relative_path) and
name, whether it is a document type (the element names of its global elements), its fields in
order (XML name, kind with its name and whether it is an attribute or a list, accessor stem,
entry type for child kinds) and the tool's rewrite and validate operations
instantiated for its class. The structures and the rewrite template are the type table library's
own (TypeTable.hxx, Rewrite.hxx, Validate.hxx in tool/table/); the library keeps no registry of its types.
"""

from . import cpp
from .model import all_schemas
from .names import version_label


def string_literal(text):
    escaped = text.replace("\\", "\\\\").replace('"', '\\"')
    return f'"{escaped}"'


def source(schemas, target):
    """The C++ source of the table for these schemas (imports included)."""
    ordered = all_schemas(schemas)
    types = [t for schema in ordered for t in schema.types]
    index = {id(t): i for i, t in enumerate(types)}
    documents = [(name, index[id(t)]) for schema in ordered for name, t in schema.documents]
    document_types = {i for _, i in documents}

    field_lines, type_lines = [], []
    for i, complex_type in enumerate(types):
        label = version_label(complex_type.schema)
        field_lines.append(f"    // {complex_type.name} ({label})")
        first = sum(len(t.fields) for t in types[:i])
        for f in complex_type.fields:
            entry = str(index[id(f.type)]) if f.type is not None else "kNoType"
            kind = f.kind_info
            flags = f"{str(kind.attribute).lower()}, {str(kind.is_list).lower()}"
            field_lines.append(f"    FieldInfo{{{string_literal(f.xml_name)}, "
                               f"FieldKind::{kind.enumerator}, {string_literal(kind.name)}, "
                               f"{flags}, {string_literal(f.stem)}, {entry}}},")
        validate_document = (f"kValidateDocument<{cpp.qualified(complex_type)}>"
                             if i in document_types else "nullptr")
        type_lines += [
            f"    TypeInfo{{{string_literal(label)},",
            f"             {string_literal(complex_type.schema.namespace)},",
            f"             {string_literal(complex_type.schema.relative_path)},",
            f"             {string_literal(complex_type.name)}, "
            f"{'true' if i in document_types else 'false'}, {first}, {len(complex_type.fields)},",
            f"             &rewrite<{cpp.qualified(complex_type)}>,",
            f"             {validate_document},",
            f"             kValidateContent<{cpp.qualified(complex_type)}>}},",
        ]
    field_count = sum(len(t.fields) for t in types)
    includes = sorted({target.header_path(t, None) for t in types})
    out = [
        "// The type table of the pelagon tool: generated from the schema files by the schema",
        "// compiler. Do not edit.",
        "",
        "#include <array>",
        "#include <cstddef>",
        "",
        *[f"#include <{h}>" for h in includes],
        "",
        '#include "Rewrite.hxx"',
        '#include "TypeTable.hxx"',
        '#include "Validate.hxx"',
        "",
        "namespace Pelagon {",
        "namespace Tool {",
        "",
        "namespace {",
        "",
        f"const std::array<FieldInfo, {field_count}> kFields = {{{{",
        *field_lines,
        "}};",
        "",
        f"const std::array<TypeInfo, {len(types)}> kTypes = {{{{",
        *type_lines,
        "}};",
        "",
        f"const std::array<DocumentElement, {len(documents)}> kDocuments = {{{{",
        *[f"    DocumentElement{{{string_literal(name)}, {i}}}," for name, i in documents],
        "}};",
        "",
        "}  // namespace",
        "",
        "const TypeTable& typeTable() {",
        "  static const TypeTable table(kTypes.data(), kTypes.size(), kFields.data(),",
        "                              kFields.size(), kDocuments.data(), kDocuments.size());",
        "  return table;",
        "}",
        "",
        "}  // namespace Tool",
        "}  // namespace Pelagon",
        "",
    ]
    return "\n".join(out)
