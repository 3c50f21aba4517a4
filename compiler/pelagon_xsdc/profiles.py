"""The two runtimes that generated classes are built against, and what each asks of the code.

The full runtime has MemoryManager, namespace collection and BaseObject::clone: every class has
its own allocation operators, reallyClone is protected and allocates through them, getNamespaces
collects the namespaces writing needs, and every object of a schema shares one namespace string
where the runtime allows it.
The reduced runtime has none of these: reallyClone is public and allocates globally, and the
namespace is set after the fields are built.
"""

from .writer import fill

XML = "::Corvanthel::Soa::Common::Xml"


# What a program includes to use the runtime: everything but the binding's internals.
API_HEADERS = ["varnicore/Config.hxx", "varnicore/Conversions.hxx", "varnicore/DateTime.hxx",
               "varnicore/Exceptions.hxx", "varnicore/Monitor.hxx", "varnicore/XMLDocument.hxx",
               "varnicore/XmlStream.hxx"]


class FullProfile:
    name = "full"
    reduced = False
    api_headers = API_HEADERS + ["varnicore/MemoryManager.hxx"]

    def impl_public_members(self, impl):
        return fill("""
            void getNamespaces(std::set<std::string>& namespaces) const;

            PELAGON_ALLOCATION_MEMBERS;

             protected:
            $impl* reallyClone() const override;
            """, impl=impl)

    def facade_members(self):
        return fill("""
            /// Adds the namespaces that writing this object needs (a list contributes its first
            /// entry's only).
            void getNamespaces(std::set<std::string>& namespaces) const {
              getHandleObject().getNamespaces(namespaces);
            }

            PELAGON_ALLOCATION_MEMBERS;
            """)

    def schema_preamble(self):
        return fill("""
            // One copy of the namespace URI, shared by every object of this schema where the
            // runtime lets objects share it.
            Binding::NamespaceArgument sharedNamespace() {
              static const std::string uri = kNamespace;
              return Binding::namespaceOf(uri);
            }
            """)

    def base_initializers(self):
        return ["BaseObject(sharedNamespace())"]

    def constructor_body(self):
        return "{}"

    def impl_definitions(self, impl, complex_type, statements):
        """reallyClone and getNamespaces; statements(field, template) fills a kind's template."""
        collect = [statements(f, f.kind_info.collect) for f in complex_type.fields
                   if f.kind_info.collect]
        return fill("""
            $impl* $impl::reallyClone() const { return Binding::cloneOrNull(*this); }

            void $impl::getNamespaces(std::set<std::string>& namespaces) const {
              namespaces.insert(getNamespace());
              $collect
            }
            """, impl=impl, collect=collect)

    def allocation(self, class_name, tag):
        return [f'PELAGON_DEFINE_ALLOCATION({class_name}, "{tag}")']

    def create(self, impl):
        """How a facade constructor makes its object: a manager's refusal becomes
        TryingToCreateNullHandle, the global operator new's failure stays std::bad_alloc."""
        return f"Binding::create<{impl}>"


class ReducedProfile:
    name = "reduced"
    reduced = True
    api_headers = API_HEADERS

    def impl_public_members(self, impl):
        return [f"{impl}* reallyClone() const override;"]

    def facade_members(self):
        return []

    def schema_preamble(self):
        return []

    def base_initializers(self):
        return []

    def constructor_body(self):
        # The reduced runtime's BaseObject takes its namespace after the fields are built.
        return "{ setNamespace(kNamespace); }"

    def impl_definitions(self, impl, complex_type, statements):
        return [f"{impl}* {impl}::reallyClone() const {{ return new {impl}(*this); }}"]

    def allocation(self, class_name, tag):
        return []

    def create(self, impl):
        return f"new {impl}"


def profile(name):
    return {"full": FullProfile, "reduced": ReducedProfile}[name]()
