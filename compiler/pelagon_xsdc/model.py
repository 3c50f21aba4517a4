"""The binding model: what a schema file means for the generated classes.

The compiler accepts this subset of XML Schema (anything else is rejected with file and line):

- xs:schema with targetNamespace (the namespace base, then "/Schemas/...") and
  elementFormDefault="qualified"; children xs:annotation, xs:import, xs:complexType, xs:element.
- xs:import with namespace and schemaLocation: the imported file is read too, and its types can be
  used by QName. The location is looked up next to the importing file, then in each folder of the
  schema path (an installed package's schema folder, so that a schema of one's own can import the
  framework's base types as "soa/2006_03/base/Base.xsd").
- xs:complexType with a name; an optional xs:annotation, an optional xs:sequence of local
  xs:element, then xs:attribute. A complex type without sequence and attributes is a type without
  fields.
- xs:simpleType with a name, an optional xs:annotation and an xs:restriction of xs:string, xs:int
  or xs:dateTime whose only facets are xs:pattern: it stands for its base type wherever it is
  used; reading converts values by the runtime's own rules, and validation also checks the
  patterns (several in one restriction: any of them), translated by patterns.py, which refuses
  what it cannot translate.
- xs:attribute with a name and type xs:string (string attribute), xs:int (int attribute) or
  xs:dateTime (date attribute), or a simple type of this or an imported schema that restricts one
  of them; use="optional" or use="required", which validation checks (every attribute is always
  written).
- local xs:element with a name and either
  - type xs:string or xs:int, minOccurs="0" and maxOccurs="unbounded": a string or int list;
  - type naming a complex type: a structure child (occurs once) or, with minOccurs="0" and
    maxOccurs="unbounded", a structure list. The base type ModelObject is a complex type like any
    other, so object references and their lists are structure children and lists of it;
  - or ref naming a global element: a referenced element (occurs once), written under the global
    element's bare name in its own namespace. ServiceData is one.
- global xs:element with a name and a type of this schema: a document element; it adds nothing to
  the classes, only to the table of document types.
- xs:annotation/xs:documentation anywhere above: becomes the comment of what it annotates.

Field order is the order of the attributes, then the order of the elements. Types nest at most
MAX_NESTING deep (a type, the type of its child, and so on), which bounds the validator's stack,
and have at most MAX_ATTRIBUTES attributes, one bit each in the validator's mask of required ones.
Accessor stems and the names the runtime keeps for itself are in names.py.
"""

import os
import re
from dataclasses import dataclass, field

from . import names, patterns
from .kinds import ATTRIBUTE_TYPES, KINDS, TEXT_LIST_TYPES
from .xmltree import SchemaError, parse

XS = "http://www.w3.org/2001/XMLSchema"
BASE_PATH = "/Schemas/Soa/2006-03/Base"
MAX_NESTING = 64
MAX_ATTRIBUTES = 64


@dataclass
class SimpleType:
    """A named restriction of a built-in type; automaton is its patterns' (patterns.py)."""
    name: str
    kind: str  # the attribute kind of its base: "string", "int" or "date"
    line: int
    schema: "Schema"
    automaton: "patterns.Automaton" = None

    @property
    def kind_info(self):
        return KINDS[self.kind]


@dataclass
class Field:
    xml_name: str
    kind: str  # a key of kinds.KINDS
    doc: str
    line: int
    # What the field names, as the triple ("type", namespace, name) of the complex type of a child
    # kind or ("element", namespace, name) of the global element that a reference names; None for
    # a text kind. Resolved into type (and element_schema) once the file is read.
    type_ref: tuple = None
    type: "ComplexType" = None
    required: bool = False  # an attribute with use="required"
    simple_type: SimpleType = None  # an attribute's named simple type; None for a built-in one
    element_schema: "Schema" = None  # for a reference: the schema of the element it names

    @property
    def kind_info(self):
        return KINDS[self.kind]

    @property
    def is_attribute(self):
        return self.kind_info.attribute

    @property
    def is_list(self):
        return self.kind_info.is_list

    @property
    def stem(self):
        return names.stem(self.xml_name, self.is_list)

    @property
    def accessors(self):
        return self.kind_info.accessor_names(self.stem)


