# Registers a GoogleTest program's tests with CTest.
include(GoogleTest)

# Natively, every case the program lists. Cross-compiled, the test macros found in its sources,
# run through Wine in the tests' own prefix: listing the cases would mean starting Wine for every
# program before any test could run, and one Wine start per parameterised case besides.
function(tallimo_add_gtests target)
  cmake_parse_arguments(ARG "" "" "PROPERTIES" ${ARGN})
  if(CMAKE_CROSSCOMPILING)
    # Only real files can be searched: linked objects such as the compiled resources are not.
    get_target_property(sources ${target} SOURCES)
    list(FILTER sources EXCLUDE REGEX "^\\$<")
    gtest_add_tests(TARGET ${target} SOURCES ${sources} TEST_LIST tests)
    set_tests_properties(${tests} PROPERTIES FIXTURES_REQUIRED WinePrefix
                         SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]" ${ARG_PROPERTIES})
  else()
    gtest_discover_tests(${target} PROPERTIES ${ARG_PROPERTIES})
  endif()
endfunction()
