# SPDX-License-Identifier: MIT
# horodex_install_man_page(PAGE): installs a man page beside its program,
# gzip-compressed as Debian wants it. @PROJECT_VERSION@ in the page becomes
# the project version, so the footer follows the release. gzip -n leaves out
# the name and time stamp, so every build makes the same bytes.
function(horodex_install_man_page page)
  if(NOT UNIX)
    return()
  endif()
  get_filename_component(name ${page} NAME)
  string(REGEX MATCH "[1-9]$" section ${name})
  set(configured ${CMAKE_CURRENT_BINARY_DIR}/man/${name})
  set(copy ${CMAKE_CURRENT_BINARY_DIR}/${name})
  configure_file(${page} ${configured} @ONLY)
  # gzip replaces the file it packs, so it packs a copy.
  add_custom_command(OUTPUT ${copy}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${configured} ${copy}
    COMMAND gzip -9nf ${copy}
    DEPENDS ${configured}
    VERBATIM)
  add_custom_target(man_${name} ALL DEPENDS ${copy}.gz)
  install(FILES ${copy}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endfunction()
