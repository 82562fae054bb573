# Manual pages of vtl-cli and vtl-sim, made from their --help at build time so that they always
# say what the programs do. Without help2man the build goes on without them.
find_program(HELP2MAN_PROGRAM help2man)
if(NOT HELP2MAN_PROGRAM)
    message(STATUS "help2man not found: the manual pages of vtl-cli and vtl-sim are not built "
                   "(Debian package help2man)")
    return()
endif()

set(man_pages)
foreach(program vtl-cli vtl-sim)
    if(NOT TARGET ${program})
        continue()
    endif()
    set(page ${CMAKE_BINARY_DIR}/man/${program}.1)
    set(include ${CMAKE_CURRENT_LIST_DIR}/man/${program}.h2m)
    # vtl-cli's --help lists its commands; a stand-in of the same name adds each one's options.
    set(helped $<TARGET_FILE:${program}>)
    if(program STREQUAL "vtl-cli")
        set(helped ${CMAKE_BINARY_DIR}/man/help/${program})
        file(GENERATE OUTPUT ${helped}
             CONTENT "#!/bin/sh\nexec bash ${CMAKE_CURRENT_LIST_DIR}/man/help-with-commands $<TARGET_FILE:${program}> \"$@\"\n"
             FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                              WORLD_READ WORLD_EXECUTE)
    endif()
    add_custom_command(
        OUTPUT ${page}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
        COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
                ${HELP2MAN_PROGRAM} --no-info --no-discard-stderr --section=1
                --version-string=${PROJECT_VERSION} --include=${include}
                --output=${page} ${helped}
        DEPENDS ${program} ${include} ${CMAKE_CURRENT_LIST_DIR}/man/help-with-commands
        COMMENT "Manual page of ${program}"
        VERBATIM)
    list(APPEND man_pages ${page})
endforeach()
add_custom_target(man_pages ALL DEPENDS ${man_pages})
install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
