# Builds the Debian packages from the build tree with CPack and checks them: their names, their
# dependencies and their files; no lintian error; the desktop entry and the AppStream description
# valid. Then unpacks them into a fresh root with dpkg-deb -x and, against that root, builds and
# runs the README's program with CMake and with pkg-config, and starts the application.
#
#   cmake -DCPACK=... -DBUILD_DIR=... -DSOURCE_DIR=... -DWORK_DIR=... -DCXX=... -DAPP_NAME=...
#         -DAPP_ID=... -P PackagesTest.cmake

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed (${rc}): ${ARGN}\n${out}\n${err}")
  endif()
  set(last_out "${out}" PARENT_SCOPE)
  set(last_err "${err}" PARENT_SCOPE)
endfunction()

# Fail unless `text` holds `part`, or unless it lacks it.
function(expect_in text part what)
  string(FIND "${text}" "${part}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${what}: '${part}' not in:\n${text}")
  endif()
endfunction()

function(expect_not_in text part what)
  string(FIND "${text}" "${part}" at)
  if(NOT at EQUAL -1)
    message(FATAL_ERROR "${what}: '${part}' in:\n${text}")
  endif()
endfunction()

foreach(tool dpkg-deb lintian readelf desktop-file-validate appstreamcli pkg-config)
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

# The desktop entry, its icon, the AppStream description.
set(desktop ${root}/usr/share/applications/${APP_ID}.desktop)
run(${desktop_file_validate} ${desktop})
file(STRINGS ${desktop} icon REGEX "^Icon=")
string(REPLACE "Icon=" "" icon "${icon}")
if(NOT EXISTS ${root}/usr/share/icons/hicolor/scalable/apps/${icon}.svg)
  message(FATAL_ERROR "the desktop entry's icon '${icon}' is not installed")
endif()
run(${appstreamcli} validate --no-net ${root}/usr/share/metainfo/${APP_ID}.metainfo.xml)

# The README's program, built against the root with CMake and with pkg-config.
set(ENV{LD_LIBRARY_PATH} ${libdir})
run(${CMAKE_COMMAND} -S ${SOURCE_DIR}/tests/install/consumer -B ${WORK_DIR}/cmake-build -G Ninja
    -DCMAKE_PREFIX_PATH=${root}/usr -DCMAKE_CXX_COMPILER=${CXX})
run(${CMAKE_COMMAND} --build ${WORK_DIR}/cmake-build)
run(${WORK_DIR}/cmake-build/hello)
expect_in("${last_err}" " str:settings.xml\n" "hello (CMake)")

set(ENV{PKG_CONFIG_PATH} ${pc_dir})
run(${pkg_config} --cflags --libs kiv)
string(STRIP "${last_out}" pc_flags)
separate_arguments(pc_flags UNIX_COMMAND "${pc_flags}")
run(${CXX} -std=c++11 ${SOURCE_DIR}/tests/install/consumer/hello.cpp ${pc_flags}
    -o ${WORK_DIR}/hello-pc)
run(${WORK_DIR}/hello-pc)
expect_in("${last_err}" " 3 settings read\n" "hello (pkg-config)")

# The application from the root finds its library and its bundle: without a display it names
# itself from Info.plist and fails cleanly.
unset(ENV{LD_LIBRARY_PATH})
unset(ENV{DISPLAY})
unset(ENV{WAYLAND_DISPLAY})
unset(ENV{QT_QPA_PLATFORM})
file(GLOB_RECURSE app ${root}/usr/lib/*/Contents/Linux/${APP_NAME})
execute_process(COMMAND ${app} RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 1 OR NOT err MATCHES "^${APP_NAME}: cannot start: no usable display")
  message(FATAL_ERROR "the packaged application without a display: status ${rc}, said: ${err}")
endif()

file(REMOVE_RECURSE ${WORK_DIR})
