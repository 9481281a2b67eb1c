# `cpack -G DEB` in a build directory makes kvrdash_VERSION_ARCH.deb: the three
# programs, libtolk64 with its development files, and the desktop files.
# Its dependencies come from dpkg-shlibdeps on the packaged binaries.
set(KVR_PACKAGE_CONTACT "KVR Dash developers <kvrdash@users.noreply.github.com>"
  CACHE STRING "Maintainer of the .deb (name <address>)")

set(CPACK_PACKAGE_NAME kvrdash)
set(CPACK_PACKAGE_VENDOR "KVR Dash developers")
set(CPACK_PACKAGE_CONTACT "${KVR_PACKAGE_CONTACT}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "dashboard and data logger for the KVR engine control unit")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# One package of the components a /usr install wants: the library and its
# development files from the multiarch copy (deb_*), not from the copy laid
# out for the configured prefix.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_COMPONENTS_ALL runtime development deb_library deb_library_development)
set(CPACK_PRE_BUILD_SCRIPTS "${CMAKE_CURRENT_LIST_DIR}/deb_staging_fixups.cmake")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libtolk64 ships in the package itself: dpkg-shlibdeps finds it there.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS "${CMAKE_BINARY_DIR}/serial")
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
# dpkg runs ldconfig once after installing the library, through its trigger.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${CMAKE_CURRENT_LIST_DIR}/deb/triggers")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGE_DESCRIPTION
"kvrdash is a Qt desktop dashboard for the KVR fuel-injection and ignition
computer. Over an RS-232 line it fetches the ECU's configuration image,
polls live records and shows them on dial meters, lamps and labels, records
eight channels on a strip chart, saves and loads logs, and shows, prints
and exports the configuration. It never writes to the ECU.

The package also holds kvrtool, which decodes, converts and records the
same data from the command line, kvrsim, an ECU simulator on a
pseudo-terminal, and libtolk64, the serial library they use, with its
header, pkg-config and CMake package files.")

include(CPack)
