# Cross-compiling to 64-bit Windows with Debian's MinGW-w64 (posix threads
# variant: std::thread needs it). On Windows, run CMake with MinGW directly
# and leave this file out.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_triple}-g++-posix)
set(CMAKE_RC_COMPILER  ${_triple}-windres)
set(CMAKE_AR           ${_triple}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB       ${_triple}-ranlib CACHE FILEPATH "")
set(DRAVON_DLLTOOL     ${_triple}-dlltool CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
