// Part of the declared runtime interface (see Config.hxx).
#ifndef VARNICORE_EXPORT_HXX
#define VARNICORE_EXPORT_HXX

#define VARNICORE_API

#endif  // VARNICORE_EXPORT_HXX
