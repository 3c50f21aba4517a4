// The runtime interface that the schema classes may use, declared and nothing more: generated
// code compiled against these headers instead of libvarnicore's fails to compile where it calls
// anything else. Declarations only; nothing here is linked or run.
//
// The platform's runtime lets the library read some members directly (a node's local name,
// children, text and parent; an object's namespace and count). This runtime spells those reads
// as the accessors declared here, with the platform's value types (std::string where the
// platform gives one).
//
// This header announces no operation beyond the interface (no VARNICORE_HAS_ macro), so the
// binding runtime takes its interface path throughout. -DVARNICORE_REDUCED_PROFILE=1 declares the
// reduced runtime instead.
#ifndef VARNICORE_CONFIG_HXX
#define VARNICORE_CONFIG_HXX

#ifndef VARNICORE_REDUCED_PROFILE
#define VARNICORE_REDUCED_PROFILE 0
#endif

#endif  // VARNICORE_CONFIG_HXX
