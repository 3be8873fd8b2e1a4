# Installs the build tree into a fresh prefix, then builds and runs a small program against the
# installed copy twice: once through find_package(Kiv), once through pkg-config. Also checks the
# installed application bundle and its desktop entry.
#
#   cmake -DBUILD_DIR=... -DSOURCE_DIR=... -DWORK_DIR=... -DCXX=... [-DCXX_FLAGS=...]
#         -DAPP_NAME=... -DAPP_ID=... -P InstallTest.cmake

include(${CMAKE_CURRENT_LIST_DIR}/ScriptSupport.cmake)

file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

build_and_run_consumers(${prefix} ${WORK_DIR})

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

expect_application_fails_without_display(${bundle}/Contents/Linux/${APP_NAME} ${APP_NAME})

file(REMOVE_RECURSE ${WORK_DIR})
