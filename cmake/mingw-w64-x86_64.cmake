# Cross-compiling GlyphCensus.exe and the tests for 64-bit Windows with
# MinGW-w64 (Debian: g++-mingw-w64-x86-64-posix, binutils-mingw-w64-x86-64).
#
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
#
# The posix-thread compilers are used because the win32-thread ones lack
# std::thread and std::mutex. Everything is linked statically, so the exe
# imports only system DLLs. ctest runs the test programs under Wine through
# tools/wine_run.sh.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(GLYPHCENSUS_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${GLYPHCENSUS_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${GLYPHCENSUS_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${GLYPHCENSUS_MINGW_TRIPLE}-windres)
set(CMAKE_AR ${GLYPHCENSUS_MINGW_TRIPLE}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${GLYPHCENSUS_MINGW_TRIPLE}-ranlib CACHE FILEPATH "")
set(CMAKE_OBJDUMP ${GLYPHCENSUS_MINGW_TRIPLE}-objdump CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${GLYPHCENSUS_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One self-contained exe: libgcc, libstdc++ and winpthread linked in. No time
# stamp in the PE header, so that two builds of one commit are identical.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp")
# Nor the checkout's or the dependencies' folders (file names in assertions).
get_filename_component(_gc_source_root "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(CMAKE_C_FLAGS_INIT "-ffile-prefix-map=${_gc_source_root}=.")
set(CMAKE_CXX_FLAGS_INIT "-ffile-prefix-map=${_gc_source_root}=.")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")

# FindZLIB: take libz.a, not the import library of zlib1.dll.
set(ZLIB_USE_STATIC_LIBS ON)

# ctest (and add_test) run cross-built programs through this wrapper.
get_filename_component(_gc_wine_run "${CMAKE_CURRENT_LIST_DIR}/../tools/wine_run.sh" ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR "${_gc_wine_run}")
