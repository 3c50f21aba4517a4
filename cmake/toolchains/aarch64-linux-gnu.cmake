# Cross build for aarch64 (little-endian, char unsigned), with g++-aarch64-linux-gnu and
# qemu-aarch64.
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(PELAGON_TARGET aarch64-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
