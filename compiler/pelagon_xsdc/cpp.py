"""Emits the C++ facade and implementation classes of a schema.

For every complex type X: a header <prefix>/<dir>/X.hxx with XImpl and X, and for the schema one
source file that defines them all. The rules of writing and reading live in the binding runtime
(pelagon/runtime/Binding.hxx); the generated code calls it once per field, with the statements
that kinds.py gives for the field's kind. What differs between the full and the reduced runtime
is in profiles.py. Layout beyond indentation is clang-format's: the build runs it over the output.
"""

import textwrap
from string import Template

from . import __version__, content, names
from .model import dependency_order
from .profiles import XML
from .writer import fill, paragraph, text

BINDING_VERSION = tuple(int(part) for part in __version__.split("."))


class Target:
    """Where a schema's code goes: its include prefix, export macro, the imported prefixes, and
    the profile of the binding runtime it is built against (profiles.py)."""

    def __init__(self, include_prefix, export_macro, export_header, import_prefixes,
                 profile=None):
        self.profile = profile
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


class TypeNames:
    """C++ spellings of a field's types as seen from inside one schema's class namespace."""

    def __init__(self, schema):
        self.schema = schema

    def entry(self, f):
        """The value type of a single field, or the entry type of a list."""
        if f.kind_info.entry:
            return f.kind_info.entry
        return f.type.name if f.type.schema is self.schema else qualified(f.type)

    def value(self, f):
        return f"std::vector<{self.entry(f)}>" if f.is_list else self.entry(f)

    def argument(self, f):
        passed = self.entry(f) if f.kind_info.by_value else f"const {self.entry(f)}&"
        return f"{passed} {names.parameter(f.xml_name)}"

    def arguments(self, fields):
        return ", ".join(self.argument(f) for f in fields)


def comment(doc, indent=""):
    width = 100 - len(indent) - 4
    return [f"/// {line}" for line in textwrap.wrap(doc, width)] if doc else []


def namespace_open(parts):
    return [f"namespace {p} {{" for p in parts]


def namespace_close(parts):
    return [f"}}  // namespace {p}" for p in reversed(parts)]


def accessors(f, types):
    """(declaration, name, argument, body in the implementation class) of each accessor of a
    field, in its kind's accessor shape (kinds.py)."""
    slots = dict(stem=f.stem, entry=types.entry(f), value=types.value(f),
                 member=names.member(f.xml_name))
    return [tuple(Template(part).substitute(slots) for part in accessor)
            for accessor in f.kind_info.accessors]


def forward(name, argument):
    call = f"getHandleObject().{name}({argument});"
    return call if argument else "return " + call


HEADER = """\
// $name: generated from $source by the schema compiler. Do not edit.
#ifndef $guard
#define $guard

$std_includes

$own_includes

static_assert(PELAGON_BINDING_VERSION_MAJOR == $major && PELAGON_BINDING_VERSION_MINOR == $minor &&
              PELAGON_BINDING_VERSION_PATCH == $patch && PELAGON_BINDING_REDUCED == $reduced,
              "$name.hxx was generated for binding runtime $version, $profile profile, not for "
              PELAGON_BINDING_RUNTIME "; regenerate it");

$namespaces_open

/// The fields of $name; held and shared through $name handles.
class $api ${name}Impl : public $xml::BaseObject {
 public:
  ${name}Impl();
  $impl_field_constructor
  ${name}Impl(const ${name}Impl& other);
  ${name}Impl& operator=(const ${name}Impl&) = delete;
  ~${name}Impl() override;

  $impl_accessors

  void outputXML($xml::XmlStream& stream, const std::string& elementName) const;
  void parse(const $xml::XMLNode& node);
  $impl_profile_members
$members
};

$doc
///
/// A handle: copies share one object, and a change made through any of them is seen by all.
/// Call ensureUnShared() for an object of your own before changing a shared one.
class $api $name : public $xml::Handle<${name}Impl> {
 public:
  $name();
  $facade_field_constructor
  $name(const $name& other) = default;
  $name& operator=(const $name& other) = default;
  ~$name() override;

  $facade_accessors

  /// Writes this object as one element named elementName.
  void outputXML($xml::XmlStream& stream, const std::string& elementName) const {
    getHandleObject().outputXML(stream, elementName);
  }
  /// Fills this object from an element; lists are appended to, single children parsed in
  /// place. Throws Exceptions::DomException for a child element it does not expect.
  void parse(const $xml::XMLNode& node) { getHandleObject().parse(node); }
#if PELAGON_HAS_VALIDATION
  /// Checks that element and everything below it are valid against the schema type $name:
  /// its attributes, its child elements in order and in their namespaces, and every value
  /// (see "Validating messages" in the README). Its own name is not looked at. Throws
  /// Exceptions::DomException, with the place, at the first fault in document order; reads the
  /// tree only, so it may run before parse, or instead of it.
  static void validate(const $xml::XMLNode& element);
  $validate_document
#endif
  $facade_profile_members
};

$namespaces_close

extern template class $xml::Handle<$qualified_impl>;

#endif  // $guard
"""


