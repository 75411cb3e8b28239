# Compiler settings shared by every Kelva target.
function(kelva_target_settings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  if(KELVA_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  if(KELVA_SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-sanitize-recover=all
                                             -fno-omit-frame-pointer)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
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
