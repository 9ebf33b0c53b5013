# The operating system's parts of the program live in one implementation file per platform,
# Name_posix.cpp and Name_win32.cpp beside a shared Name.h; the build picks the one for the
# system it builds for, here and nowhere else.
#
# merivox_platform_sources(TARGET Name...): adds Name_win32.cpp (Windows) or Name_posix.cpp
# (every other system), from the calling folder, to TARGET for each Name.
if(WIN32)
    set(MERIVOX_PLATFORM win32)
else()
    set(MERIVOX_PLATFORM posix)
endif()

function(merivox_platform_sources target)
    foreach(stem IN LISTS ARGN)
        target_sources(${target} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/${stem}_${MERIVOX_PLATFORM}.cpp)
    endforeach()
endfunction()
