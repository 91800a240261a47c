# Checking builds. FRAMEWISE_SANITIZE builds every target with AddressSanitizer
# and UndefinedBehaviorSanitizer; FRAMEWISE_FUZZ (clang only) adds libFuzzer's
# coverage to everything and builds the fuzz targets of tests/fuzz.
option(FRAMEWISE_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(FRAMEWISE_FUZZ "Build the libFuzzer targets (clang; implies FRAMEWISE_SANITIZE)" OFF)

if(FRAMEWISE_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "FRAMEWISE_FUZZ needs clang's libFuzzer: configure with -DCMAKE_CXX_COMPILER=clang++-14")
  endif()
  set(FRAMEWISE_SANITIZE ON CACHE BOOL "" FORCE)
endif()

if(FRAMEWISE_SANITIZE)
  # No recovery: the first report ends the process, so nothing runs on past it.
  target_compile_options(framewise_settings INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(framewise_settings INTERFACE -fsanitize=address,undefined)
  if(FRAMEWISE_FUZZ)
    target_compile_options(framewise_settings INTERFACE -fsanitize=fuzzer-no-link)
  endif()
endif()
