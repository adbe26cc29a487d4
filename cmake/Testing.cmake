# talvane_test(<name> SOURCES <files...> [LIBS <targets...>])
# One GoogleTest executable, registered with CTest. On Windows CTest runs it
# through CMAKE_CROSSCOMPILING_EMULATOR, i.e. under Wine.
function(talvane_test name)
    if(NOT BUILD_TESTING OR HOST_TOOLS_ONLY)
        return()
    endif()
    cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main)
    add_test(NAME ${name} COMMAND ${name})
endfunction()

if(WIN32 AND BUILD_TESTING AND NOT HOST_TOOLS_ONLY)
    # Every Windows test runs under Wine in one prefix kept in the build tree.
    set(TALVANE_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix CACHE PATH "Wine prefix of the Windows tests")
    configure_file(${CMAKE_SOURCE_DIR}/scripts/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run @ONLY
                   FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run CACHE FILEPATH "" FORCE)
endif()
