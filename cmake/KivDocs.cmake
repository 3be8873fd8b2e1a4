# The API reference: `cmake --build <build> --target docs` writes HTML into <build>/docs/html,
# from the Doxygen comments of the public headers; the README is the main page, docs/ adds the
# module pages, the page on the Linux platform services and the examples. The test suite runs the
# same configuration with every warning an error (tests/ecosystem/DocsTest.cmake), so an
# undocumented public member fails it.
option(KIV_BUILD_DOCS "Add the docs target (needs Doxygen)" ON)
if(NOT KIV_BUILD_DOCS)
  return()
endif()

find_package(Doxygen 1.9 REQUIRED)

set(DOXYGEN_PROJECT_NAME "Kiv")
set(DOXYGEN_PROJECT_NUMBER "${PROJECT_VERSION}")
set(DOXYGEN_PROJECT_BRIEF "Support library for desktop programs on Linux")
set(DOXYGEN_OUTPUT_DIRECTORY "${PROJECT_BINARY_DIR}/docs")
set(DOXYGEN_FILE_PATTERNS *.h *.md *.dox)
set(DOXYGEN_USE_MDFILE_AS_MAINPAGE "${PROJECT_SOURCE_DIR}/README.md")
set(DOXYGEN_EXAMPLE_PATH "${PROJECT_SOURCE_DIR}/examples" "${PROJECT_SOURCE_DIR}/tests/install/consumer")
set(DOXYGEN_STRIP_FROM_PATH "${PROJECT_SOURCE_DIR}/include" "${PROJECT_SOURCE_DIR}")
set(DOXYGEN_STRIP_FROM_INC_PATH "${PROJECT_SOURCE_DIR}/include")
# One comment block serves the overloads below it; its first sentence is the brief description.
set(DOXYGEN_DISTRIBUTE_GROUP_DOC YES)
set(DOXYGEN_JAVADOC_AUTOBRIEF YES)
set(DOXYGEN_SORT_MEMBER_DOCS NO)
# The export mark and the printf-format attributes are for the compiler only.
set(DOXYGEN_MACRO_EXPANSION YES)
set(DOXYGEN_EXPAND_ONLY_PREDEF YES)
set(DOXYGEN_PREDEFINED "KIV_API=" "KIVXML_PRINTF(f,a)=" "KIV_PRINTF_FORMAT(f,a)=")
set(DOXYGEN_EXCLUDE_SYMBOLS KIV_API KIVXML_PRINTF KIV_PRINTF_FORMAT)
set(DOXYGEN_WARN_IF_UNDOCUMENTED YES)
set(DOXYGEN_WARN_NO_PARAMDOC NO)
set(DOXYGEN_HAVE_DOT NO)
set(DOXYGEN_GENERATE_TREEVIEW YES)
set(DOXYGEN_QUIET YES)

doxygen_add_docs(docs
  "${PROJECT_SOURCE_DIR}/README.md" "${PROJECT_SOURCE_DIR}/docs" "${PROJECT_SOURCE_DIR}/include"
  WORKING_DIRECTORY "${PROJECT_SOURCE_DIR}"
  COMMENT "Writing the API reference into ${PROJECT_BINARY_DIR}/docs/html")
