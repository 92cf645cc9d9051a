# Cross build for 64-bit Windows with Debian's MinGW-w64 (the posix thread model, which
# std::thread needs). Programs are linked statically, so an .exe runs without the MinGW DLLs,
# and the tests run under Wine through CMAKE_CROSSCOMPILING_EMULATOR. VELT_SHARED_RUNTIME: the
# programs use the MinGW runtime DLLs instead, as Qt's DLLs do (the desktop program's build),
# so that one C++ runtime serves both.
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
# VELT_WINDOWS_DEPS: a prefix of Windows builds of the dependencies (GoogleTest, CLI11's
# headers) that ./test.sh --windows prepares.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VELT_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VELT_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELT_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${VELT_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VELT_MINGW_TRIPLET})
if(DEFINED ENV{VELT_WINDOWS_DEPS})
  set(VELT_WINDOWS_DEPS $ENV{VELT_WINDOWS_DEPS})
endif()
if(VELT_WINDOWS_DEPS)
  list(PREPEND CMAKE_FIND_ROOT_PATH ${VELT_WINDOWS_DEPS})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# zlib and, unless shared, the compiler's own runtime go into the .exe.
set(ZLIB_USE_STATIC_LIBS ON)
if(NOT VELT_SHARED_RUNTIME)
  set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
endif()

find_program(VELT_WINE NAMES wine64 wine PATHS /usr/lib/wine /usr/lib64/wine)
if(VELT_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VELT_WINE})
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VELT_WINDOWS_DEPS VELT_SHARED_RUNTIME)
