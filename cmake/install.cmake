# Installs the generator, the table library and vkey.h, and the package that
# find_package(gen_vkey CONFIG) reads from lib/cmake/gen_vkey.

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
write_basic_package_version_file("${PROJECT_BINARY_DIR}/gen_vkey-config-version.cmake"
  COMPATIBILITY SameMajorVersion)
install(FILES
  "${PROJECT_BINARY_DIR}/gen_vkey-config.cmake"
  "${PROJECT_BINARY_DIR}/gen_vkey-config-version.cmake"
  cmake/gen_vkey_generate.cmake
  cmake/gen_vkey_run.cmake
  DESTINATION "${package_dir}")
