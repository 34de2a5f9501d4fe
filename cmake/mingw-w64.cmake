# Cross build for 64-bit Windows with Debian's MinGW-w64 (posix thread model).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VESK_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VESK_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VESK_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${VESK_MINGW}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${VESK_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Test programs built here run under Wine, inside the project's own prefix and X display.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
