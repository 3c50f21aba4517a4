// Symbol visibility of libvarnicore. The library is built with hidden visibility; only what is
// marked VARNICORE_API is part of its ABI.
#ifndef VARNICORE_EXPORT_HXX
#define VARNICORE_EXPORT_HXX

#if defined(_WIN32)
#if defined(VARNICORE_BUILDING)
#define VARNICORE_API __declspec(dllexport)
#else
#define VARNICORE_API __declspec(dllimport)
#endif
#else
#define VARNICORE_API __attribute__((visibility("default")))
#endif

#endif  // VARNICORE_EXPORT_HXX
