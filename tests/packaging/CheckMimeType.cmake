# cmake -DMIME=file.xml -DWORK=folder -P CheckMimeType.cmake
# The MIME type file is accepted by update-mime-database, and the database it builds knows the
# probe file by its name.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/packages)
file(COPY ${MIME} DESTINATION ${WORK}/packages)
execute_process(COMMAND update-mime-database -V ${WORK} RESULT_VARIABLE result ERROR_VARIABLE errors OUTPUT_QUIET)
if(NOT result EQUAL 0 OR errors MATCHES "[Ee]rror|[Ww]arning")
    message(FATAL_ERROR "update-mime-database refused ${MIME}:\n${errors}")
endif()
file(READ ${WORK}/globs2 globs)
if(NOT globs MATCHES "(^|\n)80:application/x-merivox-usrprobe:usrprobe\\.dat\n")
    message(FATAL_ERROR "usrprobe.dat is not in the built database:\n${globs}")
endif()
message(STATUS "usrprobe.dat is application/x-merivox-usrprobe")
