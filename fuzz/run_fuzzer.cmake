# One bounded fuzz run for CTest: RUNS inputs grown from the seeds in CORPUS,
# with a fixed seed so that a run can be repeated. New inputs go to a fresh
# folder under WORK, never into the seeds; a failing input is left in WORK.
file(REMOVE_RECURSE ${WORK}/grown)
file(MAKE_DIRECTORY ${WORK}/grown)
execute_process(
  COMMAND ${FUZZER} -runs=${RUNS} -seed=1 -max_len=2048 -timeout=30 -print_final_stats=1
          -artifact_prefix=${WORK}/ ${WORK}/grown ${CORPUS}
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${FUZZER} failed (${result}); the input that failed is in ${WORK}")
endif()
