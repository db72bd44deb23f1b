# tools/check_layers.sh must refuse a window file that includes an audio
# header and an audio file that includes a window header, and pass the same
# tree without them.
set(tree ${WORK_DIR}/rooms_tree)
file(REMOVE_RECURSE ${tree})
file(WRITE ${tree}/platform/window/window.h "#pragma once\n")
file(WRITE ${tree}/platform/audio/wave_device.h "#pragma once\n#include \"platform/threads/thread.h\"\n")
file(WRITE ${tree}/platform/threads/thread.h "#pragma once\n")
execute_process(COMMAND git init -q ${tree})

execute_process(COMMAND ${CHECK} ${tree} RESULT_VARIABLE clean OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT clean EQUAL 0)
  message(FATAL_ERROR "a tree without crossing includes was refused:\n${out}")
endif()

file(WRITE ${tree}/platform/window/window.cpp "#include \"platform/audio/wave_device.h\"\n")
file(WRITE ${tree}/platform/audio/wave_device.cpp "#include \"platform/window/window.h\"\n")
execute_process(COMMAND ${CHECK} ${tree} RESULT_VARIABLE crossed OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(crossed EQUAL 0)
  message(FATAL_ERROR "window/ and audio/ including each other passed:\n${out}")
endif()
foreach(expected "platform/window/window.cpp:1: platform/window includes platform/audio"
                 "platform/audio/wave_device.cpp:1: platform/audio includes platform/window")
  string(FIND "${out}" "${expected}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "expected \"${expected}\" in:\n${out}")
  endif()
endforeach()
file(REMOVE_RECURSE ${tree})
