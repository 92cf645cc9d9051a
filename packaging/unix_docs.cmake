# What a Linux installation carries besides the programs: the manual pages (compressed, with the
# project's version), completion for bash, zsh and fish, and the AppStream metadata.
set(VELT_HOMEPAGE "https://velt.invalid/velt" CACHE STRING
    "The project's web page, named by the AppStream metadata")
set(VELT_SCREENSHOTS "${VELT_HOMEPAGE}/raw/main/docs/screenshots" CACHE STRING
    "Where the pictures of docs/screenshots are published (https)")
set(docs_out ${CMAKE_CURRENT_BINARY_DIR}/unix)

set(man_outputs)
foreach(page velt.1 velt-cli.1 velt-launch.1)
  configure_file(man/${page} ${docs_out}/${page} @ONLY)
  add_custom_command(OUTPUT ${docs_out}/${page}.gz
    COMMAND gzip -9n -c ${docs_out}/${page} > ${docs_out}/${page}.gz
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/man/${page} VERBATIM)
  list(APPEND man_outputs ${docs_out}/${page}.gz)
endforeach()
add_custom_target(velt_manuals ALL DEPENDS ${man_outputs})
install(FILES ${man_outputs} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

configure_file(velt.metainfo.xml.in ${docs_out}/org.velt.Velt.metainfo.xml @ONLY)
install(FILES ${docs_out}/org.velt.Velt.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

install(FILES completion/velt-cli.bash DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        RENAME velt-cli)
install(FILES completion/_velt-cli DESTINATION ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions)
install(FILES completion/velt-cli.fish
        DESTINATION ${CMAKE_INSTALL_DATADIR}/fish/vendor_completions.d)
