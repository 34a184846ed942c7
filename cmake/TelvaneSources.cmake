# Sources are found by folder so that adding a class never means editing a
# list kept somewhere else.
function(tv_glob_sources out)
    set(result)
    foreach(dir ${ARGN})
        file(GLOB found CONFIGURE_DEPENDS
            ${CMAKE_SOURCE_DIR}/${dir}/*.cpp ${CMAKE_SOURCE_DIR}/${dir}/*.h)
        list(APPEND result ${found})
    endforeach()
    set(${out} ${result} PARENT_SCOPE)
endfunction()

# A Qt Test executable run by ctest, headless, from the application directory
# so that it finds the SDK libraries, skin and translations the way the
# client does.
function(tv_add_qtest name)
    cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_compile_options(${name} PRIVATE ${TV_WARNINGS})
    target_link_libraries(${name} PRIVATE telvane_core tv_testsupport Qt5::Test ${T_LIBS})
    add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${TV_APP_DIR})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 120)
    endif()
    set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT}
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;TV_APP_DIR=${TV_APP_DIR}")
endfunction()
