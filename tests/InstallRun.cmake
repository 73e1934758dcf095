# Installs the build into a fresh prefix outside the build tree, moves that prefix elsewhere, and
# runs `moldbom report` from the moved copy with no override of where its files lie: the table
# must come out as the build tree's program prints it, and a CSV report must be written.
execute_process(COMMAND mktemp -d /tmp/moldbom-install.XXXXXX OUTPUT_VARIABLE scratch OUTPUT_STRIP_TRAILING_WHITESPACE
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cannot make a temporary folder")
endif()

function(run_or_fail)
  execute_process(COMMAND ${ARGN} OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    file(REMOVE_RECURSE ${scratch})
    message(FATAL_ERROR "${ARGN}: exit code ${rc}\n${out}\n${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

run_or_fail(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${scratch}/prefix)
file(RENAME ${scratch}/prefix ${scratch}/moved)
file(MAKE_DIRECTORY ${scratch}/run)

set(clean_env ${CMAKE_COMMAND} -E env --unset=MOLDBOM_RESOURCES --unset=LD_LIBRARY_PATH)
run_or_fail(${clean_env} ${scratch}/moved/bin/moldbom --version)
if(NOT out MATCHES "^moldbom [0-9]+\\.[0-9]+\\.[0-9]+\n$")
  message(FATAL_ERROR "--version printed: ${out}")
endif()

run_or_fail(${clean_env} sh -c "cd ${scratch}/run && ${scratch}/moved/bin/moldbom report --csv bom.csv --yes")
set(installed "${out}")
if(NOT EXISTS ${scratch}/run/bom.csv)
  file(REMOVE_RECURSE ${scratch})
  message(FATAL_ERROR "the installed program wrote no CSV report")
endif()
run_or_fail(${clean_env} sh -c "cd ${scratch}/run && ${MOLDBOM} report --csv bom.csv --yes")
set(built "${out}")
file(REMOVE_RECURSE ${scratch})
if(NOT installed STREQUAL built)
  message(FATAL_ERROR "the installed program printed\n${installed}\nthe build tree's\n${built}")
endif()
