# The Debian package: cpack --config build/CPackConfig.cmake -G DEB -B build/package
# On Windows a zip: cpack --config build-windows/CPackConfig.cmake -B build-windows/package
# gives tovrel-<version>-win64.zip, one folder of that name holding tovrel.exe, Configuration\,
# the README and the licence.
set(CPACK_PACKAGE_NAME tovrel)
set(CPACK_PACKAGE_VENDOR "Tovrel")
set(CPACK_PACKAGE_CONTACT "Tovrel developers <maintainers@tovrel.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "flash programmer for Pellicon microcontrollers over a serial port")
set(CPACK_PACKAGE_DESCRIPTION
    "Tovrel talks to the boot loader of 8051-based Pellicon microcontrollers over one\n\
serial port: it identifies the device, downloads an Intel HEX program and a data-flash\n\
file, verifies, secures and starts it, from one window or unattended from the command\n\
line. The package also holds pellicon-sim, a simulated device on a pseudo-terminal.")
set(CPACK_STRIP_FILES ON)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME tovrel-${PROJECT_VERSION}-win64)
  include(CPack)
  return()
endif()
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
# The window needs the platform plugins besides the libraries themselves, the SVG plugins for
# its icon, and the faces metric-compatible with the ones it was drawn with, so that its
# captions fit their controls.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6core6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6widgets6 (>= 6.4), libqt6serialport6 (>= 6.4), libqt6svg6 (>= 6.4), qt6-qpa-plugins, fonts-liberation2")
# The bench's databases: their client libraries (dpkg-shlibdeps adds their versions too).
if(TOVREL_DATABASES)
  string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", libsqlite3-0, libpq5")
endif()
# The C and C++ runtime versions come from the programs themselves.
find_program(TOVREL_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(TOVREL_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()
include(CPack)
