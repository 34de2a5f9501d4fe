# The release: one zip with both programs and the user guide.
#   cmake --build build/windows --target package
# Only the Windows build packs anything; the test and demo programs stay out.
# The zip gets stripped copies of the programs (about a third of their size). Their
# debug information stays in the build, beside the copies in release/programs/, as
# <name>.debug, which each copy names (.gnu_debuglink) so that gdb reads crash
# addresses from a user's report: gdb release/programs/Quillbar.exe
set(out ${CMAKE_BINARY_DIR}/release/programs)
set(stripped)
foreach(program quillbar pathmend)
  if(TARGET ${program})
    get_target_property(name ${program} OUTPUT_NAME)
    if(NOT name)
      set(name ${program})
    endif()
    add_custom_command(OUTPUT ${out}/${name}.exe ${out}/${name}.debug
      COMMAND ${CMAKE_COMMAND} -E make_directory ${out}
      COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE:${program}> ${out}/${name}.debug
      COMMAND ${CMAKE_OBJCOPY} --strip-all --add-gnu-debuglink=${out}/${name}.debug $<TARGET_FILE:${program}>
        ${out}/${name}.exe
      COMMAND ${CMAKE_COMMAND} -DBUILT=$<TARGET_FILE:${program}> -DPACKED=${out}/${name}.exe
        -P ${PROJECT_SOURCE_DIR}/cmake/sizes.cmake
      DEPENDS ${program} VERBATIM)
    list(APPEND stripped ${out}/${name}.exe)
    install(PROGRAMS ${out}/${name}.exe DESTINATION . COMPONENT release)
  endif()
endforeach()
if(stripped)
  add_custom_target(release_programs ALL DEPENDS ${stripped})
endif()
# The guide as users get it: the version line filled in from project(VERSION), and
# CR LF line ends, which every Notepad shows as lines.
set(VESK_PACKED_GUIDE ${CMAKE_BINARY_DIR}/release/user-guide.txt)
configure_file(${PROJECT_SOURCE_DIR}/docs/user-guide.txt ${VESK_PACKED_GUIDE} @ONLY NEWLINE_STYLE CRLF)
install(FILES ${VESK_PACKED_GUIDE} DESTINATION . COMPONENT release)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Vesk-Palette)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_SYSTEM_NAME win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_COMPONENTS_ALL release)
set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/release)
include(CPack)
