# cmake -DPAGES="a.1.gz;b.1.gz" -P CheckManPages.cmake
# Each manual page renders, with its name in the first line, and groff reports no warning.
foreach(page ${PAGES})
    execute_process(COMMAND man --warnings -E UTF-8 -l ${page}
        OUTPUT_VARIABLE text ERROR_VARIABLE warnings RESULT_VARIABLE result)
    get_filename_component(name ${page} NAME_WE)
    string(TOUPPER "${name}" name)
    if(NOT result EQUAL 0 OR NOT warnings STREQUAL "" OR NOT text MATCHES "^${name}\\(1\\)")
        message(FATAL_ERROR "${page} does not render cleanly (exit ${result}):\n${warnings}")
    endif()
endforeach()
message(STATUS "rendered without warnings: ${PAGES}")
