# tz_shared_object(target EXPORTS_FILE file)
# A shared object that exports exactly the names listed in a linker version
# script, with everything else (our static code, the C++ runtime we use) hidden,
# and a note carrying the project's version. The file is versioned
# (libX.so.0.3.0, SONAME libX.so.0), with libX.so.0 and the bare name libX.so
# beside it as links: the bare name is what the loads by name open.
#
# On Windows: a DLL that exports what its code marks for export (TZ_EXPORT),
# or exactly the table of DEF_FILE (names and ordinals), with the version
# resource; no versioned file names.
configure_file(${CMAKE_CURRENT_LIST_DIR}/version_note.c.in ${PROJECT_BINARY_DIR}/version_note.c @ONLY)
function(tz_shared_object target)
  cmake_parse_arguments(ARG "" "EXPORTS_FILE;DEF_FILE;DESCRIPTION" "" ${ARGN})
  if(WIN32)
    if(ARG_DEF_FILE)
      target_sources(${target} PRIVATE ${ARG_DEF_FILE})
      set_target_properties(${target} PROPERTIES LINK_DEPENDS ${ARG_DEF_FILE})
    endif()
    set_target_properties(${target} PROPERTIES CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
    tz_version_resource(${target} "${ARG_DESCRIPTION}")
    return()
  endif()
  set_target_properties(${target} PROPERTIES
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    LINK_DEPENDS ${ARG_EXPORTS_FILE}
    VERSION ${PROJECT_VERSION}
    SOVERSION ${PROJECT_VERSION_MAJOR})
  target_link_options(${target} PRIVATE "LINKER:--version-script=${ARG_EXPORTS_FILE}")
  target_sources(${target} PRIVATE ${PROJECT_BINARY_DIR}/version_note.c)
endfunction()
