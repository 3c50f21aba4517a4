"""The field kinds: what each kind of field is in XML and in C++, described once.

The schema model gives every field one of these kinds; the emitters of the classes, of the content
models and of the tool's type table read everything they need about a kind from here, and test no
kind by its name. Statement templates use string.Template slots: $member (the field's member
variable), $xml (its XML name), $index (its position among the type's attributes), $type (the C++
type name of the class) and $entry (the kind's C++ entry type).
"""

from dataclasses import dataclass
from string import Template

DATETIME = "::Corvanthel::Soa::Common::DateTime"

# The accessors of each shape: (declaration, name, argument, body in the implementation class),
# with the slots $stem (the field's accessor stem), $value (the member's C++ type), $entry and
# $member. The facade's accessor of the same name forwards its argument to the implementation's.
LIST_ACCESSORS = (
    ("const $value& get${stem}Array() const", "get${stem}Array", "", "return $member;"),
    ("void set${stem}Array(const $value& values)", "set${stem}Array", "values",
     "$member = values;"),
    ("void add$stem(const $entry& value)", "add$stem", "value", "$member.push_back(value);"),
)
VALUE_ACCESSORS = (
    ("$value get$stem() const", "get$stem", "", "return $member;"),
    ("void set$stem($value value)", "set$stem", "value", "$member = value;"),
)
REFERENCE_ACCESSORS = (
    ("$value& get$stem()", "get$stem", "", "return $member;"),
    ("const $value& get$stem() const", "get$stem", "", "return $member;"),
    ("void set$stem(const $value& value)", "set$stem", "value", "$member = value;"),
)


@dataclass(frozen=True)
class Kind:
    name: str
    # The enumerator of the tool's FieldKind.
    enumerator: str
    attribute: bool
    is_list: bool
    # The C++ type of the value, or of each list entry; None for the field's schema type.
    entry: str
    # Passed and returned by value rather than by const reference.
    by_value: bool
    # Written under a name in the namespace of the type's schema (child("x")); a reference is
    # written under its element's bare name instead.
    prefixed: bool
    write: str
    read: str
    # One of the accessor shapes above.
    accessors: tuple
    # How the field adds the namespaces writing it needs; "" for none beyond the type's own.
    collect: str = ""
    # What the member's declaration ends in, for a C++ type whose default constructor leaves the
    # value undefined.
    initializer: str = ""
    # The header that the C++ type of the value needs, beyond those every class header includes.
    include: str = ""
    # The validator's built-in type of the text (Validation::Builtin); "" for a complex type.
    builtin: str = ""

    def accessor_names(self, stem):
        """The names of a field's accessors, each once."""
        return list(dict.fromkeys(Template(name).substitute(stem=stem)
                                  for _, name, _, _ in self.accessors))


def _attribute(name, enumerator, entry, by_value, read, builtin, **more):
    return Kind(name, enumerator, attribute=True, is_list=False, entry=entry, by_value=by_value,
                prefixed=False,
                write="Binding::writeAttribute(stream, k${type}AttributeNames[$index], $member);",
                read=read, accessors=VALUE_ACCESSORS if by_value else REFERENCE_ACCESSORS,
                builtin=builtin, **more)


def _text_list(name, enumerator, entry, read, builtin):
    return Kind(name, enumerator, attribute=False, is_list=True, entry=entry, by_value=False,
                prefixed=True, write='Binding::writeTextElements(stream, child("$xml"), $member);',
                read=read, accessors=LIST_ACCESSORS, builtin=builtin)


KINDS = {kind.name: kind for kind in [
    _attribute("string", "String", "std::string", False, "attributes.assign($member, $index);",
               "String"),
    _attribute("int", "Int", "int", True, "$member = attributes.as<$entry>($index);", "Int",
               initializer=" = 0"),
    _attribute("date", "Date", DATETIME, True, "$member = attributes.as<$entry>($index);",
               "DateTime", include="<varnicore/DateTime.hxx>"),
    _text_list("string_list", "StringList", "std::string", "$member.push_back(child.getText());",
               "String"),
    _text_list("int_list", "IntList", "int", "$member.push_back(Binding::readIntEntry(child));",
               "Int"),
    Kind("child", "Child", attribute=False, is_list=False, entry=None, by_value=False,
         prefixed=True, write='$member.outputXML(stream, child("$xml"));',
         read="$member.parse(child);", accessors=REFERENCE_ACCESSORS,
         collect="$member.getNamespaces(namespaces);"),
    Kind("child_list", "ChildList", attribute=False, is_list=True, entry=None, by_value=False,
         prefixed=True, write='Binding::writeChildren(stream, child("$xml"), $member);',
         read="Binding::appendParsed($member, child);", accessors=LIST_ACCESSORS,
         collect="Binding::collectFirst($member, namespaces);"),
    Kind("ref", "Ref", attribute=False, is_list=False, entry=None, by_value=False,
         prefixed=False, write='$member.outputXML(stream, "$xml");', read="$member.parse(child);",
         accessors=REFERENCE_ACCESSORS, collect="$member.getNamespaces(namespaces);"),
]}

# The kind of an attribute of a built-in type, and of a list of text elements of one.
ATTRIBUTE_TYPES = {"string": "string", "int": "int", "dateTime": "date"}
TEXT_LIST_TYPES = {"string": "string_list", "int": "int_list"}
