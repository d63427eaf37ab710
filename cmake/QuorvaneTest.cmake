# quorvane_add_test(<name> SOURCES <files...> LIBS <targets...> [TIMEOUT <seconds>])
#
# One test program is one CTest entry. Every program links the shared test main, which
# gives it its own temporary HOME, XDG folders and settings store, and runs under the
# offscreen Qt platform in a UTF-8 locale.
function(quorvane_add_test name)
    cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 120)
    endif()
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} quorvane_test_main GTest::gtest GTest::gmock)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        TIMEOUT ${T_TIMEOUT}
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8;QUORVANE_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
endfunction()
