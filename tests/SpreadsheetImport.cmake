# Opens a CSV report of the bundled sample in LibreOffice with ";" as separator and checks that
# every cell of the title line and of the data lines lands in its own column. Skipped (with the
# word SKIPPED, which CTest reports as a skip) when LibreOffice is not installed.
find_program(SOFFICE NAMES soffice libreoffice)
if(NOT SOFFICE)
  message("SKIPPED: LibreOffice (soffice) is not installed; the spreadsheet import of the CSV report is not checked")
  return()
endif()

file(REMOVE_RECURSE ${WORKDIR})
file(MAKE_DIRECTORY ${WORKDIR}/out)
execute_process(COMMAND ${MOLDBOM} report --csv ${WORKDIR}/bom.csv --profile ${WORKDIR}/bom.bom --sort --yes
                OUTPUT_QUIET RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "moldbom report failed with ${rc}")
endif()

# Import: separator ";" (59), text delimiter '"' (34), UTF-8 (76), from line 1, every column as
# text (format 2) so that cells compare as written; export tab-separated.
set(text_columns "1/2")
foreach(column RANGE 2 64)
  string(APPEND text_columns "/${column}/2")
endforeach()
execute_process(COMMAND ${SOFFICE} --headless --norestore -env:UserInstallation=file://${WORKDIR}/profile
                        --infilter=CSV:59,34,76,1,${text_columns} "--convert-to" "csv:Text - txt - csv (StarCalc):9,34,76"
                        --outdir ${WORKDIR}/out ${WORKDIR}/bom.csv
                OUTPUT_VARIABLE lo_out ERROR_VARIABLE lo_err RESULT_VARIABLE rc TIMEOUT 180)
if(NOT rc EQUAL 0 OR NOT EXISTS ${WORKDIR}/out/bom.csv)
  message(FATAL_ERROR "LibreOffice could not convert the report (${rc}):\n${lo_out}\n${lo_err}")
endif()

include(${CMAKE_CURRENT_LIST_DIR}/SpreadsheetCells.cmake)

read_cells(${WORKDIR}/bom.csv ";" written)
string(ASCII 9 tab)
read_cells(${WORKDIR}/out/bom.csv "${tab}" imported)
list(LENGTH written written_count)
list(LENGTH imported imported_count)
if(NOT written_count EQUAL imported_count)
  message(FATAL_ERROR "the report has ${written_count} lines, the spreadsheet ${imported_count}")
endif()
# Line 1 holds the date, which the spreadsheet may turn into a date value; the rest must match cell by cell.
math(EXPR last "${written_count} - 1")
foreach(i RANGE 1 ${last})
  list(GET written ${i} want)
  list(GET imported ${i} got)
  if(NOT want STREQUAL got)
    message(FATAL_ERROR "line ${i}: the report has\n  ${want}\nthe spreadsheet has\n  ${got}")
  endif()
endforeach()
message("the ${written_count} lines of the report land cell by cell in the spreadsheet's columns")
