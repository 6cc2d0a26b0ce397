# Shared part of the MinGW-w64 toolchain files; TLR_TRIPLE names the target.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${TLR_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TLR_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TLR_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TLR_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Tests run the Windows executables under Wine.
find_program(TLR_WINE NAMES wine)
if(TLR_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TLR_WINE})
endif()