@dataclass
class ComplexType:
    name: str
    doc: str
    line: int
    schema: "Schema"
    fields: list = field(default_factory=list)

    @property
    def attributes(self):
        return [f for f in self.fields if f.is_attribute]

    @property
    def elements(self):
        return [f for f in self.fields if not f.is_attribute]

    @property
    def constructor_fields(self):
        return [f for f in self.fields if not f.is_list]

    @property
    def dependencies(self):
        return [f.type for f in self.fields if f.type is not None]


@dataclass
class Schema:
    path: str
    namespace: str
    namespace_path: str
    doc: str
    types: list = field(default_factory=list)
    documents: list = field(default_factory=list)  # (element name, ComplexType)
    # name -> ((namespace, type name), the xs:element), until resolved into documents
    global_elements: dict = field(default_factory=dict)
    simple_types: dict = field(default_factory=dict)  # name -> SimpleType
    imports: list = field(default_factory=list)
    relative_path: str = ""

    @property
    def class_namespace(self):
        """"/Schemas/Query/2006-03/SavedQuery" gives Corvanthel::Schemas::Query::_2006_03::Savedquery."""
        parts = ["Corvanthel"]
        for segment in self.namespace_path.strip("/").split("/"):
            if re.fullmatch(r"\d{4}-\d{2}", segment):
                parts.append("_" + segment.replace("-", "_"))
            else:
                parts.append(segment[:1].upper() + segment[1:].lower())
        return parts

    @property
    def header_dir(self):
        """"/Schemas/Query/2006-03/SavedQuery" gives "query/2006_03/savedquery"."""
        segments = self.namespace_path.strip("/").split("/")[1:]
        return "/".join(s.lower().replace("-", "_") for s in segments)

    def find_type(self, name):
        return next((t for t in self.types if t.name == name), None)


def documentation(element):
    """The text of an element's xs:annotation/xs:documentation, blanks folded."""
    for child in element.children:
        if (child.namespace, child.name) == (XS, "annotation"):
            texts = [" ".join(d.text.split()) for d in child.children
                     if (d.namespace, d.name) == (XS, "documentation")]
            return " ".join(t for t in texts if t)
    return ""


