# Sources are found by folder so that adding a class never means editing a
# list kept somewhere else.
# Files named *Posix.cpp and *Win32.cpp are the two halves of one class's
# platform part; only the half of the platform being built is kept.
function(tv_glob_sources out dir)
    file(GLOB found CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.h)
    if(WIN32)
        list(FILTER found EXCLUDE REGEX "Posix\\.cpp$")
    else()
        list(FILTER found EXCLUDE REGEX "Win32\\.cpp$")
    endif()
    set(${out} ${found} PARENT_SCOPE)
endfunction()

# One layer of the client: a static library of the calling folder's classes
# and the designer forms (forms/<name>.ui) named in FORMS, which its users
# include by name, linking the layers below it and what it uses (LIBS).
# docs/architecture.md says which layer sits on which.
function(tv_add_client_layer name)
    cmake_parse_arguments(L "" "" "FORMS;LIBS" ${ARGN})
    tv_glob_sources(sources ${CMAKE_CURRENT_SOURCE_DIR})
    list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
    foreach(form ${L_FORMS})
        list(APPEND sources ${CMAKE_SOURCE_DIR}/forms/${form}.ui)
    endforeach()
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}
        # The forms' generated headers, for classes that hold their form by value.
        ${CMAKE_CURRENT_BINARY_DIR}/${name}_autogen/include)
    target_compile_options(${name} PRIVATE ${TV_WARNINGS})
    target_link_libraries(${name} PUBLIC ${L_LIBS})
endfunction()

# A static library of plain classes (no moc) from this folder, which its
# users include by name: SOURCES, and the libraries it passes on (LIBS).
# Position-independent, so that a shared library may link it too.
function(tv_add_plain_library name)
    cmake_parse_arguments(L "" "" "SOURCES;LIBS" ${ARGN})
    add_library(${name} STATIC ${L_SOURCES})
    set_target_properties(${name} PROPERTIES POSITION_INDEPENDENT_CODE ON AUTOMOC OFF)
    target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
    target_compile_options(${name} PRIVATE ${TV_WARNINGS})
    target_link_libraries(${name} PUBLIC ${L_LIBS})
endfunction()

# A Qt Test executable run by ctest from the application directory, so that
# it finds the SDK libraries, skin and translations the way the client does,
# and, as the client chooses for itself on X11, with no GL driver loaded:
# COMMAND runs it on the Qt platform PLATFORM, within TIMEOUT (120 s unless
# given). It links Qt Test and LIBS: the layer it tests and its helpers.
function(tv_add_test_executable name)
    cmake_parse_arguments(T "" "TIMEOUT;PLATFORM" "SOURCES;LIBS;COMMAND" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_compile_options(${name} PRIVATE ${TV_WARNINGS})
    target_link_libraries(${name} PRIVATE Qt5::Test ${T_LIBS})
    add_test(NAME ${name} COMMAND ${T_COMMAND} WORKING_DIRECTORY ${TV_APP_DIR})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 120)
    endif()
    set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT}
        ENVIRONMENT "QT_QPA_PLATFORM=${T_PLATFORM};TV_APP_DIR=${TV_APP_DIR};QT_XCB_GL_INTEGRATION=none")
endfunction()

# A headless Qt Test.
function(tv_add_qtest name)
    tv_add_test_executable(${name} ${ARGN} PLATFORM offscreen COMMAND ${name})
endfunction()

# A cross-built Qt has no Linguist tools of its own; the translations are
# the same for every platform, so the build machine's lrelease makes them.
function(tv_add_translations_with_host_lrelease out)
    find_program(TV_LRELEASE NAMES lrelease-qt5 lrelease
        PATHS /usr/lib/qt5/bin /usr/lib/x86_64-linux-gnu/qt5/bin NO_CMAKE_FIND_ROOT_PATH)
    if(NOT TV_LRELEASE)
        message(FATAL_ERROR "lrelease not found: install qttools5-dev-tools")
    endif()
    set(result)
    foreach(ts ${ARGN})
        get_filename_component(name ${ts} NAME_WE)
        set(qm ${TV_APP_DIR}/translations/${name}.qm)
        add_custom_command(OUTPUT ${qm}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${TV_APP_DIR}/translations
            COMMAND ${TV_LRELEASE} -silent ${ts} -qm ${qm}
            DEPENDS ${ts} VERBATIM)
        list(APPEND result ${qm})
    endforeach()
    set(${out} ${result} PARENT_SCOPE)
endfunction()

# A Qt Test executable that takes real input through an X server: it runs on
# a private Xvfb display (tools/with-xvfb) with the xcb platform, and drives itself with
# xdotool (tests/support/XInput), so that focus, key and mouse handling pass
# through the window system as they do for a user. SERVER_ARGS replaces the
# default single 1600x1000 screen (two screens side by side, for example).
function(tv_add_xtest name)
    cmake_parse_arguments(X "" "SERVER_ARGS" "" ${ARGN})
    if(NOT X_SERVER_ARGS)
        set(X_SERVER_ARGS "-screen 0 1600x1000x24")
    endif()
    tv_add_test_executable(${name} ${X_UNPARSED_ARGUMENTS} PLATFORM xcb
        COMMAND ${CMAKE_SOURCE_DIR}/tools/with-xvfb -s "${X_SERVER_ARGS}" ${TV_APP_DIR}/${name})
endfunction()
