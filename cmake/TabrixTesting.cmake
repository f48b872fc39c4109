include(GoogleTest)

# Registers a GoogleTest program with CTest. Natively every test case becomes its own CTest
# entry; in the cross build the program runs whole under the emulator (one Wine start per
# suite instead of one per case), and sources named *PosixTest.cpp are left out.
function(tabrix_add_test_suite target)
    if(NOT CMAKE_CROSSCOMPILING)
        gtest_discover_tests(${target} ${ARGN})
        return()
    endif()
    get_target_property(sources ${target} SOURCES)
    list(FILTER sources EXCLUDE REGEX "PosixTest\\.cpp$")
    set_property(TARGET ${target} PROPERTY SOURCES ${sources})
    add_test(NAME ${target} COMMAND ${target} --gtest_brief=1)
    # A program that crashes under Wine after a failed check may still exit with status 0.
    set_tests_properties(${target} PROPERTIES
        FAIL_REGULAR_EXPRESSION "\\[  FAILED  \\];Unhandled exception;wine: Unhandled")
endfunction()
