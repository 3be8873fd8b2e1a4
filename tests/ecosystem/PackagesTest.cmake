# Builds the Debian packages from the build tree with CPack and checks them: their names, their
# dependencies and their files; no lintian error; the desktop entry and the AppStream description
# valid. Then unpacks them into a fresh root with dpkg-deb -x and, against that root, builds and
# runs the README's program with CMake and with pkg-config, and starts the application.
#
#   cmake -DCPACK=... -DBUILD_DIR=... -DSOURCE_DIR=... -DWORK_DIR=... -DCXX=... -DAPP_NAME=...
#         -DAPP_ID=... -P PackagesTest.cmake

include(${SOURCE_DIR}/tests/install/ScriptSupport.cmake)

foreach(tool dpkg-deb lintian readelf desktop-file-validate appstreamcli)
  string(MAKE_C_IDENTIFIER ${tool} var)
  find_program(${var} ${tool})
  if(NOT ${var})
    message(FATAL_ERROR "${tool} is missing: scripts/install-deps.sh installs it")
  endif()
endforeach()

file(REMOVE_RECURSE ${WORK_DIR})
run(${CPACK} --config ${BUILD_DIR}/CPackConfig.cmake -B ${WORK_DIR}/out)

# Three packages, named for what they hold, each depending on the library of its own version.
file(GLOB debs ${WORK_DIR}/out/*.deb)
set(names "")
foreach(deb IN LISTS debs)
  run(${dpkg_deb} --field ${deb} Package Version Depends)
  string(REGEX MATCH "Package: ([^\n]+)" _ "${last_out}")
  set(name ${CMAKE_MATCH_1})
  list(APPEND names ${name})
  string(REGEX MATCH "Version: ([^\n]+)" _ "${last_out}")
  set(version_${name} ${CMAKE_MATCH_1})
  string(REGEX MATCH "Depends: ([^\n]+)" _ "${last_out}")
  set(depends_${name} "${CMAKE_MATCH_1}")
  set(deb_${name} ${deb})
endforeach()
list(SORT names)
if(NOT names STREQUAL "libkiv-dev;libkiv0;quillwort")
  message(FATAL_ERROR "packages built: ${names}")
endif()
foreach(name libkiv-dev quillwort)
  expect_in("${depends_${name}}" "libkiv0 (= ${version_libkiv0})" "${name}'s dependencies")
endforeach()
# The library's dependencies are computed from what it links: Qt and libxml2 among them.
foreach(dependency libc6 libqt6widgets6 libxml2)
  expect_in("${depends_libkiv0}" "${dependency} " "libkiv0's dependencies")
endforeach()

run(${lintian} ${debs})
expect_not_in("\n${last_out}${last_err}" "\nE: " "lintian")

# Unpacked into a fresh root.
set(root ${WORK_DIR}/root)
foreach(deb IN LISTS debs)
  run(${dpkg_deb} -x ${deb} ${root})
endforeach()
file(GLOB_RECURSE pc_file ${root}/usr/lib/*/kiv.pc)
if(NOT pc_file)
  message(FATAL_ERROR "no kiv.pc under ${root}/usr/lib")
endif()
get_filename_component(pc_dir ${pc_file} DIRECTORY)
get_filename_component(libdir ${pc_dir} DIRECTORY)
run(${readelf} -d ${libdir}/libkiv.so)
expect_in("${last_out}" "Library soname: [libkiv.so.0]" "the library's dynamic section")
run(${dpkg_deb} -c ${deb_libkiv0})
expect_in("${last_out}" "/libkiv.so.0 -> " "libkiv0")
expect_not_in("${last_out}" "/libkiv.so " "libkiv0")
run(${dpkg_deb} -c ${deb_libkiv-dev})
expect_in("${last_out}" "/libkiv.so -> libkiv.so.0" "libkiv-dev")

# The desktop entry, the program it runs, its icon, the AppStream description.
set(desktop ${root}/usr/share/applications/${APP_ID}.desktop)
run(${desktop_file_validate} ${desktop})
file(STRINGS ${desktop} exec REGEX "^Exec=")
string(REPLACE "Exec=" "" exec "${exec}")
if(NOT exec MATCHES "^/usr/.*/${APP_NAME}$" OR NOT EXISTS ${root}${exec})
  message(FATAL_ERROR "the desktop entry runs '${exec}', which the packages do not hold")
endif()
file(STRINGS ${desktop} icon REGEX "^Icon=")
string(REPLACE "Icon=" "" icon "${icon}")
if(NOT EXISTS ${root}/usr/share/icons/hicolor/scalable/apps/${icon}.svg)
  message(FATAL_ERROR "the desktop entry's icon '${icon}' is not installed")
endif()
run(${appstreamcli} validate --no-net ${root}/usr/share/metainfo/${APP_ID}.metainfo.xml)

# The README's program, built against the root with CMake and with pkg-config.
build_and_run_consumers(${root}/usr ${WORK_DIR})

# The application from the root finds its library and its bundle.
expect_application_fails_without_display(${root}${exec} ${APP_NAME})

file(REMOVE_RECURSE ${WORK_DIR})
