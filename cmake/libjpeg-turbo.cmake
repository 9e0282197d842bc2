# libjpeg-turbo, static, built from Debian's source package by scripts/build-libjpeg.sh into this build
# folder the first time it is configured (the script does nothing once the library is there).
set(KW_LIBJPEG_DIR ${CMAKE_BINARY_DIR}/libjpeg-turbo/${CMAKE_SYSTEM_PROCESSOR})
if(NOT EXISTS ${KW_LIBJPEG_DIR}/lib/libjpeg.a OR NOT EXISTS ${KW_LIBJPEG_DIR}/include/jpeglib.h)
  message(STATUS "Building libjpeg-turbo for ${CMAKE_SYSTEM_PROCESSOR} from Debian's source package")
  execute_process(COMMAND ${CMAKE_SOURCE_DIR}/scripts/build-libjpeg.sh ${CMAKE_BINARY_DIR} ${CMAKE_SYSTEM_PROCESSOR}
    RESULT_VARIABLE libjpeg_result)
  if(NOT libjpeg_result EQUAL 0)
    message(FATAL_ERROR "scripts/build-libjpeg.sh failed (${libjpeg_result})")
  endif()
endif()

add_library(kw_libjpeg STATIC IMPORTED GLOBAL)
set_target_properties(kw_libjpeg PROPERTIES
  IMPORTED_LOCATION ${KW_LIBJPEG_DIR}/lib/libjpeg.a
  INTERFACE_INCLUDE_DIRECTORIES ${KW_LIBJPEG_DIR}/include)
