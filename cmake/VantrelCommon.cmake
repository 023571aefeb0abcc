# Compile settings every Vantrel target links.
add_library(vantrel_common INTERFACE)
target_compile_features(vantrel_common INTERFACE cxx_std_17)
target_compile_definitions(vantrel_common INTERFACE
    QT_NO_CAST_FROM_ASCII
    QT_NO_CAST_TO_ASCII
    QT_NO_URL_CAST_FROM_STRING
    QT_NO_FOREACH
    QT_NO_CONTEXTLESS_CONNECT
)
# Includes name their layer: #include "core/ConnectionPool.h".
target_include_directories(vantrel_common INTERFACE ${PROJECT_SOURCE_DIR})
target_compile_options(vantrel_common INTERFACE -Wall -Wextra -Wpedantic)
# Hardening: buffer-overflow checks in the C library calls (they need the
# optimiser, so only in the optimised build types), stack canaries, read-only
# relocations bound at start-up, and position-independent executables
# (CMakeLists.txt).
target_compile_definitions(vantrel_common INTERFACE
    $<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:_FORTIFY_SOURCE=2>)
target_compile_options(vantrel_common INTERFACE -fstack-protector-strong)
target_link_options(vantrel_common INTERFACE LINKER:-z,relro,-z,now)

# vantrel_add_test(NAME source... LIBS lib...)
# Builds one QtTest executable and registers it with CTest.
function(vantrel_add_test name)
    cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
    add_executable(${name} ${ARG_UNPARSED_ARGUMENTS})
    target_link_libraries(${name} PRIVATE vantrel_common vantrel_testsupport Qt6::Test ${ARG_LIBS})
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;VANTREL_DNS_SERVER=127.0.0.1;VANTREL_TESTDATA=${VANTREL_TESTDATA_DIR};VANTREL_DATA_DIR=${VANTREL_SHARE_DIR}"
        TIMEOUT 300)
endfunction()

# vantrel_add_webengine_test(NAME source... LIBS lib...)
# A test that drives the real embedded browser: it needs an X display
# (test.sh runs CTest under xvfb-run) and, as root, the browser's sandbox off.
function(vantrel_add_webengine_test name)
    vantrel_add_test(${name} ${ARGN})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=xcb;QTWEBENGINE_DISABLE_SANDBOX=1;VANTREL_DNS_SERVER=127.0.0.1;QT_LOGGING_RULES=qt.webenginecontext.info=false;VANTREL_TESTDATA=${VANTREL_TESTDATA_DIR};VANTREL_DATA_DIR=${VANTREL_SHARE_DIR}"
        RUN_SERIAL TRUE)
endfunction()

# The layers, bottom up. A library may link libraries of its own layer or a
# lower one, and the GUI-free ones never reach Qt's GUI modules, however
# indirectly: vantrel_check_layers() stops the configure step otherwise. The
# headless `vantrel` executable is GUI-free too, so that a server can install
# it without Qt's GUI libraries and the browser.
set(VANTREL_LAYER_0 vantrel_base vantrel_base_ui vantrel_banner)
set(VANTREL_LAYER_1 vantrel_settings vantrel_core vantrel_search vantrel_generate vantrel_harvest)
set(VANTREL_LAYER_2 vantrel_core_ui vantrel_settings_ui vantrel_search_ui vantrel_generate_ui vantrel_harvest_ui)
set(VANTREL_LAYER_3 vantrel_shell)
set(VANTREL_LAYER_4 vantrel_cli vantrel_desktop)
set(VANTREL_GUI_FREE vantrel_base vantrel_settings vantrel_core vantrel_search vantrel_generate vantrel_harvest
    vantrel_cli vantrel)

function(_vantrel_layer_of target out)
    set(rank "")
    foreach(layer 0 1 2 3 4)
        if(target IN_LIST VANTREL_LAYER_${layer})
            set(rank ${layer})
        endif()
    endforeach()
    set(${out} "${rank}" PARENT_SCOPE)
endfunction()

function(_vantrel_all_links target out)
    set(seen ${${out}})
    get_target_property(direct ${target} LINK_LIBRARIES)
    get_target_property(interface ${target} INTERFACE_LINK_LIBRARIES)
    foreach(lib IN LISTS direct interface)
        if(lib AND NOT lib IN_LIST seen)
            list(APPEND seen ${lib})
            if(TARGET ${lib})
                _vantrel_all_links(${lib} seen)
            endif()
        endif()
    endforeach()
    set(${out} ${seen} PARENT_SCOPE)
endfunction()

function(vantrel_check_layers)
    foreach(layer 0 1 2 3 4)
        foreach(target IN LISTS VANTREL_LAYER_${layer})
            get_target_property(direct ${target} LINK_LIBRARIES)
            foreach(lib IN LISTS direct)
                _vantrel_layer_of(${lib} rank)
                if(NOT rank STREQUAL "" AND rank GREATER layer)
                    message(FATAL_ERROR "${target} (layer ${layer}) links ${lib} from the layer above it (${rank})")
                endif()
            endforeach()
        endforeach()
    endforeach()
    foreach(target IN LISTS VANTREL_GUI_FREE)
        set(links "")
        _vantrel_all_links(${target} links)
        foreach(gui Qt6::Gui Qt6::Widgets Qt6::WebEngineCore Qt6::WebEngineWidgets)
            if(gui IN_LIST links)
                message(FATAL_ERROR "${target} must stay GUI-free but links ${gui}")
            endif()
        endforeach()
    endforeach()
endfunction()

# vantrel_strip_unneeded_sections(TARGET COMPONENT)
# A stripping install (cpack, `cmake --install --strip`) also drops the
# compiler's comment and note sections from TARGET's installed executable, as
# Debian's own packaging tools do.
function(vantrel_strip_unneeded_sections target component)
    install(CODE "
        if(CMAKE_INSTALL_DO_STRIP)
            execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
                \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/$<TARGET_FILE_NAME:${target}>\"
                COMMAND_ERROR_IS_FATAL ANY)
        endif()" COMPONENT ${component})
endfunction()
