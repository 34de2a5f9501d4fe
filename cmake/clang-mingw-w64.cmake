# The same Windows cross build with a second compiler: Debian's clang for
# x86_64-w64-mingw32, linked by lld, against MinGW-w64's own libstdc++ (posix
# thread model, as the GCC build), which clang does not find by itself.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
set(VESK_GCC_LIB /usr/lib/gcc/${VESK_MINGW}/12-posix)
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${VESK_MINGW})
set(CMAKE_CXX_COMPILER_TARGET ${VESK_MINGW})
set(CMAKE_OBJCOPY ${VESK_MINGW}-objcopy)
set(CMAKE_CXX_FLAGS_INIT "-isystem ${VESK_GCC_LIB}/include/c++ -isystem ${VESK_GCC_LIB}/include/c++/${VESK_MINGW}")
# -pthread links winpthreads, which the posix libstdc++ calls.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=lld -pthread -L${VESK_GCC_LIB}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${CMAKE_EXE_LINKER_FLAGS_INIT}")  # the planting test's DLL
