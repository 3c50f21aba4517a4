# Cross build for aarch64 (little-endian, char unsigned) with Debian's cross compiler
# (g++-aarch64-linux-gnu). What the build runs, it runs under qemu-user (qemu-aarch64), which
# finds the target's C and C++ libraries in the cross compiler's root.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(PELAGON_TARGET_ROOT /usr/aarch64-linux-gnu)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64 -L ${PELAGON_TARGET_ROOT})

# Libraries, headers and packages of the target only; programs (Python, the schema compiler,
# xmllint) are the host's.
set(CMAKE_FIND_ROOT_PATH ${PELAGON_TARGET_ROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
