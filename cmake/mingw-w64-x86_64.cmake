# Cross-compiles Tallimo for 64-bit Windows with Debian's mingw-w64.
#
# The -posix compilers are the ones whose libstdc++ has std::thread and std::mutex; the default
# win32-threads variant lacks them in GCC 12. Everything is linked statically, so that the program
# imports Windows' own DLLs only and runs without libstdc++, libgcc or winpthread beside it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TALLIMO_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TALLIMO_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TALLIMO_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TALLIMO_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TALLIMO_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# pkg-config answers for the Windows sysroot only, never with the build machine's own libraries
# (its FFmpeg, say), which a Windows program cannot link.
set(ENV{PKG_CONFIG_LIBDIR} ${CMAKE_FIND_ROOT_PATH}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
