"""Emits the type table of the pelagon command-line tool.

One C++ source describes every complex type of the given schema files and of the files they
import: its interface version label (names.py), namespace URI, schema file
(Schema.relative_path) and name, whether it is a document type (the element names of its global
elements), its fields in order (XML name, kind with its name and whether it is an attribute or a
list, accessor stem, entry type for child kinds) and the tool's rewrite and validate operations
instantiated for its class. The structures and the rewrite template are the type table
library's own (TypeTable.hxx, Rewrite.hxx, Validate.hxx in tool/table/); the library keeps no
registry of its types.
"""

from . import cpp
from .model import all_schemas
from .names import version_label
from .writer import boolean, fill, string_literal, text

TABLE = """\
// The type table of the pelagon tool: generated from the schema files by the schema
// compiler. Do not edit.

#include <array>
#include <cstddef>

$includes

#include "Rewrite.hxx"
#include "TypeTable.hxx"
#include "Validate.hxx"

namespace Pelagon {
namespace Tool {

namespace {

const std::array<FieldInfo, $field_count> kFields = {{
    $fields
}};

const std::array<TypeInfo, $type_count> kTypes = {{
    $types
}};

const std::array<DocumentElement, $document_count> kDocuments = {{
    $documents
}};

}  // namespace

const TypeTable& typeTable() {
  static const TypeTable table(kTypes.data(), kTypes.size(), kFields.data(),
                              kFields.size(), kDocuments.data(), kDocuments.size());
  return table;
}

}  // namespace Tool
}  // namespace Pelagon
"""

TYPE_INFO = """\
TypeInfo{$label,
         $namespace,
         $file,
         $name, $document, $first, $count,
         &rewrite<$qualified>,
         $validate_document,
         kValidateContent<$qualified>},"""


def source(schemas, target):
    """The C++ source of the table for these schemas (imports included)."""
    ordered = all_schemas(schemas)
    types = [t for schema in ordered for t in schema.types]
    index = {id(t): i for i, t in enumerate(types)}
    documents = [(name, index[id(t)]) for schema in ordered for name, t in schema.documents]
    document_types = {i for _, i in documents}

    field_lines, type_lines = [], []
    for i, complex_type in enumerate(types):
        field_lines.append(f"// {complex_type.name} ({version_label(complex_type.schema)})")
        for f in complex_type.fields:
            kind = f.kind_info
            entry = str(index[id(f.type)]) if f.type is not None else "kNoType"
            field_lines.append(f"FieldInfo{{{string_literal(f.xml_name)}, "
                               f"FieldKind::{kind.enumerator}, {string_literal(kind.name)}, "
                               f"{boolean(kind.attribute)}, {boolean(kind.is_list)}, "
                               f"{string_literal(f.stem)}, {entry}}},")
        qualified = cpp.qualified(complex_type)
        type_lines += fill(
            TYPE_INFO, label=string_literal(version_label(complex_type.schema)),
            namespace=string_literal(complex_type.schema.namespace),
            file=string_literal(complex_type.schema.relative_path),
            name=string_literal(complex_type.name), document=boolean(i in document_types),
            first=str(sum(len(t.fields) for t in types[:i])),
            count=str(len(complex_type.fields)), qualified=qualified,
            validate_document=f"kValidateDocument<{qualified}>" if i in document_types
            else "nullptr")
    return text(fill(
        TABLE, includes=[f"#include <{h}>" for h in sorted({target.header_path(t, None)
                                                            for t in types})],
        field_count=str(sum(len(t.fields) for t in types)), fields=field_lines,
        type_count=str(len(types)), types=type_lines,
        document_count=str(len(documents)),
        documents=[f"DocumentElement{{{string_literal(name)}, {i}}}," for name, i in documents]))
