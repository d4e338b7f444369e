# Fails when the committed grammar differs from what kestro-grammar prints now.
#   cmake -DGENERATOR=... -DCOMMITTED=... -DTREE=... -P check_grammar.cmake
execute_process(COMMAND ${GENERATOR} OUTPUT_VARIABLE generated RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "kestro-grammar failed (${status})")
endif()
if(NOT EXISTS ${COMMITTED})
  set(committed "")
else()
  file(READ ${COMMITTED} committed)
endif()
if(NOT generated STREQUAL committed)
  message(FATAL_ERROR "${COMMITTED} is out of date with the command table or the key names.\n"
    "Regenerate it with:  cmake --build ${TREE} --target kestro-grammar-update\n"
    "and commit the result.")
endif()
message(STATUS "the committed grammar is current")
