# The fuzz build: libFuzzer comes with clang only. Everything compiled here carries the
# fuzzer's coverage hooks and the address and undefined-behaviour sanitizers; the fuzz
# targets alone link libFuzzer's main (fuzz/CMakeLists.txt).
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(FATAL_ERROR
    "ZEP_FUZZ needs clang (libFuzzer), not ${CMAKE_CXX_COMPILER_ID}: configure a fresh build "
    "directory with -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang -DZEP_FUZZ=ON")
endif()

include(CheckCXXSourceCompiles)
if(NOT ZEP_HAVE_LIBFUZZER)
  unset(ZEP_HAVE_LIBFUZZER CACHE)  # look again once it has been installed
endif()
set(CMAKE_REQUIRED_FLAGS "-fsanitize=fuzzer")
set(CMAKE_REQUIRED_LINK_OPTIONS "-fsanitize=fuzzer")
check_cxx_source_compiles([[
#include <cstddef>
#include <cstdint>
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t*, std::size_t) { return 0; }
]] ZEP_HAVE_LIBFUZZER)
unset(CMAKE_REQUIRED_FLAGS)
unset(CMAKE_REQUIRED_LINK_OPTIONS)
if(NOT ZEP_HAVE_LIBFUZZER)
  message(FATAL_ERROR
    "ZEP_FUZZ: ${CMAKE_CXX_COMPILER} cannot link a libFuzzer target; install libFuzzer "
    "(Debian: apt-get install libclang-rt-dev) and configure again")
endif()

# Undefined behaviour stops the run like a crash, so the fuzzer keeps the input.
target_compile_options(zep_options INTERFACE
  -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
  -fno-omit-frame-pointer)
target_link_options(zep_options INTERFACE -fsanitize=address,undefined)
