# Packages made with CPack from the rules of Install.cmake:
#   cmake --build build/default --target package   (Linux: a Debian package)
set(CPACK_PACKAGE_NAME vtl)
set(CPACK_PACKAGE_VENDOR "QTZ")
set(CPACK_PACKAGE_CONTACT "QTZ <support@qtz.invalid>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Configuration tool for building-automation controllers on a serial line")
set(CPACK_PACKAGE_DESCRIPTION
    "Vantrel connects to main panels, sub panels and LAN controllers through a serial port, a USB
serial adapter or a serial device server, edits their settings and IP routing tables, and backs
up and restores their memory. Includes vtl-cli for scripts, the simulator vtl-sim and the manual.")
set(CPACK_PACKAGE_INSTALL_DIRECTORY Vantrel)
set(CPACK_STRIP_FILES ON)

if(WIN32)
    include(${CMAKE_CURRENT_LIST_DIR}/PackageWindows.cmake)
else()
    set(CPACK_GENERATOR DEB)
    set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
    # dpkg-shlibdeps names the packages of the libraries the programs link (Qt's among them) with
    # the versions of this system's symbols files, so nothing is pinned by hand.
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    # The serial port plugin finds no ports without udev's database; xdg-utils opens the manual.
    set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
endif()

include(CPack)
