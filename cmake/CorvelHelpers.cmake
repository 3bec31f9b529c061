# One place for the flags every target shares.
function(corvel_set_flags target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  if(CORVEL_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  if(CORVEL_SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
  if(CORVEL_FUZZ)
    # Every library carries the feedback libFuzzer steers by; only the harnesses link its
    # runtime (corvel_add_fuzzer). Clang gives edge coverage; GCC gives comparison operands only
    # (the fuzzer runs with -use_value_profile=1), used where clang cannot compile qpdf's headers.
    # A fuzzing build is for the harnesses: under GCC other programs do not link, as the
    # comparison callbacks live in libFuzzer's runtime.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
      target_compile_options(${target} PRIVATE -fsanitize=fuzzer-no-link)
    else()
      target_compile_options(${target} PRIVATE -fsanitize-coverage=trace-cmp)
    endif()
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
endfunction()

# corvel_add_library(name SOURCES ... DEPENDS ...): a shared host or module library whose
# headers sit beside its sources and are included as <folder/Header.h> from the repository root.
function(corvel_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  add_library(${name} SHARED ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/host)
  target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
  corvel_set_flags(${name})
endfunction()

# Every test source parses GoogleTest's headers, a second or more each, so they are compiled once
# into a header every test executable reuses. Its owner has GoogleTest's flags and no others: a
# precompiled header is only valid where every macro it saw is defined the same way.
function(corvel_use_test_header name)
  if(NOT TARGET corvel_test_header)
    # An executable, as the tests are: a header compiled for a library (-fPIC) is refused by
    # executables (-fPIE).
    add_executable(corvel_test_header EXCLUDE_FROM_ALL ${PROJECT_SOURCE_DIR}/tests/TestHeader.cpp)
    target_link_libraries(corvel_test_header PRIVATE GTest::gtest GTest::gtest_main)
    corvel_set_flags(corvel_test_header)
    target_precompile_headers(corvel_test_header PRIVATE <gtest/gtest.h> <filesystem> <memory> <string> <vector>)
  endif()
  target_precompile_headers(${name} REUSE_FROM corvel_test_header)
endfunction()

# corvel_add_test(name SOURCES ... DEPENDS ... [RENDER pattern ...]): a GoogleTest executable
# registered with CTest, one ctest test per GoogleTest test. RENDER lists GoogleTest filter
# patterns ("Suite.*", "*Suite.Test/*") naming the tests that compare Ghostscript renders: they
# carry the ctest label `render`, which the sanitizer pass skips (Ghostscript, not our code,
# takes their time, and the sanitizers cannot see into it). A new test that renders must match
# one of its executable's patterns.
function(corvel_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS;RENDER" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPENDS} GTest::gtest GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/host)
  corvel_set_flags(${name})
  corvel_use_test_header(${name})
  # Parameterised tests are named by their name generators (".../busy_page"): the value
  # GoogleTest would print after the name only repeats it, or spells out a path.
  set(discovery DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES)
  if(ARG_RENDER)
    list(JOIN ARG_RENDER ":" render)
    gtest_discover_tests(${name} ${discovery} TEST_FILTER "${render}" PROPERTIES LABELS render)
    gtest_discover_tests(${name} ${discovery} TEST_FILTER "-${render}")
  else()
    gtest_discover_tests(${name} ${discovery})
  endif()
endfunction()

# Gives a test executable CORVEL_CORPUS_DIR, the folder of the public PDFs it runs over
# (tests/CorpusFiles.h).
function(corvel_use_corpus name)
  target_compile_definitions(${name} PRIVATE CORVEL_CORPUS_DIR="${PROJECT_SOURCE_DIR}/tests/corpus")
endfunction()

# corvel_add_fuzzer(name SOURCES ... DEPENDS ... CORPUS folder ... [NO_CLANG]): a fuzzing harness,
# a source defining LLVMFuzzerTestOneInput. With CORVEL_FUZZ it links libFuzzer's runtime
# (scripts/fuzz.sh runs it); otherwise it links a replay main and a ctest test `name` runs it
# over the seed corpus folders, so that the harness keeps compiling and its seeds keep passing.
# NO_CLANG: the harness needs qpdf, whose 11.3 headers clang rejects in C++20 (a defaulted
# virtual destructor of a vector of the incomplete JSON class); it is fuzzed from a GCC build.
function(corvel_add_fuzzer name)
  cmake_parse_arguments(ARG "NO_CLANG" "" "SOURCES;DEPENDS;CORPUS" ${ARGN})
  if(CORVEL_FUZZ AND CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    if(ARG_NO_CLANG)
      message(STATUS "${name}: not built with clang; fuzz it from a GCC build (scripts/fuzz.sh)")
      return()
    endif()
    add_executable(${name} ${ARG_SOURCES})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  elseif(CORVEL_FUZZ)
    # libFuzzer's runtime from clang's packages (libclang-rt-14-dev), which brings its own main.
    file(GLOB runtime /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a)
    if(NOT runtime)
      message(FATAL_ERROR "libFuzzer's runtime not found: install libclang-rt-14-dev")
    endif()
    list(GET runtime 0 runtime)
    add_executable(${name} ${ARG_SOURCES} ${PROJECT_SOURCE_DIR}/tests/fuzz/GccCoverageShims.cpp)
    target_link_libraries(${name} PRIVATE ${runtime} Threads::Threads ${CMAKE_DL_LIBS})
  else()
    add_executable(${name} ${ARG_SOURCES} ${PROJECT_SOURCE_DIR}/tests/fuzz/ReplayMain.cpp)
    add_test(NAME ${name} COMMAND ${name} ${ARG_CORPUS})
    set_tests_properties(${name} PROPERTIES LABELS fuzz-replay)
  endif()
  target_link_libraries(${name} PRIVATE ${ARG_DEPENDS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/host)
  corvel_set_flags(${name})
endfunction()

# corvel_add_benchmark(name SOURCES ... DEPENDS ...): a Google Benchmark executable (not a test).
function(corvel_add_benchmark name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPENDS} benchmark::benchmark benchmark::benchmark_main)
  corvel_set_flags(${name})
endfunction()

# Adds every immediate subfolder that has a CMakeLists.txt, in name order.
function(corvel_add_subfolders)
  file(GLOB children RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child ${children})
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child} AND
       EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()
