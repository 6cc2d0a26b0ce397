# Cross build of the 64-bit program (TLR64.exe) with MinGW-w64 on Linux.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TLR_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
