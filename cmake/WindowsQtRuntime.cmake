# The Windows build of the desktop program runs against Qt's DLLs: velt_copy_qt_runtime(target
# [Qt6::Module...]) copies them, the MinGW runtime DLLs they share with the program and the
# platform plugins (windows, and offscreen for the tests) beside the target after each link, so
# that it runs from the build folder, and under Wine, as it does installed. Nothing elsewhere.
function(velt_copy_qt_runtime target)
  if(NOT WIN32)
    return()
  endif()
  set(dlls)
  foreach(module Qt6::Core Qt6::Gui Qt6::Widgets ${ARGN})
    list(APPEND dlls $<TARGET_FILE:${module}>)
  endforeach()
  file(GLOB runtime ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS}/lib*.dll)
  set(plugins $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin>
              $<TARGET_FILE:Qt6::QOffscreenIntegrationPlugin>)
  set(here $<TARGET_FILE_DIR:${target}>)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${dlls} ${runtime} ${here}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${here}/platforms ${here}/styles
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${plugins} ${here}/platforms
    COMMAND ${CMAKE_COMMAND} -E copy_if_different
            $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin> ${here}/styles
    VERBATIM)
endfunction()
