include(GenerateExportHeader)
include(GNUInstallDirs)

# Warnings for our own code only; third-party headers come in as system includes.
function(tarsel_set_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra)
endfunction()

# A shared library of ours: export header under <binary>/include/<header_dir>/,
# the source tree and that include root as public include paths in the build tree
# and include/tarsel when installed, a namespaced alias and the same name in the
# installed package. HEADERS are the public headers, installed under
# include/tarsel/ with their path in the source tree.
#   tarsel_add_library(<target> ALIAS <Ns::Name> OUTPUT_NAME <file name>
#                      EXPORT_HEADER <dir/File.h> BASE_NAME <NAME> HEADERS <File.h>...)
function(tarsel_add_library target)
    cmake_parse_arguments(ARG "" "ALIAS;OUTPUT_NAME;EXPORT_HEADER;BASE_NAME" "HEADERS" ${ARGN})
    add_library(${target} SHARED)
    add_library(${ARG_ALIAS} ALIAS ${target})
    generate_export_header(${target}
        BASE_NAME ${ARG_BASE_NAME}
        EXPORT_FILE_NAME ${PROJECT_BINARY_DIR}/include/${ARG_EXPORT_HEADER})
    target_include_directories(${target} PUBLIC
        $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>
        $<BUILD_INTERFACE:${PROJECT_BINARY_DIR}/include>
        $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/tarsel>)
    string(REPLACE "::" ";" alias_parts ${ARG_ALIAS})
    list(GET alias_parts 1 export_name)
    set_target_properties(${target} PROPERTIES
        OUTPUT_NAME ${ARG_OUTPUT_NAME}
        EXPORT_NAME ${export_name}
        VERSION ${PROJECT_VERSION}
        SOVERSION ${PROJECT_VERSION_MAJOR})
    tarsel_set_warnings(${target})

    file(RELATIVE_PATH header_dir ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
    get_filename_component(export_header_dir ${ARG_EXPORT_HEADER} DIRECTORY)
    install(TARGETS ${target} EXPORT TarselTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    foreach(header ${ARG_HEADERS})
        get_filename_component(subdir ${header} DIRECTORY)
        install(FILES ${header} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/tarsel/${header_dir}/${subdir})
    endforeach()
    install(FILES ${PROJECT_BINARY_DIR}/include/${ARG_EXPORT_HEADER}
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/tarsel/${export_header_dir})
endfunction()

# The path from one installed folder to another (each relative to the install prefix),
# for search paths that hold wherever the installed tree is put. A <to> given as an
# absolute path stays where it is, and so is returned as it is.
#   tarsel_relative_install_path(<variable> <from folder> <to folder or file>)
function(tarsel_relative_install_path variable from to)
    if(IS_ABSOLUTE ${to})
        set(${variable} ${to} PARENT_SCOPE)
        return()
    endif()
    get_filename_component(from ${from} ABSOLUTE BASE_DIR ${CMAKE_INSTALL_PREFIX})
    get_filename_component(to ${to} ABSOLUTE BASE_DIR ${CMAKE_INSTALL_PREFIX})
    file(RELATIVE_PATH relative ${from} ${to})
    set(${variable} ${relative} PARENT_SCOPE)
endfunction()

# A program of ours installed into bin; it finds our libraries in the installed
# library folder through a search path relative to itself. With EXPORT_NAME it is
# part of the installed package as Tarsel::<name>, and has that alias in the build.
#   tarsel_install_program(<target> [EXPORT_NAME <name>])
function(tarsel_install_program target)
    cmake_parse_arguments(ARG "" "EXPORT_NAME" "" ${ARGN})
    tarsel_relative_install_path(libdir ${CMAKE_INSTALL_BINDIR} ${CMAKE_INSTALL_LIBDIR})
    if(NOT IS_ABSOLUTE ${libdir})
        set(libdir "$ORIGIN/${libdir}")
    endif()
    set_target_properties(${target} PROPERTIES INSTALL_RPATH "${libdir}")
    if(ARG_EXPORT_NAME)
        set_target_properties(${target} PROPERTIES EXPORT_NAME ${ARG_EXPORT_NAME})
        add_executable(Tarsel::${ARG_EXPORT_NAME} ALIAS ${target})
        install(TARGETS ${target} EXPORT TarselTargets RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    else()
        install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    endif()
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
