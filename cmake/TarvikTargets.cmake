# Warnings and sanitizers apply to the project's own targets only, never to Qt's headers.
function(tarvik_configure_target target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror)
    # One spelling for Qt's keywords: Q_SIGNALS, Q_SLOTS and Q_EMIT, never signals/slots/emit.
    target_compile_definitions(${target} PRIVATE QT_NO_KEYWORDS)
    if(TARVIK_SANITIZE)
        target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer
                                                 -fno-sanitize-recover=undefined)
        target_link_options(${target} PRIVATE -fsanitize=address,undefined)
    endif()
endfunction()

# One Qt Test executable per class under test, run headless by CTest.
#   tarvik_add_test(NAME tst_foo SOURCES tst_foo.cpp LIBS tarvik_core [TIMEOUT 60] [LABELS e2e])
function(tarvik_add_test)
    cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} Qt6::Test)
    tarvik_configure_target(${T_NAME})
    add_test(NAME ${T_NAME} COMMAND ${T_NAME})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 120)
    endif()
    set_tests_properties(${T_NAME} PROPERTIES
        TIMEOUT ${T_TIMEOUT}
        LABELS "${T_LABELS}"
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;TARVIK_MODEMSIM=$<TARGET_FILE:tarvik-modemsim>;TARVIK_BINARY_DIR=${PROJECT_BINARY_DIR};TARVIK_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
endfunction()
