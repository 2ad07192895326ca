# Registers test programs with CTest. Every GoogleTest program ends through
# testing_support::run_all_tests(), which exits with 77 when nothing could run or a case was
# skipped for want of the PostgreSQL test server; CTest then counts it as skipped, not passed.
#
# A program whose sources hold PostgreSQL cases (backend suites, whose cases end in
# /postgresql, and suites named Pg... or Postgres...) is registered twice: NAME runs the rest
# and NAME.postgresql only those, so a run without a server shows the PostgreSQL half as
# skipped while the SQLite half still counts as passed.
set(TARVO_SKIPPED_EXIT_CODE 77)
set(tarvo_postgres_filter "*/postgresql:Pg*:Postgres*")
set(tarvo_postgres_sources_regex "backend_names|postgres_url|PasswordRole")

function(tarvo_register_test name)
    get_target_property(sources ${name} SOURCES)
    get_target_property(source_dir ${name} SOURCE_DIR)
    set(has_postgres FALSE)
    foreach(source ${sources})
        cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${source_dir})
        file(STRINGS ${source} hits REGEX "${tarvo_postgres_sources_regex}")
        if(hits)
            set(has_postgres TRUE)
        endif()
    endforeach()
    if(has_postgres)
        add_test(NAME ${name} COMMAND ${name} --gtest_filter=-${tarvo_postgres_filter})
        add_test(NAME ${name}.postgresql COMMAND ${name} --gtest_filter=${tarvo_postgres_filter})
        set_tests_properties(${name} ${name}.postgresql
                             PROPERTIES SKIP_RETURN_CODE ${TARVO_SKIPPED_EXIT_CODE})
    else()
        add_test(NAME ${name} COMMAND ${name})
        set_tests_properties(${name} PROPERTIES SKIP_RETURN_CODE ${TARVO_SKIPPED_EXIT_CODE})
    endif()
endfunction()

# One executable per suite, with the shared test main.
function(tarvo_test name)
    add_executable(${name} ${ARGN})
    target_link_libraries(${name} PRIVATE tarvo_test_main tarvo_test_support)
    tarvo_register_test(${name})
endfunction()
