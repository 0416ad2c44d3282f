# kiv_add_test(<name> LABEL <label> SOURCES <files...> LIBS <targets...>)
# One Qt Test executable, run by CTest under the offscreen platform with a fresh
# HOME and XDG folders, so the data folder never touches a real one.
function(kiv_add_test name)
  cmake_parse_arguments(T "" "LABEL;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE kiv_common kiv_testsupport Qt5::Test ${T_LIBS})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  add_test(NAME ${name}
           COMMAND ${CMAKE_COMMAND} -E env
                   QT_QPA_PLATFORM=offscreen QT_FORCE_ASSERTS=1
                   ${CMAKE_SOURCE_DIR}/cmake/run-isolated.sh $<TARGET_FILE:${name}>)
  set_tests_properties(${name} PROPERTIES LABELS "${T_LABEL}" TIMEOUT ${T_TIMEOUT})
endfunction()
