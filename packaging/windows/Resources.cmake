# kobpack_windows_resources(TARGET DESCRIPTION [ICON]): gives a Windows
# program its version resource and application manifest (compiled by
# windres), and the icon file ICON when given (a program whose own resource
# script has no icon).
function(kobpack_windows_resources target description)
  set(ICON_RESOURCE "")
  if(ARGC GREATER 2)
    set(ICON_RESOURCE "1 ICON \"${ARGV2}\"")
  endif()
  get_target_property(NAME ${target} OUTPUT_NAME)
  if(NOT NAME)
    set(NAME ${target})
  endif()
  set(DESCRIPTION ${description})
  set(MANIFEST ${CMAKE_CURRENT_BINARY_DIR}/${target}.manifest)
  set(dir ${PROJECT_SOURCE_DIR}/packaging/windows)
  configure_file(${dir}/app.manifest.in ${MANIFEST} @ONLY)
  configure_file(${dir}/version.rc.in ${CMAKE_CURRENT_BINARY_DIR}/${target}-version.rc @ONLY)
  target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}-version.rc)
  # windres does not see the manifest as a dependency of the .rc file.
  set_property(SOURCE ${CMAKE_CURRENT_BINARY_DIR}/${target}-version.rc APPEND PROPERTY OBJECT_DEPENDS ${MANIFEST})
endfunction()
