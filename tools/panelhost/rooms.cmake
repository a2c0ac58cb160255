# Run by the build (cmake -P) before any of panelhost's libraries: fails when
# a room includes a header of a room it may not use, or when shipped code
# (tools/, examples/, host/) includes anything of tests/. ROOT: the source tree.
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
file(GLOB_RECURSE shipped ${ROOT}/tools/*.cpp ${ROOT}/tools/*.h ${ROOT}/examples/*.cpp ${ROOT}/examples/*.h
     ${ROOT}/host/*.cpp ${ROOT}/host/*.h)
foreach(source ${shipped})
  file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]tests/")
  foreach(line ${includes})
    file(RELATIVE_PATH shown ${ROOT} ${source})
    string(STRIP "${line}" line)
    string(APPEND faults "\n  ${shown}: ${line}: shipped code includes nothing of tests/")
  endforeach()
endforeach()
if(faults)
  message(FATAL_ERROR "includes across the walls of panelhost's rooms, or into tests/:${faults}")
endif()
