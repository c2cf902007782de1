# The floors of the code: a target on a lower floor must not include the headers of a Qt module
# it does not link. The compiler alone would not always notice, since Qt Core's include folder
# also reaches <QtWidgets/...>; this check refuses such an include when CMake runs.

# tidemark_forbid_qt_modules(target MODULES Widgets Gui ...)
function(tidemark_forbid_qt_modules target)
  cmake_parse_arguments(ARG "" "" "MODULES" ${ARGN})
  get_target_property(sources ${target} SOURCES)
  get_target_property(source_dir ${target} SOURCE_DIR)
  set(folders)
  foreach(module ${ARG_MODULES})
    get_target_property(dirs Qt6::${module} INTERFACE_INCLUDE_DIRECTORIES)
    foreach(dir ${dirs})
      if(dir MATCHES "/Qt${module}$")
        list(APPEND folders ${dir})
      endif()
    endforeach()
  endforeach()
  foreach(source ${sources})
    if(NOT IS_ABSOLUTE ${source})
      set(source ${source_dir}/${source})
    endif()
    if(NOT EXISTS ${source} OR source MATCHES "_autogen/")
      continue()
    endif()
    # An include added later is seen at the next build, not only at the next configure.
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
    file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*<Q")
    foreach(line ${includes})
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*<([^>]+)>.*$" "\\1" header "${line}")
      foreach(module ${ARG_MODULES})
        if(header MATCHES "^Qt${module}/")
          message(FATAL_ERROR "${source}: <${header}> is a Qt ${module} header; "
                              "${target} stays below it")
        endif()
      endforeach()
      foreach(folder ${folders})
        if(EXISTS ${folder}/${header})
          message(FATAL_ERROR "${source}: <${header}> comes from ${folder}; "
                              "${target} stays below it")
        endif()
      endforeach()
    endforeach()
  endforeach()
endfunction()

# A core of floor 2 (and db/ on floor 1) links only cores, db, the secret store and Qt: never a ui
# target, the platform seams or a program. Checked once every folder has added its links.
function(tidemark_check_core_links target)
  get_target_property(libs ${target} LINK_LIBRARIES)
  if(NOT libs)
    return()
  endif()
  foreach(lib ${libs})
    if(lib MATCHES "^tidemark_" AND NOT lib MATCHES "_core$" AND NOT lib STREQUAL "tidemark_db"
       AND NOT lib STREQUAL "tidemark_secrets")
      message(FATAL_ERROR "${target} links ${lib}: a core stays below every ui and the platform")
    endif()
  endforeach()
endfunction()

# tidemark_core(target): the checks of a core target, its includes now and its links at the end.
function(tidemark_core target)
  # A deferred call reads its arguments when it runs: the name goes in now.
  cmake_language(EVAL CODE
    "cmake_language(DEFER DIRECTORY [[${CMAKE_SOURCE_DIR}]] CALL tidemark_check_core_links [[${target}]])")
endfunction()

# db/ and platform/ stand side by side: neither links the other.
function(tidemark_check_side_by_side)
  foreach(pair "tidemark_db;tidemark_platform" "tidemark_platform;tidemark_db"
               "tidemark_help;tidemark_db")
    list(GET pair 0 target)
    list(GET pair 1 other)
    if(TARGET ${target})
      get_target_property(libs ${target} LINK_LIBRARIES)
      if(libs AND other IN_LIST libs)
        message(FATAL_ERROR "${target} links ${other}: db/ and platform/ do not use each other")
      endif()
    endif()
  endforeach()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL tidemark_check_side_by_side)
