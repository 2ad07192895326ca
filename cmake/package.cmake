# make package (cpack): two Debian packages, tarvo (the programs, their libraries and modules,
# desktop entry, metadata, manual pages, documents) and tarvo-dev (what a client of the data
# component is built with). Their version is the build's (cmake/version.cmake); the run-time
# dependencies come from the libraries (dpkg-shlibdeps), plus what Qt and the windows load
# without linking it: the platform plugin, the SVG icon plugin, Chinese fonts.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarvo)
set(CPACK_PACKAGE_VERSION ${TARVO_VERSION})
set(CPACK_PACKAGE_VENDOR "Tarvo maintainers")
set(CPACK_PACKAGE_CONTACT "Tarvo maintainers <maintainers@tarvo.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "employee management: employee list, form and data component")
# The first line of each package's description is the summary above (CPack adds it).
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION "\
The employee module of an office suite: the desktop program tarvo with the
employee list (员工管理: search, export with an audit line) and the employee
form (员工信息: add, change and delete records with a photo), on an embedded
SQLite database or an office's PostgreSQL server. The data component's classes
Tarvo.Department, Tarvo.Person and Tarvo.Message are registered for every
user. The tools tarvo-script, tarvo-db and tarvo-com come with it.")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime dev)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The module's own libraries are private (lib/tarvo): dpkg-shlibdeps finds them there.
# (dpkg-shlibdeps runs in the package's staging folder, hence the relative path.)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS usr/${TARVO_INSTALL_LIBDIR})
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME tarvo)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6svg6, fonts-noto-cjk")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_RECOMMENDS "qt6-translations-l10n")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_DEV_PACKAGE_NAME tarvo-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "tarvo (= ${TARVO_VERSION})")
set(CPACK_DEBIAN_DEV_PACKAGE_RECOMMENDS "pkg-config, cmake, g++")
set(CPACK_DEBIAN_DEV_DESCRIPTION "\
Client development files of the data component: headers, a pkg-config file and
a CMake package for programs that create the component's classes by ProgID and
call them by name (VARIANT, BSTR, SAFEARRAY, error information).")

# What Debian asks of every package: its copyright and changelog in its documents folder.
configure_file(packaging/changelog.in ${PROJECT_BINARY_DIR}/packaging/changelog @ONLY)
set(changelog ${PROJECT_BINARY_DIR}/packaging/changelog.gz)
execute_process(COMMAND gzip -9nc ${PROJECT_BINARY_DIR}/packaging/changelog
                OUTPUT_FILE ${changelog})
foreach(component runtime dev)
    set(docdir ${CMAKE_INSTALL_DATADIR}/doc/tarvo)
    if(component STREQUAL dev)
        set(docdir ${CMAKE_INSTALL_DATADIR}/doc/tarvo-dev)
    endif()
    install(FILES packaging/copyright ${changelog} DESTINATION ${docdir} COMPONENT ${component})
endforeach()

include(CPack)
