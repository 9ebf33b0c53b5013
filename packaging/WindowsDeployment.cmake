# Deployment of a cross-built Windows program by install rules: the Qt libraries that the
# programs and merivox-view's window part link, the plugins they load, the MinGW runtime, a
# qt.conf that names the plugin and translation folders, and Qt's German texts. The DLLs are
# stripped into the build tree first (Qt's and libstdc++'s come with their symbols, more than half
# of their size).
set(deploy_dir ${CMAKE_CURRENT_BINARY_DIR}/deploy)
get_target_property(qt_core_dll Qt6::Core IMPORTED_LOCATION_RELEASE)
if(NOT qt_core_dll)
    get_target_property(qt_core_dll Qt6::Core IMPORTED_LOCATION)
endif()
get_filename_component(qt_bin_dir ${qt_core_dll} DIRECTORY)
get_filename_component(qt_prefix ${qt_bin_dir} DIRECTORY)

set(runtime_dlls)
foreach(qt_dll Core Gui Widgets Svg)
    list(APPEND runtime_dlls ${qt_bin_dir}/Qt6${qt_dll}.dll)
endforeach()
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
        OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT EXISTS "${path}")
        set(path ${qt_bin_dir}/${dll})
    endif()
    list(APPEND runtime_dlls ${path})
endforeach()
set(plugins platforms/qwindows.dll styles/qwindowsvistastyle.dll imageformats/qsvg.dll
            imageformats/qico.dll iconengines/qsvgicon.dll)

set(stripped)
foreach(dll ${runtime_dlls})
    get_filename_component(name ${dll} NAME)
    add_custom_command(OUTPUT ${deploy_dir}/${name}
        COMMAND ${CMAKE_STRIP} --strip-unneeded -o ${deploy_dir}/${name} ${dll}
        DEPENDS ${dll} VERBATIM)
    list(APPEND stripped ${deploy_dir}/${name})
    install(FILES ${deploy_dir}/${name} DESTINATION ${CMAKE_INSTALL_BINDIR})
endforeach()
foreach(plugin ${plugins})
    get_filename_component(folder ${plugin} DIRECTORY)
    add_custom_command(OUTPUT ${deploy_dir}/plugins/${plugin}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${deploy_dir}/plugins/${folder}
        COMMAND ${CMAKE_STRIP} --strip-unneeded -o ${deploy_dir}/plugins/${plugin} ${qt_prefix}/plugins/${plugin}
        DEPENDS ${qt_prefix}/plugins/${plugin} VERBATIM)
    list(APPEND stripped ${deploy_dir}/plugins/${plugin})
    install(FILES ${deploy_dir}/plugins/${plugin} DESTINATION ${CMAKE_INSTALL_BINDIR}/plugins/${folder})
endforeach()
add_custom_target(merivox_deploy ALL DEPENDS ${stripped})

# Relative to the folder of the executables.
file(WRITE ${deploy_dir}/qt.conf "[Paths]\nPrefix = .\nPlugins = plugins\nTranslations = translations\n")
install(FILES ${deploy_dir}/qt.conf DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${qt_prefix}/translations/qtbase_de.qm DESTINATION ${CMAKE_INSTALL_BINDIR}/translations)
