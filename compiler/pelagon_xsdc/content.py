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
from .writer import boolean, fill, string_literal

VALIDATION = "Validation"


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


def _numbers(values):
    return ", ".join(str(v) for v in values)


def _simple_type_table(simple, table_names):
    name = table_names.simple(simple.schema, simple)
    automaton = simple.automaton
    pattern = [] if automaton is None else fill("""
        // The pattern $source
        constexpr std::uint8_t ${name}Classes[256] = {$classes};
        constexpr std::uint8_t ${name}Next[] = {$next};
        constexpr bool ${name}Accepting[] = {$accepting};
        constexpr $validation::Pattern ${name}Pattern{$arguments};
        """, name=name, validation=VALIDATION, source=automaton.source,
        classes=_numbers(automaton.byte_class), next=_numbers(automaton.next),
        accepting=", ".join(boolean(a) for a in automaton.accepting),
        arguments=", ".join([string_literal(automaton.source), f"{name}Classes", f"{name}Next",
                             f"{name}Accepting", str(automaton.class_count),
                             boolean(automaton.covers_common_form)]))
    return fill("""
        $pattern
        constexpr $validation::SimpleType $name{$literal, $validation::Builtin::$builtin, $address};
        """, pattern=pattern, name=name, validation=VALIDATION,
        literal=string_literal(simple.name), builtin=simple.kind_info.builtin,
        address="nullptr" if automaton is None else f"&{name}Pattern") + [""]


def tables(schema):
    """The lines of the tables, for the source file's anonymous namespace."""
    table_names = TableNames(schema)
    types = dependency_order(schema, imported=True)
    if schema.documents:
        table_names.namespace(schema)  # the global elements are in it
    simple_types = []
    for complex_type in types:
        for f in complex_type.fields:
            if f.simple_type is not None and all(s is not f.simple_type for s in simple_types):
                simple_types.append(f.simple_type)
    # The tables first: the namespaces they use are defined before them, each once.
    lines = [line for simple in simple_types for line in _simple_type_table(simple, table_names)]
    lines += [line for t in types for line in _type_table(t, table_names)]
    return fill("""
        namespace $validation = ::Corvanthel::Soa::Common::Xml::Validation;

        $namespaces

        $lines
        """, validation=VALIDATION, lines=lines, namespaces=[
        "constexpr std::string_view kOwnNamespace{kNamespace, sizeof kNamespace - 1};"
        if other is schema else f"constexpr std::string_view {table_names.namespace(other)} = "
        f"{string_literal(other.namespace)};" for other in table_names.namespaces_used])


def _required_mask(attributes):
    mask = sum(1 << k for k, f in enumerate(attributes) if f.required)
    return f"0x{mask:x}u" if mask else "0"


def _particle(f, complex_type, table_names):
    # A reference is in the namespace of the element it names.
    namespace = table_names.namespace(f.element_schema or complex_type.schema)
    # A child of a complex type has its content model, one of text its simple type.
    if f.type is not None:
        content, simple = f"&{table_names.content(f.type)}", "nullptr"
    else:
        content, simple = "nullptr", _simple_type_of(f, table_names)
    return (f"{{{string_literal(f.xml_name)}, {namespace}, {content}, {simple}, "
            f"{boolean(f.is_list)}}},")


def _type_table(complex_type, table_names):
    name = table_names.content(complex_type)
    attributes, elements = complex_type.attributes, complex_type.elements
    uses = [f"{{{string_literal(f.xml_name)}, {_simple_type_of(f, table_names)}, "
            f"{boolean(f.required)}}}," for f in attributes]
    particles = [_particle(f, complex_type, table_names) for f in elements]
    return fill("""
        // $type ($namespace)
        $attribute_table
        $particle_table
        constexpr $validation::ComplexType $name{$arguments};
        """, type=complex_type.name, namespace=complex_type.schema.namespace, name=name,
        validation=VALIDATION,
        attribute_table=fill("""
            constexpr $validation::AttributeUse ${name}Attributes[] = {
                $uses
            };
            """, validation=VALIDATION, name=name, uses=uses) if attributes else [],
        particle_table=fill("""
            constexpr $validation::Particle ${name}Particles[] = {
                $particles
            };
            """, validation=VALIDATION, name=name, particles=particles) if elements else [],
        arguments=", ".join([string_literal(complex_type.name),
                             f"{name}Attributes" if attributes else "nullptr",
                             str(len(attributes)), _required_mask(attributes),
                             f"{name}Particles" if elements else "nullptr",
                             str(len(elements))])) + [""]


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
        listed = ", ".join(f"{{{string_literal(d)}, kOwnNamespace, &{content}}}" for d in documents)
        out += [""] + fill("""
            void $name::validateDocument(const XMLDocument& document) {
              static constexpr $validation::GlobalElement kElements[] = {$listed};
              $validation::validateDocument(document.getRootElement(), kElements, $count);
            }
            """, name=name, validation=VALIDATION, listed=listed, count=str(len(documents)))
    return out
