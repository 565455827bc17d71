# Run by `cmake --install`: writes the desktop entries and the manual pages for the prefix being installed to, and
# installs them (file(INSTALL) honours DESTDIR and lists each file in the install manifest).

# desktop_entry(<template> <output> <program>): fills Exec and TryExec with the installed program, through the writer
# of the clock's own launcher (core/desktop_entry.h), so that the two quote a path alike.
function(desktop_entry template output program)
    execute_process(COMMAND "${QX_DESKTOP_ENTRY}" "${template}" "${output}" "${program}"
        RESULT_VARIABLE result ERROR_VARIABLE error)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "writing ${output} failed (${result}): ${error}")
    endif()
endfunction()

if(CMAKE_INSTALL_PREFIX MATCHES "[\n\r\t]")
    message(FATAL_ERROR "the install prefix holds a control character: ${CMAKE_INSTALL_PREFIX}")
endif()
set(PROGRAM_DIR "${CMAKE_INSTALL_PREFIX}/${QX_LIBEXEC_DIR}")
if(IS_ABSOLUTE "${QX_AUTOSTART_DIR}")
    set(AUTOSTART_DIR "${QX_AUTOSTART_DIR}")
else()
    set(AUTOSTART_DIR "${CMAKE_INSTALL_PREFIX}/${QX_AUTOSTART_DIR}")
endif()
set(PREFIX "${CMAKE_INSTALL_PREFIX}")
set(VERSION "${QX_VERSION}")
file(MAKE_DIRECTORY "${QX_DIST_STAGE}")

desktop_entry("${QX_DIST_SOURCE}/quadrantix.desktop.in" "${QX_DIST_STAGE}/quadrantix.desktop" "${PROGRAM_DIR}/quadrantix")
desktop_entry("${QX_DIST_SOURCE}/horacumul.desktop.in" "${QX_DIST_STAGE}/horacumul.desktop" "${PROGRAM_DIR}/horacumul")
foreach(page quadrantix quadrasogno horacumul)
    configure_file("${QX_DIST_SOURCE}/man/${page}.1" "${QX_DIST_STAGE}/man1/${page}.1" @ONLY)
endforeach()

file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/${QX_DATA_DIR}/applications" TYPE FILE
    FILES "${QX_DIST_STAGE}/quadrantix.desktop")
file(INSTALL DESTINATION "${AUTOSTART_DIR}" TYPE FILE FILES "${QX_DIST_STAGE}/horacumul.desktop")
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/${QX_MAN_DIR}/man1" TYPE FILE
    FILES "${QX_DIST_STAGE}/man1/quadrantix.1" "${QX_DIST_STAGE}/man1/quadrasogno.1" "${QX_DIST_STAGE}/man1/horacumul.1")
