# Writes the glyphcensus(1) manual page with help2man, from the command's own
# --help (and --version, when it has one). Run with cmake -P:
#   -DPROGRAM=path of glyphcensus  -DHELP2MAN=path  -DVERSION=project version
#   -DINCLUDE=glyphcensus.h2m  -DWORK_DIR=scratch folder  -DOUTPUT=glyphcensus.1
# The paragraph of --help that starts with "Exit status" becomes the page's
# EXIT STATUS section (help2man would leave it in the description). OUTPUT.gz
# is written too, the form Debian installs.
foreach(var PROGRAM HELP2MAN VERSION INCLUDE WORK_DIR OUTPUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "MakeManPage.cmake needs -D${var}=...")
  endif()
endforeach()

execute_process(COMMAND ${PROGRAM} --help OUTPUT_VARIABLE help RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR help STREQUAL "")
  message(FATAL_ERROR "${PROGRAM} --help failed (${status})")
endif()
# "glyphcensus <version>" once the command prints it; the project version before.
execute_process(COMMAND ${PROGRAM} --version OUTPUT_VARIABLE version_line
                ERROR_QUIET RESULT_VARIABLE status)
string(REGEX MATCH "^glyphcensus [^\n]+" version_line "${version_line}")
if(NOT status EQUAL 0 OR version_line STREQUAL "")
  set(version_line "glyphcensus ${VERSION}")
endif()

# Split off the exit status paragraph: from its line to the next blank line.
set(exit_status "")
string(REGEX MATCH "\n(Exit status[^\n]*(\n[^\n]+)*)" exit_match "\n${help}")
if(NOT exit_match STREQUAL "")
  set(exit_status "${CMAKE_MATCH_1}")
  string(REPLACE "${exit_status}" "" help "${help}")
  string(REGEX REPLACE "^Exit status:?[ \n]*" "" exit_status "${exit_status}")
endif()

file(MAKE_DIRECTORY ${WORK_DIR})
file(WRITE ${WORK_DIR}/help.txt "${help}")
# help2man runs a program for --help; this one prints the text kept above.
file(WRITE ${WORK_DIR}/print-help "#!/bin/sh\ncat '${WORK_DIR}/help.txt'\n")
file(CHMOD ${WORK_DIR}/print-help PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
file(READ ${INCLUDE} include_text)
if(NOT exit_status STREQUAL "")
  string(APPEND include_text "\n[EXIT STATUS]\n${exit_status}\n")
endif()
file(WRITE ${WORK_DIR}/glyphcensus.h2m "${include_text}")

execute_process(
  COMMAND ${HELP2MAN} --no-info --no-discard-stderr --section=1
          --version-string=${version_line} --include=${WORK_DIR}/glyphcensus.h2m
          --output=${OUTPUT} ${WORK_DIR}/print-help
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "help2man failed (${status})")
endif()
execute_process(COMMAND gzip -9 -n -f -k ${OUTPUT} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "gzip of ${OUTPUT} failed (${status})")
endif()
