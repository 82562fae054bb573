# The Windows installer: the programs with Qt deployed beside them by windeployqt, so that the
# installed folder runs on its own. Included only when building on Windows.
find_program(WINDEPLOYQT_PROGRAM windeployqt HINTS "${Qt6_DIR}/../../../bin")
if(WINDEPLOYQT_PROGRAM)
    # Runs at install time over the installed programs; the package stage installs into its own
    # folder, which CMAKE_INSTALL_PREFIX names then.
    install(CODE "
        execute_process(
            COMMAND \"${WINDEPLOYQT_PROGRAM}\" --no-translations --no-compiler-runtime
                    --dir \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\"
                    \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/vtl.exe\"
                    \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/vtl-cli.exe\"
            COMMAND_ERROR_IS_FATAL ANY)
    ")
else()
    message(WARNING "windeployqt not found: the installer will not carry Qt")
endif()
# The compiler's runtime libraries go beside the programs as well.
include(InstallRequiredSystemLibraries)

# A compiled help file, where one has been made, is installed beside the program: F1 opens it
# before the HTML pages.
if(EXISTS ${CMAKE_SOURCE_DIR}/docs/vtl.chm)
    install(FILES ${CMAKE_SOURCE_DIR}/docs/vtl.chm DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

set(CPACK_GENERATOR NSIS WIX)
set(CPACK_PACKAGE_EXECUTABLES vtl "Vantrel")
set(CPACK_CREATE_DESKTOP_LINKS vtl)
set(CPACK_NSIS_MUI_ICON ${CMAKE_SOURCE_DIR}/packaging/icons/vtl.ico)
set(CPACK_NSIS_INSTALLED_ICON_NAME ${CMAKE_INSTALL_BINDIR}/vtl.exe)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_NSIS_MENU_LINKS "${VTL_MANUAL_INSTALL_DIR}/index.html" "Vantrel Manual")
# A fixed upgrade code lets a newer installer replace an older one.
set(CPACK_WIX_UPGRADE_GUID 6C1E3A52-0F4B-4E3A-9A57-3D2B1C0E7F41)
set(CPACK_WIX_PRODUCT_ICON ${CMAKE_SOURCE_DIR}/packaging/icons/vtl.ico)
