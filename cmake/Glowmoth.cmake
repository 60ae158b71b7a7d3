# Shared build helpers.

# The project's own code builds without a single warning.
function(glowmoth_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()

# Every target sees the source tree as its include root:
# #include "archive/Archive.h".
set(GLOWMOTH_INCLUDE_ROOT ${PROJECT_SOURCE_DIR})

# The environment every test runs in: headless SDL, no real sound, and the
# sanitizer settings (with suppressions for leaks inside system libraries).
set(GLOWMOTH_TEST_ENV
  "SDL_VIDEODRIVER=dummy"
  "SDL_AUDIODRIVER=dummy"
  "GLOWMOTH_SPEECH=silent"
  "ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:strict_string_checks=1"
  "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1"
  "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/lsan.supp:print_suppressions=0"
)

# glowmoth_add_test(NAME name SOURCES a.cpp ... LIBS lib ... [ENV K=V ...])
# A GoogleTest executable whose cases are registered with CTest one by one.
function(glowmoth_add_test)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS;ENV" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  glowmoth_warnings(${T_NAME})
  target_include_directories(${T_NAME} PRIVATE ${GLOWMOTH_INCLUDE_ROOT})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  target_compile_definitions(${T_NAME} PRIVATE
    GLOWMOTH_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    GLOWMOTH_BINARY_DIR="${PROJECT_BINARY_DIR}")
  gtest_discover_tests(${T_NAME} DISCOVERY_MODE PRE_TEST)
  # Passed through gtest_discover_tests, a list-valued ENVIRONMENT loses its
  # escapes: only the first entry would be set and the rest read as property
  # names. A script of our own, read by ctest after the discovered tests,
  # sets the whole list on every test of the executable.
  set(env ${GLOWMOTH_TEST_ENV} ${T_ENV})
  set(script ${CMAKE_CURRENT_BINARY_DIR}/${T_NAME}_environment.cmake)
  file(WRITE ${script}
    "if(${T_NAME}_TESTS)\n"
    "  set_tests_properties(\${${T_NAME}_TESTS} PROPERTIES ENVIRONMENT [==[${env}]==])\n"
    "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${script})
endfunction()
