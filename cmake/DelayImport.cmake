# Import libraries whose DLL is loaded on the first call into it rather than
# when the program starts. A DLL that is not one of Windows' known DLLs is
# looked for beside the program first when the program starts; loaded later,
# after the program has restricted the search to the system folder, only the
# system's copy can be found.
#
#   quibrant_delay_import(<name>)  e.g. wininet
# makes the target quibrant_delay_<name>, to link instead of <name>.

function(quibrant_delay_import name)
    find_library(QUIBRANT_IMPORT_${name} NAMES ${name} REQUIRED)
    set(dir ${CMAKE_BINARY_DIR}/delay-import)
    set(def ${dir}/${name}.def)
    set(library ${dir}/lib${name}-delay.a)
    file(MAKE_DIRECTORY ${dir})

    # Every function the system's import library offers, so that any call
    # the program makes is covered.
    execute_process(COMMAND ${CMAKE_NM} -g --defined-only ${QUIBRANT_IMPORT_${name}}
        OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "${CMAKE_NM} could not read ${QUIBRANT_IMPORT_${name}}")
    endif()
    string(REGEX MATCHALL "[0-9a-fA-F]+ T [^\n]+" lines "${symbols}")
    set(text "LIBRARY ${name}.dll\nEXPORTS\n")
    foreach(line IN LISTS lines)
        string(REGEX REPLACE "^[0-9a-fA-F]+ T " "" symbol "${line}")
        string(APPEND text "${symbol}\n")
    endforeach()
    file(WRITE ${def} "${text}")

    execute_process(COMMAND ${CMAKE_DLLTOOL} --input-def ${def} --dllname ${name}.dll
        --output-delaylib ${library} RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "${CMAKE_DLLTOOL} could not make ${library}")
    endif()

    add_library(quibrant_delay_${name} STATIC IMPORTED GLOBAL)
    set_target_properties(quibrant_delay_${name} PROPERTIES IMPORTED_LOCATION ${library})
    # The loader the delayed calls go through.
    target_link_libraries(quibrant_delay_${name} INTERFACE delayimp)
endfunction()
