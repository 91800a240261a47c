# Cross build for 64-bit Windows with Debian's mingw-w64 (posix threads, so
# std::thread and friends are available). Test programs run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(FRAMEWISE_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${FRAMEWISE_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${FRAMEWISE_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${FRAMEWISE_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${FRAMEWISE_MINGW_PREFIX})
# Qt for Windows lives outside the mingw root: its prefix, given on the command
# line, must be a search root too, or find_package(Qt6) looks only under /usr.
if(FRAMEWISE_QT_PREFIX)
  list(APPEND CMAKE_FIND_ROOT_PATH ${FRAMEWISE_QT_PREFIX})
  list(APPEND CMAKE_PREFIX_PATH ${FRAMEWISE_QT_PREFIX})
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES FRAMEWISE_QT_PREFIX)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

find_program(FRAMEWISE_WINE NAMES wine wine64)
if(FRAMEWISE_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${FRAMEWISE_WINE})
endif()
