# patcher_module(NAME [LIBS ...]): the library target of one module folder. Its sources are the
# folder's own .cpp files plus those of the backend subfolder this build uses (win32/ or
# posix/); the other backend's folder is never compiled.
function(patcher_module name)
    cmake_parse_arguments(ARG "" "" "LIBS;WIN32_LIBS;POSIX_LIBS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS
         ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp
         ${CMAKE_CURRENT_SOURCE_DIR}/${PATCHER_BACKEND}/*.cpp)
    # A program's entry point (main_<system>.cpp) belongs to the program, not to the library.
    list(FILTER sources EXCLUDE REGEX "/main_[a-z0-9]+\\.cpp$")
    if(NOT sources) # a module whose sources are still to come: its header alone
        add_library(${name} INTERFACE)
        target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
        target_link_libraries(${name} INTERFACE ${ARG_LIBS})
        return()
    endif()
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_LIBS})
    if(WIN32)
        target_link_libraries(${name} PUBLIC ${ARG_WIN32_LIBS})
    else()
        target_link_libraries(${name} PUBLIC ${ARG_POSIX_LIBS})
    endif()
endfunction()

# patcher_program(TARGET): a program we ship. With PATCHER_STATIC_LINK (see static_link.cmake)
# it gets the C++ runtime linked in too. Test and benchmark programs keep the shared runtime:
# they link shared C++ libraries (Google Benchmark), which must share one runtime with them.
function(patcher_program target)
    if(PATCHER_STATIC_LINK AND NOT WIN32)
        target_link_options(${target} PRIVATE -static-libstdc++ -static-libgcc)
    endif()
endfunction()

# patcher_tests(NAME LIBS ...): one GoogleTest program from tests/<module>/*_test.cpp (and the
# backend subfolder), registered as one ctest test that writes its results to NAME.xml.
function(patcher_tests name)
    cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS
         ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp
         ${CMAKE_CURRENT_SOURCE_DIR}/${PATCHER_BACKEND}/*_test.cpp)
    if(NOT sources)
        return()
    endif()
    add_executable(${name} ${sources})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} test_support GTest::gtest_main)
    # One process per program: under Wine a process costs ~50 ms, so per-TEST registration
    # would dominate the run. The XML (a relative path: Wine reads "/x" as "\x") gives the
    # per-test results to the summary.
    add_test(NAME ${name} COMMAND ${name} --gtest_output=xml:results/${name}.xml
             WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
    set_tests_properties(${name} PROPERTIES TIMEOUT 600)
    if(CMAKE_CROSSCOMPILING)
        set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine)
    endif()
endfunction()

# Tests under Wine read a path that starts with "/" on the current drive; "Z:" is the drive of
# the whole file system. Paths handed to test programs get this in front.
if(CMAKE_CROSSCOMPILING)
    set(PATCHER_TEST_DRIVE "Z:")
else()
    set(PATCHER_TEST_DRIVE "")
endif()

# patcher_version_libraries(TARGET DEFINITION RC_FILE ...): resource-only libraries with the
# version resources of the .rc files, built by the MinGW tools on every system so that the same
# files are read natively (by our PE reader) and under Wine (by the system). The test program
# TARGET gets the folder holding them as the text macro DEFINITION: "" without the tools, and
# the tests that need the libraries then skip themselves.
function(patcher_version_libraries target definition)
    find_program(MINGW_WINDRES x86_64-w64-mingw32-windres)
    find_program(MINGW_CC x86_64-w64-mingw32-gcc)
    set(folder "")
    if(MINGW_WINDRES AND MINGW_CC)
        set(stub ${PROJECT_SOURCE_DIR}/tests/installlib/data/resource_only.c)
        set(libraries)
        foreach(rc ${ARGN})
            get_filename_component(name ${rc} NAME_WE)
            set(object ${CMAKE_CURRENT_BINARY_DIR}/${name}.res.o)
            set(library ${CMAKE_CURRENT_BINARY_DIR}/${name}.dll)
            add_custom_command(OUTPUT ${library}
                COMMAND ${MINGW_WINDRES} ${rc} -O coff -o ${object}
                COMMAND ${MINGW_CC} -shared -nostdlib -o ${library} ${stub} ${object}
                DEPENDS ${rc} ${stub}
                COMMENT "Building the version resource library ${name}.dll")
            list(APPEND libraries ${library})
        endforeach()
        add_custom_target(${target}_libraries DEPENDS ${libraries})
        add_dependencies(${target} ${target}_libraries)
        set(folder "${PATCHER_TEST_DRIVE}${CMAKE_CURRENT_BINARY_DIR}")
    endif()
    target_compile_definitions(${target} PRIVATE ${definition}="${folder}")
endfunction()
