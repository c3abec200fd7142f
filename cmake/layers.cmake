# One static library per unit of src/layers.txt, linked downward only.
#
# src/layers.txt is the one list of units: a top-level folder of src/ ("store"), the ui/ part
# of a folder ("store/ui") or a named group of files ("shell/base"). Each unit becomes the
# library lapiro_<unit> with "/" as "_" (lapiro_store, lapiro_store_ui, lapiro_shell_base);
# every file of src/ lands in the library of its unit by the same rule scripts/check-layers
# uses, so a new file or folder needs no line here.
#
# A unit links PUBLIC the units its files include, as far as they stand on a lower floor. An
# include upward is the layer check's failure; a call upward that hides behind a declaration
# in a lower header finds no definition at link time, so the link fails as well.
#
# The include lists are read when CMake configures. scripts/build configures on every run;
# after adding an include of a unit not used before, a bare `cmake --build` may report
# undefined references until CMake runs again.

set(LAPIRO_LAYERS_FILE ${CMAKE_SOURCE_DIR}/src/layers.txt)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${LAPIRO_LAYERS_FILE})

# Reads the floor and group lines of src/layers.txt into global properties:
#   LAPIRO_UNITS                 every unit, lowest floor first
#   LAPIRO_FLOOR:<unit>          its floor
#   LAPIRO_GROUP_OF:<stem>       the group a file stem ("shell/paths") belongs to
function(lapiro_read_layers)
  file(STRINGS ${LAPIRO_LAYERS_FILE} lines)
  set(units)
  foreach(raw IN LISTS lines)
    string(REGEX REPLACE "#.*$" "" line "${raw}")
    string(STRIP "${line}" line)
    if(line MATCHES "^floor +([0-9]+): *(.*)$")
      set(floor ${CMAKE_MATCH_1})
      separate_arguments(words UNIX_COMMAND "${CMAKE_MATCH_2}")
      foreach(unit IN LISTS words)
        set_property(GLOBAL PROPERTY "LAPIRO_FLOOR:${unit}" ${floor})
        list(APPEND units ${unit})
      endforeach()
    elseif(line MATCHES "^group +([^ ]+) += +(.*)$")
      set(group ${CMAKE_MATCH_1})
      separate_arguments(words UNIX_COMMAND "${CMAKE_MATCH_2}")
      foreach(stem IN LISTS words)
        set_property(GLOBAL PROPERTY "LAPIRO_GROUP_OF:${stem}" ${group})
      endforeach()
    endif()
  endforeach()
  set_property(GLOBAL PROPERTY LAPIRO_UNITS ${units})
endfunction()

# The library target of `unit` ("shell/base" -> lapiro_shell_base).
function(lapiro_unit_target out unit)
  string(REPLACE "/" "_" name "${unit}")
  set(${out} lapiro_${name} PARENT_SCOPE)
endfunction()

# The unit of `rel`, a path below src/ ("breeding/ui/litter_page.cpp" -> "breeding/ui").
function(lapiro_unit_of out rel)
  string(REGEX REPLACE "\\.[^./]*$" "" stem "${rel}")
  get_property(group GLOBAL PROPERTY "LAPIRO_GROUP_OF:${stem}")
  if(group)
    set(${out} ${group} PARENT_SCOPE)
  elseif(rel MATCHES "^([^/]+)/ui/.")
    set(${out} ${CMAKE_MATCH_1}/ui PARENT_SCOPE)
  elseif(rel MATCHES "^([^/]+)/")
    set(${out} ${CMAKE_MATCH_1} PARENT_SCOPE)
  else()
    set(${out} "" PARENT_SCOPE)
  endif()
endfunction()

