# A cross build with Debian's cross compiler for PELAGON_TARGET (a GNU triple such as
# s390x-linux-gnu, set by the toolchain file that includes this one). What the build runs, it runs
# under qemu-user, which finds the target's C and C++ libraries in the cross compiler's root.
set(CMAKE_SYSTEM_NAME Linux)
set(PELAGON_TARGET_ROOT /usr/${PELAGON_TARGET})
set(CMAKE_C_COMPILER ${PELAGON_TARGET}-gcc)
set(CMAKE_CXX_COMPILER ${PELAGON_TARGET}-g++)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-${CMAKE_SYSTEM_PROCESSOR} -L ${PELAGON_TARGET_ROOT})

# Libraries, headers and packages of the target only; programs (Python, the schema compiler,
# xmllint) are the host's.
set(CMAKE_FIND_ROOT_PATH ${PELAGON_TARGET_ROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
