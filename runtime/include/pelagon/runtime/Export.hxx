// Symbol visibility of libpelagon. The library is built with hidden visibility; only what is
// marked PELAGON_API is part of its ABI: the facades, the implementation classes and the Handle
// instantiations of the schema types.
#ifndef PELAGON_RUNTIME_EXPORT_HXX
#define PELAGON_RUNTIME_EXPORT_HXX

#if defined(_WIN32)
#if defined(PELAGON_BUILDING)
#define PELAGON_API __declspec(dllexport)
#else
#define PELAGON_API __declspec(dllimport)
#endif
#else
#define PELAGON_API __attribute__((visibility("default")))
#endif

// For classes that live wholly in headers (Handle, the allocation refusal) and are used across
// libraries: their type information and instantiations must be one in every library, so that an
// exception thrown in one is caught in another and a handle passes between them. Default
// visibility on ELF; nothing elsewhere.
#if defined(_WIN32)
#define PELAGON_INLINE_API
#else
#define PELAGON_INLINE_API __attribute__((visibility("default")))
#endif

#endif  // PELAGON_RUNTIME_EXPORT_HXX
