# pelagon_add_schema(<target> SCHEMA <file.xsd> [SCHEMA_ROOT <dir>] [INCLUDE_PREFIX <dir>]
#                    [EXPORT_MACRO <macro> EXPORT_HEADER <header>] [NAMESPACE_BASE <uri>]
#                    [IMPORTS <namespace>=<prefix>...] [DEPENDS <file>...])
#
# Runs the schema compiler over one schema file at build time and adds the generated classes to
# <target>. The header of type T is <INCLUDE_PREFIX>/<path>/T.hxx, where <path> follows the
# schema's namespace URI ("<base>/Schemas/Query/2006-03/SavedQuery" gives query/2006_03/savedquery),
# so that an include names the interface version it uses wherever the schema file is kept.
#
#   SCHEMA_ROOT     schema files are named relative to it in the generated comments; by default the
#                   folder of SCHEMA.
#   INCLUDE_PREFIX  the first folder of every generated header; by default <target>.
#   EXPORT_MACRO, EXPORT_HEADER
#                   for a shared library: the macro that exports a class, and the header that
#                   defines it. Without them the classes carry no export macro.
#   NAMESPACE_BASE  the scheme and host that the schema's targetNamespace starts with; by default
#                   the one of the framework's base types.
#   IMPORTS         the include prefix of the classes of an imported namespace that another target
#                   holds. The framework's base types (ModelObject, ServiceData, ...) are
#                   libvarnicore's unless this says otherwise.
#   DEPENDS         more files whose change regenerates the code, such as imported schema files.
#
# The same function serves the project's own build and the installed package. The package's
# pelagonConfig.cmake sets PELAGON_SCHEMA_FROM_PACKAGE, the compiler's folder, the namespace base,
# the profile and the schema path (the installed schema folder, where imports are looked up too)
# before including this file; there the code goes to the caller's build tree and <target> links
# pelagon::runtime. In the project's own build the code goes to
# ${PROJECT_BINARY_DIR}/generated, where the libraries pick it up, and is installed: headers under
# include/<prefix>/<path>/, the schema file under share/pelagon/schemas/ in the layout of the
# source tree, so that imports still resolve. The global properties PELAGON_SCHEMA_FILES and
# PELAGON_SCHEMA_IMPORTS collect the schema files and imports of all calls, for the type table of
# the pelagon tool.
if(NOT PELAGON_SCHEMA_FROM_PACKAGE)
  set(PELAGON_SCHEMA_COMPILER_DIR ${PROJECT_SOURCE_DIR}/compiler)
  set(PELAGON_SCHEMA_ROOT ${PROJECT_SOURCE_DIR}/schemas)
  set(PELAGON_GENERATED_DIR ${PROJECT_BINARY_DIR}/generated)
  set(PELAGON_SCHEMA_CLANG_FORMAT_STYLE ${PROJECT_SOURCE_DIR}/.clang-format)
  if(PELAGON_REDUCED_PROFILE)
    set(PELAGON_SCHEMA_PROFILE reduced)
  else()
    set(PELAGON_SCHEMA_PROFILE full)
  endif()
  file(GLOB PELAGON_SCHEMA_COMPILER_SOURCES ${PELAGON_SCHEMA_COMPILER_DIR}/pelagon_xsdc/*.py
       ${PELAGON_SCHEMA_COMPILER_DIR}/pelagon_xsdc/VERSION)
endif()
# The namespace of the framework's base types, whose classes are libvarnicore's.
set(PELAGON_SCHEMA_BASE_IMPORT "${PELAGON_SCHEMA_NAMESPACE_BASE}/Schemas/Soa/2006-03/Base=varnicore")
# Generated code is laid out by clang-format in the project's style where it is found.
find_program(PELAGON_CLANG_FORMAT NAMES clang-format clang-format-14)

function(pelagon_add_schema target)
  cmake_parse_arguments(PARSE_ARGV 1 ARG ""
                        "SCHEMA;SCHEMA_ROOT;INCLUDE_PREFIX;EXPORT_MACRO;EXPORT_HEADER;NAMESPACE_BASE"
                        "IMPORTS;DEPENDS")
  if(NOT ARG_SCHEMA)
    message(FATAL_ERROR "pelagon_add_schema(${target}) needs SCHEMA <file.xsd>")
  endif()
  if(ARG_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "pelagon_add_schema(${target}): unknown arguments ${ARG_UNPARSED_ARGUMENTS}")
  endif()
  if((ARG_EXPORT_MACRO AND NOT ARG_EXPORT_HEADER) OR (ARG_EXPORT_HEADER AND NOT ARG_EXPORT_MACRO))
    message(FATAL_ERROR "pelagon_add_schema(${target}): EXPORT_MACRO and EXPORT_HEADER go together")
  endif()
  if(NOT Python3_EXECUTABLE)
    message(FATAL_ERROR "pelagon_add_schema(${target}): the schema compiler needs python3")
  endif()
  get_filename_component(schema ${ARG_SCHEMA} ABSOLUTE)
  if(NOT ARG_INCLUDE_PREFIX)
    set(ARG_INCLUDE_PREFIX ${target})
  endif()
  if(NOT ARG_NAMESPACE_BASE)
    set(ARG_NAMESPACE_BASE ${PELAGON_SCHEMA_NAMESPACE_BASE})
  endif()
  if(ARG_SCHEMA_ROOT)
    get_filename_component(schema_root ${ARG_SCHEMA_ROOT} ABSOLUTE)
  elseif(PELAGON_SCHEMA_FROM_PACKAGE)
    get_filename_component(schema_root ${schema} DIRECTORY)
  else()
    set(schema_root ${PELAGON_SCHEMA_ROOT})
  endif()
  if(PELAGON_SCHEMA_FROM_PACKAGE)
    set(out ${CMAKE_CURRENT_BINARY_DIR}/pelagon_generated/${target})
  else()
    set(out ${PELAGON_GENERATED_DIR})
  endif()

  set(command ${CMAKE_COMMAND} -E env PYTHONPATH=${PELAGON_SCHEMA_COMPILER_DIR}
      ${Python3_EXECUTABLE} -B -m pelagon_xsdc bindings
      --namespace-base ${ARG_NAMESPACE_BASE}
      --include-prefix ${ARG_INCLUDE_PREFIX}
      --schema-root ${schema_root}
      --profile ${PELAGON_SCHEMA_PROFILE}
      --out ${out})
  foreach(folder IN LISTS PELAGON_SCHEMA_PATH)
    list(APPEND command --schema-path ${folder})
  endforeach()
  if(ARG_EXPORT_MACRO)
    list(APPEND command --export-macro ${ARG_EXPORT_MACRO} --export-header ${ARG_EXPORT_HEADER})
  endif()
  if(PELAGON_CLANG_FORMAT)
    list(APPEND command --clang-format ${PELAGON_CLANG_FORMAT}
         --clang-format-style ${PELAGON_SCHEMA_CLANG_FORMAT_STYLE})
  endif()
  # The caller's imports come last, so that they win over the default for the base types.
  foreach(import IN LISTS PELAGON_SCHEMA_BASE_IMPORT ARG_IMPORTS)
    list(APPEND command --import ${import})
  endforeach()

  execute_process(COMMAND ${command} --list-outputs ${schema}
                  OUTPUT_VARIABLE outputs ERROR_VARIABLE errors RESULT_VARIABLE status
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "Schema compiler rejected ${schema}:\n${errors}")
  endif()
  string(REPLACE "\n" ";" outputs "${outputs}")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${schema})

  file(GLOB compiler_sources ${PELAGON_SCHEMA_COMPILER_DIR}/pelagon_xsdc/*.py
       ${PELAGON_SCHEMA_COMPILER_DIR}/pelagon_xsdc/VERSION)  # the installed copy's too
  file(RELATIVE_PATH schema_relative ${schema_root} ${schema})
  if(PELAGON_SCHEMA_FROM_PACKAGE)
    set(comment "Generating bindings from ${schema_relative}")
  else()
    set(comment "Generating bindings from schemas/${schema_relative}")
  endif()
  add_custom_command(
    OUTPUT ${outputs}
    COMMAND ${command} ${schema}
    DEPENDS ${schema} ${ARG_DEPENDS} ${compiler_sources}
    COMMENT "${comment}"
    VERBATIM)
  target_sources(${target} PRIVATE ${outputs})
  if(PELAGON_SCHEMA_FROM_PACKAGE)
    target_include_directories(${target} PUBLIC $<BUILD_INTERFACE:${out}/include>)
    target_link_libraries(${target} PUBLIC pelagon::runtime)
    return()
  endif()

  foreach(output IN LISTS outputs)
    if(output MATCHES "\\.hxx$")
      file(RELATIVE_PATH header ${PELAGON_GENERATED_DIR}/include ${output})
      get_filename_component(header_dir ${header} DIRECTORY)
      install(FILES ${output} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/${header_dir}
              COMPONENT development)
    endif()
  endforeach()
  get_filename_component(schema_dir ${schema_relative} DIRECTORY)
  install(FILES ${schema} DESTINATION ${CMAKE_INSTALL_DATADIR}/pelagon/schemas/${schema_dir}
          COMPONENT development)
  set_property(GLOBAL APPEND PROPERTY PELAGON_SCHEMA_FILES ${schema})
  set_property(GLOBAL APPEND PROPERTY PELAGON_SCHEMA_IMPORTS ${ARG_IMPORTS})
endfunction()
