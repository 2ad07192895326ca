# Manual pages of the four programs, made from their own --help with help2man and packed as
# Debian wants them, so a page never tells another story than the program. Without help2man
# the build goes on without them (scripts/install-deps installs it for the package).
find_program(HELP2MAN help2man)
if(NOT HELP2MAN)
    message(STATUS "help2man not found: no manual pages")
    return()
endif()

set(tarvo_manuals
    "tarvo\;employee list and employee form on the desktop"
    "tarvo-script\;run scripts of user actions on the employee windows"
    "tarvo-db\;create, fill and set up the employee database"
    "tarvo-com\;register the data component and call its objects by name")
set(pages)
foreach(entry ${tarvo_manuals})
    list(GET entry 0 program)
    list(GET entry 1 summary)
    set(page ${PROJECT_BINARY_DIR}/man/${program}.1)
    set(packed ${page}.gz)
    add_custom_command(
        OUTPUT ${packed}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
        COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
                ${HELP2MAN} --no-info --section=1 --name=${summary}
                --version-string=${TARVO_VERSION} --output=${page} $<TARGET_FILE:${program}>
        COMMAND gzip -9nf ${page}
        DEPENDS ${program}
        COMMENT "Manual page ${program}(1)"
        VERBATIM)
    list(APPEND pages ${packed})
endforeach()
add_custom_target(manuals ALL DEPENDS ${pages})
install(FILES ${pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
