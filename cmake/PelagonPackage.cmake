# Debian packages: `cpack -G DEB` in the build folder makes one package per install component,
# installing under /usr:
#   libpelagon<major>  runtime: libpelagon and libvarnicore
#   libpelagon-dev     development: headers, schema files, the schema compiler and pelagon-xsdc,
#                      CMake package and pelagon.pc
#   pelagon            tool: the pelagon command-line tool
# The development and tool packages depend on the runtime package of the same version.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pelagon)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_CONTACT "libpelagon developers <libpelagon@schemas.corvanthel.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL runtime development tool)

set(CPACK_COMPONENT_RUNTIME_DISPLAY_NAME "libpelagon runtime libraries")
set(CPACK_COMPONENT_RUNTIME_DESCRIPTION
    "The shared libraries libpelagon (the query service's schema types) and libvarnicore (the runtime they rest on).")
set(CPACK_COMPONENT_DEVELOPMENT_DISPLAY_NAME "libpelagon development files")
set(CPACK_COMPONENT_DEVELOPMENT_DESCRIPTION
    "Headers, the schema files, the schema compiler (pelagon-xsdc, and pelagon_add_schema in CMake) for classes of one's own schemas, the CMake package (find_package(pelagon)) and pelagon.pc for pkg-config.")
set(CPACK_COMPONENT_DEVELOPMENT_DEPENDS runtime)
set(CPACK_COMPONENT_TOOL_DISPLAY_NAME "pelagon command-line tool")
set(CPACK_COMPONENT_TOOL_DESCRIPTION
    "Checks, formats and explores messages of the query service's schema types.")
set(CPACK_COMPONENT_TOOL_DEPENDS runtime)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME libpelagon${PROJECT_VERSION_MAJOR})
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_DEPENDS "libc6, libstdc++6")
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libpelagon-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
# The schema compiler runs on the system's python3, standard library only.
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "python3")
set(CPACK_DEBIAN_TOOL_PACKAGE_NAME pelagon)
set(CPACK_DEBIAN_TOOL_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_TOOL_PACKAGE_DEPENDS "libc6, libstdc++6")

include(CPack)
