# The libxml2 oracles, for the tests and for the differential fuzzer (which the fuzz preset builds
# without the tests).
if(NOT TARGET pelagon_libxml2_oracle)
  find_package(LibXml2 REQUIRED)
  add_library(pelagon_libxml2_oracle STATIC ${CMAKE_CURRENT_LIST_DIR}/Libxml2Oracle.cxx)
  target_include_directories(pelagon_libxml2_oracle PUBLIC ${CMAKE_CURRENT_LIST_DIR})
  target_link_libraries(pelagon_libxml2_oracle PUBLIC pelagon::varnicore LibXml2::LibXml2)
endif()
# Its XML Schema validator, for the validation tests and the validation fuzzer.
if(NOT TARGET pelagon_schema_oracle)
  add_library(pelagon_schema_oracle STATIC ${CMAKE_CURRENT_LIST_DIR}/SchemaOracle.cxx)
  target_include_directories(pelagon_schema_oracle PUBLIC ${CMAKE_CURRENT_LIST_DIR})
  target_link_libraries(pelagon_schema_oracle PUBLIC LibXml2::LibXml2)
endif()
