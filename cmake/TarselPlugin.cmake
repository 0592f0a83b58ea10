# Analysis plug-ins for Tarsel hosts. find_package(Tarsel) brings this file along;
# Tarsel's own build includes it too, so the same call works in both.
include(GNUInstallDirs)

# Where an installed host looks: the plug-in modules, and the common data location
# (report templates in reports/, each plug-in's own data beside them).
set(TARSEL_PLUGIN_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/tarsel/plugins)
set(TARSEL_DATA_INSTALL_DIR ${CMAKE_INSTALL_DATADIR}/tarsel)

# An analysis plug-in module: built where a host finds it in the build tree, tested
# for its templates, installed where a host installed in the same prefix finds it.
#   tarsel_add_plugin(<name> SOURCES <file>... TEMPLATES <folder>
#                     [DATA <folder>...] [TRANSLATIONS <file.ts>...] [LIBRARIES <target>...])
#   SOURCES    the module's sources: the factory with Q_PLUGIN_METADATA and its JSON
#              metadata, and whatever else goes into the module
#   TEMPLATES  the plug-in's report templates, a folder (usually reports/) holding
#              <locale>/<plug-in name in lower case>/<template>/report.html
#   DATA       folders the plug-in reads from the common data location (reference
#              tables and the like), each kept under its own name
#   TRANSLATIONS  the plug-in's Qt translation sources, named <name>_<language>.ts;
#              built into <build>/translations and read by
#              CBaseExtension::reportText before the host's own
#   LIBRARIES  linked into the module besides Tarsel::Extension
# The target <name> is a MODULE library without the "lib" prefix, compiled as C++17
# with moc, its symbols hidden but the factory's, written to <build>/plugins.
# Installed:
#   the module                  into <libdir>/tarsel/plugins
#   the contents of TEMPLATES   into <datadir>/tarsel/reports
#   each DATA folder            into <datadir>/tarsel/<folder name>
#   the built TRANSLATIONS      into <datadir>/tarsel/translations
# The installed module finds the Tarsel libraries in <libdir> of its own prefix
# ($ORIGIN/../..), and else in the library folder of the package it was built
# against. The test <name>_templates runs the template checker (Tarsel::TemplateCheck)
# on TEMPLATES; it is left out when BUILD_TESTING is OFF.
function(tarsel_add_plugin name)
    cmake_parse_arguments(ARG "" "TEMPLATES" "SOURCES;DATA;TRANSLATIONS;LIBRARIES" ${ARGN})
    if(ARG_UNPARSED_ARGUMENTS)
        message(FATAL_ERROR "tarsel_add_plugin(${name}): unknown arguments: ${ARG_UNPARSED_ARGUMENTS}")
    endif()
    if(NOT ARG_SOURCES OR NOT ARG_TEMPLATES)
        message(FATAL_ERROR "tarsel_add_plugin(${name}) needs SOURCES and TEMPLATES")
    endif()
    get_filename_component(templates ${ARG_TEMPLATES} ABSOLUTE)
    if(NOT IS_DIRECTORY ${templates})
        message(FATAL_ERROR "tarsel_add_plugin(${name}): TEMPLATES ${ARG_TEMPLATES} is not a folder")
    endif()

    add_library(${name} MODULE ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE Tarsel::Extension ${ARG_LIBRARIES})
    target_compile_features(${name} PRIVATE cxx_std_17)
    file(RELATIVE_PATH libdir ${CMAKE_INSTALL_FULL_LIBDIR}/tarsel/plugins ${CMAKE_INSTALL_FULL_LIBDIR})
    set(rpath "$ORIGIN/${libdir}")
    # Set by TarselConfig.cmake for an installed package.
    if(TARSEL_LIBRARY_DIR)
        list(APPEND rpath ${TARSEL_LIBRARY_DIR})
    endif()
    set_target_properties(${name} PROPERTIES
        PREFIX ""
        AUTOMOC ON
        CXX_VISIBILITY_PRESET hidden
        VISIBILITY_INLINES_HIDDEN ON
        LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/plugins
        INSTALL_RPATH "${rpath}")

    install(TARGETS ${name} LIBRARY DESTINATION ${TARSEL_PLUGIN_INSTALL_DIR})
    install(DIRECTORY ${templates}/ DESTINATION ${TARSEL_DATA_INSTALL_DIR}/reports)
    foreach(folder ${ARG_DATA})
        get_filename_component(folder ${folder} ABSOLUTE)
        if(NOT IS_DIRECTORY ${folder})
            message(FATAL_ERROR "tarsel_add_plugin(${name}): DATA ${folder} is not a folder")
        endif()
        install(DIRECTORY ${folder} DESTINATION ${TARSEL_DATA_INSTALL_DIR})
    endforeach()

    if(ARG_TRANSLATIONS)
        find_package(Qt5 5.15 REQUIRED COMPONENTS LinguistTools)
        set_source_files_properties(${ARG_TRANSLATIONS} PROPERTIES OUTPUT_LOCATION ${CMAKE_BINARY_DIR}/translations)
        qt5_add_translation(qm_files ${ARG_TRANSLATIONS})
        # Built with the module.
        target_sources(${name} PRIVATE ${qm_files})
        install(FILES ${qm_files} DESTINATION ${TARSEL_DATA_INSTALL_DIR}/translations)
    endif()

    if(NOT DEFINED BUILD_TESTING OR BUILD_TESTING)
        add_test(NAME ${name}_templates COMMAND $<TARGET_FILE:Tarsel::TemplateCheck> ${templates})
    endif()
endfunction()
