# Compresses a file as Debian wants its manual pages and changelogs: best
# compression, no name or time stamp inside, so the bytes depend on the
# text alone.   cmake -DINPUT=file -DOUTPUT=file.gz -P Gzip.cmake
execute_process(COMMAND gzip -9 -n -c ${INPUT} OUTPUT_FILE ${OUTPUT} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  file(REMOVE ${OUTPUT})
  message(FATAL_ERROR "gzip failed on ${INPUT}: ${status}")
endif()
