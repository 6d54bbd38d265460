# Registers a GoogleTest program's tests with CTest.
include(GoogleTest)

# Natively, every case the program lists. Cross-compiled, the test macros found in its sources,
# run through Wine in the tests' own prefix: listing the cases would mean starting Wine for every
# program before any test could run, and one Wine start per parameterised case besides.
# With IN_EACH_LANGUAGE (cross-compiled only), every case runs once in each language, named with
# the language's suffix (".ja", ".en").
function(tallimo_add_gtests target)
  cmake_parse_arguments(ARG "IN_EACH_LANGUAGE" "" "PROPERTIES" ${ARGN})
  if(CMAKE_CROSSCOMPILING)
    # Only real files can be searched: linked objects such as the compiled resources are not.
    get_target_property(sources ${target} SOURCES)
    list(FILTER sources EXCLUDE REGEX "^\\$<")
    if(NOT ARG_IN_EACH_LANGUAGE)
      gtest_add_tests(TARGET ${target} SOURCES ${sources} TEST_LIST tests)
      set_tests_properties(${tests} PROPERTIES FIXTURES_REQUIRED WinePrefix
                           ENVIRONMENT "${TALLIMO_WINE_LOCALE}"
                           SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]" ${ARG_PROPERTIES})
      return()
    endif()
    foreach(language ${TALLIMO_TEST_LANGUAGES})
      tallimo_language_environment(${language} environment)
      gtest_add_tests(TARGET ${target} SOURCES ${sources} TEST_SUFFIX .${language}
                      TEST_LIST tests)
      set_tests_properties(${tests} PROPERTIES FIXTURES_REQUIRED "WinePrefix;Locales"
                           ENVIRONMENT "${environment}"
                           SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]" ${ARG_PROPERTIES})
    endforeach()
  else()
    gtest_discover_tests(${target} PROPERTIES ${ARG_PROPERTIES})
  endif()
endfunction()

# The suites of both shells run once in each language of the program. The locales they run in
# are built into the build folder once, before the first test needs them.
set(TALLIMO_TEST_LOCALES ${CMAKE_BINARY_DIR}/locales)
set(TALLIMO_TEST_LANGUAGES ja en)
add_test(NAME Locales.Build COMMAND ${PROJECT_SOURCE_DIR}/tests/locales.sh ${TALLIMO_TEST_LOCALES})
set_tests_properties(Locales.Build PROPERTIES FIXTURES_SETUP Locales TIMEOUT 120)

# The environment of a test run in `language` (ja or en): its locale alone decides the language,
# and TALLIMO_TEST_LANGUAGE tells the tests which one to expect. LANGUAGE, which would come first,
# is emptied.
function(tallimo_language_environment language out)
  set(locale en_US.UTF-8)
  if(language STREQUAL "ja")
    set(locale ja_JP.UTF-8)
  endif()
  set(${out} LOCPATH=${TALLIMO_TEST_LOCALES} LC_ALL=${locale} LANGUAGE= TALLIMO_TEST_LANGUAGE=${language}
      PARENT_SCOPE)
endfunction()
