# Regenerates the example into a scratch folder and compares it with the files checked in.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
execute_process(COMMAND ${GENERATOR} ${WORK} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "the example generator failed: ${status}")
endif()
foreach(name emg-demo.csv emg-demo.kcd emg-guidelines.kcd fatigue-demo.csv fatigue-demo.kcd)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/${name} ${SOURCE}/${name}
        RESULT_VARIABLE different)
    if(different)
        message(FATAL_ERROR "examples/${name} is not what the generator writes; run "
            "scripts/make-example.sh")
    endif()
endforeach()
