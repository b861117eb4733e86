# Run after linking the Windows program: prints its size and fails the build
# when it imports a DLL that does not come with Windows, so the program stays
# one file that runs on any Windows without an installer of its own.
#   cmake -DPROGRAM=<exe> -DOBJDUMP=<objdump> -P CheckWindowsProgram.cmake
cmake_minimum_required(VERSION 3.25)

set(system_dlls
    advapi32.dll comctl32.dll comdlg32.dll crypt32.dll gdi32.dll kernel32.dll msimg32.dll msvcrt.dll
    ole32.dll oleaut32.dll shell32.dll shlwapi.dll user32.dll uxtheme.dll version.dll
    wininet.dll ws2_32.dll)

file(SIZE "${PROGRAM}" size)
math(EXPR kib "(${size} + 1023) / 1024")
get_filename_component(name "${PROGRAM}" NAME)

execute_process(COMMAND "${OBJDUMP}" -p "${PROGRAM}" OUTPUT_VARIABLE dump RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} could not read ${PROGRAM}")
endif()
string(REGEX MATCHALL "DLL Name: [^\n]+" lines "${dump}")
set(imports "")
foreach(line IN LISTS lines)
    string(REGEX REPLACE "DLL Name: *" "" dll "${line}")
    string(STRIP "${dll}" dll)
    string(TOLOWER "${dll}" dll)
    list(APPEND imports "${dll}")
    if(NOT dll IN_LIST system_dlls AND NOT dll MATCHES "^api-ms-win-")
        message(FATAL_ERROR "${name} imports ${dll}, which Windows does not provide")
    endif()
endforeach()
list(JOIN imports ", " imports)
message(STATUS "${name}: ${size} bytes (${kib} KiB); imports ${imports}")
