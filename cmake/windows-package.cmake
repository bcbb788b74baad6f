# The Windows package: the programs in bin, README.md and both manual pages
# as HTML (made by groff) beside it. make windows packs it as
# recdb-VERSION-win64.zip and as an NSIS installer, recdb-VERSION-win64.exe,
# which offers to put bin on the PATH.
find_program(RECDB_GROFF groff REQUIRED)
set(RECDB_HTML_PAGES)
foreach(page recdb recdb-file)
  set(html ${CMAKE_BINARY_DIR}/${page}.html)
  add_custom_command(OUTPUT ${html}
                     COMMAND sh -c "\"$0\" -man -Thtml \"$1\" > \"$2\"" ${RECDB_GROFF}
                             ${CMAKE_SOURCE_DIR}/doc/${page}.1 ${html}
                     DEPENDS ${CMAKE_SOURCE_DIR}/doc/${page}.1
                     VERBATIM)
  list(APPEND RECDB_HTML_PAGES ${html})
endforeach()
add_custom_target(recdb_html_pages ALL DEPENDS ${RECDB_HTML_PAGES})
install(FILES ${RECDB_HTML_PAGES} README.md DESTINATION .)

set(CPACK_PACKAGE_INSTALL_DIRECTORY recdb)
set(CPACK_NSIS_DISPLAY_NAME "recdb ${PROJECT_VERSION}")
set(CPACK_NSIS_PACKAGE_NAME "recdb ${PROJECT_VERSION}")
set(CPACK_NSIS_MODIFY_PATH ON)
