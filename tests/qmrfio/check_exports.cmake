# SPDX-License-Identifier: GPL-2.0-or-later
# Checks that a shared library exports exactly the names in EXPECTED.
# cmake -DNM=nm -DLIBRARY=libqmrfio.so -DEXPECTED="a;b" -P check_exports.cmake
execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY}
                OUTPUT_VARIABLE symbols RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${NM} failed on ${LIBRARY}")
endif()
string(REPLACE "\n" ";" lines "${symbols}")
set(names "")
foreach(line IN LISTS lines)
  # "address type name"
  if(line MATCHES "^[0-9a-fA-F]* +[A-Za-z] +([^ ]+)$")
    list(APPEND names ${CMAKE_MATCH_1})
  endif()
endforeach()
list(SORT names)
set(expected ${EXPECTED})
list(SORT expected)
if(NOT names STREQUAL expected)
  message(FATAL_ERROR "exported: ${names}\nexpected: ${expected}")
endif()
