# A step of the installation (cmake_install.cmake): writes the desktop entries with the full path
# of the launcher in the prefix chosen at installation time, then renews the desktop's caches.
set(prefix "${CMAKE_INSTALL_PREFIX}")
if(NOT IS_ABSOLUTE "${prefix}")
  get_filename_component(prefix "${prefix}" ABSOLUTE)
endif()
set(root "$ENV{DESTDIR}${prefix}")
set(launch "${prefix}/${VELT_BINDIR}/velt-launch")

# Desktop entry quoting: a path with anything but plain characters goes in double quotes, with
# its quotes, backquotes, dollars and backslashes escaped for the Exec key (and the backslashes
# once more for the file's own string escapes); "%" is doubled.
if(launch MATCHES "^[A-Za-z0-9_./+-]+$")
  set(VELT_LAUNCH "${launch}")
else()
  string(REPLACE "\\" "\\\\\\\\" launch "${launch}")
  string(REPLACE "\"" "\\\\\"" launch "${launch}")
  string(REPLACE "`" "\\\\`" launch "${launch}")
  string(REPLACE "$" "\\\\$" launch "${launch}")
  string(REPLACE "%" "%%" launch "${launch}")
  set(VELT_LAUNCH "\"${launch}\"")
endif()

set(applications "${root}/${VELT_DATADIR}/applications")
foreach(entry velt.desktop velt-encrypt.desktop velt-decrypt.desktop)
  message(STATUS "Installing: ${applications}/${entry}")
  configure_file("${VELT_PACKAGING_SOURCE}/${entry}" "${applications}/${entry}" @ONLY)
endforeach()
# KDE's file manager shows the actions of a service menu in its context menu; it wants the file
# executable, except in the system's own /usr, whose service menus it trusts as they are.
set(servicemenus "${root}/${VELT_DATADIR}/kio/servicemenus")
message(STATUS "Installing: ${servicemenus}/velt.desktop")
set(menu_mode OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
if(NOT prefix STREQUAL "/usr")
  list(APPEND menu_mode OWNER_EXECUTE GROUP_EXECUTE WORLD_EXECUTE)
endif()
configure_file("${VELT_PACKAGING_SOURCE}/velt-servicemenu.desktop" "${servicemenus}/velt.desktop"
               @ONLY FILE_PERMISSIONS ${menu_mode})

# The MIME database and the applications cache, where their tools are at hand and the files
# land in place (a staged DESTDIR installation leaves this to the package's own scripts).
if("$ENV{DESTDIR}" STREQUAL "")
  find_program(update_mime update-mime-database)
  find_program(update_desktop update-desktop-database)
  if(update_mime)
    # Quiet: it warns about every prefix outside XDG_DATA_DIRS, which the README explains.
    execute_process(COMMAND "${update_mime}" "${root}/${VELT_DATADIR}/mime" OUTPUT_QUIET
                    ERROR_QUIET)
  endif()
  if(update_desktop)
    execute_process(COMMAND "${update_desktop}" "${applications}" OUTPUT_QUIET ERROR_QUIET)
  endif()
endif()
