# GoogleTest for both trees. Natively Debian's libgtest-dev; for Windows the same
# sources (/usr/src/googletest) built with the cross compiler. Test exes of the
# Windows tree run under Wine through CMAKE_CROSSCOMPILING_EMULATOR and carry
# the label "wine"; they share one Wine session set up by a CTest fixture.
if(WIN32)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/scripts/wine-run.sh)
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

  add_test(NAME wine_session_start
           COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-session.sh start)
  add_test(NAME wine_session_stop
           COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-session.sh stop)
  # A 64-bit tree runs under 64-bit Wine; the helpers read the choice from here.
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(QUILLAN_WINE_ARCH win64)
  else()
    set(QUILLAN_WINE_ARCH win32)
  endif()
  file(WRITE ${CMAKE_BINARY_DIR}/wine-arch "${QUILLAN_WINE_ARCH}\n")
  set(QUILLAN_WINE_ENV "QUILLAN_BUILD_DIR=${CMAKE_BINARY_DIR};QUILLAN_WINE_ARCH=${QUILLAN_WINE_ARCH}")
  set_tests_properties(wine_session_start PROPERTIES FIXTURES_SETUP wine LABELS wine
                       ENVIRONMENT "${QUILLAN_WINE_ENV}")
  set_tests_properties(wine_session_stop PROPERTIES FIXTURES_CLEANUP wine LABELS wine
                       ENVIRONMENT "${QUILLAN_WINE_ENV}")
else()
  find_package(GTest REQUIRED)
  include(GoogleTest)
endif()

# quillan_add_gtest(<name> SOURCES <files...> LIBS <targets...>)
# Natively each test case becomes a CTest test; in the Windows tree the whole
# exe is one test run under Wine.
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/include/tests)
file(CREATE_LINK ${CMAKE_SOURCE_DIR}/tests ${CMAKE_BINARY_DIR}/include/tests/tests SYMBOLIC)

function(quillan_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main GTest::gmock)
  # The tests' own helpers ("support/...", "tests/sim/..."); the program's
  # folders come with the libraries a test links.
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests ${CMAKE_BINARY_DIR}/include/tests)
  if(WIN32)
    set_target_properties(${name} PROPERTIES WIN32_EXECUTABLE OFF)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES LABELS wine FIXTURES_REQUIRED wine
                         ENVIRONMENT "${QUILLAN_WINE_ENV}")
  else()
    gtest_discover_tests(${name} PROPERTIES LABELS native)
  endif()
endfunction()

# quillan_add_wine_script_test(<name> <script> [args...]): a shell test that
# drives Windows exes under the shared Wine session. They all share one
# display and one message-box watcher's view of it, so they run one at a time.
function(quillan_add_wine_script_test name script)
  add_test(NAME ${name} COMMAND bash ${script} ${ARGN})
  set_tests_properties(${name} PROPERTIES LABELS wine FIXTURES_REQUIRED wine
                       RESOURCE_LOCK wine_desktop
                       ENVIRONMENT "${QUILLAN_WINE_ENV};QUILLAN_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
endfunction()
