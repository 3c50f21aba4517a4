// Which of the runtime's operations beyond its interface the binding uses, decided when the code
// is compiled.
//
// Every runtime of the framework gives the interface that the binding pattern rests on: getAttr
// returning a std::string, operator<< on the stream, the one-argument DomException, toXmlString,
// lexical_cast of std::string, BaseObject built from a C string. A runtime may offer more, for
// speed or for error positions, and says so with the VARNICORE_HAS_ macros of its configuration
// header (<varnicore/Config.hxx>); a runtime that defines none of them gets the interface path
// throughout. Each PELAGON_USE_ macro below is 1 where the binding takes the faster or richer
// path, and generated code reaches these operations only through the binding runtime.
#ifndef PELAGON_RUNTIME_EXTRAS_HXX
#define PELAGON_RUNTIME_EXTRAS_HXX

#include <varnicore/Config.hxx>

#if defined(VARNICORE_HAS_STREAM_INSERT) && VARNICORE_HAS_STREAM_INSERT
#define PELAGON_USE_STREAM_INSERT 1
#else
#define PELAGON_USE_STREAM_INSERT 0
#endif

#if defined(VARNICORE_HAS_APPEND_XML_STRING) && VARNICORE_HAS_APPEND_XML_STRING
#define PELAGON_USE_APPEND_XML_STRING 1
#else
#define PELAGON_USE_APPEND_XML_STRING 0
#endif

#if defined(VARNICORE_HAS_DECIMAL_INTS) && VARNICORE_HAS_DECIMAL_INTS
#define PELAGON_USE_DECIMAL_INTS 1
#else
#define PELAGON_USE_DECIMAL_INTS 0
#endif

#if defined(VARNICORE_HAS_SHARED_NAMESPACE) && VARNICORE_HAS_SHARED_NAMESPACE
#define PELAGON_USE_SHARED_NAMESPACE 1
#else
#define PELAGON_USE_SHARED_NAMESPACE 0
#endif

#if defined(VARNICORE_HAS_ATTRIBUTE_VIEWS) && VARNICORE_HAS_ATTRIBUTE_VIEWS
#define PELAGON_USE_ATTRIBUTE_VIEWS 1
#else
#define PELAGON_USE_ATTRIBUTE_VIEWS 0
#endif

/// 1 when a DomException from parse carries the line and column where the fault lies.
#if defined(VARNICORE_HAS_POSITIONS) && VARNICORE_HAS_POSITIONS
#define PELAGON_HAS_POSITIONS 1
#else
#define PELAGON_HAS_POSITIONS 0
#endif

/// 1 when the schema classes have validate() and validateDocument(): checking a tree against its
/// schema reads what the interface does not give (every attribute, namespaces, text runs) and
/// reports where each fault lies.
#if defined(VARNICORE_HAS_TREE_WALK) && VARNICORE_HAS_TREE_WALK && PELAGON_HAS_POSITIONS
#define PELAGON_HAS_VALIDATION 1
#else
#define PELAGON_HAS_VALIDATION 0
#endif

#endif  // PELAGON_RUNTIME_EXTRAS_HXX