def header(complex_type, target):
    schema, profile = complex_type.schema, target.profile
    types = TypeNames(schema)
    name, impl = complex_type.name, complex_type.name + names.IMPL_SUFFIX
    includes = {"<set>", "<string>", "<vector>", "<pelagon/runtime/Binding.hxx>"}
    if target.export_header:
        includes.add(f"<{target.export_header}>")
    includes |= {f"<{target.header_path(d, schema)}>" for d in complex_type.dependencies}
    includes |= {f.kind_info.include for f in complex_type.fields if f.kind_info.include}
    arguments = types.arguments(complex_type.constructor_fields)

    impl_accessors, facade_accessors = [], []
    for f in complex_type.fields:
        impl_accessors += [f"{declaration} {{ {body} }}"
                           for declaration, _, _, body in accessors(f, types)]
        facade_accessors += comment(f.doc, "  ") + [
            f"{declaration} {{ {forward(accessor, argument)} }}"
            for declaration, accessor, argument, _ in accessors(f, types)]
    doc = comment(complex_type.doc or f"The schema type {name}.")
    if content.documents_of(complex_type):
        doc += ["///", "/// As a message, every field filled (`pelagon sample --indent 2`):",
                f"/// \\verbinclude {names.sample_file(schema, name)}"]
    members = ["", " private:"] + [
        f"  {types.value(f)} {names.member(f.xml_name)}{f.kind_info.initializer};"
        for f in complex_type.fields] if complex_type.fields else []
    major, minor, patch = (str(part) for part in BINDING_VERSION)

    return text(fill(
        HEADER, name=name, source=schema.relative_path, xml=XML, api=target.export_macro or "",
        guard="_".join([target.include_prefix] + schema.header_dir.split("/")
                       + [name, "hxx"]).upper(),
        std_includes=[f"#include {i}" for i in sorted(i for i in includes if "/" not in i)],
        own_includes=[f"#include {i}" for i in sorted(i for i in includes if "/" in i)],
        version=".".join((major, minor, patch)), major=major, minor=minor, patch=patch,
        reduced=str(int(profile.reduced)), profile=profile.name,
        namespaces_open=namespace_open(schema.class_namespace),
        namespaces_close=namespace_close(schema.class_namespace),
        impl_field_constructor=[f"{impl}({arguments});"] if arguments else [],
        impl_accessors=paragraph(impl_accessors),
        impl_profile_members=profile.impl_public_members(impl), members=members, doc=doc,
        facade_field_constructor=[f"{name}({arguments});"] if arguments else [],
        facade_accessors=paragraph(facade_accessors),
        facade_profile_members=profile.facade_members(),
        validate_document=validate_document_declaration(complex_type),
        qualified_impl=qualified(complex_type) + names.IMPL_SUFFIX))


