# Installation: libraries, headers (runtime, generated and umbrella), schema files, the schema
# compiler and pelagon-xsdc, the CMake package (find_package(pelagon CONFIG) gives pelagon::pelagon
# and pelagon_add_schema) and pelagon.pc for pkg-config.
include(CMakePackageConfigHelpers)

set(PELAGON_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/pelagon)
set(PELAGON_SCHEMA_INSTALL_DIR ${CMAKE_INSTALL_DATADIR}/pelagon/schemas)

install(TARGETS pelagon_runtime varnicore pelagon
  EXPORT pelagonTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime
          NAMELINK_COMPONENT development
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
install(EXPORT pelagonTargets NAMESPACE pelagon:: DESTINATION ${PELAGON_CMAKE_DIR}
        COMPONENT development)

# The schema compiler, run by pelagon_add_schema of the installed package and by pelagon-xsdc with
# the system's python3, and the style it lays out generated code in.
set(PELAGON_COMPILER_INSTALL_DIR ${CMAKE_INSTALL_DATADIR}/pelagon/compiler)
set(PELAGON_STYLE_INSTALL_FILE ${CMAKE_INSTALL_DATADIR}/pelagon/clang-format-style)
install(DIRECTORY compiler/pelagon_xsdc DESTINATION ${PELAGON_COMPILER_INSTALL_DIR}
        COMPONENT development FILES_MATCHING PATTERN "*.py" PATTERN VERSION
        PATTERN __pycache__ EXCLUDE)
install(FILES .clang-format DESTINATION ${CMAKE_INSTALL_DATADIR}/pelagon
        RENAME clang-format-style COMPONENT development)
install(FILES cmake/PelagonSchemas.cmake DESTINATION ${PELAGON_CMAKE_DIR} COMPONENT development)
file(RELATIVE_PATH PELAGON_BIN_TO_COMPILER /prefix/${CMAKE_INSTALL_BINDIR}
     /prefix/${PELAGON_COMPILER_INSTALL_DIR})
file(RELATIVE_PATH PELAGON_BIN_TO_SCHEMAS /prefix/${CMAKE_INSTALL_BINDIR}
     /prefix/${PELAGON_SCHEMA_INSTALL_DIR})
configure_file(compiler/pelagon-xsdc.in ${PROJECT_BINARY_DIR}/pelagon-xsdc @ONLY)
install(PROGRAMS ${PROJECT_BINARY_DIR}/pelagon-xsdc DESTINATION ${CMAKE_INSTALL_BINDIR}
        COMPONENT development)

configure_package_config_file(cmake/pelagonConfig.cmake.in
  ${PROJECT_BINARY_DIR}/pelagonConfig.cmake
  INSTALL_DESTINATION ${PELAGON_CMAKE_DIR}
  PATH_VARS PELAGON_SCHEMA_INSTALL_DIR PELAGON_COMPILER_INSTALL_DIR PELAGON_STYLE_INSTALL_FILE)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/pelagonConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/pelagonConfig.cmake
              ${PROJECT_BINARY_DIR}/pelagonConfigVersion.cmake
        DESTINATION ${PELAGON_CMAKE_DIR} COMPONENT development)

# pelagon.pc finds its prefix from where it lies, so the installed tree can be moved (and
# installed with cmake --install --prefix).
file(RELATIVE_PATH PELAGON_PC_TO_PREFIX /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
configure_file(cmake/pelagon.pc.in ${PROJECT_BINARY_DIR}/pelagon.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/pelagon.pc
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT development)
