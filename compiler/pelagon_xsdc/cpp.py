"""Emits the C++ facade and implementation classes of a schema.

For every complex type X: a header <prefix>/<dir>/X.hxx with XImpl and X, and for the schema one
source file that defines them all. The rules of writing and reading live in the binding runtime
(pelagon/runtime/Binding.hxx); the generated code calls it once per field.
"""

import textwrap

from . import names
from .model import dependency_order

BINDING_VERSION = 1

XML = "::Corvanthel::Soa::Common::Xml"
DATETIME = "::Corvanthel::Soa::Common::DateTime"


class Target:
    """Where a schema's code goes: its include prefix, export macro, the imported prefixes, and
    the profile of the binding runtime it is built against.

    The reduced profile is the runtime without MemoryManager, namespace collection and
    BaseObject::clone: its classes have no allocation operators and no getNamespaces, reallyClone
    is public and allocates globally, and the namespace is set after the fields are built.
    """

    def __init__(self, include_prefix, export_macro, export_header, import_prefixes,
                 reduced=False):
        self.reduced = reduced
        self.include_prefix = include_prefix
        self.export_macro = export_macro
        self.export_header = export_header
        self.import_prefixes = import_prefixes  # namespace URI -> include prefix

    def prefix_of(self, schema, current):
        if schema is current:
            return self.include_prefix
        return self.import_prefixes.get(schema.namespace, self.include_prefix)

    def header_path(self, complex_type, current):
        schema = complex_type.schema
        return f"{self.prefix_of(schema, current)}/{schema.header_dir}/{complex_type.name}.hxx"

    def source_path(self, schema):
        name = schema.namespace_path.rstrip("/").split("/")[-1]
        return f"{self.include_prefix}/{schema.header_dir}/{name}.cxx"


def qualified(complex_type):
    return "::" + "::".join(complex_type.schema.class_namespace + [complex_type.name])


def parameter(f):
    return names.parameter(f.xml_name)


def member(f):
    return names.member(f.xml_name)


class TypeNames:
    """C++ spellings of field types as seen from inside one schema's class namespace."""

    def __init__(self, schema):
        self.schema = schema

    def facade(self, complex_type):
        return complex_type.name if complex_type.schema is self.schema else qualified(complex_type)

    def entry(self, f):
        """The value type of a single field, or the entry type of a list."""
        return {
            "string": "std::string", "int": "int", "date": DATETIME,
            "string_list": "std::string", "int_list": "int",
        }.get(f.kind) or self.facade(f.type)

    def value(self, f):
        return f"std::vector<{self.entry(f)}>" if f.is_list else self.entry(f)

    def argument(self, f):
        if f.kind in ("int", "date"):
            return f"{self.entry(f)} {parameter(f)}"
        return f"const {self.entry(f)}& {parameter(f)}"


def comment(text, indent):
    if not text:
        return []
    width = 100 - len(indent) - 4
    return [f"{indent}/// {line}" for line in textwrap.wrap(text, width)]


def namespace_open(parts):
    return [f"namespace {p} {{" for p in parts]


def namespace_close(parts):
    return [f"}}  // namespace {p}" for p in reversed(parts)]


def accessor_declarations(f, names, body_of):
    """The accessors of one field; body_of(kind) gives the body text for a given accessor."""
    stem, entry, value = f.stem, names.entry(f), names.value(f)
    if f.is_list:
        return [
            f"const {value}& get{stem}Array() const {body_of('get_list')}",
            f"void set{stem}Array(const {value}& values) {body_of('set_list')}",
            f"void add{stem}(const {entry}& value) {body_of('add')}",
        ]
    if f.kind in ("int", "date"):
        return [
            f"{value} get{stem}() const {body_of('get')}",
            f"void set{stem}({value} value) {body_of('set')}",
        ]
    return [
        f"{value}& get{stem}() {body_of('get')}",
        f"const {value}& get{stem}() const {body_of('get')}",
        f"void set{stem}(const {value}& value) {body_of('set')}",
    ]


