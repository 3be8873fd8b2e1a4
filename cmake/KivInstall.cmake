# Installation: headers, the library, a CMake package exporting Kiv::kiv and a pkg-config file.
# Each file belongs to an install component, one per Debian package (cmake/KivPackaging.cmake):
# "runtime" holds the shared library with its SONAME, "development" everything a program needs
# to build against it (headers, the unversioned .so link, the CMake package, kiv.pc), and
# "application" the application bundle with its desktop integration (app/CMakeLists.txt).
include(CMakePackageConfigHelpers)

install(TARGETS kiv EXPORT KivTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT development
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/kiv COMPONENT development
  FILES_MATCHING PATTERN "*.h")

install(EXPORT KivTargets NAMESPACE Kiv:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Kiv
  COMPONENT development)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/KivConfig.cmake.in
  ${PROJECT_BINARY_DIR}/KivConfig.cmake
  INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Kiv)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/KivConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/KivConfig.cmake ${PROJECT_BINARY_DIR}/KivConfigVersion.cmake
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Kiv COMPONENT development)

# kiv.pc finds its prefix from its own folder: <prefix>/<libdir>/pkgconfig.
file(RELATIVE_PATH KIV_PC_TO_PREFIX /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
configure_file(${PROJECT_SOURCE_DIR}/cmake/kiv.pc.in ${PROJECT_BINARY_DIR}/kiv.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/kiv.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
  COMPONENT development)
