# The window's Windows program takes Qt's DLLs with it: installed beside tovrel.exe (and so in
# the zip) are exactly the DLLs it imports, directly or through the DLLs and plugins it
# loads, found among Qt's and the compiler's own, and the two plugins Qt loads at run time:
# the Windows platform (platforms\qwindows.dll) and the native look (styles\). Whatever is
# found in neither folder is the system's own (kernel32.dll, user32.dll, ...) and stays out.
function(tovrel_deploy_qt target)
  set(plugins "")
  foreach(plugin IN ITEMS QWindowsIntegrationPlugin:platforms QWindowsVistaStylePlugin:styles)
    string(REPLACE ":" ";" parts ${plugin})
    list(GET parts 0 name)
    list(GET parts 1 folder)
    if(NOT TARGET Qt6::${name})
      message(FATAL_ERROR "Qt has no ${name}: the window cannot start on Windows without it")
    endif()
    install(FILES $<TARGET_FILE:Qt6::${name}> DESTINATION ${folder})
    list(APPEND plugins $<TARGET_FILE:Qt6::${name}>)
  endforeach()

  # The compiler's runtime DLLs (libstdc++, libgcc, winpthread), which Qt's DLLs import.
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libstdc++-6.dll
                  OUTPUT_VARIABLE stdcxx OUTPUT_STRIP_TRAILING_WHITESPACE)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libwinpthread-1.dll
                  OUTPUT_VARIABLE winpthread OUTPUT_STRIP_TRAILING_WHITESPACE)
  get_filename_component(stdcxx_dir "${stdcxx}" DIRECTORY)
  get_filename_component(winpthread_dir "${winpthread}" DIRECTORY)
  get_target_property(core_dll Qt6::Core IMPORTED_LOCATION_RELEASE)
  if(NOT core_dll)
    get_target_property(core_dll Qt6::Core IMPORTED_LOCATION)
  endif()
  get_filename_component(qt_bin "${core_dll}" DIRECTORY)
  find_program(TOVREL_OBJDUMP NAMES ${CMAKE_CXX_COMPILER_TARGET}-objdump
                                    x86_64-w64-mingw32-objdump objdump REQUIRED)

  # Import names are matched without regard to case, as Windows does.
  install(CODE "
    set(TOVREL_DEPLOY_OBJDUMP \"${TOVREL_OBJDUMP}\")
    set(TOVREL_DEPLOY_START \"$<TARGET_FILE:${target}>\" ${plugins})
    set(TOVREL_DEPLOY_FOLDERS \"${qt_bin}\" \"${stdcxx_dir}\" \"${winpthread_dir}\")
    include(\"${CMAKE_CURRENT_FUNCTION_LIST_DIR}/windows-deploy-install.cmake\")
  ")
endfunction()