def validate_document_declaration(complex_type):
    documents = content.documents_of(complex_type)
    if not documents:
        return []
    roots = " or ".join(f'"{d}"' for d in documents)
    return fill("""
        /// Checks that document is a valid $name message: its root element is $roots in the
        /// namespace of this schema, valid as validate() checks.
        static void validateDocument(const $xml::XMLDocument& document);
        """, name=complex_type.name, roots=roots, xml=XML)


SOURCE = """\
// The types of $source: generated by the schema compiler. Do not edit.

$type_includes

#include <cstdint>
#include <string_view>

#if PELAGON_HAS_VALIDATION
#include <pelagon/runtime/Validator.hxx>
#endif

$namespaces_open

namespace {

namespace Binding = $xml::Binding;
using $xml::lexical_cast;
using $xml::XMLNode;
using $xml::XmlStream;

const char kNamespace[] = "$namespace";

$preamble

#if PELAGON_HAS_VALIDATION
using $xml::XMLDocument;

$content
#endif
}  // namespace
$definitions

$namespaces_close

$instantiations
"""


def source(schema, target):
    types = TypeNames(schema)
    ordered = dependency_order(schema)
    return text(fill(
        SOURCE, source=schema.relative_path, xml=XML, namespace=schema.namespace,
        type_includes=[f"#include <{target.header_path(t, schema)}>" for t in ordered],
        namespaces_open=namespace_open(schema.class_namespace),
        preamble=target.profile.schema_preamble(), content=content.tables(schema),
        definitions=[line for t in ordered
                     for line in ["", *type_definitions(t, types, target.profile)]],
        namespaces_close=namespace_close(schema.class_namespace),
        instantiations=[f"template class {XML}::Handle<{qualified(t)}{names.IMPL_SUFFIX}>;"
                        for t in ordered]))


def statement_filler(complex_type, types):
    """statement(field, template): a kind's statement template filled for one field."""
    attribute_index = {id(f): i for i, f in enumerate(complex_type.attributes)}

    def fill_statement(f, template):
        return Template(template).substitute(
            member=names.member(f.xml_name), xml=f.xml_name, type=complex_type.name,
            index=attribute_index.get(id(f), ""), entry=types.entry(f))

    return fill_statement


TYPE_DEFINITIONS = """\
// $name

static const std::string k${name}OutputLabel = "$qualified::outputXML";
static const std::string k${name}ParseLabel = "$qualified::parse";
$attribute_names

$impl::$impl()$bases $body

$impl_field_constructor
$impl::$impl(const $impl& other)
    : $copies {}

$impl::~$impl() = default;

$profile_definitions

void $impl::outputXML(XmlStream& stream, const std::string& elementName) const {
  Binding::writeElement(stream, *this, k${name}OutputLabel, [&] {
    const std::string& ns = getNamespace();
    Binding::insert(stream, stream.writeOpenElement(ns, elementName));
    $write
  });
}

$parse

#if PELAGON_HAS_VALIDATION
$validate
#endif

$impl_allocation
$name::$name() : Handle($create()) {}

$facade_field_constructor
$name::~$name() = default;
$facade_allocation
"""


