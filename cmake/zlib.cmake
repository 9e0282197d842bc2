# zlib, static, built from Debian's source package by scripts/build-zlib.sh into this build folder the
# first time it is configured (the script does nothing once the library is there).
set(KW_ZLIB_DIR ${CMAKE_BINARY_DIR}/zlib/${CMAKE_SYSTEM_PROCESSOR})
if(NOT EXISTS ${KW_ZLIB_DIR}/lib/libz.a OR NOT EXISTS ${KW_ZLIB_DIR}/include/zlib.h)
  message(STATUS "Building zlib for ${CMAKE_SYSTEM_PROCESSOR} from Debian's source package")
  execute_process(COMMAND ${CMAKE_SOURCE_DIR}/scripts/build-zlib.sh ${CMAKE_BINARY_DIR} ${CMAKE_SYSTEM_PROCESSOR}
    RESULT_VARIABLE zlib_result)
  if(NOT zlib_result EQUAL 0)
    message(FATAL_ERROR "scripts/build-zlib.sh failed (${zlib_result})")
  endif()
endif()

add_library(kw_zlib STATIC IMPORTED GLOBAL)
set_target_properties(kw_zlib PROPERTIES
  IMPORTED_LOCATION ${KW_ZLIB_DIR}/lib/libz.a
  INTERFACE_INCLUDE_DIRECTORIES ${KW_ZLIB_DIR}/include)
