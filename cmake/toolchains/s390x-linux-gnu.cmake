# Cross build for s390x (big-endian, char signed), with g++-s390x-linux-gnu and qemu-s390x.
set(CMAKE_SYSTEM_PROCESSOR s390x)
set(PELAGON_TARGET s390x-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
