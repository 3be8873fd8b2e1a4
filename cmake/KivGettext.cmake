# kiv_compile_catalogs(<target> PO_DIR <dir> RESOURCES_DIR <dir>)
# Compiles every <lang>.po of PO_DIR into RESOURCES_DIR/locale/<lang>/LC_MESSAGES/Localizable.mo
# at build time, as part of <target>.
function(kiv_compile_catalogs target)
  cmake_parse_arguments(ARG "" "PO_DIR;RESOURCES_DIR" "" ${ARGN})
  file(GLOB po_files CONFIGURE_DEPENDS ${ARG_PO_DIR}/*.po)
  set(outputs)
  foreach(po IN LISTS po_files)
    get_filename_component(lang ${po} NAME_WE)
    set(mo ${ARG_RESOURCES_DIR}/locale/${lang}/LC_MESSAGES/Localizable.mo)
    add_custom_command(OUTPUT ${mo}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${ARG_RESOURCES_DIR}/locale/${lang}/LC_MESSAGES
      COMMAND ${MSGFMT_EXECUTABLE} --check -o ${mo} ${po}
      DEPENDS ${po}
      COMMENT "Compiling catalog ${lang}")
    list(APPEND outputs ${mo})
  endforeach()
  if(outputs)
    add_custom_target(${target}_catalogs DEPENDS ${outputs})
    add_dependencies(${target} ${target}_catalogs)
  endif()
endfunction()
