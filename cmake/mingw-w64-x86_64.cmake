# Cross build of the Windows program with Debian's mingw-w64 (posix threads).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QUIBRANT_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QUIBRANT_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUIBRANT_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${QUIBRANT_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QUIBRANT_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Tests and test discovery run the Windows programs through wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)

# One self-contained executable: the C++ runtime and winpthreads are linked in,
# so the program needs no DLL beyond Windows' own.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
