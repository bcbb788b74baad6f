# Cross-builds recdb for 64-bit Windows with MinGW-w64 (Debian's
# g++-mingw-w64-x86-64-posix):
#   cmake -S . -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
# The tests then run under Wine (wine64), which CTest puts before each
# test program.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(RECDB_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${RECDB_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${RECDB_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${RECDB_MINGW_PREFIX}-windres)

# Headers and libraries of the target only: nothing of the build machine's
# /usr/include may reach the compiler.
set(CMAKE_FIND_ROOT_PATH /usr/${RECDB_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The tests run under Wine, headless, in a Wine prefix of the build's own.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run ${CMAKE_BINARY_DIR}/wine)
