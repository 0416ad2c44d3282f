# kiv_add_test(<name> LABEL <label> SOURCES <files...> LIBS <targets...> [PRIVATE_NETWORK])
# One Qt Test executable, run by CTest under the offscreen platform with a fresh
# HOME and XDG folders, so the data folder never touches a real one. Q_ASSERT stays on in the
# test's own code in every build type. PRIVATE_NETWORK runs the test in a private user and
# network namespace (cmake/run-netns.sh), so it may listen on port 80 without root; exit code
# 77 marks it skipped where that cannot be had.
function(kiv_add_test name)
  cmake_parse_arguments(T "PRIVATE_NETWORK" "LABEL;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE kiv_common kiv_testsupport Qt5::Test ${T_LIBS})
  target_compile_definitions(${name} PRIVATE QT_FORCE_ASSERTS)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set(slow "")
  if(KIV_SANITIZE)
    # The sanitizers slow the whole-system tests about tenfold.
    math(EXPR T_TIMEOUT "${T_TIMEOUT} * 4")
    set(slow QTEST_FUNCTION_TIMEOUT=1200000)
  endif()
  set(network "")
  if(T_PRIVATE_NETWORK)
    set(network ${CMAKE_SOURCE_DIR}/cmake/run-netns.sh)
  endif()
  add_test(NAME ${name}
           COMMAND ${CMAKE_COMMAND} -E env
                   QT_QPA_PLATFORM=offscreen ${slow}
                   ${network} ${CMAKE_SOURCE_DIR}/cmake/run-isolated.sh $<TARGET_FILE:${name}>)
  set_tests_properties(${name} PROPERTIES LABELS "${T_LABEL}" TIMEOUT ${T_TIMEOUT}
                       SKIP_RETURN_CODE 77)
endfunction()
