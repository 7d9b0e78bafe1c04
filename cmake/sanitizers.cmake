# Sanitizer and fuzzing builds, each in a build directory of its own:
#   -DPELTRO_SANITIZE=ON  everything under AddressSanitizer + UndefinedBehaviorSanitizer
#   -DPELTRO_FUZZ=ON      the same, plus the libFuzzer targets under fuzz/ (clang only)
# The default build is untouched by either.
option(PELTRO_SANITIZE "Build everything with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(PELTRO_FUZZ "Build the libFuzzer targets in fuzz/ (clang; implies PELTRO_SANITIZE)" OFF)

if(PELTRO_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "PELTRO_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++")
  endif()
endif()

if(PELTRO_SANITIZE OR PELTRO_FUZZ)
  # Any finding ends the program, so a test or a fuzz run fails on it.
  set(peltro_sanitizers -fsanitize=address,undefined -fno-sanitize-recover=all)
  if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    # clang 14 cannot emit the function-type check's prologue data for the
    # split parts of a coroutine ("Cannot represent a difference across
    # sections"): that one check is left out, every other stays.
    list(APPEND peltro_sanitizers -fno-sanitize=function)
  endif()
  add_compile_options(${peltro_sanitizers} -fno-omit-frame-pointer)
  add_link_options(${peltro_sanitizers})
  if(PELTRO_FUZZ)
    # Coverage for the fuzzer in every library it drives; only the fuzz
    # targets themselves link libFuzzer's main.
    add_compile_options(-fsanitize=fuzzer-no-link)
  endif()
  # What ctest runs (the programs an end-to-end test starts included) gets
  # the stricter checks and stack traces without any setup. strndup is left
  # alone: the X keyboard library hands it a bound past the end of a string
  # it has terminated, which the strict string checks would report.
  file(WRITE ${CMAKE_BINARY_DIR}/sanitizer_env.cmake
    "set(ENV{ASAN_OPTIONS} \"detect_stack_use_after_return=1:check_initialization_order=1:strict_string_checks=1:intercept_strndup=0\")\n"
    "set(ENV{UBSAN_OPTIONS} \"print_stacktrace=1\")\n"
    "set(ENV{LSAN_OPTIONS} \"suppressions=${CMAKE_SOURCE_DIR}/fuzz/lsan.supp\")\n")
  set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY TEST_INCLUDE_FILES ${CMAKE_BINARY_DIR}/sanitizer_env.cmake)
endif()
