# Runs one fuzz target for a bounded time over a scratch corpus plus the checked-in seeds.
file(MAKE_DIRECTORY ${SCRATCH})
execute_process(
    COMMAND ${FUZZER} -max_total_time=${SECONDS} -timeout=20 -rss_limit_mb=4096
            -print_final_stats=1 ${SCRATCH} ${SEEDS}
    RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${FUZZER} failed (${result})")
endif()
