# Cross build of the Windows program with MinGW-w64 (posix thread model: GoogleTest
# needs std::mutex, which the win32 model lacks). Included by mingw-i686.cmake (the
# 32-bit release) and mingw-x86_64.cmake (the same sources as a 64-bit program),
# which set CMAKE_SYSTEM_PROCESSOR first.
set(CMAKE_SYSTEM_NAME Windows)
set(triple ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)

set(CMAKE_C_COMPILER   ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER  ${triple}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Every Windows program of the tree (tool, tests, stand-in client) runs through
# the one Wine wrapper, which takes 32-bit or 64-bit Wine from the program, so
# ctest runs the Windows tests under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine")
