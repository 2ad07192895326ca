# cmake --install: what a distribution would package. Programs go to bin; the shared
# libraries and the loadable modules (the screen library, the data component and the
# data-access objects) to lib/tarvo, where the programs look for them; the desktop entry and
# the icon to share.
set(tarvo_libdir ${CMAKE_INSTALL_LIBDIR}/tarvo)
install(TARGETS tarvo tarvo-script tarvo-db tarvo-com RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS tarvo_text tarvo_db tarvo_runtime
        LIBRARY DESTINATION ${tarvo_libdir})
install(TARGETS tarvo_screens tarvo_component tarvo_ado LIBRARY DESTINATION ${tarvo_libdir})
install(FILES app/tarvo.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES app/tarvo.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(DIRECTORY docs/ DESTINATION ${CMAKE_INSTALL_DOCDIR})
include(${CMAKE_CURRENT_LIST_DIR}/devel.cmake)
