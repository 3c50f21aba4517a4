# Installation: libraries, headers (runtime, generated and umbrella), schema files, the CMake
# package (find_package(pelagon CONFIG) gives pelagon::pelagon) and pelagon.pc for pkg-config.
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

configure_package_config_file(cmake/pelagonConfig.cmake.in
  ${PROJECT_BINARY_DIR}/pelagonConfig.cmake
  INSTALL_DESTINATION ${PELAGON_CMAKE_DIR}
  PATH_VARS PELAGON_SCHEMA_INSTALL_DIR)
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
