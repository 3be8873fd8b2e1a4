# Installs the build tree into a fresh prefix, then builds and runs a small program against the
# installed copy twice: once through find_package(Kiv), once through pkg-config. Also checks the
# installed application bundle and its desktop entry.
#
#   cmake -DBUILD_DIR=... -DSOURCE_DIR=... -DWORK_DIR=... -DCXX=... [-DCXX_FLAGS=...]
#         -DAPP_NAME=... -DAPP_ID=... -P InstallTest.cmake

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed (${rc}): ${ARGN}\n${out}\n${err}")
  endif()
  set(last_out "${out}" PARENT_SCOPE)
  set(last_err "${err}" PARENT_SCOPE)
endfunction()

function(expect_log text log)
  string(FIND "${log}" "${text}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "expected the entry '${text}' in:\n${log}")
  endif()
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

# The library is found through the CMake package.
run(${CMAKE_COMMAND} -S ${SOURCE_DIR}/tests/install/consumer -B ${WORK_DIR}/cmake-build -G Ninja
    -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_CXX_COMPILER=${CXX} "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}")
run(${CMAKE_COMMAND} --build ${WORK_DIR}/cmake-build)
run(${WORK_DIR}/cmake-build/hello)
expect_log(" str:settings.xml\n" "${last_err}")
expect_log(" 3 settings read\n" "${last_err}")

# The same program through pkg-config, from the installed kiv.pc wherever the prefix is.
find_program(PKG_CONFIG pkg-config REQUIRED)
set(ENV{PKG_CONFIG_PATH} "")
file(GLOB_RECURSE pc_files ${prefix}/*/kiv.pc)
list(LENGTH pc_files n)
if(NOT n EQUAL 1)
  message(FATAL_ERROR "expected one installed kiv.pc, found: ${pc_files}")
endif()
get_filename_component(pc_dir ${pc_files} DIRECTORY)
set(ENV{PKG_CONFIG_PATH} ${pc_dir})
run(${PKG_CONFIG} --cflags --libs kiv)
string(STRIP "${last_out}" pc_flags)
separate_arguments(pc_flags UNIX_COMMAND "${pc_flags}")
separate_arguments(extra_flags UNIX_COMMAND "${CXX_FLAGS}")
run(${CXX} -std=c++11 ${extra_flags} ${SOURCE_DIR}/tests/install/consumer/hello.cpp ${pc_flags}
    -o ${WORK_DIR}/hello-pc)
run(${PKG_CONFIG} --variable=libdir kiv)
string(STRIP "${last_out}" libdir)
set(ENV{LD_LIBRARY_PATH} ${libdir})
run(${WORK_DIR}/hello-pc)
expect_log(" str:settings.xml\n" "${last_err}")
unset(ENV{LD_LIBRARY_PATH})

# The application bundle and its desktop entry.
file(GLOB_RECURSE desktop ${prefix}/share/applications/${APP_ID}.desktop)
if(NOT desktop)
  message(FATAL_ERROR "no desktop entry ${APP_ID}.desktop under ${prefix}/share/applications")
endif()
file(GLOB bundle ${prefix}/lib*/${APP_NAME}.app ${prefix}/lib/*/${APP_NAME}.app)
if(NOT bundle)
  message(FATAL_ERROR "no installed ${APP_NAME}.app")
endif()
foreach(part Contents/Info.plist Contents/Resources/MainWindow.ui Contents/Linux/${APP_NAME})
  if(NOT EXISTS ${bundle}/${part})
    message(FATAL_ERROR "the installed bundle lacks ${part}")
  endif()
endforeach()
file(STRINGS ${desktop} exec_line REGEX "^Exec=")
if(NOT exec_line STREQUAL "Exec=${bundle}/Contents/Linux/${APP_NAME}")
  message(FATAL_ERROR "the desktop entry runs '${exec_line}', not the installed bundle")
endif()
find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
if(DESKTOP_FILE_VALIDATE)
  run(${DESKTOP_FILE_VALIDATE} ${desktop})
endif()

# The installed executable finds the installed library and its bundle: without a display it
# names itself from Info.plist and fails cleanly.
unset(ENV{DISPLAY})
unset(ENV{WAYLAND_DISPLAY})
unset(ENV{QT_QPA_PLATFORM})
execute_process(COMMAND ${bundle}/Contents/Linux/${APP_NAME}
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 1 OR NOT err MATCHES "^${APP_NAME}: cannot start: no usable display")
  message(FATAL_ERROR "installed application without display: status ${rc}, said: ${err}")
endif()

file(REMOVE_RECURSE ${WORK_DIR})
