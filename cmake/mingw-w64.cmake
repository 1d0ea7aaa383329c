# Cross-building the 64-bit Windows program on Debian with MinGW-w64 (the posix thread model, so
# std::thread and std::mutex work). The libraries the program links come from the MinGW sysroot
# (zlib) and from the prefix scripts/windows_deps.sh builds; pass that prefix as CMAKE_PREFIX_PATH.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KT_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KT_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KT_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${KT_MINGW_TRIPLET}-windres)
set(CMAKE_AR ${KT_MINGW_TRIPLET}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${KT_MINGW_TRIPLET}-gcc-ranlib-posix CACHE FILEPATH "")

# Look for headers, libraries and packages only in the sysroot and the dependency prefix, never in
# the build machine's own folders; programs (pkg-config, the host tools) come from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${KT_MINGW_TRIPLET})
foreach(prefix IN LISTS CMAKE_PREFIX_PATH)
  list(APPEND CMAKE_FIND_ROOT_PATH ${prefix})
endforeach()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test programs run under Wine.
find_program(KT_WINE wine)
if(KT_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KT_WINE})
endif()

# zlib is linked statically like every other library, so the program needs no zlib DLL.
set(ZLIB_LIBRARY /usr/${KT_MINGW_TRIPLET}/lib/libz.a CACHE FILEPATH "zlib for the Windows program")
set(ZLIB_INCLUDE_DIR /usr/${KT_MINGW_TRIPLET}/include CACHE PATH "")
