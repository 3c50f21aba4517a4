# pelagon_add_schema(<target> SCHEMA <file.xsd> INCLUDE_PREFIX <dir> EXPORT_MACRO <macro>
#                    EXPORT_HEADER <header> [IMPORTS <namespace>=<prefix>...])
#
# Runs the schema compiler over one schema file at build time and adds the generated classes to
# <target>. Headers go to ${PROJECT_BINARY_DIR}/generated/include/<prefix>/<path>/ and are
# installed under include/<prefix>/<path>/; the schema file is installed under
# share/pelagon/schemas/ in the layout of the source tree, so that imports still resolve. The
# global properties PELAGON_SCHEMA_FILES and PELAGON_SCHEMA_IMPORTS collect the schema files and
# imports of all calls, for the type table of the pelagon tool.
set(PELAGON_SCHEMA_COMPILER_DIR ${PROJECT_SOURCE_DIR}/compiler)
set(PELAGON_SCHEMA_ROOT ${PROJECT_SOURCE_DIR}/schemas)
set(PELAGON_GENERATED_DIR ${PROJECT_BINARY_DIR}/generated)
# Generated code is laid out by clang-format in the project's style when it is installed.
find_program(PELAGON_CLANG_FORMAT NAMES clang-format clang-format-14)
file(GLOB PELAGON_SCHEMA_COMPILER_SOURCES ${PELAGON_SCHEMA_COMPILER_DIR}/pelagon_xsdc/*.py)

function(pelagon_add_schema target)
  cmake_parse_arguments(PARSE_ARGV 1 ARG "" "SCHEMA;INCLUDE_PREFIX;EXPORT_MACRO;EXPORT_HEADER"
                        "IMPORTS;DEPENDS")
  set(command ${CMAKE_COMMAND} -E env PYTHONPATH=${PELAGON_SCHEMA_COMPILER_DIR}
      ${Python3_EXECUTABLE} -B -m pelagon_xsdc bindings
      --namespace-base ${PELAGON_SCHEMA_NAMESPACE_BASE}
      --include-prefix ${ARG_INCLUDE_PREFIX}
      --export-macro ${ARG_EXPORT_MACRO}
      --export-header ${ARG_EXPORT_HEADER}
      --schema-root ${PELAGON_SCHEMA_ROOT}
      --out ${PELAGON_GENERATED_DIR})
  if(PELAGON_REDUCED_PROFILE)
    list(APPEND command --profile reduced)
  endif()
  if(PELAGON_CLANG_FORMAT)
    list(APPEND command --clang-format ${PELAGON_CLANG_FORMAT}
         --clang-format-style ${PROJECT_SOURCE_DIR}/.clang-format)
  endif()
  foreach(import IN LISTS ARG_IMPORTS)
    list(APPEND command --import ${import})
  endforeach()

  execute_process(COMMAND ${command} --list-outputs ${ARG_SCHEMA}
                  OUTPUT_VARIABLE outputs ERROR_VARIABLE errors RESULT_VARIABLE status
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "Schema compiler rejected ${ARG_SCHEMA}:\n${errors}")
  endif()
  string(REPLACE "\n" ";" outputs "${outputs}")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${ARG_SCHEMA})

  file(RELATIVE_PATH schema_relative ${PELAGON_SCHEMA_ROOT} ${ARG_SCHEMA})
  add_custom_command(
    OUTPUT ${outputs}
    COMMAND ${command} ${ARG_SCHEMA}
    DEPENDS ${ARG_SCHEMA} ${ARG_DEPENDS} ${PELAGON_SCHEMA_COMPILER_SOURCES}
    COMMENT "Generating bindings from schemas/${schema_relative}"
    VERBATIM)
  target_sources(${target} PRIVATE ${outputs})

  foreach(output IN LISTS outputs)
    if(output MATCHES "\\.hxx$")
      file(RELATIVE_PATH header ${PELAGON_GENERATED_DIR}/include ${output})
      get_filename_component(header_dir ${header} DIRECTORY)
      install(FILES ${output} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/${header_dir}
              COMPONENT development)
    endif()
  endforeach()
  get_filename_component(schema_dir ${schema_relative} DIRECTORY)
  install(FILES ${ARG_SCHEMA} DESTINATION ${CMAKE_INSTALL_DATADIR}/pelagon/schemas/${schema_dir}
          COMPONENT development)
  set_property(GLOBAL APPEND PROPERTY PELAGON_SCHEMA_FILES ${ARG_SCHEMA})
  set_property(GLOBAL APPEND PROPERTY PELAGON_SCHEMA_IMPORTS ${ARG_IMPORTS})
endfunction()
