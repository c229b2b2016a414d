# Areas of the platform layer: one static library each, declaring the areas
# and libraries it uses. Two checks keep the declarations honest:
# - every area is linked whole into a small program with only what it
#   declares, so a call into an undeclared area or library fails to link;
# - an include check (built with everything) refuses an include of an
#   undeclared area, of another area's private header (*_p.h), or of any
#   folder above the platform layer.

function(platform_area name)
  cmake_parse_arguments(AREA "" "" "SOURCES;AREAS;PUBLIC;PRIVATE" ${ARGN})
  set(target platform_${name})
  add_library(${target} STATIC ${AREA_SOURCES})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  target_compile_options(${target} PRIVATE ${PROJECT_WARNINGS})
  set(area_targets)
  foreach(area ${AREA_AREAS})
    list(APPEND area_targets platform_${area})
  endforeach()
  target_link_libraries(${target} PUBLIC ${area_targets} ${AREA_PUBLIC} PRIVATE ${AREA_PRIVATE})

  set_property(GLOBAL APPEND PROPERTY PLATFORM_AREAS ${target})
  string(REPLACE ";" "," declared "${AREA_AREAS}")
  set_property(GLOBAL APPEND PROPERTY PLATFORM_AREA_TABLE "${name}:${declared}")

  add_executable(${target}_linkcheck ${PROJECT_SOURCE_DIR}/cmake/LinkCheckMain.cpp)
  set_target_properties(${target}_linkcheck PROPERTIES AUTOMOC OFF AUTOUIC OFF AUTORCC OFF)
  target_link_libraries(${target}_linkcheck PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,${target}>")
endfunction()

# The include check over the whole tree; call once every area is declared.
function(platform_check_includes)
  get_property(table GLOBAL PROPERTY PLATFORM_AREA_TABLE)
  string(REPLACE ";" "|" table "${table}")
  add_custom_target(check_includes ALL
    COMMAND ${CMAKE_COMMAND} -DROOT=${PROJECT_SOURCE_DIR} "-DAREAS=${table}"
            -P ${PROJECT_SOURCE_DIR}/cmake/CheckIncludes.cmake
    COMMENT "Checking includes across the platform areas" VERBATIM)
endfunction()