class Loader:
    """Reads schema files and their imports into Schema objects, once per file."""

    def __init__(self, namespace_base, schema_path=()):
        self.namespace_base = namespace_base.rstrip("/")
        self.schema_path = list(schema_path)
        self.schemas = {}

    def load(self, path):
        path = os.path.normpath(os.path.abspath(path))
        if path in self.schemas:
            return self.schemas[path]
        root = parse(path)
        schema = self._read_schema(path, root)
        self.schemas[path] = schema
        # Simple types first, so that an attribute may use one declared further down.
        for child in root.children:
            if (child.namespace, child.name) == (XS, "simpleType"):
                self._read_simple_type(schema, child)
        for child in root.children:
            if (child.namespace, child.name) != (XS, "simpleType"):
                self._read_top_level(schema, child)
        self._check_type_names(schema)
        self._resolve(schema)
        return schema

    # --- reading -----------------------------------------------------------------------------

    def _fail(self, schema_or_path, element, message):
        path = schema_or_path.path if isinstance(schema_or_path, Schema) else schema_or_path
        raise SchemaError(path, element.line, message)

    def _expect_attributes(self, path, element, allowed):
        for name in element.attributes:
            if name not in allowed:
                self._fail(path, element, f'attribute "{name}" of xs:{element.name} is not supported')

    def _read_schema(self, path, root):
        if (root.namespace, root.name) != (XS, "schema"):
            self._fail(path, root, "the root element is not xs:schema")
        self._expect_attributes(path, root, {"targetNamespace", "elementFormDefault",
                                             "attributeFormDefault", "version"})
        namespace = root.attributes.get("targetNamespace")
        if not namespace:
            self._fail(path, root, "xs:schema needs a targetNamespace")
        if not namespace.startswith(self.namespace_base + "/Schemas/"):
            self._fail(path, root, f'targetNamespace "{namespace}" does not start with '
                                   f'"{self.namespace_base}/Schemas/"')
        if root.attributes.get("elementFormDefault") != "qualified":
            self._fail(path, root, 'xs:schema needs elementFormDefault="qualified"')
        if root.attributes.get("attributeFormDefault", "unqualified") != "unqualified":
            self._fail(path, root, 'attributes must be unqualified')
        namespace_path = namespace[len(self.namespace_base):]
        return Schema(path, namespace, namespace_path, documentation(root))

    def _read_top_level(self, schema, element):
        if element.namespace != XS:
            self._fail(schema, element, f'"{element.name}" is not an XML Schema element')
        if element.name == "annotation":
            return
        if element.name == "import":
            self._expect_attributes(schema, element, {"namespace", "schemaLocation"})
            location = element.attributes.get("schemaLocation")
            if not location:
                self._fail(schema, element, "xs:import needs a schemaLocation")
            imported = self.load(self._locate(schema, element, location))
            if imported.namespace != element.attributes.get("namespace"):
                self._fail(schema, element, f'{location} has targetNamespace '
                                            f'"{imported.namespace}", not the one imported')
            schema.imports.append(imported)
            return
        if element.name == "complexType":
            self._read_complex_type(schema, element)
            return
        if element.name == "element":
            self._expect_attributes(schema, element, {"name", "type"})
            name, type_name = element.attributes.get("name"), element.attributes.get("type")
            if not name or not type_name:
                self._fail(schema, element, "a global xs:element needs a name and a type")
            if name in schema.global_elements:
                self._fail(schema, element, f'element "{name}" is declared twice')
            schema.global_elements[name] = (element.resolve(type_name, schema.path), element)
            return
        self._fail(schema, element, f"xs:{element.name} is not supported")

    def _locate(self, schema, element, location):
        """The file an import names: next to the importing file, else in the schema path."""
        folders = [os.path.dirname(schema.path)] + self.schema_path
        for folder in folders:
            candidate = os.path.join(folder, location)
            if os.path.isfile(candidate):
                return candidate
        self._fail(schema, element, f'{location} is neither next to this file nor in the schema '
                                    f'path ({", ".join(self.schema_path) or "empty"})')

    def _read_type_name(self, schema, element, what, declared):
        """The name of an xs:complexType or xs:simpleType: letters and digits, not in declared."""
        self._expect_attributes(schema, element, {"name"})
        name = element.attributes.get("name")
        if not name or not re.fullmatch(r"[A-Za-z][A-Za-z0-9]*", name):
            self._fail(schema, element, f"xs:{element.name} needs a name of letters and digits")
        if name in declared:
            self._fail(schema, element, f'{what} "{name}" is declared twice')
        return name

    def _read_complex_type(self, schema, element):
        name = self._read_type_name(schema, element, "type", [t.name for t in schema.types])
        complex_type = ComplexType(name, documentation(element), element.line, schema)
        elements, attributes = [], []
        seen = []
        for child in element.children:
            if child.namespace != XS:
                self._fail(schema, child, f'"{child.name}" is not an XML Schema element')
            seen.append(child.name)
            if child.name == "annotation":
                continue
            if child.name == "sequence":
                if attributes or "sequence" in seen[:-1]:
                    self._fail(schema, child, "xs:sequence must come once, before the attributes")
                self._expect_attributes(schema, child, set())
                for item in child.children:
                    if (item.namespace, item.name) != (XS, "element"):
                        self._fail(schema, item, f"only xs:element is supported in xs:sequence, "
                                                 f"not {item.name}")
                    elements.append(self._read_element(schema, item))
            elif child.name == "attribute":
                attributes.append(self._read_attribute(schema, child))
            else:
                self._fail(schema, child, f"xs:{child.name} is not supported in xs:complexType")
        complex_type.fields = attributes + elements
        if len(attributes) > MAX_ATTRIBUTES:
            self._fail(schema, element, f'type "{name}" has more than {MAX_ATTRIBUTES} attributes')
        for group in (attributes, elements):
            declared = set()
            for f in group:
                if f.xml_name in declared:
                    raise SchemaError(schema.path, f.line, f'"{f.xml_name}" is declared twice in '
                                                           f'type "{name}"')
                declared.add(f.xml_name)
        self._check_accessors(schema, complex_type)
        schema.types.append(complex_type)

    def _check_accessors(self, schema, complex_type):
        """Every accessor name once in the type, and none that hides a member of the runtime."""
        owners = {}
        for f in complex_type.fields:
            if not f.stem:
                raise SchemaError(schema.path, f.line, f'"{f.xml_name}" leaves no accessor stem')
            for accessor in f.accessors:
                problem = names.accessor_problem(accessor)
                if problem:
                    raise SchemaError(schema.path, f.line, f'field "{f.xml_name}" of '
                                                           f'"{complex_type.name}": {problem}')
                if accessor in owners:
                    raise SchemaError(schema.path, f.line, f'fields "{owners[accessor]}" and '
                                                           f'"{f.xml_name}" of "{complex_type.name}" '
                                                           f'both have the accessor {accessor}')
                owners[accessor] = f.xml_name

    def _check_type_names(self, schema):
        type_names = {t.name for t in schema.types}
        for complex_type in schema.types:
            problem = names.type_name_problem(complex_type.name, type_names)
            if problem:
                raise SchemaError(schema.path, complex_type.line,
                                  f"type name not allowed: {problem}")

    def _read_simple_type(self, schema, element):
        name = self._read_type_name(schema, element, "simple type", schema.simple_types)
        restrictions = [c for c in element.children if (c.namespace, c.name) != (XS, "annotation")]
        if len(restrictions) != 1 or (restrictions[0].namespace, restrictions[0].name) != (
                XS, "restriction"):
            self._fail(schema, element, "xs:simpleType must hold one xs:restriction")
        restriction = restrictions[0]
        self._expect_attributes(schema, restriction, {"base"})
        namespace, local = restriction.resolve(restriction.attributes.get("base", ""), schema.path)
        if namespace != XS or local not in ATTRIBUTE_TYPES:
            self._fail(schema, restriction, "xs:restriction must have the base xs:string, xs:int "
                                            "or xs:dateTime")
        facets = []
        for facet in restriction.children:
            if (facet.namespace, facet.name) == (XS, "annotation"):
                continue
            if (facet.namespace, facet.name) != (XS, "pattern"):
                self._fail(schema, facet, f"only xs:pattern is supported in xs:restriction, "
                                          f"not {facet.name}")
            self._expect_attributes(schema, facet, {"value"})
            if "value" not in facet.attributes:
                self._fail(schema, facet, "xs:pattern needs a value")
            facets.append(facet)
        simple = SimpleType(name, ATTRIBUTE_TYPES[local], element.line, schema)
        if facets:
            try:
                simple.automaton = patterns.translate([f.attributes["value"] for f in facets],
                                                      simple.kind)
            except patterns.PatternError as error:
                self._fail(schema, facets[0], str(error))
        schema.simple_types[name] = simple

    def _read_attribute(self, schema, element):
        self._expect_attributes(schema, element, {"name", "type", "use"})
        name, type_name = element.attributes.get("name"), element.attributes.get("type")
        if not name or not type_name:
            self._fail(schema, element, "xs:attribute needs a name and a type")
        self._check_name(schema, element, name)
        use = element.attributes.get("use", "optional")
        if use not in ("optional", "required"):
            self._fail(schema, element, 'use must be "optional" or "required"')
        namespace, local = element.resolve(type_name, schema.path)
        owner = self._schema_of(schema, namespace)
        simple = None
        if namespace == XS and local in ATTRIBUTE_TYPES:
            kind = ATTRIBUTE_TYPES[local]
        elif owner is not None and local in owner.simple_types:
            simple = owner.simple_types[local]
            kind = simple.kind
        else:
            self._fail(schema, element, f'attribute type "{type_name}" is not supported '
                                        f'(xs:string, xs:int, xs:dateTime, or a simple type '
                                        f'restricting one)')
        return Field(name, kind, documentation(element), element.line, required=use == "required",
                     simple_type=simple)

    def _read_element(self, schema, element):
        self._expect_attributes(schema, element, {"name", "type", "ref", "minOccurs", "maxOccurs"})
        occurs = (element.attributes.get("minOccurs", "1"), element.attributes.get("maxOccurs", "1"))
        if occurs not in (("1", "1"), ("0", "unbounded")):
            self._fail(schema, element, 'an element occurs once, or minOccurs="0" and '
                                        'maxOccurs="unbounded" for a list')
        is_list = occurs == ("0", "unbounded")
        doc = documentation(element)
        if "ref" in element.attributes:
            if "name" in element.attributes or "type" in element.attributes:
                self._fail(schema, element, "an element with ref has no name or type")
            if is_list:
                self._fail(schema, element, "a referenced element occurs once")
            namespace, local = element.resolve(element.attributes["ref"], schema.path)
            return Field(local, "ref", doc, element.line, type_ref=("element", namespace, local))
        name, type_name = element.attributes.get("name"), element.attributes.get("type")
        if not name or not type_name:
            self._fail(schema, element, "a local xs:element needs a name and a type")
        self._check_name(schema, element, name)
        namespace, local = element.resolve(type_name, schema.path)
        if namespace == XS:
            if local not in TEXT_LIST_TYPES or not is_list:
                self._fail(schema, element, f'element type "{type_name}" is supported only as a '
                                            f'list of xs:string or xs:int')
            return Field(name, TEXT_LIST_TYPES[local], doc, element.line)
        kind = "child_list" if is_list else "child"
        return Field(name, kind, doc, element.line, type_ref=("type", namespace, local))

    def _check_name(self, schema, element, name):
        if not re.fullmatch(r"[A-Za-z_][A-Za-z0-9_]*", name):
            self._fail(schema, element, f'"{name}" is not a name the binding supports')

    # --- resolving ---------------------------------------------------------------------------

    def _schema_of(self, schema, namespace):
        if namespace == schema.namespace:
            return schema
        return next((s for s in schema.imports if s.namespace == namespace), None)

    def _resolve(self, schema):
        for complex_type in schema.types:
            for f in complex_type.fields:
                if f.type_ref is None:
                    continue
                what, namespace, local = f.type_ref
                owner = self._schema_of(schema, namespace)
                if owner is None:
                    raise SchemaError(schema.path, f.line, f'namespace "{namespace}" is not imported')
                if what == "element":
                    f.element_schema = owner
                    if local not in owner.global_elements:
                        raise SchemaError(schema.path, f.line, f'no global element "{local}" in '
                                                               f'"{namespace}"')
                    (type_namespace, type_local), _ = owner.global_elements[local]
                    owner = self._schema_of(owner, type_namespace)
                    f.type = owner.find_type(type_local) if owner else None
                else:
                    f.type = owner.find_type(local)
                if f.type is None:
                    raise SchemaError(schema.path, f.line, f'type "{local}" is not declared in '
                                                           f'"{namespace}"')
        for name, ((namespace, local), element) in schema.global_elements.items():
            complex_type = schema.find_type(local) if namespace == schema.namespace else None
            if complex_type is None:
                raise SchemaError(schema.path, element.line, f'element "{name}" must have a '
                                                             f'type of this schema')
            schema.documents.append((name, complex_type))
        self._check_cycles(schema)

    def _check_cycles(self, schema):
        state = {}

        def visit(complex_type, trail):
            if state.get(id(complex_type)) == "done":
                return
            if state.get(id(complex_type)) == "visiting":
                cycle = " -> ".join(t.name for t in trail + [complex_type])
                raise SchemaError(schema.path, complex_type.line, f"recursive types are not "
                                                                  f"supported: {cycle}")
            state[id(complex_type)] = "visiting"
            for dependency in complex_type.dependencies:
                visit(dependency, trail + [complex_type])
            state[id(complex_type)] = "done"

        for complex_type in schema.types:
            visit(complex_type, [])
        known = {}
        for complex_type in schema.types:
            if nesting(complex_type, known) > MAX_NESTING:
                raise SchemaError(schema.path, complex_type.line, f'types nest more than '
                                                                  f'{MAX_NESTING} deep below '
                                                                  f'"{complex_type.name}"')


