# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (the posix thread model, which
# std::thread and std::mutex need). The programs carry their runtime (static libgcc, libstdc++
# and winpthread), so tovrel.exe runs with nothing beside it but the system's own DLLs. Test
# executables run under wine through ctest.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOVREL_MINGW_TRIPLE x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${TOVREL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOVREL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TOVREL_MINGW_TRIPLE}-windres)

# Libraries and headers only from the mingw sysroot, programs (the compilers' helpers) from
# this machine.
set(CMAKE_FIND_ROOT_PATH /usr/${TOVREL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# -static takes winpthread's archive too, which -static-libgcc -static-libstdc++ alone leave
# as a DLL.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

find_program(TOVREL_WINE NAMES wine wine64)
if(TOVREL_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TOVREL_WINE})
endif()
