# The class registry of the installed tree. It is found relative to the installed tree, so a
# tree moved elsewhere keeps working.
set(tarvo_packaging ${PROJECT_BINARY_DIR}/packaging)
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
install(FILES ${tarvo_packaging}/registry DESTINATION ${tarvo_libdir})
