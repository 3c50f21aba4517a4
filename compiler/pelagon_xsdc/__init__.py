"""The schema compiler of libpelagon: XML Schema files in, C++ binding classes out."""
