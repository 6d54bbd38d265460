# Testing the Windows build on Linux: GoogleTest compiled from Debian's sources by the cross
# compiler, and every test program started through Wine in a prefix of the build folder's own,
# which a fixture creates once before the first test needs it.
set(TALLIMO_GOOGLETEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources to build")
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${TALLIMO_GOOGLETEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

find_program(TALLIMO_WINE wine REQUIRED)
set(TALLIMO_WINE_PREFIX ${CMAKE_BINARY_DIR}/wine-prefix)
# Without WINEDEBUG=-all, Debian's wine script also warns on every start that 32-bit Wine is
# missing, which the 64-bit programs here do not need. Wine names files in the locale's encoding:
# UTF-8, so that the tests' Japanese file names survive a machine set to the C locale. The locale
# is each test's own (tallimo_add_gtests): the tests of the program run in a UTF-8 locale of each
# of its languages.
set(TALLIMO_WINE_LOCALE LC_ALL=C.UTF-8)
set(TALLIMO_WINE_ENV WINEPREFIX=${TALLIMO_WINE_PREFIX} WINEDEBUG=-all ${TALLIMO_WINE_LOCALE})
set(CMAKE_CROSSCOMPILING_EMULATOR env WINEPREFIX=${TALLIMO_WINE_PREFIX} WINEDEBUG=-all
                                  ${TALLIMO_WINE})

add_test(NAME WinePrefix.Create
         COMMAND ${PROJECT_SOURCE_DIR}/tests/win32/wine-prefix.sh ${TALLIMO_WINE_PREFIX}
                 ${PROJECT_SOURCE_DIR}/tests/win32/prefix-settings.reg)
set_tests_properties(WinePrefix.Create PROPERTIES FIXTURES_SETUP WinePrefix TIMEOUT 300)
# Wine keeps its server and desktop process for a while after the last program; waiting for them
# to end leaves nothing running on the X server when the tests are done with it.
find_program(TALLIMO_WINESERVER wineserver REQUIRED)
add_test(NAME WinePrefix.WaitForWineToEnd COMMAND env ${TALLIMO_WINE_ENV} ${TALLIMO_WINESERVER} -w)
set_tests_properties(WinePrefix.WaitForWineToEnd PROPERTIES FIXTURES_CLEANUP WinePrefix TIMEOUT 60)
