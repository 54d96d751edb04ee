# tessel_test(NAME <name> SOURCES ... LIBS ... [PLUGINS] [LABELS ...])
# A GoogleTest executable in build/tests, its cases registered one by one with ctest.
# PLUGINS makes it wait for the plug-ins and tells it where they are (TESSEL_TEST_MODULE_ROOT).
# Widget tests run on Qt's offscreen platform.
function(tessel_test)
    cmake_parse_arguments(T "PLUGINS" "NAME" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock)
    if(NOT "GTest::gtest_main" IN_LIST T_LIBS AND NOT "tessel_qtest_main" IN_LIST T_LIBS)
        target_link_libraries(${T_NAME} PRIVATE GTest::gtest_main)
    endif()
    set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    target_compile_definitions(${T_NAME} PRIVATE
        TESSEL_TEST_MODULE_ROOT="${TESSEL_MODULE_ROOT}"
        TESSEL_TEST_BIN_DIR="${TESSEL_BIN_DIR}"
        TESSEL_TEST_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
    if(T_PLUGINS)
        add_dependencies(${T_NAME} tessel_plugins)
        if(TARGET Qt6::Widgets)
            # The plug-ins carry their views. Like the program, the test keeps Qt loaded for its
            # whole life, so that unloading the last plug-in does not unload Qt with it.
            target_link_libraries(${T_NAME} PRIVATE Qt6::Widgets)
            target_link_options(${T_NAME} PRIVATE -Wl,--no-as-needed)
        endif()
    endif()
    gtest_discover_tests(${T_NAME}
        DISCOVERY_MODE PRE_TEST
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" LABELS "${T_LABELS}"
        DISCOVERY_TIMEOUT 30)
endfunction()