def impl_body(f):
    m = member(f)

    def body_of(which):
        return {
            "get": f"{{ return {m}; }}",
            "get_list": f"{{ return {m}; }}",
            "set": f"{{ {m} = value; }}",
            "set_list": f"{{ {m} = values; }}",
            "add": f"{{ {m}.push_back(value); }}",
        }[which]

    return body_of


def facade_body(f):
    stem = f.stem

    def body_of(which):
        return {
            "get": f"{{ return getHandleObject().get{stem}(); }}",
            "get_list": f"{{ return getHandleObject().get{stem}Array(); }}",
            "set": f"{{ getHandleObject().set{stem}(value); }}",
            "set_list": f"{{ getHandleObject().set{stem}Array(values); }}",
            "add": f"{{ getHandleObject().add{stem}(value); }}",
        }[which]

    return body_of


def wrap_declaration(line, indent):
    """Breaks an over-long one-line member definition before its body."""
    full = indent + line
    if len(full) <= 100 or " {" not in line:
        return [full]
    head, _, body = line.partition(") ")
    if not body.startswith(("{", "const {")):
        return [full]
    if body.startswith("const "):
        head, body = head + ") const", body[len("const "):]
    else:
        head = head + ")"
    return [indent + head + " " + "{", indent + "  " + body[2:-2].strip(), indent + "}"]


def header(complex_type, target):
    schema = complex_type.schema
    names = TypeNames(schema)
    name, impl = complex_type.name, complex_type.name + "Impl"
    api = target.export_macro
    guard = "_".join(
        [target.include_prefix] + schema.header_dir.split("/") + [name, "hxx"]).upper()
    includes = {"<set>", "<string>", "<vector>", "<pelagon/runtime/Binding.hxx>",
                f"<{target.export_header}>"}
    for dependency in complex_type.dependencies:
        includes.add(f"<{target.header_path(dependency, schema)}>")
    if any(f.kind == "date" for f in complex_type.fields):
        includes.add("<varnicore/DateTime.hxx>")
    std_includes = sorted(i for i in includes if "/" not in i)
    own_includes = sorted(i for i in includes if "/" in i)

    out = [
        f"// {name}: generated from {schema.relative_path} by the schema compiler. Do not edit.",
        f"#ifndef {guard}",
        f"#define {guard}",
        "",
        *[f"#include {i}" for i in std_includes],
        "",
        *[f"#include {i}" for i in own_includes],
        "",
        f"static_assert(PELAGON_BINDING_VERSION == {BINDING_VERSION} && "
        f"PELAGON_BINDING_REDUCED == {int(target.reduced)},",
        f'              "{name}.hxx was generated for binding runtime version {BINDING_VERSION}, '
        f'{"reduced" if target.reduced else "full"} profile; regenerate it");',
        "",
        *namespace_open(schema.class_namespace),
        "",
        f"/// The fields of {name}; held and shared through {name} handles.",
        f"class {api} {impl} : public {XML}::BaseObject {{",
        " public:",
        f"  {impl}();",
    ]
    ctor_fields = complex_type.constructor_fields
    if ctor_fields:
        args = ", ".join(names.argument(f) for f in ctor_fields)
        out += wrap_arguments(f"  {impl}(", args, ");")
    out += [
        f"  {impl}(const {impl}& other);",
        f"  {impl}& operator=(const {impl}&) = delete;",
        f"  ~{impl}() override;",
        "",
    ]
    for f in complex_type.fields:
        for line in accessor_declarations(f, names, impl_body(f)):
            out += wrap_declaration(line, "  ")
    if complex_type.fields:
        out.append("")
    out += [
        f"  void outputXML({XML}::XmlStream& stream, const std::string& elementName) const;",
        f"  void parse(const {XML}::XMLNode& node);",
    ]
    if target.reduced:
        out += [f"  {impl}* reallyClone() const override;"]
    else:
        out += [
            "  void getNamespaces(std::set<std::string>& namespaces) const;",
            "",
            "  PELAGON_ALLOCATION_MEMBERS;",
            "",
            " protected:",
            f"  {impl}* reallyClone() const override;",
        ]
    if complex_type.fields:
        out += ["", " private:"]
        for f in complex_type.fields:
            initializer = " = 0" if f.kind == "int" else ""
            out.append(f"  {names.value(f)} {member(f)}{initializer};")
    out += [
        "};",
        "",
    ]
    out += comment(complex_type.doc or f"The schema type {name}.", "")
    out += [
        "///",
        "/// A handle: copies share one object, and a change made through any of them is seen by all.",
        "/// Call ensureUnShared() for an object of your own before changing a shared one.",
        f"class {api} {name} : public {XML}::Handle<{impl}> {{",
        " public:",
        f"  {name}();",
    ]
    if ctor_fields:
        args = ", ".join(names.argument(f) for f in ctor_fields)
        out += wrap_arguments(f"  {name}(", args, ");")
    out += [
        f"  {name}(const {name}& other) = default;",
        f"  {name}& operator=(const {name}& other) = default;",
        f"  ~{name}() override;",
        "",
    ]
    for f in complex_type.fields:
        lines = accessor_declarations(f, names, facade_body(f))
        out += comment(f.doc, "  ")
        for line in lines:
            out += wrap_declaration(line, "  ")
    if complex_type.fields:
        out.append("")
    out += [
        "  /// Writes this object as one element named elementName.",
        f"  void outputXML({XML}::XmlStream& stream, const std::string& elementName) const {{",
        "    getHandleObject().outputXML(stream, elementName);",
        "  }",
        "  /// Fills this object from an element; lists are appended to, single children parsed in",
        "  /// place. Throws Exceptions::DomException for a child element it does not expect.",
        f"  void parse(const {XML}::XMLNode& node) {{ getHandleObject().parse(node); }}",
    ]
    if not target.reduced:
        out += [
            "  /// Adds the namespaces that writing this object needs (a list contributes its first",
            "  /// entry's only).",
            "  void getNamespaces(std::set<std::string>& namespaces) const {",
            "    getHandleObject().getNamespaces(namespaces);",
            "  }",
            "",
            "  PELAGON_ALLOCATION_MEMBERS;",
        ]
    out += [
        "};",
        "",
        *namespace_close(schema.class_namespace),
        "",
        *handle_instantiation("extern template", complex_type),
        "",
        f"#endif  // {guard}",
        "",
    ]
    return "\n".join(out)


