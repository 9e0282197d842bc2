# A static library built from Debian's source package by its script into this build folder the first
# time the folder is configured (the script does nothing once the library is there), as an imported
# target. usage: kw_debian_library(TARGET FOLDER SCRIPT LIBRARY HEADER)
function(kw_debian_library target folder script library header)
  set(dir ${CMAKE_BINARY_DIR}/${folder}/${CMAKE_SYSTEM_PROCESSOR})
  if(NOT EXISTS ${dir}/lib/${library} OR NOT EXISTS ${dir}/include/${header})
    message(STATUS "Building ${folder} for ${CMAKE_SYSTEM_PROCESSOR} from Debian's source package")
    execute_process(COMMAND ${CMAKE_SOURCE_DIR}/scripts/${script} ${CMAKE_BINARY_DIR} ${CMAKE_SYSTEM_PROCESSOR}
      RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
      message(FATAL_ERROR "scripts/${script} failed (${result})")
    endif()
  endif()
  add_library(${target} STATIC IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES
    IMPORTED_LOCATION ${dir}/lib/${library}
    INTERFACE_INCLUDE_DIRECTORIES ${dir}/include)
endfunction()

# libjpeg-turbo for the screenshots' JPEG encoder, zlib for the cabinets' MSZIP blocks.
kw_debian_library(kw_libjpeg libjpeg-turbo build-libjpeg.sh libjpeg.a jpeglib.h)
kw_debian_library(kw_zlib zlib build-zlib.sh libz.a zlib.h)
# SQLite for the support library's package index.
kw_debian_library(kw_sqlite sqlite build-sqlite.sh libsqlite3.a sqlite3.h)
