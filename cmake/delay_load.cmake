# Libraries of the system that only some roads of the program use are loaded at their
# first call instead of when the program starts, so that a start that ends at once (a
# refused argument, a second instance) loads no more than its message box needs.
#
# tlr_delay_load(<dll>...) prepends what makes those DLLs load on first use to
# TLR_SYSTEM_LIBS in the caller's scope. MinGW: an import library of delay-load stubs per
# DLL, made by dlltool at configure time from the exports that the toolchain's own import
# library lists (the stubs' helper __delayLoadHelper2 comes with the MinGW runtime).
# MSVC: /DELAYLOAD with the helper library delayimp.
#
# Not in 32-bit MinGW builds: the delay-load stubs that dlltool makes for i386 jump to
# address 0 at their first call (measured with the toolchain of these machines, for every
# library), so there the libraries are imported as usual and load at start.
function(tlr_delay_load)
  set(delayed)
  if(MINGW AND CMAKE_SIZEOF_VOID_P EQUAL 4)
    return()
  elseif(MINGW)
    set(folder ${CMAKE_BINARY_DIR}/delay_load)
    file(MAKE_DIRECTORY ${folder})
    foreach(dll ${ARGN})
      execute_process(COMMAND ${CMAKE_C_COMPILER} -print-file-name=lib${dll}.a
                      OUTPUT_VARIABLE implib OUTPUT_STRIP_TRAILING_WHITESPACE)
      execute_process(COMMAND ${CMAKE_NM} ${implib} OUTPUT_VARIABLE symbols RESULT_VARIABLE failed)
      if(failed OR NOT EXISTS ${implib})
        message(FATAL_ERROR "no import library for ${dll}.dll (${implib})")
      endif()
      # "__imp_Name" for every function of the DLL.
      string(REGEX MATCHALL "__imp_[A-Za-z0-9_@?$]+" imports "${symbols}")
      list(REMOVE_DUPLICATES imports)
      set(def "LIBRARY ${dll}.dll\nEXPORTS\n")
      foreach(import ${imports})
        string(REGEX REPLACE "^__imp_" "" name ${import})
        string(APPEND def "${name}\n")
      endforeach()
      file(WRITE ${folder}/${dll}.def "${def}")
      set(lib ${folder}/lib${dll}_delay.a)
      execute_process(COMMAND ${CMAKE_DLLTOOL} -d ${folder}/${dll}.def -D ${dll}.dll -y ${lib}
                      RESULT_VARIABLE failed ERROR_VARIABLE errors)
      if(failed)
        message(FATAL_ERROR "dlltool could not make the delay-load library of ${dll}.dll: ${errors}")
      endif()
      list(APPEND delayed ${lib})
    endforeach()
  elseif(MSVC)
    foreach(dll ${ARGN})
      list(APPEND delayed "-DELAYLOAD:${dll}.dll")
    endforeach()
    list(APPEND delayed delayimp)
  endif()
  set(TLR_SYSTEM_LIBS ${delayed} ${TLR_SYSTEM_LIBS} PARENT_SCOPE)
endfunction()
