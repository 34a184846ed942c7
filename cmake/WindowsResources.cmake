# Windows version information (Resources/VersionInfo.rc), for the program and
# its SDK DLLs: tv_add_version_resource(<target> <.rc file>) compiles the
# file into the target with the project's version, so that a file's
# properties on Windows name the version it was built as.
function(tv_add_version_resource target rc)
    target_sources(${target} PRIVATE ${rc})
    set_property(SOURCE ${rc} APPEND PROPERTY COMPILE_DEFINITIONS
        TV_VERSION_MAJOR=${PROJECT_VERSION_MAJOR}
        TV_VERSION_MINOR=${PROJECT_VERSION_MINOR}
        TV_VERSION_PATCH=${PROJECT_VERSION_PATCH})
    # The shared body is included by the preprocessor, which CMake does not
    # scan for .rc files.
    set_property(SOURCE ${rc} APPEND PROPERTY OBJECT_DEPENDS
        ${CMAKE_SOURCE_DIR}/Resources/VersionInfo.rc)
endfunction()
