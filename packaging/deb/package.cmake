# The Debian package, built by `cpack -G DEB` in the build folder (target `package`):
# velt_<version>_amd64.deb with everything `cmake --install` puts under /usr, and the files
# a Debian package carries besides (copyright, changelog, maintainer scripts). Its library
# dependencies come from dpkg-shlibdeps.
set(VELT_DEB_SOURCE ${CMAKE_CURRENT_LIST_DIR})
set(VELT_DEB_FILES ${CMAKE_BINARY_DIR}/packaging/deb)

# The settings store a package creates in /etc on installation (postinst): the defaults as
# velt-install-settings writes them, with "Path" naming the help under /usr.
add_custom_command(OUTPUT ${VELT_DEB_FILES}/defaults.reg
  COMMAND ${CMAKE_COMMAND} -E rm -f ${VELT_DEB_FILES}/defaults.reg
  COMMAND velt-install-settings ${VELT_DEB_FILES}/defaults.reg /usr/share/velt
  COMMAND ${CMAKE_COMMAND} -E rm -f ${VELT_DEB_FILES}/defaults.reg.lock
  DEPENDS velt-install-settings VERBATIM)
configure_file(${VELT_DEB_SOURCE}/changelog.in ${VELT_DEB_FILES}/changelog @ONLY)
add_custom_command(OUTPUT ${VELT_DEB_FILES}/changelog.gz
  COMMAND gzip -9nf ${VELT_DEB_FILES}/changelog
  COMMAND ${CMAKE_COMMAND} -E touch_nocreate ${VELT_DEB_FILES}/changelog.gz
  DEPENDS ${VELT_DEB_SOURCE}/changelog.in VERBATIM)
add_custom_target(velt_deb_files ALL
  DEPENDS ${VELT_DEB_FILES}/defaults.reg ${VELT_DEB_FILES}/changelog.gz)

# Only in the package (a component outside the default installation).
install(FILES ${VELT_DEB_FILES}/defaults.reg DESTINATION share/velt
        COMPONENT debian EXCLUDE_FROM_ALL)
install(FILES ${VELT_DEB_FILES}/changelog.gz ${VELT_DEB_SOURCE}/copyright
        DESTINATION share/doc/velt COMPONENT debian EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velt)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "VELT developers <velt@velt.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "password-based file encryption")
# The long description; CPack puts the summary above it and indents it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "VELT encrypts and decrypts single files, lists of files and whole folder
trees with a password, with one of nineteen ciphers keyed through one of
ten hashes, optional zlib compression and optional overwriting of the
originals before they are deleted.

The package holds the desktop application (velt), the command-line tool
(velt-cli), the help, the Encrypt with VELT and Decrypt with VELT actions
of the file managers and shell completion for velt-cli.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its platform plugins at run time, which dpkg-shlibdeps cannot see.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${VELT_DEB_SOURCE}/postinst ${VELT_DEB_SOURCE}/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The desktop entries name the launcher by the prefix at installation time: /usr, not the
# staging folder.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# Everything but the machine's settings store, which postinst creates and purge removes.
set(CPACK_INSTALL_CMAKE_PROJECTS
    "${CMAKE_BINARY_DIR};VELT;Unspecified;/" "${CMAKE_BINARY_DIR};VELT;debian;/")
include(CPack)
