# Writes a manual page from a program's own --help, so the page lists the
# options the program has:
#   cmake -DPROGRAM=exe -DHELP2MAN=help2man -DSUMMARY=text [-DINCLUDE=file.h2m]
#         [-DSUBCOMMANDS=ON] -DOUTPUT=page.1 -P ManPage.cmake
# With SUBCOMMANDS, every command under "Subcommands:" in the help gets its
# own --help in a COMMANDS section.

set(includes)
if(INCLUDE)
  list(APPEND includes --include=${INCLUDE})
endif()

if(SUBCOMMANDS)
  execute_process(COMMAND ${PROGRAM} --help OUTPUT_VARIABLE help RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} --help failed: ${status}")
  endif()
  string(REGEX REPLACE ".*\nSubcommands:\n" "" commands "${help}")
  string(REGEX MATCHALL "(^|\n)  [a-z]+ " commands "${commands}")
  set(section "[COMMANDS]\n")
  foreach(command IN LISTS commands)
    string(STRIP "${command}" command)
    execute_process(COMMAND ${PROGRAM} ${command} --help OUTPUT_VARIABLE text RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "${PROGRAM} ${command} --help failed: ${status}")
    endif()
    # Plain text in roff: backslashes and minus signs escaped, no line taken
    # for a request.
    string(REPLACE "\\" "\\e" text "${text}")
    string(REPLACE "-" "\\-" text "${text}")
    string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
    string(APPEND section ".SS ${command}\n.nf\n${text}.fi\n")
  endforeach()
  set(generated "${OUTPUT}.commands.h2m")
  file(WRITE ${generated} "${section}")
  list(APPEND includes --include=${generated})
endif()

execute_process(
  COMMAND ${HELP2MAN} --no-info "--name=${SUMMARY}" ${includes} --output=${OUTPUT} ${PROGRAM}
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "help2man failed on ${PROGRAM}: ${status}")
endif()
