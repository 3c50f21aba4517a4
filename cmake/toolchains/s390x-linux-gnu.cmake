# Cross build for s390x (big-endian, char signed) with Debian's cross compiler
# (g++-s390x-linux-gnu). What the build runs, it runs under qemu-user (qemu-s390x), which
# finds the target's C and C++ libraries in the cross compiler's root.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR s390x)
set(PELAGON_TARGET_ROOT /usr/s390x-linux-gnu)
set(CMAKE_C_COMPILER s390x-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER s390x-linux-gnu-g++)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-s390x -L ${PELAGON_TARGET_ROOT})

# Libraries, headers and packages of the target only; programs (Python, the schema compiler,
# xmllint) are the host's.
set(CMAKE_FIND_ROOT_PATH ${PELAGON_TARGET_ROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
