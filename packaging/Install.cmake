# What `cmake --install` puts in place, and so what the packages hold: the three programs, the
# desktop entry and icon, the manual, the manual pages and bash completion for vtl-cli.

install(TARGETS vtl vtl-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET vtl-sim)
    install(TARGETS vtl-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

# The whole folder, so pages added beside the others are installed without a change here.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/docs/manual/ DESTINATION ${VTL_MANUAL_INSTALL_DIR})

if(UNIX AND NOT APPLE)
    install(FILES ${CMAKE_CURRENT_LIST_DIR}/vtl.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${CMAKE_CURRENT_LIST_DIR}/icons/vtl.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
    foreach(size 16 32 48 64 128 256)
        install(FILES ${CMAKE_CURRENT_LIST_DIR}/icons/vtl-${size}.png
                DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
                RENAME vtl.png)
    endforeach()
    # Where bash-completion looks for a command's completion when it is first completed.
    install(FILES ${CMAKE_CURRENT_LIST_DIR}/completion/vtl-cli
            DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
endif()

include(${CMAKE_CURRENT_LIST_DIR}/ManPages.cmake)
