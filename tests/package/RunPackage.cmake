# CHECK=install: installs the build into a scratch prefix, compares the files
# with the list below and runs the installed program and the polar probe.
# CHECK=deb: makes the Debian packages and compares their files and fields.
# Variables: CHECK, BUILD_DIR, WORK_DIR, LIBDIR, VERSION, CONFIG, PROBE.
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
file(REAL_PATH "${WORK_DIR}" work)

set(program_files
  "bin/vanehold"
  "share/applications/vanehold.desktop"
  "share/icons/hicolor/scalable/apps/vanehold.svg"
  "share/vanehold/polars/Fast Sled 60ft.pol")
set(library_files
  "${LIBDIR}/libtrendscope.so.1"
  "${LIBDIR}/libtrendscope.so.1.0.3")
set(dev_files
  "${LIBDIR}/libtrendscope.so"
  "${LIBDIR}/cmake/TrendScope/TrendScopeConfig.cmake"
  "${LIBDIR}/cmake/TrendScope/TrendScopeConfigVersion.cmake"
  "${LIBDIR}/cmake/TrendScope/TrendScopeTargets.cmake"
  "${LIBDIR}/cmake/TrendScope/TrendScopeTargets-${CONFIG}.cmake"
  "include/TrendScope/ChartClock.h"
  "include/TrendScope/ChartTime.h"
  "include/TrendScope/ChartTypes.h"
  "include/TrendScope/TrendScope.h"
  "include/TrendScope/trendscope_export.h")

function(run output)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    string(REPLACE ";" " " command "${ARGN}")
    message(FATAL_ERROR "failed (${rc}): ${command}\n${out}\n${err}")
  endif()
  set(${output} "${out}" PARENT_SCOPE)
endfunction()

function(expect_same what actual expected)
  list(SORT actual)
  list(SORT expected)
  if(NOT actual STREQUAL expected)
    string(REPLACE ";" "\n  " actual "${actual}")
    string(REPLACE ";" "\n  " expected "${expected}")
    message(FATAL_ERROR "${what}:\n  ${actual}\nexpected:\n  ${expected}")
  endif()
endfunction()

if(CHECK STREQUAL "install")
  set(prefix "${work}/prefix")
  run(out "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${prefix}")
  file(GLOB_RECURSE installed LIST_DIRECTORIES false RELATIVE "${prefix}" "${prefix}/*")
  expect_same("installed files" "${installed}" "${program_files};${library_files};${dev_files}")

  run(out "${prefix}/bin/vanehold" --version)
  expect_same("--version" "${out}" "Vanehold ${VERSION}\n")
  run(out "${prefix}/bin/vanehold" --help)
  if(NOT out MATCHES "--profile <PATH>")
    message(FATAL_ERROR "--help without --profile:\n${out}")
  endif()

  # A run of the installed program that closes by itself and saves its
  # settings: they go to the user's folder, never into bin/.
  run(out "${CMAKE_COMMAND}" -E env "XDG_CONFIG_HOME=${work}/config" "HOME=${work}/home"
      "${prefix}/bin/vanehold" --simulate --screenshot "${work}/window.png")
  if(NOT EXISTS "${work}/config/Vanehold/Vanehold.ini" OR EXISTS "${prefix}/bin/Vanehold.ini")
    message(FATAL_ERROR "profile not in ${work}/config/Vanehold")
  endif()

  file(COPY "${PROBE}" DESTINATION "${prefix}/bin")
  get_filename_component(probe "${PROBE}" NAME)
  run(out "${prefix}/bin/${probe}")
  expect_same("default polar" "${out}" "${prefix}/share/vanehold/polars/Fast Sled 60ft.pol\n2.5\n")
  return()
endif()

run(out cpack --config "${BUILD_DIR}/CPackConfig.cmake" -G DEB -B "${work}")
file(GLOB debs "${work}/*.deb")
set(names "")
foreach(deb ${debs})
  get_filename_component(name "${deb}" NAME)
  list(APPEND names "${name}")
endforeach()
run(arch dpkg --print-architecture)
string(STRIP "${arch}" arch)
expect_same("packages" "${names}"
  "vanehold_${VERSION}_${arch}.deb;libtrendscope1_${VERSION}_${arch}.deb;libtrendscope-dev_${VERSION}_${arch}.deb")

# Package, its files under /usr, section, and what its Depends must name.
set(packages vanehold libtrendscope1 libtrendscope-dev)
set(vanehold_files ${program_files})
set(vanehold_section misc)
set(vanehold_depends "libtrendscope1 (= ${VERSION})" qt6-qpa-plugins libqt6widgets6 libqt6serialport6)
set(libtrendscope1_files ${library_files})
set(libtrendscope1_section libs)
set(libtrendscope1_depends libqt6widgets6 libqt6gui6)
set(libtrendscope-dev_files ${dev_files})
set(libtrendscope-dev_section libdevel)
set(libtrendscope-dev_depends "libtrendscope1 (= ${VERSION})" qt6-base-dev)

foreach(package ${packages})
  set(deb "${work}/${package}_${VERSION}_${arch}.deb")
  run(listing dpkg-deb -c "${deb}")
  string(REPLACE "\n" ";" lines "${listing}")
  set(files "")
  foreach(line ${lines})
    # "-rw-r--r-- root/root 1234 2024-01-01 12:00 ./usr/x -> y": plain files
    # and links, without their targets.
    if(line MATCHES "^[-l][^ ]* [^ ]+ +[0-9]+ [0-9-]+ [0-9:]+ \\./usr/(.*)$")
      string(REGEX REPLACE " -> .*$" "" file "${CMAKE_MATCH_1}")
      list(APPEND files "${file}")
    endif()
  endforeach()
  expect_same("${package} files" "${files}" "${${package}_files}")

  run(fields dpkg-deb -f "${deb}" Package Version Section Depends)
  foreach(expected "Package: ${package}\n" "Version: ${VERSION}\n" "Section: ${${package}_section}\n")
    string(FIND "${fields}" "${expected}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "${package}: no \"${expected}\" in\n${fields}")
    endif()
  endforeach()
  string(REGEX MATCH "Depends: ([^\n]*)" depends "${fields}")
  string(REPLACE ", " ";" depends "${CMAKE_MATCH_1}")
  foreach(needed ${${package}_depends})
    set(found FALSE)
    foreach(entry ${depends})
      if(entry STREQUAL needed OR entry MATCHES "^${needed} \\(")
        set(found TRUE)
      endif()
    endforeach()
    if(NOT found)
      message(FATAL_ERROR "${package} does not depend on ${needed}: ${CMAKE_MATCH_1}")
    endif()
  endforeach()
endforeach()

# Programs built against the library get a dependency on it from here.
run(shlibs dpkg-deb -I "${work}/libtrendscope1_${VERSION}_${arch}.deb" shlibs)
expect_same("libtrendscope1 shlibs" "${shlibs}" "libtrendscope 1 libtrendscope1 (>= ${VERSION})\n")
