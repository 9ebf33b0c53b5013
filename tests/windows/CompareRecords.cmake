# cmake -DWINDOWS_RUN=... -DLINUX_RUN=... -DWORK=... -P CompareRecords.cmake
# Runs e2e_record of both builds (each a ;-list: command and arguments, the folder appended) and
# compares the two usrprobe.dat files byte for byte.
if(NOT EXISTS "${LINUX_PROGRAM}")
    message(FATAL_ERROR "The Linux build's e2e_record is missing (${LINUX_PROGRAM}): build the debug preset first, "
                        "or set MERIVOX_LINUX_BUILD_DIR.")
endif()
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/windows ${WORK}/linux)
execute_process(COMMAND ${WINDOWS_RUN} ${WORK}/windows RESULT_VARIABLE windows_result)
execute_process(COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ${LINUX_PROGRAM} ${WORK}/linux
    RESULT_VARIABLE linux_result)
if(NOT windows_result EQUAL 0 OR NOT linux_result EQUAL 0)
    message(FATAL_ERROR "e2e_record failed: Windows ${windows_result}, Linux ${linux_result}")
endif()
file(READ ${WORK}/windows/usrprobe.dat windows_hex HEX)
file(READ ${WORK}/linux/usrprobe.dat linux_hex HEX)
if(NOT windows_hex STREQUAL linux_hex OR windows_hex STREQUAL "")
    message(FATAL_ERROR "The records differ:\nWindows: ${windows_hex}\nLinux:   ${linux_hex}")
endif()
string(LENGTH "${windows_hex}" digits)
math(EXPR bytes "${digits} / 2")
message(STATUS "Both builds wrote the same ${bytes} bytes: ${windows_hex}")
