# Cross build for 64-bit Windows with MinGW-w64. The saver takes the win32 thread model (no
# runtime DLL needed); the end-to-end driver's own build asks for the posix one, which
# GoogleTest needs. Programs built here run under Wine's 64-bit loader.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES PURL_MINGW_THREADS)
if(NOT PURL_MINGW_THREADS)
    set(PURL_MINGW_THREADS win32)
endif()
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-${PURL_MINGW_THREADS})
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-${PURL_MINGW_THREADS})
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
