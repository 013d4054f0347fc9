# Checks one kept recording, from the repository root (the game reads ./data/ there).
#   cmake -DPROGRAM=skarblit -DNAME=menu_walk -DMODE=verify|regenerate -DWORK=folder -P check.cmake
# verify: the recording plays back exactly (the matched line comes only with status 0), from
# the start its script gives (fresh, or the NAME.state beside it), and a *_game run finishes a
# game. regenerate: recording its script again gives the same file, byte for byte.
set(recording tests/replays/${NAME}.skr)
set(again "${recording} no longer matches: run bash tools/record_replays.sh and look at what changed")

if(MODE STREQUAL "verify")
  execute_process(COMMAND ${PROGRAM} --verify ${recording} OUTPUT_VARIABLE out ERROR_VARIABLE out
                  RESULT_VARIABLE status)
  set(start "started fresh: every score below was earned in this run\n")
  if(EXISTS ${CMAKE_CURRENT_LIST_DIR}/${NAME}.state)
    set(start "started from a stored state: the tables were the recording's own\n")
  endif()
  set(achieved "  no game finished\n")
  if(NAME MATCHES "_game$")
    set(achieved "  (Easy|Normal|Hard) game: [0-9]+ points, ([0-9]+(st|nd|rd|th) place|no place)\n")
  endif()
  if(NOT status EQUAL 0 OR NOT out MATCHES "replay matched: [0-9]+ updates, the same final state\n${start}${achieved}")
    message(FATAL_ERROR "${out}${again}")
  endif()
elseif(MODE STREQUAL "regenerate")
  file(REMOVE_RECURSE ${WORK})
  file(MAKE_DIRECTORY ${WORK})
  execute_process(COMMAND ${PROGRAM} --script tests/replays/${NAME}.txt --record ${WORK}/${NAME}.skr
                  OUTPUT_VARIABLE out ERROR_VARIABLE out RESULT_VARIABLE status)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${recording} ${WORK}/${NAME}.skr
                  RESULT_VARIABLE differs)
  file(REMOVE_RECURSE ${WORK})
  if(NOT status EQUAL 0 OR NOT differs EQUAL 0)
    message(FATAL_ERROR "${out}${again}")
  endif()
else()
  message(FATAL_ERROR "MODE is verify or regenerate")
endif()
