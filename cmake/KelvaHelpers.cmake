# Compiler settings shared by every Kelva target.
function(kelva_target_settings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  # Math functions need not set errno: without this, a loop calling sqrt cannot vectorise.
  target_compile_options(${target} PRIVATE -fno-math-errno)
  # No fused multiply-add unless written: a + b * c rounds twice on every machine, so results are
  # the same bits whichever instruction set a routine runs with.
  target_compile_options(${target} PRIVATE -ffp-contract=off)
  # g++ 12 at -O3 reports overlaps inside std::string's own copies that cannot happen (a known
  # false positive of that version's -Wrestrict); later versions no longer do.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
  # Sized deallocation is standard C++ (the pools hand blocks back with their size); clang before
  # version 19 declares it only when asked.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    target_compile_options(${target} PRIVATE -fsized-deallocation)
  endif()
  if(KELVA_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  if(KELVA_SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-sanitize-recover=all
                                             -fno-omit-frame-pointer)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
  if(KELVA_BUILD_FUZZ)
    target_compile_options(${target} PRIVATE -fsanitize=fuzzer-no-link)
  endif()
endfunction()

# kelva_add_test(<name> <sources>...): one GoogleTest executable, registered with ctest.
function(kelva_add_test name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE kelva kelva_host GTest::gtest GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  kelva_target_settings(${name})
  gtest_discover_tests(${name} WORKING_DIRECTORY ${PROJECT_SOURCE_DIR} DISCOVERY_TIMEOUT 60)
endfunction()
