# Delay-loaded DLLs: a program links a DLL through an import library that
# dlltool makes with --output-delaylib, and the DLL is loaded when one of its
# functions is first called instead of when the program starts.
#
#   tavaro_delay_load(<target> <dll base name> <function>...)
#
# The functions are looked up in the toolchain's own import library, which
# gives their 32-bit names with the stdcall decoration ("InternetOpenW@20");
# dlltool's --kill-at then imports them by their plain names, as the DLL
# exports them. A function the import library lacks stops the configuration.
string(REGEX REPLACE "g\\+\\+(-posix)?$" "dlltool" TAVARO_DLLTOOL "${CMAKE_CXX_COMPILER}")

function(tavaro_delay_load target dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=lib${dll}.a
                  OUTPUT_VARIABLE library OUTPUT_STRIP_TRAILING_WHITESPACE)
  execute_process(COMMAND ${CMAKE_NM} -g ${library} OUTPUT_VARIABLE symbols)
  set(def "LIBRARY ${dll}.dll\nEXPORTS\n")
  foreach(function IN LISTS ARGN)
    if(NOT symbols MATCHES "__imp__?(${function}(@[0-9]+)?)[\r\n]")
      message(FATAL_ERROR "${function} is not in ${library}")
    endif()
    string(APPEND def "${CMAKE_MATCH_1}\n")
  endforeach()
  set(folder ${CMAKE_CURRENT_BINARY_DIR}/delay_load)
  file(WRITE ${folder}/${target}_${dll}.def "${def}")
  set(delay_library ${folder}/lib${target}_${dll}_delay.a)
  # Run in its folder: dlltool names the library's symbols after the paths it is given.
  add_custom_command(OUTPUT ${delay_library}
    COMMAND ${TAVARO_DLLTOOL} --input-def ${target}_${dll}.def --dllname ${dll}.dll --kill-at
            --output-delaylib lib${target}_${dll}_delay.a
    DEPENDS ${folder}/${target}_${dll}.def
    WORKING_DIRECTORY ${folder}
    COMMENT "delay-load library for ${dll}.dll")
  add_custom_target(${target}_${dll}_delay DEPENDS ${delay_library})
  add_dependencies(${target} ${target}_${dll}_delay)
  target_link_libraries(${target} PRIVATE ${delay_library} delayimp)
endfunction()
