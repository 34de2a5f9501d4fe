# vesk_program_resources(TARGET PROGRAM DESCRIPTION MANIFEST [RC...]): gives a
# Windows program its resources from the one template, program.rc.in: its version
# information, the manifest MANIFEST of the calling folder, and the resource scripts
# RC, included as they are. The script made is ${CMAKE_CURRENT_BINARY_DIR}/PROGRAM.rc.
function(vesk_program_resources target program description manifest)
  set(VESK_RC_PROGRAM ${program})
  set(VESK_RC_DESCRIPTION ${description})
  set(VESK_RC_MANIFEST ${manifest})
  set(VESK_RC_INCLUDES "")
  foreach(script IN LISTS ARGN)
    string(APPEND VESK_RC_INCLUDES "#include \"${script}\"\n")
  endforeach()
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${program}.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/program.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
  # windres finds the manifest through the include path.
  target_include_directories(${target} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  set_property(SOURCE ${rc} APPEND PROPERTY OBJECT_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${manifest})
endfunction()
