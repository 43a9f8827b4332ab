# Test programs: GoogleTest executables that CTest runs under Wine, one CTest
# test per executable (each Wine start costs about a second). Included by the
# top-level CMakeLists.txt, so that every part (tests/, tools/, app/) can add
# tests; a test that runs a Windows program must be added this way, so that
# it runs inside the fixtures below.
#
# orvex_add_test(<name> [GUI] [OWN_MAIN]
#                SOURCES <file>...
#                [LIBS <library>...]      default: quarn2
#                [RESOURCES <file.rc>...]
#                [TIMEOUT <seconds>]      default: 120, GUI tests 300
#                [ARGS <argument>...])    passed to the test program
#
# The executable <name>.exe is built into the run folder and linked to
# GoogleTest (with gtest_main unless OWN_MAIN: the sources define main). It
# runs in its own work folder, <build>/testwork/<name>, emptied before each
# run. Every test sees the build tree's Xvfb display; GUI tests in addition
# run one at a time, so that windows of two tests never meet on the screen.
# The sources get these definitions (Windows paths, as the test sees them):
#   ORVEX_SOURCE_DIR       the source tree
#   ORVEX_TEST_SOURCE_DIR  the folder of the CMakeLists.txt that adds the test
#   ORVEX_RUN_DIR          the run folder (program, DLLs, generated data)

set(ORVEX_WINE_RUN bash ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh --build-dir ${CMAKE_BINARY_DIR})

# The source and run folders as a program under Wine names them (drive Z: is /).
function(orvex_wine_path out path)
    set(${out} "Z:${path}" PARENT_SCOPE)
endfunction()

function(orvex_add_test name)
    cmake_parse_arguments(PARSE_ARGV 1 ARG "GUI;OWN_MAIN" "TIMEOUT" "SOURCES;LIBS;RESOURCES;ARGS")
    if(ARG_UNPARSED_ARGUMENTS)
        message(FATAL_ERROR "orvex_add_test(${name}): unknown arguments ${ARG_UNPARSED_ARGUMENTS}")
    endif()
    if(NOT ARG_SOURCES)
        message(FATAL_ERROR "orvex_add_test(${name}): no SOURCES")
    endif()
    if(NOT DEFINED ARG_LIBS)
        set(ARG_LIBS quarn2)
    endif()
    if(NOT ARG_TIMEOUT)
        if(ARG_GUI)
            set(ARG_TIMEOUT 300)
        else()
            set(ARG_TIMEOUT 120)
        endif()
    endif()

    add_executable(${name} ${ARG_SOURCES} ${ARG_RESOURCES})
    # tests/support: helpers shared by the test programs (TempDir.h).
    target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}
        ${CMAKE_SOURCE_DIR}/tests/support)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest)
    if(NOT ARG_OWN_MAIN)
        target_link_libraries(${name} PRIVATE GTest::gtest_main)
    endif()
    orvex_wine_path(source_dir ${CMAKE_SOURCE_DIR})
    orvex_wine_path(test_source_dir ${CMAKE_CURRENT_SOURCE_DIR})
    orvex_wine_path(run_dir ${ORVEX_RUN_DIR})
    target_compile_definitions(${name} PRIVATE
        ORVEX_SOURCE_DIR="${source_dir}"
        ORVEX_TEST_SOURCE_DIR="${test_source_dir}"
        ORVEX_RUN_DIR="${run_dir}")

    add_test(NAME ${name}
        COMMAND ${ORVEX_WINE_RUN} --workdir ${CMAKE_BINARY_DIR}/testwork/${name}
                $<TARGET_FILE:${name}> ${ARG_ARGS}
        WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
    set_tests_properties(${name} PROPERTIES
        TIMEOUT ${ARG_TIMEOUT}
        FIXTURES_REQUIRED "orvex_wine;orvex_xvfb"
        ENVIRONMENT "ORVEX_DISPLAY=xvfb")
    if(ARG_GUI)
        set_tests_properties(${name} PROPERTIES RESOURCE_LOCK orvex_display LABELS gui)
    endif()
endfunction()

# Fixtures of a test run: the build tree's Xvfb, then one persistent
# wineserver whose desktop lives on that display, so that every test (GUI or
# not) joins the same running Wine; both end after the last test, also when
# tests fail.
add_test(NAME xvfb_start COMMAND ${ORVEX_WINE_RUN} --start-xvfb)
add_test(NAME wine_start COMMAND ${ORVEX_WINE_RUN} --start)
add_test(NAME wine_stop COMMAND ${ORVEX_WINE_RUN} --stop)
add_test(NAME xvfb_stop COMMAND ${ORVEX_WINE_RUN} --stop-xvfb)
set_tests_properties(xvfb_start PROPERTIES FIXTURES_SETUP orvex_xvfb TIMEOUT 30)
set_tests_properties(wine_start PROPERTIES
    FIXTURES_SETUP orvex_wine FIXTURES_REQUIRED orvex_xvfb TIMEOUT 300)
set_tests_properties(wine_stop PROPERTIES
    FIXTURES_CLEANUP orvex_wine FIXTURES_REQUIRED orvex_xvfb TIMEOUT 60)
set_tests_properties(xvfb_stop PROPERTIES FIXTURES_CLEANUP orvex_xvfb TIMEOUT 30)
