"""The field kinds: what each kind of field is in XML and in C++, described once.

The schema model gives every field one of these kinds; the emitters of the classes and of the
tool's type table read everything they need about a kind from here. Statement templates use
string.Template slots: $member (the field's member variable), $xml (its XML name), $index (its
position among the type's attributes), $type (the C++ type name of the class) and $entry (the
kind's C++ entry type).
"""

from dataclasses import dataclass

DATETIME = "::Corvanthel::Soa::Common::DateTime"


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
    # How the field adds the namespaces writing it needs; "" for none beyond the type's own.
    collect: str = ""


def _attribute(name, enumerator, entry, by_value, read):
    return Kind(name, enumerator, attribute=True, is_list=False, entry=entry, by_value=by_value,
                prefixed=False,
                write="Binding::writeAttribute(stream, k${type}AttributeNames[$index], $member);",
                read=read)


def _text_list(name, enumerator, entry, read):
    return Kind(name, enumerator, attribute=False, is_list=True, entry=entry, by_value=False,
                prefixed=True, write='Binding::writeTextElements(stream, child("$xml"), $member);',
                read=read)


KINDS = {kind.name: kind for kind in [
    _attribute("string", "String", "std::string", False, "attributes.assign($member, $index);"),
    _attribute("int", "Int", "int", True, "$member = attributes.as<$entry>($index);"),
    _attribute("date", "Date", DATETIME, True, "$member = attributes.as<$entry>($index);"),
    _text_list("string_list", "StringList", "std::string", "$member.push_back(child.getText());"),
    _text_list("int_list", "IntList", "int", "$member.push_back(Binding::readIntEntry(child));"),
    Kind("child", "Child", attribute=False, is_list=False, entry=None, by_value=False,
         prefixed=True, write='$member.outputXML(stream, child("$xml"));',
         read="$member.parse(child);", collect="$member.getNamespaces(namespaces);"),
    Kind("child_list", "ChildList", attribute=False, is_list=True, entry=None, by_value=False,
         prefixed=True, write='Binding::writeChildren(stream, child("$xml"), $member);',
         read="Binding::appendParsed($member, child);",
         collect="Binding::collectFirst($member, namespaces);"),
    Kind("ref", "Ref", attribute=False, is_list=False, entry=None, by_value=False,
         prefixed=False, write='$member.outputXML(stream, "$xml");', read="$member.parse(child);",
         collect="$member.getNamespaces(namespaces);"),
]}

# The kind of an attribute of a built-in type, and of a list of text elements of one.
ATTRIBUTE_TYPES = {"string": "string", "int": "int", "dateTime": "date"}
TEXT_LIST_TYPES = {"string": "string_list", "int": "int_list"}
