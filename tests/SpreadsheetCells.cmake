# Shared by the spreadsheet checks: a file read back as its cells.

# Each line of a file as its cells joined by "|", quotes and trailing empty cells dropped (the
# report ends every field with ";"). With NUMBERS, every decimal number loses its trailing zeros,
# so that a number a spreadsheet holds compares with the text the report wrote.
function(read_cells file separator out)
  cmake_parse_arguments(PARSE_ARGV 3 arg "NUMBERS" "" "")
  file(STRINGS ${file} lines ENCODING UTF-8)
  set(rows)
  foreach(line IN LISTS lines)
    string(REPLACE "\r" "" line "${line}")
    string(REPLACE "\"" "" line "${line}")
    string(REPLACE "${separator}" "|" line "${line}")
    string(REGEX REPLACE "\\|+$" "" line "${line}")
    if(arg_NUMBERS)
      string(REGEX REPLACE "(^|\\|)(-?[0-9]+\\.[0-9]*[1-9])0+(\\||$)" "\\1\\2\\3" line "${line}")
      string(REGEX REPLACE "(^|\\|)(-?[0-9]+)\\.0*(\\||$)" "\\1\\2\\3" line "${line}")
    endif()
    list(APPEND rows "${line}")
  endforeach()
  set(${out} "${rows}" PARENT_SCOPE)
endfunction()
