# Cross-building for 64-bit Windows with Debian's MinGW-w64 (the POSIX
# thread model, whose C++ library has std::thread and std::mutex).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
# The MinGW-w64 system, and the libraries built for Windows beside it
# (VEXILO_WINDOWS_DEPS, where build.sh installs them).
list(APPEND CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 $ENV{VEXILO_WINDOWS_DEPS} ${VEXILO_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
