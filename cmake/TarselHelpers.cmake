include(GenerateExportHeader)

# Warnings for our own code only; third-party headers come in as system includes.
function(tarsel_set_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra)
endfunction()

# A shared library of ours: export header under <binary>/include/<header_dir>/,
# the source tree and that include root as public include paths, a namespaced alias.
#   tarsel_add_library(<target> ALIAS <Ns::Name> EXPORT_HEADER <dir/File.h> BASE_NAME <NAME>)
function(tarsel_add_library target)
    cmake_parse_arguments(ARG "" "ALIAS;EXPORT_HEADER;BASE_NAME" "" ${ARGN})
    add_library(${target} SHARED)
    add_library(${ARG_ALIAS} ALIAS ${target})
    generate_export_header(${target}
        BASE_NAME ${ARG_BASE_NAME}
        EXPORT_FILE_NAME ${PROJECT_BINARY_DIR}/include/${ARG_EXPORT_HEADER})
    target_include_directories(${target} PUBLIC
        $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>
        $<BUILD_INTERFACE:${PROJECT_BINARY_DIR}/include>)
    set_target_properties(${target} PROPERTIES
        VERSION ${PROJECT_VERSION}
        SOVERSION ${PROJECT_VERSION_MAJOR})
    tarsel_set_warnings(${target})
endfunction()

# One Qt Test executable registered with CTest; headless through the test's
# environment so that a person can still run the binary on screen by hand.
#   tarsel_add_test(<name> SOURCES ... LIBRARIES ...)
function(tarsel_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE Qt5::Test ${ARG_LIBRARIES})
    tarsel_set_warnings(${name})
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8"
        TIMEOUT 120)
endfunction()
