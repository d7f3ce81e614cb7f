# One deterministic fuzzing run: a fixed seed and number of inputs, starting from a fresh
# copy of the seed corpus in the build folder. New inputs and crash files stay there.
#   cmake -DFUZZER=<program> -DSEEDS=<seed dir> -DWORK=<scratch dir> -DRUNS=<n> [-DDICT=<file>] -P RunFuzzer.cmake

foreach(required FUZZER WORK RUNS)
  if(NOT DEFINED ${required})
    message(FATAL_ERROR "RunFuzzer.cmake needs -D${required}=...")
  endif()
endforeach()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/corpus ${WORK}/artifacts)
if(DEFINED SEEDS AND IS_DIRECTORY ${SEEDS})
  file(GLOB seed_files ${SEEDS}/*)
  if(seed_files)
    file(COPY ${seed_files} DESTINATION ${WORK}/corpus)
  endif()
else()
  message(STATUS "no seed corpus at ${SEEDS}: starting from nothing")
endif()

# A dictionary of the input's tokens, when the target has one, next to its source.
set(dictionary)
if(DEFINED DICT AND EXISTS ${DICT})
  set(dictionary -dict=${DICT})
endif()

# -max_len lets inputs grow past the receiver's 8096-byte line limit.
execute_process(
  COMMAND ${FUZZER} -seed=1 -runs=${RUNS} -max_len=10000 ${dictionary}
          -artifact_prefix=${WORK}/artifacts/ ${WORK}/corpus
  WORKING_DIRECTORY ${WORK}
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${FUZZER} failed (${result}); the failing input is in ${WORK}/artifacts")
endif()
