# tz_shared_object(target EXPORTS_FILE file)
# A shared object that exports exactly the names listed in a linker version
# script, with everything else (our static code, the C++ runtime we use) hidden,
# and a note carrying the project's version.
configure_file(${CMAKE_CURRENT_LIST_DIR}/version_note.c.in ${PROJECT_BINARY_DIR}/version_note.c @ONLY)
function(tz_shared_object target)
  cmake_parse_arguments(ARG "" "EXPORTS_FILE" "" ${ARGN})
  set_target_properties(${target} PROPERTIES
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    LINK_DEPENDS ${ARG_EXPORTS_FILE})
  target_link_options(${target} PRIVATE "LINKER:--version-script=${ARG_EXPORTS_FILE}")
  target_sources(${target} PRIVATE ${PROJECT_BINARY_DIR}/version_note.c)
endfunction()
