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