def nesting(complex_type, known=None):
    """How deep elements of the type can nest: 1 for a type without child types."""
    known = {} if known is None else known
    if id(complex_type) not in known:
        known[id(complex_type)] = 1 + max((nesting(d, known) for d in complex_type.dependencies),
                                          default=0)
    return known[id(complex_type)]


def dependency_order(schema, imported=False):
    """The schema's types, each after the types of the same schema that it uses; with imported,
    also the types of other schemas that they use, each before its first use."""
    ordered, placed = [], set()

    def place(complex_type):
        if id(complex_type) in placed or (complex_type.schema is not schema and not imported):
            return
        placed.add(id(complex_type))
        for dependency in complex_type.dependencies:
            place(dependency)
        ordered.append(complex_type)

    for complex_type in schema.types:
        place(complex_type)
    return ordered


def all_schemas(schemas):
    """The schemas and everything they import, each once, ordered by the words of their version
    labels, then by version (names.version_label)."""
    found = {}

    def visit(schema):
        if schema.path in found:
            return
        found[schema.path] = schema
        for imported in schema.imports:
            visit(imported)

    for schema in schemas:
        visit(schema)

    def key(schema):
        label = names.version_label(schema)
        words, _, version = label.rpartition(" ")
        return (words, version, schema.namespace)

    return sorted(found.values(), key=key)
