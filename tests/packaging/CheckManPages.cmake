# cmake -DPAGES="a.1.gz;b.1.gz" -P CheckManPages.cmake
# Each manual page renders, with its name in the first line, and groff reports no warning.
# With -DASCII=ON: the page is plain ASCII, so that it renders under LANG=C without losing a letter.
foreach(page ${PAGES})
    if(ASCII)
        # man under LANG=C drops the dots of German letters without a word: the page's source
        # must be plain ASCII, and it must render without warnings.
        string(REGEX REPLACE "\\.gz$" "" source ${page})
        execute_process(COMMAND grep -nP "[^\\x00-\\x7F]" ${source} OUTPUT_VARIABLE beyond)
        execute_process(COMMAND ${CMAKE_COMMAND} -E env LANG=C LC_ALL=C man --warnings -l ${page}
            OUTPUT_QUIET ERROR_VARIABLE warnings RESULT_VARIABLE result)
        if(NOT result EQUAL 0 OR NOT warnings STREQUAL "" OR NOT beyond STREQUAL "")
            message(FATAL_ERROR "${page} does not render as it is written under LANG=C (exit ${result}):\n"
                                "${warnings}${beyond}")
        endif()
        continue()
    endif()
    execute_process(COMMAND man --warnings -E UTF-8 -l ${page}
        OUTPUT_VARIABLE text ERROR_VARIABLE warnings RESULT_VARIABLE result)
    get_filename_component(name ${page} NAME_WE)
    string(TOUPPER "${name}" name)
    if(NOT result EQUAL 0 OR NOT warnings STREQUAL "" OR NOT text MATCHES "^${name}\\(1\\)")
        message(FATAL_ERROR "${page} does not render cleanly (exit ${result}):\n${warnings}")
    endif()
endforeach()
message(STATUS "rendered without warnings: ${PAGES}")
