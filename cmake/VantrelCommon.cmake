# Compile settings every Vantrel target links.
add_library(vantrel_common INTERFACE)
target_compile_features(vantrel_common INTERFACE cxx_std_17)
target_compile_definitions(vantrel_common INTERFACE
    QT_NO_CAST_FROM_ASCII
    QT_NO_CAST_TO_ASCII
    QT_NO_URL_CAST_FROM_STRING
    QT_NO_FOREACH
)
target_compile_options(vantrel_common INTERFACE -Wall -Wextra -Wpedantic)

# vantrel_add_test(NAME source... LIBS lib...)
# Builds one QtTest executable and registers it with CTest.
function(vantrel_add_test name)
    cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
    add_executable(${name} ${ARG_UNPARSED_ARGUMENTS})
    target_link_libraries(${name} PRIVATE vantrel_common vantrel_testsupport Qt6::Test ${ARG_LIBS})
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;VANTREL_TESTDATA=${VANTREL_TESTDATA_DIR};VANTREL_DATA_DIR=${VANTREL_SHARE_DIR}"
        TIMEOUT 300)
endfunction()

# vantrel_add_webengine_test(NAME source... LIBS lib...)
# A test that drives the real embedded browser: it needs an X display
# (test.sh runs CTest under xvfb-run) and, as root, the browser's sandbox off.
function(vantrel_add_webengine_test name)
    vantrel_add_test(${name} ${ARGN})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=xcb;QTWEBENGINE_DISABLE_SANDBOX=1;QT_LOGGING_RULES=qt.webenginecontext.info=false;VANTREL_TESTDATA=${VANTREL_TESTDATA_DIR};VANTREL_DATA_DIR=${VANTREL_SHARE_DIR}"
        RUN_SERIAL TRUE)
endfunction()
