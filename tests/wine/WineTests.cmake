# Windows tests of a cross build: every test program runs under Wine through wine-run.sh, in a
# Wine prefix of the build's own that the fixture wine_prefix makes at the start of each run.
# Included by tests/CMakeLists.txt before any test exists, so that every test gets the emulator.
# Debian's wine64 keeps both in /usr/lib/wine (the package wine adds /usr/bin/wine).
find_program(WINE NAMES wine64 wine PATHS /usr/lib/wine REQUIRED)
get_filename_component(wine_bin_dir ${WINE} DIRECTORY)
find_program(WINESERVER NAMES wineserver PATHS ${wine_bin_dir} NO_DEFAULT_PATH)
find_program(WINESERVER NAMES wineserver REQUIRED)
find_program(XVFB Xvfb)
find_path(FONT_DIR LiberationSans-Regular.ttf
    PATHS /usr/share/fonts/truetype/liberation /usr/share/fonts/truetype/liberation2
    NO_CMAKE_FIND_ROOT_PATH REQUIRED)

set(WINE_PREFIX ${CMAKE_BINARY_DIR}/wine-prefix)
set(XVFB_DISPLAY_FILE ${CMAKE_BINARY_DIR}/xvfb-display)
get_target_property(qt_core_dll Qt6::Core IMPORTED_LOCATION_RELEASE)
if(NOT qt_core_dll)
    get_target_property(qt_core_dll Qt6::Core IMPORTED_LOCATION)
endif()
get_filename_component(qt_bin_dir ${qt_core_dll} DIRECTORY)
# Wine's drive Z: is the root of the file system.
string(REPLACE "/" "\\" QT_BIN_WINDOWS "Z:${qt_bin_dir}")
# The offscreen platform on Windows takes its fonts from one folder and falls back on any of
# them for a family it lacks: Liberation Sans alone there stands in for Arial (same metrics),
# which the pictures name and every Windows has.
file(GLOB sans_fonts ${FONT_DIR}/LiberationSans-*.ttf)
file(COPY ${sans_fonts} DESTINATION ${CMAKE_BINARY_DIR}/wine-fonts)
string(REPLACE "/" "\\" FONT_DIR_WINDOWS "Z:${CMAKE_BINARY_DIR}/wine-fonts")

set(wine_dir ${CMAKE_CURRENT_LIST_DIR})
configure_file(${wine_dir}/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh @ONLY
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
configure_file(${wine_dir}/make-prefix.sh.in ${CMAKE_BINARY_DIR}/make-prefix.sh @ONLY
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)

add_test(NAME wine_prefix COMMAND ${CMAKE_BINARY_DIR}/make-prefix.sh)
add_test(NAME wine_prefix_end COMMAND sh -c "${WINESERVER} -k || true")
set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine TIMEOUT 300
    ENVIRONMENT "WINEPREFIX=${WINE_PREFIX}")
set_tests_properties(wine_prefix_end PROPERTIES FIXTURES_CLEANUP wine TIMEOUT 60
    ENVIRONMENT "WINEPREFIX=${WINE_PREFIX}")
if(XVFB)
    add_test(NAME xvfb_start COMMAND ${wine_dir}/xvfb.sh start ${XVFB_DISPLAY_FILE})
    add_test(NAME xvfb_stop COMMAND ${wine_dir}/xvfb.sh stop ${XVFB_DISPLAY_FILE})
    set_tests_properties(xvfb_start PROPERTIES FIXTURES_SETUP xvfb TIMEOUT 30)
    set_tests_properties(xvfb_stop PROPERTIES FIXTURES_CLEANUP xvfb TIMEOUT 30)
    # Wine's desktop process starts with the prefix and keeps the display it found then.
    set_tests_properties(wine_prefix PROPERTIES FIXTURES_REQUIRED xvfb)
endif()

# merivox_real_platform_test(TEST): the window test TEST once more on Wine's own windows
# platform (window manager, fonts, message boxes of Wine) on a virtual X display.
function(merivox_real_platform_test test)
    if(NOT XVFB)
        message(FATAL_ERROR "The tests on Wine's windows platform need Xvfb (scripts/install-deps.sh installs it).")
    endif()
    add_test(NAME ${test}_windows_platform COMMAND ${test})
    set_tests_properties(${test}_windows_platform PROPERTIES TIMEOUT 300
        ENVIRONMENT "QT_QPA_PLATFORM=windows" FIXTURES_REQUIRED "wine;xvfb" LABELS windows_platform)
endfunction()
