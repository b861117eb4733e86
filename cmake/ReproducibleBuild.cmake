# Two builds of one commit make the same files, byte for byte, wherever their
# folders are and whenever they run, so anyone can check that a shipped file
# comes from that commit. Included from the top CMakeLists.txt.

# Optimised builds are the ones that ship: they carry no path of the machine
# that built them (in __FILE__, debug information or anything else the
# compiler writes down). Other builds keep full paths for the debugger.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    # The last map that matches wins: the build folder may lie inside the
    # sources.
    set(shipped "$<AND:$<COMPILE_LANGUAGE:C,CXX>,$<CONFIG:Release,MinSizeRel>>")
    add_compile_options(
        "$<${shipped}:-ffile-prefix-map=${PROJECT_SOURCE_DIR}=.>"
        "$<${shipped}:-ffile-prefix-map=${PROJECT_BINARY_DIR}=build>")
endif()

# The PE linker writes the time of the link into the file's header unless told
# not to; Windows needs no such time.
if(WIN32)
    add_link_options(LINKER:--no-insert-timestamp)
endif()

# Archives without member times, owners or modes, even where ar's default is
# otherwise.
foreach(language C CXX)
    set(CMAKE_${language}_ARCHIVE_CREATE "<CMAKE_AR> qcD <TARGET> <LINK_FLAGS> <OBJECTS>")
    set(CMAKE_${language}_ARCHIVE_APPEND "<CMAKE_AR> qD <TARGET> <LINK_FLAGS> <OBJECTS>")
    set(CMAKE_${language}_ARCHIVE_FINISH "<CMAKE_RANLIB> -D <TARGET>")
endforeach()
