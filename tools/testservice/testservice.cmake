# Test programs that use the local test service and the test PKI.
#   include("${PROJECT_SOURCE_DIR}/tools/testservice/testservice.cmake")
#   kestrin_test_service(<fixture> [FILES dir...] [ROUTES file.py...])
#       ctest fixture <fixture>: a service started before the tests that require it and
#       stopped after them; its state folder is <current build dir>/<fixture>.
#   kestrin_use_test_env(<test target> [SERVICE <fixture>])
#       gives the program the PKI folder and the service's state folder (test_env.h reads
#       them) and makes it wait for the PKI at build time.
# Included by every folder that uses it: no include guard, because variables are per folder.
find_program(KESTRIN_PYTHON3 NAMES python3 REQUIRED)
set(KESTRIN_TEST_PKI_DIR "${CMAKE_BINARY_DIR}/pki")
set(KESTRIN_TESTSERVICE "${CMAKE_CURRENT_LIST_DIR}/testservice.py")

function(kestrin_test_service fixture)
  cmake_parse_arguments(K "" "" "FILES;ROUTES" ${ARGN})
  set(state "${CMAKE_CURRENT_BINARY_DIR}/${fixture}")
  set(extra "")
  foreach(d IN LISTS K_FILES)
    list(APPEND extra --files "${d}")
  endforeach()
  foreach(r IN LISTS K_ROUTES)
    list(APPEND extra --routes "${r}")
  endforeach()
  add_test(NAME ${fixture}_start COMMAND "${KESTRIN_PYTHON3}" "${KESTRIN_TESTSERVICE}" start
           --state "${state}" --pki "${KESTRIN_TEST_PKI_DIR}" ${extra})
  set_tests_properties(${fixture}_start PROPERTIES FIXTURES_SETUP ${fixture} TIMEOUT 30)
  add_test(NAME ${fixture}_stop COMMAND "${KESTRIN_PYTHON3}" "${KESTRIN_TESTSERVICE}" stop --state "${state}")
  set_tests_properties(${fixture}_stop PROPERTIES FIXTURES_CLEANUP ${fixture} TIMEOUT 30)
endfunction()

function(kestrin_use_test_env target)
  cmake_parse_arguments(K "" "SERVICE" "" ${ARGN})
  target_compile_definitions(${target} PRIVATE KESTRIN_TEST_PKI_DIR="${KESTRIN_TEST_PKI_DIR}")
  if(K_SERVICE)
    target_compile_definitions(${target} PRIVATE
      KESTRIN_TEST_SERVICE_STATE="${CMAKE_CURRENT_BINARY_DIR}/${K_SERVICE}")
  endif()
  add_dependencies(${target} kestrin_test_pki)
endfunction()
