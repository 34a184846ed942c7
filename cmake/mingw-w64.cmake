# Cross-compiling for Windows with Debian's MinGW-w64 (the POSIX-thread
# compilers, which have std::thread) against the tool chain that
# tools/windows/build-toolchain builds: -DTV_WIN_PREFIX=<its prefix>.
# TV_WIN_ARCH is x86_64 (the default) or i686.
set(CMAKE_SYSTEM_NAME Windows)
if(NOT TV_WIN_ARCH)
    set(TV_WIN_ARCH x86_64)
endif()
set(CMAKE_SYSTEM_PROCESSOR ${TV_WIN_ARCH})
set(TV_WIN_TRIPLE ${TV_WIN_ARCH}-w64-mingw32)
set(CMAKE_C_COMPILER ${TV_WIN_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TV_WIN_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TV_WIN_TRIPLE}-windres)

if(NOT TV_WIN_PREFIX)
    message(FATAL_ERROR "TV_WIN_PREFIX must name the Windows tool chain (tools/windows/build-toolchain)")
endif()
# Try-compiles inherit these, so the prefix reaches them too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TV_WIN_PREFIX TV_WIN_ARCH)
set(CMAKE_FIND_ROOT_PATH ${TV_WIN_PREFIX} /usr/${TV_WIN_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_PREFIX_PATH ${TV_WIN_PREFIX})

# pkg-config must see the Windows libraries only, never the machine's own.
set(ENV{PKG_CONFIG_LIBDIR} ${TV_WIN_PREFIX}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
