"""Emits the content models that the validator of the binding runtime checks documents against.

For a schema's source file: one table per complex type that its types reach (those of imported
schemas too, so that the file depends on no other library's tables), saying what the schema says
of the type's content: its attributes with their simple types and use, and its sequence of
elements in order, each with its namespace, occurrence and type. Simple types with pattern facets
come with their automata (patterns.py). The structures are the binding runtime's
(pelagon/runtime/ContentModel.hxx); validate() and validateDocument() of every facade hand the
tree and the type's table to the one validator (pelagon/runtime/Validator.hxx).
"""

from .model import dependency_order
from .writer import fill

VALIDATION = "Validation"


def _literal(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


class TableNames:
    """The C++ names of one source file's tables. Types and simple types of this schema keep
    their names; those of other schemas get the number of their schema in the file."""

    def __init__(self, schema):
        self.schema = schema
        self.others = []
        self.namespaces_used = []

    def _suffix(self, other):
        if other is self.schema:
            return ""
        for number, known in enumerate(self.others, 1):
            if known is other:
                return f"Of{number}"
        self.others.append(other)
        return f"Of{len(self.others)}"

    def namespace(self, schema):
        if all(schema is not used for used in self.namespaces_used):
            self.namespaces_used.append(schema)
        return "kOwnNamespace" if schema is self.schema else f"kNamespace{self._suffix(schema)}"

    def content(self, complex_type):
        return f"k{complex_type.name}Content{self._suffix(complex_type.schema)}"

    def simple(self, owner, simple_type):
        return f"k{simple_type.name}Type{self._suffix(owner)}"



def _simple_type_of(f, table_names):
    if f.simple_type is None:
        return f"&{VALIDATION}::k{f.kind_info.builtin}"
    return f"&{table_names.simple(f.simple_type.schema, f.simple_type)}"


def _automaton_lines(name, automaton):
    def numbers(values):
        return ", ".join(str(v) for v in values)

    return [
        f"// The pattern {automaton.source}",
        f"constexpr std::uint8_t {name}Classes[256] = {{{numbers(automaton.byte_class)}}};",
        f"constexpr std::uint8_t {name}Next[] = {{{numbers(automaton.next)}}};",
        f"constexpr bool {name}Accepting[] = "
        f"{{{', '.join('true' if a else 'false' for a in automaton.accepting)}}};",
        f"constexpr {VALIDATION}::Pattern {name}Pattern{{{_literal(automaton.source)}, "
        f"{name}Classes, {name}Next, {name}Accepting, {automaton.class_count}, "
        f"{'true' if automaton.covers_common_form else 'false'}}};",
    ]


def tables(schema):
    """The lines of the tables, for the source file's anonymous namespace."""
    table_names = TableNames(schema)
    types = dependency_order(schema, imported=True)
    if schema.documents:
        table_names.namespace(schema)  # the global elements are in it
    lines = []
    simple_types = []
    for complex_type in types:
        for f in complex_type.fields:
            if f.simple_type is not None and all(s is not f.simple_type for s in simple_types):
                simple_types.append(f.simple_type)
    for simple in simple_types:
        name = table_names.simple(simple.schema, simple)
        pattern = "nullptr"
        if simple.automaton is not None:
            lines += _automaton_lines(name, simple.automaton)
            pattern = f"&{name}Pattern"
        lines += [f"constexpr {VALIDATION}::SimpleType {name}{{{_literal(simple.name)}, "
                  f"{VALIDATION}::Builtin::{simple.kind_info.builtin}, {pattern}}};", ""]

    for complex_type in types:
        lines += _type_table(complex_type, table_names)
    # The namespaces that the tables use, each once, before them.
    constants = []
    for other in table_names.namespaces_used:
        if other is schema:
            constants.append("constexpr std::string_view kOwnNamespace{kNamespace, "
                             "sizeof kNamespace - 1};")
        else:
            constants.append(f"constexpr std::string_view {table_names.namespace(other)} = "
                             f"{_literal(other.namespace)};")
    return ([f"namespace {VALIDATION} = ::Corvanthel::Soa::Common::Xml::Validation;", ""] +
            constants + [""] + lines)


def _required_mask(attributes):
    mask = sum(1 << k for k, f in enumerate(attributes) if f.required)
    return f"0x{mask:x}u" if mask else "0"


def _type_table(complex_type, table_names):
    name = table_names.content(complex_type)
    out = [f"// {complex_type.name} ({complex_type.schema.namespace})"]
    attributes, elements = complex_type.attributes, complex_type.elements
    if attributes:
        out.append(f"constexpr {VALIDATION}::AttributeUse {name}Attributes[] = {{")
        out += [f"    {{{_literal(f.xml_name)}, {_simple_type_of(f, table_names)}, "
                f"{'true' if f.required else 'false'}}}," for f in attributes]
        out.append("};")
    if elements:
        out.append(f"constexpr {VALIDATION}::Particle {name}Particles[] = {{")
        for f in elements:
            # A reference is in the namespace of the element it names.
            namespace = table_names.namespace(f.element_schema or complex_type.schema)
            if f.type is not None:
                content, text = f"&{table_names.content(f.type)}", "nullptr"
            else:
                content, text = "nullptr", _simple_type_of(f, table_names)
            out.append(f"    {{{_literal(f.xml_name)}, {namespace}, {content}, {text}, "
                       f"{'true' if f.is_list else 'false'}}},")
        out.append("};")
    out.append(
        f"constexpr {VALIDATION}::ComplexType {name}{{{_literal(complex_type.name)}, "
        f"{name + 'Attributes' if attributes else 'nullptr'}, {len(attributes)}, "
        f"{_required_mask(attributes)}, "
        f"{name + 'Particles' if elements else 'nullptr'}, {len(elements)}}};")
    out.append("")
    return out


def documents_of(complex_type):
    return [name for name, t in complex_type.schema.documents if t is complex_type]


def definitions(complex_type):
    """validate() and, for a type that global elements have, validateDocument()."""
    name = complex_type.name
    content = f"k{name}Content"
    out = fill("""
        void $name::validate(const XMLNode& element) {
          $validation::validateElement(element, $content);
        }
        """, name=name, validation=VALIDATION, content=content)
    documents = documents_of(complex_type)
    if documents:
        listed = ", ".join(f"{{{_literal(d)}, kOwnNamespace, &{content}}}" for d in documents)
        out += [""] + fill("""
            void $name::validateDocument(const XMLDocument& document) {
              static constexpr $validation::GlobalElement kElements[] = {$listed};
              $validation::validateDocument(document.getRootElement(), kElements, $count);
            }
            """, name=name, validation=VALIDATION, listed=listed, count=str(len(documents)))
    return out
