"""The schema compiler of libpelagon: XML Schema files in, C++ binding classes out."""

import os

# The release, kept in one file that the build reads too: generated code names it, and the binding
# runtime of the same release is the only one it compiles against.
with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "VERSION"),
          encoding="utf-8") as _stream:
    __version__ = _stream.read().strip()