# The units of src/ that `files` include, directly or through headers next to them that are
# not part of src/ (a test's or benchmark's own helpers).
function(lapiro_included_units out)
  set(units)
  set(pending ${ARGN})
  set(seen)
  while(pending)
    list(POP_FRONT pending file)
    if(file IN_LIST seen)
      continue()
    endif()
    list(APPEND seen ${file})
    get_filename_component(dir ${file} DIRECTORY)
    file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line IN LISTS lines)
      if(NOT line MATCHES "\"([^\"]+)\"")
        continue()
      endif()
      set(included ${CMAKE_MATCH_1})
      if(EXISTS ${CMAKE_SOURCE_DIR}/src/${included})
        lapiro_unit_of(unit ${included})
        if(unit)
          list(APPEND units ${unit})
        endif()
      elseif(EXISTS ${dir}/${included} AND NOT IS_DIRECTORY ${dir}/${included})
        list(APPEND pending ${dir}/${included})
      endif()
    endforeach()
  endwhile()
  list(REMOVE_DUPLICATES units)
  set(${out} ${units} PARENT_SCOPE)
endfunction()

# Links `target` PUBLIC (or as `scope` says) to the library of every unit `files` include.
function(lapiro_link_included target scope)
  lapiro_included_units(units ${ARGN})
  foreach(unit IN LISTS units)
    lapiro_unit_target(library ${unit})
    if(TARGET ${library})
      target_link_libraries(${target} ${scope} ${library})
    endif()
  endforeach()
endfunction()

# Makes the library of every unit from the files of src/ except `excluded` (the sources of the
# executables' main functions). Non-ui units link `core_deps`, ui units `ui_deps` as well.
function(lapiro_add_unit_libraries)
  cmake_parse_arguments(ARG "" "" "EXCLUDE;CORE_DEPS;UI_DEPS" ${ARGN})
  lapiro_read_layers()
  get_property(all_units GLOBAL PROPERTY LAPIRO_UNITS)

  file(GLOB_RECURSE files CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/*.cpp ${CMAKE_SOURCE_DIR}/src/*.h)
  list(REMOVE_ITEM files ${ARG_EXCLUDE})
  foreach(file IN LISTS files)
    file(RELATIVE_PATH rel ${CMAKE_SOURCE_DIR}/src ${file})
    lapiro_unit_of(unit ${rel})
    if(NOT unit IN_LIST all_units)
      message(FATAL_ERROR "src/${rel}: its unit \"${unit}\" has no floor in src/layers.txt")
    endif()
    list(APPEND src_${unit} ${file})
  endforeach()

  foreach(unit IN LISTS all_units)
    lapiro_unit_target(library ${unit})
    set(unit_sources ${src_${unit}})
    set(compiled ${unit_sources})
    list(FILTER compiled INCLUDE REGEX "\\.cpp$")
    if(compiled)
      add_library(${library} STATIC ${unit_sources})
      set(scope PUBLIC)
    else()
      # Headers only (or nothing yet): nothing to archive, only what it passes on.
      add_library(${library} INTERFACE ${unit_sources})
      set(scope INTERFACE)
    endif()
    target_include_directories(${library} ${scope} ${CMAKE_SOURCE_DIR}/src)
    if(unit MATCHES "/ui$" OR unit STREQUAL "app")
      target_link_libraries(${library} ${scope} ${ARG_CORE_DEPS} ${ARG_UI_DEPS})
    else()
      target_link_libraries(${library} ${scope} ${ARG_CORE_DEPS})
    endif()
    set_property(GLOBAL PROPERTY "LAPIRO_SCOPE:${unit}" ${scope})
  endforeach()

  # Downward links only: a unit's own includes and those of units above it do not count.
  foreach(unit IN LISTS all_units)
    lapiro_unit_target(library ${unit})
    get_property(scope GLOBAL PROPERTY "LAPIRO_SCOPE:${unit}")
    get_property(floor GLOBAL PROPERTY "LAPIRO_FLOOR:${unit}")
    set(unit_sources ${src_${unit}})
    if(NOT unit_sources)
      continue()
    endif()
    lapiro_included_units(used ${unit_sources})
    foreach(other IN LISTS used)
      get_property(other_floor GLOBAL PROPERTY "LAPIRO_FLOOR:${other}")
      if(NOT other_floor STREQUAL "" AND other_floor LESS floor)
        lapiro_unit_target(other_library ${other})
        target_link_libraries(${library} ${scope} ${other_library})
      endif()
    endforeach()
  endforeach()
endfunction()
