# The project's version in the Windows resources of what is shipped: a
# VERSIONINFO block with a German language block for each executable and DLL,
# and the program's application manifest. The version itself is the one of
# project() in the top-level CMakeLists.txt.

set(ORVEX_PRODUCT_NAME "Orvex Visualizer")
set(ORVEX_PUBLISHER "Orvex-Visualizer-Projekt")
set(ORVEX_PACKAGING_DIR ${CMAKE_CURRENT_LIST_DIR})

# orvex_version_resource(<target> <description>): file and product version,
# product name and <description> (German) in <target>'s resources.
function(orvex_version_resource target description)
    get_target_property(type ${target} TYPE)
    get_target_property(prefix ${target} PREFIX)
    if(NOT prefix)
        set(prefix "")
    endif()
    if(type STREQUAL "EXECUTABLE")
        set(ORVEX_FILE_TYPE VFT_APP)
        set(ORVEX_FILE_NAME ${target}.exe)
    else()
        set(ORVEX_FILE_TYPE VFT_DLL)
        set(ORVEX_FILE_NAME ${prefix}${target}.dll)
    endif()
    set(ORVEX_FILE_DESCRIPTION ${description})
    set(ORVEX_INTERNAL_NAME ${target})
    set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
    configure_file(${ORVEX_PACKAGING_DIR}/VersionInfo.rc.in ${rc} @ONLY)
    target_sources(${target} PRIVATE ${rc})
endfunction()

# orvex_application_manifest(<target>): the program's manifest (run as the
# invoking user, Windows 10/11, Common Controls 6) as resource 1.
function(orvex_application_manifest target)
    set(manifest ${CMAKE_CURRENT_BINARY_DIR}/${target}.manifest)
    configure_file(${ORVEX_PACKAGING_DIR}/OrvexVisualizer.manifest.in ${manifest} @ONLY)
    set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_manifest.rc)
    configure_file(${ORVEX_PACKAGING_DIR}/Manifest.rc.in ${rc} @ONLY)
    target_sources(${target} PRIVATE ${rc})
    set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS ${manifest})
endfunction()
