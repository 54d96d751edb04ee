# tessel_plugin(NAME <name> SOURCES ... LIBS ...)
# Builds a model plug-in as bin/РС/<name>/<name>.so: no "lib" prefix, only the two entry
# points exported.
function(tessel_plugin)
    cmake_parse_arguments(P "" "NAME" "SOURCES;LIBS" ${ARGN})
    if(TESSEL_FUZZ)
        return()  # the fuzz targets link the model libraries directly
    endif()
    add_library(${P_NAME}_plugin MODULE ${P_SOURCES})
    target_link_libraries(${P_NAME}_plugin PRIVATE ${P_LIBS})
    set_target_properties(${P_NAME}_plugin PROPERTIES
        PREFIX ""
        OUTPUT_NAME ${P_NAME}
        LIBRARY_OUTPUT_DIRECTORY ${TESSEL_MODULE_ROOT}/${P_NAME})
    target_link_options(${P_NAME}_plugin PRIVATE -Wl,--no-undefined)
    add_dependencies(tessel_plugins ${P_NAME}_plugin)
    set_property(GLOBAL APPEND PROPERTY TESSEL_PLUGIN_TARGETS ${P_NAME}_plugin)
    # A plug-in is loaded, never run: no execute bits.
    install(TARGETS ${P_NAME}_plugin
        LIBRARY DESTINATION ${TESSEL_INSTALL_DIR}/РС/${P_NAME}
        PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
endfunction()

add_custom_target(tessel_plugins)
