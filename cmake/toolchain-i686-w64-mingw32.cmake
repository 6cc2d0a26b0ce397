# Cross build of the 32-bit program (TLR32.exe) with MinGW-w64 on Linux.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(TLR_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
