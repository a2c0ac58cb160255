# Run by the build (cmake -P) before any of panelhost's libraries: fails when
# a room includes a header of a room it may not use. ROOT: the source tree.
#   common/    nothing of the other rooms
#   aircraft/  common/
#   check/     aircraft/, common/
#   scenario/  aircraft/, common/
cmake_minimum_required(VERSION 3.21)
set(allowed_common common)
set(allowed_aircraft common aircraft)
set(allowed_check common aircraft check)
set(allowed_scenario common aircraft scenario)

set(faults "")
foreach(room common aircraft check scenario)
  file(GLOB sources ${ROOT}/tools/panelhost/${room}/*.cpp ${ROOT}/tools/panelhost/${room}/*.h)
  foreach(source ${sources})
    file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]tools/panelhost/[a-z_]+/")
    foreach(line ${includes})
      string(REGEX MATCH "tools/panelhost/([a-z_]+)/" used "${line}")
      set(used ${CMAKE_MATCH_1})
      if(NOT used IN_LIST allowed_${room})
        file(RELATIVE_PATH shown ${ROOT} ${source})
        string(STRIP "${line}" line)
        list(JOIN allowed_${room} "/, " rooms)
        string(APPEND faults "\n  ${shown}: ${line}: ${room}/ may use only ${rooms}/")
      endif()
    endforeach()
  endforeach()
endforeach()
if(faults)
  message(FATAL_ERROR "panelhost's rooms include across their walls:${faults}")
endif()
