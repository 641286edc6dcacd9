# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 The Olvessa.project developers
# The test runner gives every class its own -o file and hands a function name only to the class
# that has it: run one function of the common tests with JUnit output, then a name no class has.
# Called by CTest with -DBINARY=<test_common> -DOUT=<folder>.
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${OUT})

execute_process(COMMAND ${BINARY} -o ${OUT}/results.xml,junitxml to_real
                RESULT_VARIABLE rc OUTPUT_QUIET ERROR_QUIET)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "one function by name failed: ${rc}")
endif()
file(GLOB written RELATIVE ${OUT} ${OUT}/*)
if(NOT written STREQUAL "results-NumberTextTest.xml")
    message(FATAL_ERROR "expected only results-NumberTextTest.xml, found: ${written}")
endif()
file(READ ${OUT}/results-NumberTextTest.xml junit)
if(NOT junit MATCHES "testcase name=\"to_real\\(" OR junit MATCHES "two_decimals")
    message(FATAL_ERROR "the JUnit file does not hold exactly the function asked for")
endif()

execute_process(COMMAND ${BINARY} no_such_function RESULT_VARIABLE rc OUTPUT_QUIET ERROR_QUIET)
if(rc EQUAL 0)
    message(FATAL_ERROR "a function no class has passed")
endif()
