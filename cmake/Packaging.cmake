# Debian packages, one per install component:
#   vanehold           the program, its default polar, menu entry and icon
#   libtrendscope1     the chart library under its SONAME
#   libtrendscope-dev  the chart's headers, CMake package and link
# Made with `cpack -G DEB` in the build folder.
set(VANEHOLD_PACKAGE_MAINTAINER "Vanehold maintainers <maintainers@vanehold.example>"
  CACHE STRING "Maintainer field of the Debian packages")

set(CPACK_PACKAGE_NAME vanehold)
set(CPACK_PACKAGE_VENDOR Vanehold)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${VANEHOLD_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL Vanehold TrendScope TrendScopeDev)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VANEHOLD_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Each description's first line is that package's summary.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
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
set(CPACK_DEBIAN_TRENDSCOPE_PACKAGE_SECTION libs)
# dpkg runs ldconfig once after all packages of a run are installed.
set(CPACK_DEBIAN_TRENDSCOPE_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/libtrendscope1/triggers)
set(CPACK_COMPONENT_TRENDSCOPE_DESCRIPTION
  "Recording strip-chart widget for Qt 6
TrendScope records values over hours and draws them as scrolling traces,
with its own configuration menu, scale dialog and time axis.
.
This package holds the shared library.")

set(CPACK_COMPONENT_TRENDSCOPEDEV_DEPENDS TrendScope)
set(CPACK_DEBIAN_TRENDSCOPEDEV_PACKAGE_NAME libtrendscope-dev)
set(CPACK_DEBIAN_TRENDSCOPEDEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_TRENDSCOPEDEV_PACKAGE_DEPENDS qt6-base-dev)
set(CPACK_COMPONENT_TRENDSCOPEDEV_DESCRIPTION
  "Recording strip-chart widget for Qt 6 - development files
TrendScope records values over hours and draws them as scrolling traces,
with its own configuration menu, scale dialog and time axis.
.
This package holds the headers and the CMake package for
find_package(TrendScope).")

include(CPack)
