# Cross build for 64-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-x86-64-posix: the
# variant with the POSIX thread model, which std::thread and std::mutex need). The built
# programs run on Linux under Wine (wine64), which CTest uses to run the tests.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(COMPATTATORE_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${COMPATTATORE_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${COMPATTATORE_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${COMPATTATORE_MINGW}-windres)

# Libraries and packages come from the target's own tree only; programs (the build's tools)
# from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${COMPATTATORE_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every built program runs through Wine, in a prefix of the build's own (see the script).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine.sh)
