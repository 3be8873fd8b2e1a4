# Installation: headers, the library, a CMake package exporting Kiv::kiv and a pkg-config file.
include(CMakePackageConfigHelpers)

install(TARGETS kiv EXPORT KivTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/kiv
  FILES_MATCHING PATTERN "*.h")

install(EXPORT KivTargets NAMESPACE Kiv:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Kiv)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/KivConfig.cmake.in
  ${PROJECT_BINARY_DIR}/KivConfig.cmake
  INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Kiv)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/KivConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/KivConfig.cmake ${PROJECT_BINARY_DIR}/KivConfigVersion.cmake
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Kiv)

# kiv.pc finds its prefix from its own folder: <prefix>/<libdir>/pkgconfig.
file(RELATIVE_PATH KIV_PC_TO_PREFIX /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
configure_file(${PROJECT_SOURCE_DIR}/cmake/kiv.pc.in ${PROJECT_BINARY_DIR}/kiv.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/kiv.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
