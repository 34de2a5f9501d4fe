# The release: one zip with both programs and the user guide.
#   cmake --build build/windows --target package
# Only the Windows build packs anything; the test and demo programs stay out.
foreach(program quillbar Pathmend)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION . COMPONENT release)
  endif()
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/docs/user-guide.txt DESTINATION . COMPONENT release)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Vesk-Palette)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_SYSTEM_NAME win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_COMPONENTS_ALL release)
set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/release)
include(CPack)
