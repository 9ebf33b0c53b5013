# cmake -DCOMPILE_COMMANDS=compile_commands.json -DSOURCE_DIR=... -DBINARY_DIR=... -P MingwSyntax.cmake
#
# Every source file of the program, compiled for Windows with MinGW-w64 against the installed Qt
# headers (where Q_OS_WIN is then defined), with the flags of the real build: only the syntax is
# checked, nothing is linked. The program's sources are all those in the compile database apart
# from the tests, the benchmark, the build-time tools and generated files. Files for the other
# platform are swapped: a POSIX-only source is left out, and a Windows-only source that the build
# here never compiles is checked with the flags of a source from its own folder.
set(compiler x86_64-w64-mingw32-g++)
file(READ ${COMPILE_COMMANDS} database)
string(JSON count LENGTH "${database}")
math(EXPR last "${count} - 1")

set(sources)
foreach(i RANGE ${last})
    string(JSON file GET "${database}" ${i} file)
    file(RELATIVE_PATH relative ${SOURCE_DIR} ${file})
    if(relative MATCHES "^(\\.\\./|tests/|bench/|packaging/|build)" OR file MATCHES "^${BINARY_DIR}/")
        continue()
    endif()
    string(MAKE_C_IDENTIFIER "${file}" id)
    get_filename_component(folder ${file} DIRECTORY)
    string(MAKE_C_IDENTIFIER "${folder}" folder_id)
    string(JSON command_${id} GET "${database}" ${i} command)
    string(JSON directory_${id} GET "${database}" ${i} directory)
    set(command_${folder_id} "${command_${id}}")
    set(directory_${folder_id} "${directory_${id}}")
    if(NOT relative MATCHES "[Pp]osix|[Uu]nix")
        list(APPEND sources ${file})
    endif()
endforeach()

# Windows-only sources that the build here never compiles.
file(GLOB_RECURSE candidates RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*.cpp)
foreach(relative ${candidates})
    set(file ${SOURCE_DIR}/${relative})
    string(MAKE_C_IDENTIFIER "${file}" id)
    get_filename_component(folder ${file} DIRECTORY)
    string(MAKE_C_IDENTIFIER "${folder}" folder_id)
    if(relative MATCHES "^(tests/|bench/|packaging/|build)" OR file MATCHES "^${BINARY_DIR}/")
        continue()
    endif()
    if(relative MATCHES "(Win32|Windows|_win)[^/]*\\.cpp$" AND NOT DEFINED command_${id}
       AND DEFINED command_${folder_id})
        set(command_${id} "${command_${folder_id}}")
        set(directory_${id} "${directory_${folder_id}}")
        list(APPEND sources ${file})
    endif()
endforeach()

set(failed 0)
set(checked 0)
foreach(file ${sources})
    string(MAKE_C_IDENTIFIER "${file}" id)
    separate_arguments(arguments UNIX_COMMAND "${command_${id}}")
    list(POP_FRONT arguments) # the native compiler
    set(windows_arguments)
    set(skip_next FALSE)
    foreach(argument ${arguments})
        if(skip_next)
            set(skip_next FALSE)
        elseif(argument STREQUAL "-o")
            set(skip_next TRUE)
        elseif(argument STREQUAL "-c" OR argument STREQUAL "-fPIC" OR argument MATCHES "\\.cpp$")
        else()
            list(APPEND windows_arguments "${argument}")
        endif()
    endforeach()
    execute_process(COMMAND ${compiler} ${windows_arguments} -fsyntax-only ${file}
        WORKING_DIRECTORY ${directory_${id}}
        ERROR_VARIABLE errors RESULT_VARIABLE result)
    file(RELATIVE_PATH relative ${SOURCE_DIR} ${file})
    math(EXPR checked "${checked} + 1")
    if(result EQUAL 0)
        message(STATUS "ok     ${relative}")
    else()
        message(STATUS "FAILED ${relative}\n${errors}")
        math(EXPR failed "${failed} + 1")
    endif()
endforeach()

if(checked EQUAL 0)
    message(FATAL_ERROR "no program sources found in ${COMPILE_COMMANDS}")
endif()
if(failed GREATER 0)
    message(FATAL_ERROR "${failed} of ${checked} sources fail the MinGW-w64 syntax check")
endif()
message(STATUS "${checked} sources pass the MinGW-w64 syntax check")
