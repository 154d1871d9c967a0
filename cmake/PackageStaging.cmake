# Run by cpack (CPACK_PRE_BUILD_SCRIPTS) once every component lies in its
# staging folder, CPACK_TEMPORARY_INSTALL_DIRECTORY/<component>/usr/..., and
# before the packages are made from them.

# Stripped as dh_strip strips: no debugging symbols and none of the
# compiler's .comment and .note sections; a library keeps only the symbols
# its users link against.
find_program(STRIP_PROGRAM strip REQUIRED)
file(GLOB_RECURSE staged LIST_DIRECTORIES false "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
set(library "")
foreach(file IN LISTS staged)
  if(IS_SYMLINK "${file}")
    continue()
  endif()
  file(READ "${file}" magic LIMIT 4 HEX)
  if(NOT magic STREQUAL "7f454c46")
    continue()
  endif()
  set(options --remove-section=.comment --remove-section=.note)
  if(file MATCHES "/TrendScope/.*/libtrendscope\\.so\\.[0-9.]+$")
    set(library "${file}")
  endif()
  if(file MATCHES "\\.so(\\.[0-9]+)*$")
    list(APPEND options --strip-unneeded)
  endif()
  execute_process(COMMAND ${STRIP_PROGRAM} ${options} "${file}" RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "strip ${file} failed")
  endif()
endforeach()

# The library package's Depends: what dpkg-shlibdeps finds the library needs.
# (CPack's own dpkg-shlibdeps step would add ldconfig scripts to it.)
if(library STREQUAL "")
  message(FATAL_ERROR "libtrendscope.so.* is not among the staged files")
endif()
set(work "${CPACK_TOPLEVEL_DIRECTORY}/shlibdeps")
file(REMOVE_RECURSE "${work}")
file(MAKE_DIRECTORY "${work}/debian")
file(WRITE "${work}/debian/control" "")
execute_process(COMMAND dpkg-shlibdeps -O "${library}"
  WORKING_DIRECTORY "${work}"
  OUTPUT_VARIABLE depends
  ERROR_VARIABLE errors
  RESULT_VARIABLE failed)
if(failed OR NOT depends MATCHES "^shlibs:Depends=([^\n]+)")
  message(FATAL_ERROR "dpkg-shlibdeps ${library}: ${errors}")
endif()
set(CPACK_DEBIAN_TRENDSCOPE_PACKAGE_DEPENDS "${CMAKE_MATCH_1}")