def type_definitions(complex_type, types, profile):
    name, impl = complex_type.name, complex_type.name + names.IMPL_SUFFIX
    qualified_name = "::".join(complex_type.schema.class_namespace + [name])
    statement = statement_filler(complex_type, types)
    bases, body = profile.base_initializers(), profile.constructor_body()
    create = profile.create(impl)
    fields = complex_type.constructor_fields
    arguments = types.arguments(fields)
    initializers = bases + [f"{names.member(f.xml_name)}({names.parameter(f.xml_name)})"
                            for f in fields]
    passed = ", ".join(names.parameter(f.xml_name) for f in fields)
    listed = ", ".join(f'"{f.xml_name}"' for f in complex_type.attributes)
    members = [names.member(f.xml_name) for f in complex_type.fields]
    facade_allocation = profile.allocation(name, qualified_name)
    return fill(
        TYPE_DEFINITIONS, name=name, impl=impl, qualified=qualified_name, body=body, create=create,
        # The names as the stream and the node take them, built once rather than on every call.
        attribute_names=[f"static const std::string k{name}AttributeNames[] = {{{listed}}};"]
        if listed else [],
        bases=f" : {', '.join(bases)}" if bases else "",
        impl_field_constructor=paragraph(
            [f"{impl}::{impl}({arguments})", f"    : {', '.join(initializers)} {body}"]
            if fields else []),
        copies=", ".join(["BaseObject(other)"] + [f"{m}(other.{m})" for m in members]),
        profile_definitions=profile.impl_definitions(impl, complex_type, statement),
        write=write_statements(complex_type, statement),
        parse=parse_definition(complex_type, impl, name, statement),
        validate=content.definitions(complex_type),
        impl_allocation=paragraph(profile.allocation(impl, qualified_name + names.IMPL_SUFFIX)),
        facade_field_constructor=paragraph(
            [f"{name}::{name}({arguments})", f"    : Handle({create}({passed})) {{}}"]
            if fields else []),
        facade_allocation=["", *facade_allocation] if facade_allocation else [])


def write_statements(complex_type, statement):
    """The body of outputXML after the open start tag: attributes, then the child elements."""
    attributes = [statement(f, f.kind_info.write) for f in complex_type.attributes]
    if not complex_type.fields:
        return attributes + ["Binding::insert(stream, stream.writeOpenElementClose(ns, true));"]
    prefixed = [f for f in complex_type.elements if f.kind_info.prefixed]
    # One string serves every qualified child name: the prefix, then each XML name. The prefix is
    # asked for all the same where no child name needs it.
    longest = max((len(f.xml_name) for f in prefixed), default=0)
    return fill("""
        $attributes
        Binding::insert(stream, stream.writeOpenElementClose(ns, false));
        $prefix
        $elements
        Binding::insert(stream, stream.writeCloseElement(ns, elementName));
        """, attributes=attributes,
        prefix=f"Binding::ChildName child(stream.getNamespacePrefix(ns), {longest});" if prefixed
        else "stream.getNamespacePrefix(ns);",
        elements=[statement(f, f.kind_info.write) for f in complex_type.elements])


def parse_definition(complex_type, impl, name, statement):
    if not complex_type.fields:
        return fill("""
            // A type without fields reads nothing: children of any name are ignored.
            void $impl::parse(const XMLNode& node) {
              Binding::readElement(node, k${name}ParseLabel, [] {});
            }
            """, impl=impl, name=name)
    attributes, elements = complex_type.attributes, complex_type.elements
    lists = [names.member(f.xml_name) for f in complex_type.fields if f.is_list]
    branches = [line for i, f in enumerate(elements) for line in [
        f'{"if" if i == 0 else "} else if"} (name == "{f.xml_name}") {{',
        "  " + statement(f, f.kind_info.read)]]
    children = fill("""
        for (const XMLNode& child : node.getChildren()) {
          const auto& name = child.getLocalName();
          $branches
          } else {
            Binding::rejectChild(child);
          }
        }
        """, branches=branches) if elements else [
        "for (const XMLNode& child : node.getChildren()) Binding::rejectChild(child);"]
    return fill("""
        void $impl::parse(const XMLNode& node) {
          Binding::readElement(node, k${name}ParseLabel, [&] {
            $attributes
            $reads
            $reserve
            $children
          });
        }
        """, impl=impl, name=name,
        attributes=[f"Binding::Attributes<{len(attributes)}> attributes(node, "
                    f"k{name}AttributeNames);"] if attributes else [],
        reads=[statement(f, f.kind_info.read) for f in attributes],
        reserve=[f"Binding::reserveFor({', '.join(['node'] + lists)});"] if lists else [],
        children=children)
