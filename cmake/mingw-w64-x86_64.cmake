# Cross-compiles for 64-bit Windows with MinGW-w64 (the POSIX thread model,
# which has std::thread). KOBPACK_WIN_DEPS is the prefix where
# scripts/windows.sh installs LZO, GoogleTest and CLI11 built for Windows.
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DKOBPACK_WIN_DEPS=DIR ...
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)

# try_compile projects see the toolchain file again, but not the cache.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES KOBPACK_WIN_DEPS)
if(KOBPACK_WIN_DEPS)
  set(CMAKE_FIND_ROOT_PATH /usr/${triple} ${KOBPACK_WIN_DEPS})
  set(ENV{PKG_CONFIG_LIBDIR} ${KOBPACK_WIN_DEPS}/lib/pkgconfig)
else()
  set(CMAKE_FIND_ROOT_PATH /usr/${triple})
endif()
# Never pick up a Linux library or header; programs (moc, help2man) still
# come from the build machine.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
