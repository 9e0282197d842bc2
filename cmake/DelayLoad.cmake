# A system DLL imported on delay: loaded at the first call of one of its functions instead of before the
# program starts. For the DLLs that only later work needs (file dialogs, hashing, the network, version
# resources): under Wine, loading them at start cost about 30 ms of the 300 that a start may take.
# The import library lists every function of the DLL, as the toolchain's own import library has them.
# usage: kw_delay_load(TARGET DLL), e.g. kw_delay_load(kw_delay_comdlg32 comdlg32)
function(kw_delay_load target dll)
  find_library(plain_${dll} NAMES lib${dll}.a ${dll} REQUIRED)
  execute_process(COMMAND ${CMAKE_NM} --defined-only ${plain_${dll}} OUTPUT_VARIABLE symbols
    RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${CMAKE_NM} cannot read ${plain_${dll}}")
  endif()
  # The functions are the text symbols; on i686 they carry a leading "_" and, for stdcall, "@bytes".
  string(REGEX MATCHALL "[0-9a-f]+ T [A-Za-z_][A-Za-z0-9_@]*" functions "${symbols}")
  set(def "LIBRARY ${dll}.dll\nEXPORTS\n")
  foreach(f IN LISTS functions)
    string(REGEX REPLACE "^[0-9a-f]+ T " "" f "${f}")
    if(f MATCHES "^__")
      continue()
    endif()
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
      string(REGEX REPLACE "^_" "" f "${f}")
    endif()
    string(APPEND def "${f}\n")
  endforeach()
  set(dir ${CMAKE_BINARY_DIR}/delay-load)
  file(MAKE_DIRECTORY ${dir})
  file(WRITE ${dir}/${dll}.def "${def}")
  execute_process(COMMAND ${CMAKE_DLLTOOL} --kill-at --input-def ${dir}/${dll}.def --dllname ${dll}.dll
    --output-delaylib ${dir}/lib${dll}-delay.a RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${CMAKE_DLLTOOL} cannot make the delay-load library of ${dll}")
  endif()
  # Each member's code section holds both the jump stub and the thunk that the import slot points to
  # until the first call loads the DLL. The i686 linker drops the code section of an import-library
  # member whose function is called only through its __imp_ slot (as dllimport declarations do, the
  # sockets' and the file dialogs' among them): the slot then points to address 0 and the first call
  # jumps there. Renamed to a grouped name and marked as data, the section is no longer taken for a
  # stub and still lands in .text.
  execute_process(COMMAND ${CMAKE_OBJCOPY} --rename-section ".text=.text$delay,contents,alloc,load,readonly,data"
    ${dir}/lib${dll}-delay.a RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${CMAKE_OBJCOPY} cannot keep the thunks of the delay-load library of ${dll}")
  endif()
  add_library(${target} STATIC IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES IMPORTED_LOCATION ${dir}/lib${dll}-delay.a)
endfunction()
