"""How schema names become C++ names, and which names the runtime keeps for itself.

A field's accessor stem is its XML name with the first letter made upper case; a list's stem
first drops one final lower-case "s" ("queries" gives Querie, "criterias" gives Criteria). A list
has get<Stem>Array, set<Stem>Array and add<Stem>; any other field get<Stem> and set<Stem> (the
accessor shapes of kinds.py). The field is held in the member <name>_, where <name> is its XML
name with the first letter made lower case, and passed to constructors as <name>, or <name>Value
where that is a C++ keyword.

Generated classes derive from the runtime's BaseObject (the implementation class) and Handle (the
facade), so an accessor that took the name of one of their members would hide it: an attribute
named "namespace" would replace the namespace the element is written in, one named "refCount" the
count that sharing relies on. Such names, C++ keywords and the names that generated code uses
unqualified are refused, with the file and line of the declaration.

Every schema has a version label, its name in the pelagon tool and in the documentation, made from
its namespace path: the segments before the version, less the service area just before it
("Query", "Soa"), in lower case, then the words of the segments after the version and the version
itself. "/Schemas/Query/2007-06/SavedQuery" gives "saved queries 2007-06",
"/Schemas/Internal/Query/2008-06/Finder" gives "internal finder 2008-06".
"""

import re

CPP_KEYWORDS = frozenset({
    "alignas", "alignof", "and", "and_eq", "asm", "auto", "bitand", "bitor", "bool", "break",
    "case", "catch", "char", "char16_t", "char32_t", "class", "compl", "const", "const_cast",
    "constexpr", "continue", "decltype", "default", "delete", "do", "double", "dynamic_cast",
    "else", "enum", "explicit", "export", "extern", "false", "float", "for", "friend", "goto",
    "if", "inline", "int", "long", "mutable", "namespace", "new", "noexcept", "not", "not_eq",
    "nullptr", "operator", "or", "or_eq", "private", "protected", "public", "register",
    "reinterpret_cast", "return", "short", "signed", "sizeof", "static", "static_assert",
    "static_cast", "struct", "switch", "template", "this", "thread_local", "throw", "true", "try",
    "typedef", "typeid", "typename", "union", "unsigned", "using", "virtual", "void", "volatile",
    "wchar_t", "while", "xor", "xor_eq",
})

# Member functions of the classes a generated class derives from or defines itself, with where
# each comes from.
RESERVED_MEMBERS = {
    "getNamespace": "BaseObject", "setNamespace": "BaseObject", "getRefCount": "BaseObject",
    "addRef": "BaseObject", "removeRef": "BaseObject", "clone": "BaseObject",
    "reallyClone": "BaseObject", "ensureUnShared": "Handle", "getHandleObject": "Handle",
    "init": "Handle", "outputXML": "every generated class", "parse": "every generated class",
    "getNamespaces": "every generated class",
}

# Names that generated code uses unqualified inside a schema's class namespace, and the runtime
# classes that a generated class is built from.
RESERVED_TYPE_NAMES = frozenset({
    "BaseObject", "Handle", "Binding", "XMLNode", "XmlStream", "SharedNamespace", "DateTime",
    "kNamespace", "sharedNamespace",
})

# The suffix of the implementation class of every type.
IMPL_SUFFIX = "Impl"


def stem(xml_name, is_list):
    if is_list and xml_name.endswith("s"):
        xml_name = xml_name[:-1]
    return xml_name[:1].upper() + xml_name[1:]


def variable(xml_name):
    """"ServiceData" gives serviceData."""
    return xml_name[:1].lower() + xml_name[1:]


def parameter(xml_name):
    name = variable(xml_name)
    return name + "Value" if name in CPP_KEYWORDS else name


def member(xml_name):
    return variable(xml_name) + "_"


def type_name_problem(name, other_names):
    """Why a complex type may not have this name, or None."""
    if name in CPP_KEYWORDS:
        return f'"{name}" is a C++ keyword'
    if name in RESERVED_TYPE_NAMES:
        return f'"{name}" is a name the generated code uses itself'
    if name.endswith(IMPL_SUFFIX) and name[:-len(IMPL_SUFFIX)] in other_names:
        return (f'"{name}" is the name of the implementation class of type '
                f'"{name[:-len(IMPL_SUFFIX)]}"')
    return None


def accessor_problem(accessor):
    """Why a field may not have an accessor of this name, or None."""
    owner = RESERVED_MEMBERS.get(accessor)
    if owner is None:
        return None
    return f"its accessor {accessor} would hide {accessor} of {owner}"


# Segments whose words are not simply their CamelCase parts in lower case.
SEGMENT_WORDS = {"SavedQuery": "saved queries"}

VERSION = re.compile(r"\d{4}-\d{2}")


def segment_words(segment):
    if segment in SEGMENT_WORDS:
        return SEGMENT_WORDS[segment]
    return " ".join(w.lower() for w in re.findall(r"[A-Z]+(?![a-z])|[A-Z]?[a-z0-9]+", segment))


def version_label(schema):
    """"/Schemas/Internal/Query/2008-06/Finder" gives "internal finder 2008-06"."""
    segments = schema.namespace_path.strip("/").split("/")[1:]
    index = next((i for i, s in enumerate(segments) if VERSION.fullmatch(s)), None)
    if index is None:
        return " ".join(segment_words(s) for s in segments)
    leading = [s.lower() for s in segments[:max(index - 1, 0)]]
    words = [segment_words(s) for s in segments[index + 1:]]
    return " ".join(leading + words + [segments[index]])


def sample_file(schema, type_name):
    """Where the API documentation keeps the XML form of a document type."""
    return f"{version_label(schema).replace(' ', '_')}/{type_name}.xml"
