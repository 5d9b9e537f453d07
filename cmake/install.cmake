# Installs the generator, the table library and vkey.h, and the package that
# find_package(gen_vkey CONFIG) reads from lib/cmake/gen_vkey; and what packagers and builds
# without CMake need: the licence and README, the manual page, and gen_vkey.pc for
# pkg-config.

include(CMakePackageConfigHelpers)

set(package_dir "${CMAKE_INSTALL_LIBDIR}/cmake/gen_vkey")

if(TARGET gen_vkey)
  install(TARGETS gen_vkey EXPORT gen_vkey_targets)
endif()
install(TARGETS gen_vkey_table EXPORT gen_vkey_targets
  PUBLIC_HEADER DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}/gen_vkey")
install(EXPORT gen_vkey_targets NAMESPACE gen_vkey:: FILE gen_vkey-targets.cmake
  DESTINATION "${package_dir}")

configure_package_config_file(cmake/gen_vkey-config.cmake.in
  "${PROJECT_BINARY_DIR}/gen_vkey-config.cmake" INSTALL_DESTINATION "${package_dir}")
# CMake's SameMajorVersion check, followed by the check of the machine the package is for.
write_basic_package_version_file("${PROJECT_BINARY_DIR}/gen_vkey-version-check.cmake"
  COMPATIBILITY SameMajorVersion)
file(READ "${PROJECT_BINARY_DIR}/gen_vkey-version-check.cmake" version_check)
set(package_dir_to_prefix "${CMAKE_INSTALL_PREFIX}")
cmake_path(RELATIVE_PATH package_dir_to_prefix BASE_DIRECTORY "${CMAKE_INSTALL_PREFIX}/${package_dir}")
configure_file(cmake/gen_vkey-config-version.cmake.in "${PROJECT_BINARY_DIR}/gen_vkey-config-version.cmake" @ONLY)
install(FILES
  "${PROJECT_BINARY_DIR}/gen_vkey-config.cmake"
  "${PROJECT_BINARY_DIR}/gen_vkey-config-version.cmake"
  cmake/gen_vkey_generate.cmake
  cmake/gen_vkey_run.cmake
  DESTINATION "${package_dir}")

install(FILES LICENSE README.md DESTINATION "${CMAKE_INSTALL_DOCDIR}")

# gen_vkey.pc names its folders relative to its own (${pcfiledir}); the variable gen_vkey,
# the generator's path, is there only when the generator is installed, as is its manual page.
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
  install(FILES doc/gen_vkey.1 DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
endif()
configure_file(cmake/gen_vkey.pc.in "${PROJECT_BINARY_DIR}/gen_vkey.pc" @ONLY)
install(FILES "${PROJECT_BINARY_DIR}/gen_vkey.pc" DESTINATION "${CMAKE_INSTALL_LIBDIR}/pkgconfig")
