# Debian packages, built by CPack's DEB generator from the install components
# (cmake/KivInstall.cmake, app/CMakeLists.txt), one package each:
#
#   runtime      libkiv<SOVERSION>  the shared library with its SONAME
#   development  libkiv-dev         headers, the unversioned .so link, the CMake package, kiv.pc
#   application  quillwort          the application bundle, its desktop entry, icon and AppStream
#                                   description
#
# `cpack --config <build>/CPackConfig.cmake` builds them (scripts/package.sh does it in a release
# build with the prefix /usr). Dependencies on Debian's runtime packages are computed by
# dpkg-shlibdeps; the packages that need the library depend on libkiv<SOVERSION> of exactly
# their own version.
get_target_property(kiv_soversion kiv SOVERSION)
set(kiv_runtime_package "libkiv${kiv_soversion}")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kiv)
set(CPACK_PACKAGE_VENDOR "The Quillwort developers")
set(CPACK_PACKAGE_CONTACT "Quillwort developers <developers@quillwort.org>")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY "${PROJECT_BINARY_DIR}/packages")

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime development application)
set(CPACK_COMPONENT_DEVELOPMENT_DEPENDS runtime)
set(CPACK_COMPONENT_APPLICATION_DEPENDS runtime)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The application's executable needs the library of the runtime package, which dpkg-shlibdeps
# finds in the build tree; the dependency itself comes from the component dependency above.
get_target_property(kiv_library_dir kiv LIBRARY_OUTPUT_DIRECTORY)
if(NOT kiv_library_dir)
  get_target_property(kiv_library_dir kiv BINARY_DIR)
endif()
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS "${kiv_library_dir}")
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME ${kiv_runtime_package})
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
# The dynamic linker's cache is refreshed by dpkg's trigger once per run of dpkg.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/cmake/packaging/triggers)
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION
"Support library for desktop programs on Linux
Kiv gives a desktop program Pascal, C and 16-bit Unicode strings with
conversions between Mac Roman, Windows Latin 1, Shift-JIS, UTF-8 and the
system encoding, XML settings files, paths, file references and file
operations, system and locale facts, web requests, dates and times,
localized alerts and a diagnostics log.

This package holds the shared library.")

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libkiv-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION
"Support library for desktop programs on Linux - development files
Kiv gives a desktop program strings in many encodings, XML settings files,
file operations, system facts, web requests and localized alerts.

This package holds what a program needs to be built against the library:
the headers, the CMake package Kiv (target Kiv::kiv) and the pkg-config
file kiv.pc.")

set(CPACK_DEBIAN_APPLICATION_PACKAGE_NAME quillwort)
set(CPACK_DEBIAN_APPLICATION_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_APPLICATION_DESCRIPTION
"Small single-window desktop application
Quillwort opens one main window and quits when that window closes. It is
the application built on the Kiv support library.")

# Every package carries its copyright file and its changelog, as Debian policy asks.
string(TIMESTAMP KIV_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(${PROJECT_SOURCE_DIR}/cmake/packaging/changelog.in
  ${PROJECT_BINARY_DIR}/packaging/changelog @ONLY)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/packaging/changelog.gz
  COMMAND gzip -9 -n -f -k ${PROJECT_BINARY_DIR}/packaging/changelog
  DEPENDS ${PROJECT_BINARY_DIR}/packaging/changelog)
add_custom_target(package_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/packaging/changelog.gz)
set(kiv_packages ${kiv_runtime_package} libkiv-dev quillwort)
foreach(component package IN ZIP_LISTS CPACK_COMPONENTS_ALL kiv_packages)
  install(FILES ${PROJECT_SOURCE_DIR}/cmake/packaging/copyright
                ${PROJECT_BINARY_DIR}/packaging/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package}
    COMPONENT ${component} EXCLUDE_FROM_ALL)
endforeach()

include(CPack)
