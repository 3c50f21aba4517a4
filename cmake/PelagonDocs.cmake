# The API documentation: the docs target runs Doxygen over the headers as they are installed
# (staged into ${PROJECT_BINARY_DIR}/docs/staging by installing the development component there)
# and writes ${PROJECT_BINARY_DIR}/docs/html/index.html. Any Doxygen warning fails it. Without
# Doxygen there is no docs target. The page of every document type shows the type as a message:
# the pelagon tool writes a sample of each (docs/write_samples.py) where the class comments that
# the schema compiler writes include it from.
#
# Run as a script (cmake -DBUILD_DIR=... -DSTAGING_DIR=... -P PelagonDocs.cmake), this file stages
# the headers quietly.
if(CMAKE_SCRIPT_MODE_FILE)
  file(REMOVE_RECURSE ${STAGING_DIR})
  execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --component development
                          --prefix ${STAGING_DIR}
                  OUTPUT_QUIET RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "Staging the installed headers failed")
  endif()
  return()
endif()

find_package(Doxygen QUIET)
if(DOXYGEN_FOUND)
  set(PELAGON_DOCS_DIR ${PROJECT_BINARY_DIR}/docs)
  configure_file(${PROJECT_SOURCE_DIR}/docs/Doxyfile.in ${PELAGON_DOCS_DIR}/Doxyfile @ONLY)
  add_custom_target(docs
    COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${PROJECT_BINARY_DIR}
            -DSTAGING_DIR=${PELAGON_DOCS_DIR}/staging -P ${CMAKE_CURRENT_LIST_FILE}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${PELAGON_DOCS_DIR}/html ${PELAGON_DOCS_DIR}/samples
    COMMAND ${Python3_EXECUTABLE} -B ${PROJECT_SOURCE_DIR}/docs/write_samples.py
            $<TARGET_FILE:pelagon_tool> ${PELAGON_DOCS_DIR}/samples
    COMMAND Doxygen::doxygen ${PELAGON_DOCS_DIR}/Doxyfile
    WORKING_DIRECTORY ${PELAGON_DOCS_DIR}
    DEPENDS ${PELAGON_DOCS_DIR}/Doxyfile ${PROJECT_SOURCE_DIR}/docs/mainpage.md
    COMMENT "Writing the API documentation to ${PELAGON_DOCS_DIR}/html"
    VERBATIM)
  add_dependencies(docs pelagon varnicore pelagon_tool)
else()
  message(STATUS "Doxygen not found: no docs target")
endif()
