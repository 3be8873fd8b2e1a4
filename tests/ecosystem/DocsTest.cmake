# Runs Doxygen with the docs target's configuration into a fresh folder, with every warning an
# error (an undocumented public member is one), and checks that the reference holds its pages:
# one per module header, the page on the Linux platform services, the README's example and the
# examples.
#
#   cmake -DDOXYGEN=... -DDOXYFILE=... -DSOURCE_DIR=... -DWORK_DIR=... -P DocsTest.cmake

file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
file(WRITE ${WORK_DIR}/Doxyfile
  "@INCLUDE = ${DOXYFILE}\nOUTPUT_DIRECTORY = ${WORK_DIR}\nWARN_AS_ERROR = FAIL_ON_WARNINGS\n")
execute_process(COMMAND ${DOXYGEN} ${WORK_DIR}/Doxyfile
  WORKING_DIRECTORY ${SOURCE_DIR}
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR err MATCHES "warning|error")
  message(FATAL_ERROR "Doxygen failed (${rc}):\n${err}")
endif()

set(html ${WORK_DIR}/html)
function(expect_in file text)
  file(READ ${html}/${file} content)
  string(FIND "${content}" "${text}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${file} lacks '${text}'")
  endif()
endfunction()

# A page per module header (Doxygen spells '_' in a page name as "__").
file(GLOB modules ${SOURCE_DIR}/include/*.h)
foreach(module IN LISTS modules)
  get_filename_component(name ${module} NAME_WE)
  string(REPLACE "_" "__" page ${name})
  expect_in(group__${page}.html "${name}.h")
endforeach()
# What two of them hold, with their contracts.
expect_in(group__KIVStr.html "JSTlong")
expect_in(group__KivMisc__Frameworks.html "doCocoaAlert")
expect_in(classKivXML.html "Result codes of the writing side")
# The Linux platform services, the README's example on the main page, the examples.
expect_in(linux.html "user-dirs.dirs")
expect_in(index.html "KivDebugAlways(")
expect_in(examples.html "kivconv.cpp")
