# Fails when PROGRAM needs a Qt library: lists what it links with objdump -p
# (NEEDED entries of an ELF program, DLL names of a Windows one).
execute_process(COMMAND ${OBJDUMP} -p ${PROGRAM} OUTPUT_VARIABLE headers RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "Could not list the libraries of ${PROGRAM}")
endif()
string(REGEX MATCHALL "(NEEDED|DLL Name:)[ \t]+[^\r\n]+" needed "${headers}")
if(NOT needed)
  # A static Windows build may need only system DLLs, but it needs some.
  message(FATAL_ERROR "No library list found in ${PROGRAM}")
endif()
foreach(entry IN LISTS needed)
  if(entry MATCHES "Qt[0-9]*(Widgets|Gui|Core)")
    message(FATAL_ERROR "${PROGRAM} links Qt (${entry}); the command line must not")
  endif()
endforeach()
