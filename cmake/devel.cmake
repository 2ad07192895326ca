# The class registry of the installed tree, and the developer package (COMPONENT dev): the
# headers of the automation layer, the link name of libtarvo_com.so, and the files with which
# pkg-config (tarvo.pc) and CMake (find_package(Tarvo), target Tarvo::com) find them. Every
# file is found relative to the installed tree, so a tree moved elsewhere keeps working.
include(CMakePackageConfigHelpers)

set(tarvo_packaging ${PROJECT_BINARY_DIR}/packaging)
set(tarvo_cmakedir ${CMAKE_INSTALL_LIBDIR}/cmake/Tarvo)
file(MAKE_DIRECTORY ${tarvo_packaging})

# The registry naming the installed servers, written at build time by their own
# registration code. It is what the programs need at run time, so it goes with the
# libraries, not with the developer files.
add_executable(tarvo-registry-file packaging/registry_file.cpp)
target_link_libraries(tarvo-registry-file PRIVATE tarvo_ado_core tarvo_component_core)
add_custom_command(OUTPUT ${tarvo_packaging}/registry
    COMMAND tarvo-registry-file ${tarvo_packaging}/registry
            $<TARGET_FILE_NAME:tarvo_ado> $<TARGET_FILE_NAME:tarvo_component>
    DEPENDS tarvo-registry-file
    COMMENT "Writing the class registry of the installed servers")
add_custom_target(tarvo_shipped_registry ALL DEPENDS ${tarvo_packaging}/registry)
install(FILES ${tarvo_packaging}/registry DESTINATION ${TARVO_INSTALL_LIBDIR})

# libtarvo_com.so.N and its versioned file go with the programs; the unversioned link name
# only serves building clients.
install(TARGETS tarvo_com EXPORT TarvoTargets
        LIBRARY DESTINATION ${TARVO_INSTALL_LIBDIR} NAMELINK_COMPONENT dev)

install(DIRECTORY ${PROJECT_SOURCE_DIR}/platform/com/
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/tarvo/platform/com
        COMPONENT dev FILES_MATCHING PATTERN "*.h")
install(FILES ${PROJECT_SOURCE_DIR}/packaging/include/tarvo/com.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/tarvo COMPONENT dev)

# pkg-config: the prefix is found from the .pc file's own folder.
file(RELATIVE_PATH tarvo_pc_prefix /root/${CMAKE_INSTALL_LIBDIR}/pkgconfig /root)
string(REGEX REPLACE "/$" "" tarvo_pc_prefix "${tarvo_pc_prefix}")
configure_file(packaging/tarvo.pc.in ${tarvo_packaging}/tarvo.pc @ONLY)
install(FILES ${tarvo_packaging}/tarvo.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
        COMPONENT dev)

install(EXPORT TarvoTargets NAMESPACE Tarvo:: DESTINATION ${tarvo_cmakedir} COMPONENT dev)
configure_package_config_file(packaging/TarvoConfig.cmake.in
    ${tarvo_packaging}/TarvoConfig.cmake INSTALL_DESTINATION ${tarvo_cmakedir})
write_basic_package_version_file(${tarvo_packaging}/TarvoConfigVersion.cmake
    VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${tarvo_packaging}/TarvoConfig.cmake ${tarvo_packaging}/TarvoConfigVersion.cmake
        DESTINATION ${tarvo_cmakedir} COMPONENT dev)
