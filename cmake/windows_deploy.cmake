# framewise_deploy_qt(target [TEST]): after each build, puts beside a Windows
# program what it needs to start as a Windows user gets it: the Qt DLLs, the
# platform and style plugins and the mingw-w64 runtime DLLs (the Qt DLLs need
# them even where our own programs link the runtime statically).
function(framewise_deploy_qt target)
  cmake_parse_arguments(D "TEST" "" "" ${ARGN})
  if(NOT WIN32)
    return()
  endif()
  # The plugins' imported targets are seen only in the folders that found Qt.
  find_package(Qt6 REQUIRED COMPONENTS Widgets)
  set(dlls $<TARGET_FILE:Qt6::Core> $<TARGET_FILE:Qt6::Gui> $<TARGET_FILE:Qt6::Widgets>)
  if(D_TEST)
    list(APPEND dlls $<TARGET_FILE:Qt6::Test>)
  endif()
  foreach(runtime libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${runtime}
                    OUTPUT_VARIABLE found OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${found}" OR NOT EXISTS "${found}")
      message(FATAL_ERROR "The mingw-w64 runtime DLL ${runtime} was not found")
    endif()
    list(APPEND dlls ${found})
  endforeach()
  set(dir $<TARGET_FILE_DIR:${target}>)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}/platforms ${dir}/styles
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${dlls} ${dir}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin>
            $<TARGET_FILE:Qt6::QMinimalIntegrationPlugin> ${dir}/platforms
    COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin> ${dir}/styles
    VERBATIM)
endfunction()

# framewise_install_qt(destination): the same files for the installed program
# folder and so for the Windows package.
function(framewise_install_qt destination)
  if(NOT WIN32)
    return()
  endif()
  find_package(Qt6 REQUIRED COMPONENTS Widgets)
  set(dlls $<TARGET_FILE:Qt6::Core> $<TARGET_FILE:Qt6::Gui> $<TARGET_FILE:Qt6::Widgets>)
  foreach(runtime libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${runtime}
                    OUTPUT_VARIABLE found OUTPUT_STRIP_TRAILING_WHITESPACE)
    list(APPEND dlls ${found})
  endforeach()
  install(FILES ${dlls} DESTINATION ${destination})
  install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> DESTINATION ${destination}/platforms)
  install(FILES $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin> DESTINATION ${destination}/styles)
endfunction()
