# Helpers of the test scripts that use the library as its users do (cmake -P): running commands,
# building the README's program against an installed copy, starting the installed application.

# Runs a command; fails the test on a non-zero status. Leaves its output in last_out and
# last_err.
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err
                  TIMEOUT 300)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed (${rc}): ${ARGN}\n${out}\n${err}")
  endif()
  set(last_out "${out}" PARENT_SCOPE)
  set(last_err "${err}" PARENT_SCOPE)
endfunction()

# Fails the test unless `text` holds `part`, or (expect_not_in) unless it lacks it.
function(expect_in text part what)
  string(FIND "${text}" "${part}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${what}: expected '${part}' in:\n${text}")
  endif()
endfunction()

function(expect_not_in text part what)
  string(FIND "${text}" "${part}" at)
  if(NOT at EQUAL -1)
    message(FATAL_ERROR "${what}: did not expect '${part}' in:\n${text}")
  endif()
endfunction()

# Builds the README's program (tests/install/consumer) against the copy installed under `prefix`
# twice, through find_package(Kiv) and through pkg-config with the kiv.pc found there, in
# `work`, and runs both; with find_package also a tiny application on KivApplication.h, which
# is run. Uses SOURCE_DIR, CXX and CXX_FLAGS.
function(build_and_run_consumers prefix work)
  run(${CMAKE_COMMAND} -S ${SOURCE_DIR}/tests/install/consumer -B ${work}/cmake-build -G Ninja
      -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_CXX_COMPILER=${CXX} "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}")
  run(${CMAKE_COMMAND} --build ${work}/cmake-build)
  run(${work}/cmake-build/hello)
  expect_in("${last_err}" " str:settings.xml\n" "hello built with CMake")
  expect_in("${last_err}" " 3 settings read\n" "hello built with CMake")
  # The tiny application runs its loop on the offscreen platform and ends normally.
  run(${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
      ${work}/cmake-build/Tiny.app/Contents/Linux/tinyapp)
  expect_in("${last_out}" "launched\n" "the tiny application built with CMake")

  find_program(PKG_CONFIG pkg-config REQUIRED)
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
      -o ${work}/hello-pc)
  run(${PKG_CONFIG} --variable=libdir kiv)
  string(STRIP "${last_out}" libdir)
  set(ENV{LD_LIBRARY_PATH} ${libdir})
  run(${work}/hello-pc)
  expect_in("${last_err}" " str:settings.xml\n" "hello built with pkg-config")
  unset(ENV{LD_LIBRARY_PATH})
  unset(ENV{PKG_CONFIG_PATH})
endfunction()

# The installed application finds its library and its bundle: without a display it names itself
# from Info.plist and fails cleanly.
function(expect_application_fails_without_display executable name)
  unset(ENV{DISPLAY})
  unset(ENV{WAYLAND_DISPLAY})
  unset(ENV{QT_QPA_PLATFORM})
  execute_process(COMMAND ${executable} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 1 OR NOT err MATCHES "^${name}: cannot start: no usable display")
    message(FATAL_ERROR "${executable} without a display: status ${rc}, said: ${err}")
  endif()
endfunction()
