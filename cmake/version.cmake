# The version of this build, from one place: the project's version, with the checkout's place
# in git's history after it when the sources are a git checkout ("1.0+git57.a4450dc", ".dirty"
# when files were changed), so two builds of different sources never share a version. A tree
# without git (a source archive) keeps the project's own. The programs' --version prints it
# (generated/tarvo_version.h) and the package carries it.
set(TARVO_VERSION ${PROJECT_VERSION})
find_package(Git QUIET)
if(GIT_FOUND AND EXISTS ${PROJECT_SOURCE_DIR}/.git)
    execute_process(COMMAND ${GIT_EXECUTABLE} -C ${PROJECT_SOURCE_DIR} rev-list --count HEAD
                    OUTPUT_VARIABLE commits OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE failed_count ERROR_QUIET)
    execute_process(COMMAND ${GIT_EXECUTABLE} -C ${PROJECT_SOURCE_DIR}
                            describe --always --dirty=.dirty --abbrev=7 --exclude=*
                    OUTPUT_VARIABLE described OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE failed_describe ERROR_QUIET)
    if(NOT failed_count AND NOT failed_describe AND described)
        set(TARVO_VERSION "${PROJECT_VERSION}+git${commits}.${described}")
    endif()
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/tarvo_version.h.in
               ${PROJECT_BINARY_DIR}/generated/tarvo_version.h @ONLY)
