# Settings every target of the project shares. Warnings are errors only where we choose
# (scripts/test.sh, CI, development): a packager's build with other flags and compilers must
# not fail on a new warning.
option(MARLO_WERROR "Treat compiler warnings as errors" OFF)
add_compile_options(-Wall -Wextra)
if(MARLO_WERROR)
  add_compile_options(-Werror)
endif()

if(MARLO_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)
endif()

# Adds a GoogleTest executable built from every .cpp file in a tests/ subfolder:
#   marlo_add_test_folder(NAME FOLDER [COST N] LIBRARIES...)
# COST (CTest's estimate of a test's run time) makes a parallel ctest start the slow suites
# first, so that they do not run alone at the end; the default is 0.
function(marlo_add_test_folder name folder)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "COST" "")
  file(GLOB sources CONFIGURE_DEPENDS ${folder}/*.cpp)
  if(NOT sources)
    message(FATAL_ERROR "No tests in ${folder}")
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${arg_UNPARSED_ARGUMENTS} GTest::gtest GTest::gmock
                                        GTest::gtest_main)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  if(NOT arg_COST)
    set(arg_COST 0)
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES COST ${arg_COST})
endfunction()
