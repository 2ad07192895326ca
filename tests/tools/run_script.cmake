# Runs tarvo-script on SCRIPT against a new database in WORK and compares the transcript
# with EXPECTED; the exit status must be 1 (the script holds deliberate mistakes).
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
execute_process(
    COMMAND ${TOOL} --db sqlite:${WORK}/test.db --demo --user tester --drive-c ${WORK}/c
            ${SCRIPT}
    OUTPUT_VARIABLE transcript
    RESULT_VARIABLE status)
file(READ ${EXPECTED} expected)
if(NOT status EQUAL 1)
    message(FATAL_ERROR "exit status ${status}, expected 1\n${transcript}")
endif()
if(NOT transcript STREQUAL expected)
    message(FATAL_ERROR "transcript differs:\n${transcript}\nexpected:\n${expected}")
endif()
file(REMOVE_RECURSE ${WORK})