def wrap_arguments(head, args, tail):
    line = head + args + tail
    if len(line) <= 100:
        return [line]
    indent = " " * len(head)
    pieces = args.split(", ")
    lines, current = [], head
    for i, piece in enumerate(pieces):
        text = piece + (", " if i < len(pieces) - 1 else tail)
        if len(current) + len(text.rstrip()) > 100 and current.strip():
            lines.append(current.rstrip())
            current = indent
        current += text
    lines.append(current.rstrip())
    return lines


def handle_instantiation(keyword, complex_type):
    return [
        f"{keyword} class {XML}::Handle<",
        f"    {qualified(complex_type)}Impl>;",
    ]


def source(schema, target):
    names = TypeNames(schema)
    ordered = dependency_order(schema)
    out = [
        f"// The types of {schema.relative_path}: generated by the schema compiler. Do not edit.",
        "",
        *[f"#include <{target.header_path(t, schema)}>" for t in ordered],
        "",
        *namespace_open(schema.class_namespace),
        "",
        "namespace {",
        "",
        "namespace Binding = ::Corvanthel::Soa::Common::Xml::Binding;",
        f"using {XML}::lexical_cast;",
        f"using {XML}::XMLNode;",
        f"using {XML}::XmlStream;",
        "",
        f'const char kNamespace[] = "{schema.namespace}";',
        "",
    ]
    if not target.reduced:
        out += [
            "// One copy of the namespace URI, shared by every object of this schema.",
            f"{XML}::SharedNamespace sharedNamespace() {{",
            "  static const std::string uri = kNamespace;",
            "  return {&uri};",
            "}",
            "",
        ]
    out += [
        "}  // namespace",
    ]
    for complex_type in ordered:
        out += ["", *type_definitions(complex_type, names, target.reduced)]
    out += [
        "",
        *namespace_close(schema.class_namespace),
        "",
    ]
    for complex_type in ordered:
        out += handle_instantiation("template", complex_type)
    out.append("")
    return "\n".join(out)


