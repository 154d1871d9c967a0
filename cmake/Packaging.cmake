# Debian packages, one per install component:
#   vanehold           the program, its default polar, menu entry, icons,
#                      software-centre entry and manual page
#   libtrendscope1     the chart library under its SONAME
#   libtrendscope-dev  the chart's headers, CMake package and link
# Made with `cpack -G DEB` in the build folder; lintian finds nothing in them.
set(VANEHOLD_PACKAGE_MAINTAINER "Vanehold maintainers <maintainers@vanehold.example>"
  CACHE STRING "Maintainer field of the Debian packages")

# Every package carries the licence (machine-readable) and the changelog in
# its own doc folder. The packages are native (no Debian revision), hence
# changelog.gz; gzip -n keeps it the same on every architecture, as
# Multi-Arch: same requires.
find_program(GZIP_PROGRAM gzip REQUIRED)
set(package_changelog ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
add_custom_command(OUTPUT ${package_changelog}
  COMMAND ${GZIP_PROGRAM} -9nc ${PROJECT_SOURCE_DIR}/packaging/changelog > ${package_changelog}
  DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog)
add_custom_target(package_changelog ALL DEPENDS ${package_changelog})
foreach(package_component vanehold:Vanehold libtrendscope1:TrendScope libtrendscope-dev:TrendScopeDev)
  string(REPLACE ":" ";" package_component ${package_component})
  list(GET package_component 0 package)
  list(GET package_component 1 component)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${package_changelog}
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${component})
endforeach()
# What lintian says of them that is not so, each with the reason.
install(FILES ${PROJECT_SOURCE_DIR}/packaging/vanehold/lintian-overrides
  DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME vanehold COMPONENT Vanehold)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/libtrendscope1/lintian-overrides
  DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME libtrendscope1 COMPONENT TrendScope)

set(CPACK_PACKAGE_NAME vanehold)
set(CPACK_PACKAGE_VENDOR Vanehold)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${VANEHOLD_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_COMPONENTS_ALL Vanehold TrendScope TrendScopeDev)
# Stripped as dh_strip does it, by the script below, instead of CPack's
# plain strip that leaves the .comment sections in.
set(CPACK_STRIP_FILES OFF)
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/PackageStaging.cmake)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VANEHOLD_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Each description's first line is that package's summary.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
# The program's own chart library is not on the system while the packages
# are made: dpkg-shlibdeps finds it in the library package's staging folder,
# a sibling of the one it runs in; the dependency itself is the component
# dependency below.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
  "../TrendScope${CPACK_PACKAGING_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}")

set(CPACK_COMPONENT_VANEHOLD_DEPENDS TrendScope)
set(CPACK_DEBIAN_VANEHOLD_PACKAGE_NAME vanehold)
set(CPACK_DEBIAN_VANEHOLD_PACKAGE_SECTION misc)
# Qt finds its display plugins at run time; without them no window opens.
set(CPACK_DEBIAN_VANEHOLD_PACKAGE_DEPENDS qt6-qpa-plugins)
set(CPACK_COMPONENT_VANEHOLD_DESCRIPTION
  "Steers a yacht's autopilot to hold a wind angle
Vanehold reads the boat's wind, speed, compass and GPS instruments (NMEA 0183)
on a serial line and sends APB sentences to a standard autopilot, so that the
boat holds a chosen apparent or true wind angle. It records a history of the
instrument values, shows the boat's polar performance and carries out tacks
and jibes at a limited rate of turn. A simulator provides all instrument data
ashore.")

set(CPACK_DEBIAN_TRENDSCOPE_PACKAGE_NAME libtrendscope1)
# Installable for several architectures at once: CPack knows no Multi-Arch
# field, so the field rides on the line of the one before it.
set(CPACK_DEBIAN_TRENDSCOPE_PACKAGE_SECTION "libs\nMulti-Arch: same")
# CPack's own shlibs and dpkg-shlibdeps steps would also add maintainer
# scripts calling ldconfig, and a postrm leaves a removed package behind in
# state rc. Instead: the triggers file has dpkg run ldconfig once after all
# packages of a run; PackageStaging.cmake works out the library's Depends;
# and the shlibs file is ours. It asks for at least this package's version:
# no symbols file records when each symbol came, so a program built now may
# use any of them, and the SONAME alone says when that breaks.
set(CPACK_DEBIAN_TRENDSCOPE_PACKAGE_SHLIBDEPS OFF)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/packaging/libtrendscope1/shlibs
  CONTENT "libtrendscope 1 libtrendscope1 (>= ${PROJECT_VERSION})\n")
set(CPACK_DEBIAN_TRENDSCOPE_PACKAGE_CONTROL_EXTRA
  ${PROJECT_SOURCE_DIR}/packaging/libtrendscope1/triggers
  ${CMAKE_BINARY_DIR}/packaging/libtrendscope1/shlibs)
set(CPACK_COMPONENT_TRENDSCOPE_DESCRIPTION
  "Recording strip-chart widget for Qt 6
TrendScope records values over hours and draws them as scrolling traces,
with its own configuration menu, scale dialog and time axis.
.
This package holds the shared library.")

set(CPACK_COMPONENT_TRENDSCOPEDEV_DEPENDS TrendScope)
set(CPACK_DEBIAN_TRENDSCOPEDEV_PACKAGE_NAME libtrendscope-dev)
set(CPACK_DEBIAN_TRENDSCOPEDEV_PACKAGE_SECTION "libdevel\nMulti-Arch: same")
set(CPACK_DEBIAN_TRENDSCOPEDEV_PACKAGE_SHLIBDEPS OFF)
set(CPACK_DEBIAN_TRENDSCOPEDEV_PACKAGE_DEPENDS qt6-base-dev)
set(CPACK_COMPONENT_TRENDSCOPEDEV_DESCRIPTION
  "Recording strip-chart widget for Qt 6 - development files
TrendScope records values over hours and draws them as scrolling traces,
with its own configuration menu, scale dialog and time axis.
.
This package holds the headers and the CMake package for
find_package(TrendScope).")

include(CPack)
