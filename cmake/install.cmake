# cmake --install: what a distribution packages. Programs go to bin; the shared libraries and
# the loadable modules (the screen library, the data component and the data-access objects)
# to lib/tarvo; the desktop entry, icon, AppStream metadata, manual pages and documents to
# share. Everything here is the package tarvo (component runtime); the developer files
# (cmake/devel.cmake) are the component dev.
set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME runtime)
install(TARGETS tarvo tarvo-script tarvo-db tarvo-com RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
set_target_properties(tarvo tarvo-script tarvo-db tarvo-com
                      PROPERTIES INSTALL_RPATH "$ORIGIN/../${TARVO_INSTALL_LIBDIR}")
# libtarvo_com, which clients link, is installed with the developer files (cmake/devel.cmake).
install(TARGETS tarvo_text tarvo_db tarvo_runtime tarvo_screens tarvo_component tarvo_ado
        LIBRARY DESTINATION ${TARVO_INSTALL_LIBDIR} NAMELINK_SKIP)
install(FILES app/tarvo.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES app/tarvo.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES app/org.tarvo.Tarvo.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(DIRECTORY docs/ DESTINATION ${CMAKE_INSTALL_DOCDIR} PATTERN screenshots EXCLUDE)

include(${CMAKE_CURRENT_LIST_DIR}/devel.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/manuals.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/package.cmake)