def type_definitions(complex_type, names, reduced):
    name, impl = complex_type.name, complex_type.name + "Impl"
    qualified_name = "::".join(complex_type.schema.class_namespace + [name])
    fields = complex_type.fields
    ctor_fields = complex_type.constructor_fields
    out = [
        f"// {name}",
        "",
        f'static const std::string k{name}OutputLabel = "{qualified_name}::outputXML";',
        f'static const std::string k{name}ParseLabel = "{qualified_name}::parse";',
    ]
    if complex_type.attributes:
        listed = ", ".join(f'"{f.xml_name}"' for f in complex_type.attributes)
        out.append(f"constexpr std::string_view k{name}Attributes[] = {{{listed}}};")
        # The names as the stream takes them, built once rather than on every write.
        out.append(f"static const std::string k{name}AttributeNames[] = {{{listed}}};")
    out += [
        "",
    ]
    # The reduced runtime's BaseObject takes its namespace after the fields are built.
    base_init = [] if reduced else ["BaseObject(sharedNamespace())"]
    body = "{ setNamespace(kNamespace); }" if reduced else "{}"
    out += [f"{impl}::{impl}() : BaseObject(sharedNamespace()) {{}}" if not reduced
            else f"{impl}::{impl}() {body}", ""]
    if ctor_fields:
        args = ", ".join(names.argument(f) for f in ctor_fields)
        inits = ", ".join(base_init + [f"{member(f)}({parameter(f)})" for f in ctor_fields])
        out += wrap_arguments(f"{impl}::{impl}(", args, ")")
        out += [f"    : {inits} {body}", ""]
    copies = ", ".join(["BaseObject(other)"] + [f"{member(f)}(other.{member(f)})" for f in fields])
    out += [
        f"{impl}::{impl}(const {impl}& other)",
        f"    : {copies} {{}}",
        "",
        f"{impl}::~{impl}() = default;",
        "",
    ]
    if reduced:
        out += [f"{impl}* {impl}::reallyClone() const {{ return new {impl}(*this); }}", ""]
    else:
        out += [
            f"{impl}* {impl}::reallyClone() const {{ return Binding::cloneOrNull(*this); }}",
            "",
            f"void {impl}::getNamespaces(std::set<std::string>& namespaces) const {{",
            "  namespaces.insert(getNamespace());",
        ]
        for f in fields:
            if f.kind in ("child", "ref"):
                out.append(f"  {member(f)}.getNamespaces(namespaces);")
            elif f.kind == "child_list":
                out.append(f"  Binding::collectFirst({member(f)}, namespaces);")
        out += [
            "}",
            "",
        ]
    out += [
        f"void {impl}::outputXML(XmlStream& stream, const std::string& elementName) const {{",
        f"  Binding::writeElement(stream, *this, k{name}OutputLabel, [&] {{",
        "    const std::string& ns = getNamespace();",
        "    Binding::insert(stream, stream.writeOpenElement(ns, elementName));",
    ]
    for i, f in enumerate(complex_type.attributes):
        out.append(f"    Binding::writeAttribute(stream, k{name}AttributeNames[{i}], {member(f)});")
    if not fields:
        out.append("    Binding::insert(stream, stream.writeOpenElementClose(ns, true));")
    else:
        out.append("    Binding::insert(stream, stream.writeOpenElementClose(ns, false));")
        prefixed = [f for f in complex_type.elements if f.kind != "ref"]
        if prefixed:
            # One string serves every qualified child name: the prefix, then each XML name.
            longest = max(len(f.xml_name) for f in prefixed)
            out.append(
                f"    Binding::ChildName child(stream.getNamespacePrefix(ns), {longest});"
            )
        else:
            # Asked for all the same, although no child name needs it.
            out.append("    stream.getNamespacePrefix(ns);")
        for f in complex_type.elements:
            child = f'child("{f.xml_name}")'
            if f.kind == "ref":
                out.append(f'    {member(f)}.outputXML(stream, "{f.xml_name}");')
            elif f.kind == "child":
                out.append(f"    {member(f)}.outputXML(stream, {child});")
            elif f.kind == "child_list":
                out.append(f"    Binding::writeChildren(stream, {child}, {member(f)});")
            else:
                out.append(f"    Binding::writeTextElements(stream, {child}, {member(f)});")
        out.append("    Binding::insert(stream, stream.writeCloseElement(ns, elementName));")
    out += [
        "  });",
        "}",
        "",
    ]
    if not fields:
        out += [
            "// A type without fields reads nothing: children of any name are ignored.",
            f"void {impl}::parse(const XMLNode& node) {{",
            f"  Binding::readElement(node, k{name}ParseLabel, [] {{}});",
            "}",
            "",
        ]
    else:
        out += [
            f"void {impl}::parse(const XMLNode& node) {{",
            f"  Binding::readElement(node, k{name}ParseLabel, [&] {{",
        ]
        attributes = complex_type.attributes
        if attributes:
            # All attributes are looked up in one pass and read in place; only a string field
            # takes a copy.
            out += [
                f"    std::string_view attributes[{len(attributes)}];",
                f"    node.getAttrViews(k{name}Attributes, attributes, {len(attributes)});",
            ]
        for i, f in enumerate(attributes):
            if f.kind == "string":
                out.append(f"    {member(f)}.assign(attributes[{i}]);")
            else:
                out.append(f"    {member(f)} = lexical_cast<{names.entry(f)}>(attributes[{i}]);")
        lists = [member(f) for f in fields if f.is_list]
        if lists:
            out += wrap_arguments("    Binding::reserveFor(", ", ".join(["node"] + lists), ");")
        if complex_type.elements:
            out += [
                "    for (const XMLNode& child : node.getChildren()) {",
                "      const std::string_view name = child.getLocalName();",
            ]
            for i, f in enumerate(complex_type.elements):
                keyword = "if" if i == 0 else "} else if"
                out.append(f'      {keyword} (name == "{f.xml_name}") {{')
                m = member(f)
                out.append("        " + {
                    "child": f"{m}.parse(child);",
                    "ref": f"{m}.parse(child);",
                    "child_list": f"Binding::appendParsed({m}, child);",
                    "string_list": f"{m}.push_back(child.getText());",
                    "int_list": f"{m}.push_back(Binding::readIntEntry(child));",
                }[f.kind])
            out += [
                "      } else {",
                "        Binding::rejectChild(child);",
                "      }",
                "    }",
            ]
        else:
            out += [
                "    for (const XMLNode& child : node.getChildren()) Binding::rejectChild(child);",
            ]
        out += [
            "  });",
            "}",
            "",
        ]
    if not reduced:
        out += [f'PELAGON_DEFINE_ALLOCATION({impl}, "{qualified_name}Impl")', ""]
    # The full runtime tells a manager's refusal (TryingToCreateNullHandle) from the global
    # operator new's failure (std::bad_alloc); the reduced one allocates globally.
    create = f"new {impl}" if reduced else f"Binding::create<{impl}>"
    out += [f"{name}::{name}() : Handle({create}()) {{}}", ""]
    if ctor_fields:
        args = ", ".join(names.argument(f) for f in ctor_fields)
        passed = ", ".join(parameter(f) for f in ctor_fields)
        out += wrap_arguments(f"{name}::{name}(", args, ")")
        out += [f"    : Handle({create}({passed})) {{}}", ""]
    out += [f"{name}::~{name}() = default;"]
    if not reduced:
        out += ["", f'PELAGON_DEFINE_ALLOCATION({name}, "{qualified_name}")']
    return out
