# Installs what packagers and builds without CMake need: the licence and README, the
# manual page, and gen_vkey.pc for pkg-config.

install(FILES LICENSE README.md DESTINATION "${CMAKE_INSTALL_DOCDIR}")
if(TARGET gen_vkey)
  install(FILES doc/gen_vkey.1 DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
endif()

# gen_vkey.pc names its folders relative to its own (${pcfiledir}); the variable gen_vkey,
# the generator's path, is there only when the generator is installed.
set(pc_prefix "${CMAKE_INSTALL_PREFIX}")
cmake_path(RELATIVE_PATH pc_prefix BASE_DIRECTORY "${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig")
foreach(dir IN ITEMS bindir libdir includedir)
  string(TOUPPER "${dir}" name)
  set(pc_${dir} "${CMAKE_INSTALL_FULL_${name}}")
  cmake_path(RELATIVE_PATH pc_${dir} BASE_DIRECTORY "${CMAKE_INSTALL_PREFIX}")
endforeach()
set(pc_generator "")
if(TARGET gen_vkey)
  set(pc_generator "gen_vkey=\${bindir}/gen_vkey")
endif()
configure_file(cmake/gen_vkey.pc.in "${PROJECT_BINARY_DIR}/gen_vkey.pc" @ONLY)
install(FILES "${PROJECT_BINARY_DIR}/gen_vkey.pc" DESTINATION "${CMAKE_INSTALL_LIBDIR}/pkgconfig")
