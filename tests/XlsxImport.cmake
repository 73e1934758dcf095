# Opens the spreadsheet report of the bundled sample in LibreOffice and checks that its cells hold
# what the CSV report of the same run holds (numbers compared as numbers: 1850.00 is 1850), and
# that its total row gives the dialog's total. Skipped (with the word SKIPPED, which CTest reports
# as a skip) when LibreOffice is not installed.
cmake_policy(SET CMP0007 NEW)  # blank rows are list elements too
if(NOT SOFFICE)
  find_program(SOFFICE NAMES soffice libreoffice)
endif()
if(NOT SOFFICE)
  message("SKIPPED: LibreOffice (soffice) is not installed; the spreadsheet report is not checked")
  return()
endif()

file(REMOVE_RECURSE ${WORKDIR})
file(MAKE_DIRECTORY ${WORKDIR}/out)
execute_process(COMMAND ${MOLDBOM} report --csv ${WORKDIR}/bom.csv --xlsx ${WORKDIR}/bom.xlsx
                        --profile ${WORKDIR}/bom.bom --sort --yes
                OUTPUT_VARIABLE printed ERROR_QUIET RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "moldbom report failed with ${rc}")
endif()

# Export the first sheet tab-separated, UTF-8, as the cells show.
execute_process(COMMAND ${SOFFICE} --headless --norestore -env:UserInstallation=file://${WORKDIR}/profile
                        "--convert-to" "csv:Text - txt - csv (StarCalc):9,34,76" --outdir ${WORKDIR}/out ${WORKDIR}/bom.xlsx
                OUTPUT_VARIABLE lo_out ERROR_VARIABLE lo_err RESULT_VARIABLE rc TIMEOUT 180)
if(NOT rc EQUAL 0 OR NOT EXISTS ${WORKDIR}/out/bom.csv)
  message(FATAL_ERROR "LibreOffice could not convert the spreadsheet (${rc}):\n${lo_out}\n${lo_err}")
endif()

include(${CMAKE_CURRENT_LIST_DIR}/SpreadsheetCells.cmake)

read_cells(${WORKDIR}/bom.csv ";" written NUMBERS)
string(ASCII 9 tab)
read_cells(${WORKDIR}/out/bom.csv "${tab}" sheet NUMBERS)
list(LENGTH written written_count)
list(LENGTH sheet sheet_count)
math(EXPR expected_count "${written_count} + 1")
if(NOT sheet_count EQUAL expected_count)
  message(FATAL_ERROR "the CSV report has ${written_count} lines, the spreadsheet ${sheet_count} (expected one more: the total)")
endif()
math(EXPR last "${written_count} - 1")
foreach(i RANGE 0 ${last})
  list(GET written ${i} want)
  list(GET sheet ${i} got)
  if(NOT want STREQUAL got)
    message(FATAL_ERROR "line ${i}: the CSV report has\n  ${want}\nthe spreadsheet has\n  ${got}")
  endif()
endforeach()

string(REGEX MATCH "Total price: ([^\n]*)" total_line "${printed}")
set(dialog_total "${CMAKE_MATCH_1}")
list(GET sheet ${written_count} total_row)
string(REGEX REPLACE "^\\|+" "" total_row "${total_row}")
if(NOT total_row STREQUAL "Total price:|${dialog_total}")
  message(FATAL_ERROR "the dialog shows '${total_line}', the spreadsheet's total row '${total_row}'")
endif()
message("the ${written_count} lines of the CSV report are the spreadsheet's cells, and its total is the dialog's")
