# zel_add_test(NAME <name> SOURCES <files...> LIBS <targets...> [WEB])
#
# Builds one Qt Test executable, links it with the test harness and registers
# it with CTest. Every test runs on the offscreen platform; WEB marks tests
# that drive the embedded browser, which as root needs Chromium's sandbox off.
function(zel_add_test)
  cmake_parse_arguments(ARG "WEB;DB" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${ARG_NAME} ${ARG_SOURCES})
  target_link_libraries(${ARG_NAME} PRIVATE zel_test_support ${ARG_LIBS} Qt6::Test zel_settings)
  add_test(NAME ${ARG_NAME} COMMAND ${ARG_NAME})
  set(env "QT_QPA_PLATFORM=offscreen" "LC_ALL=C.UTF-8")
  if(ARG_WEB)
    list(APPEND env "QTWEBENGINE_CHROMIUM_FLAGS=--no-sandbox --disable-gpu"
                    "QTWEBENGINE_DISABLE_SANDBOX=1")
  endif()
  if(ZEL_SANITIZE)
    # Chromium inside Qt WebEngine frees some objects through a base type of
    # another size, which AddressSanitizer reports from within that library.
    set(asan "detect_leaks=0")
    if(ARG_WEB)
      string(APPEND asan ":new_delete_type_mismatch=0")
    endif()
    list(APPEND env "ASAN_OPTIONS=${asan}" "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
  endif()
  set_tests_properties(${ARG_NAME} PROPERTIES ENVIRONMENT "${env}" TIMEOUT 300)
  # A test of database behaviour runs again on the run's PostgreSQL cluster.
  if(ARG_DB)
    add_test(NAME ${ARG_NAME}_pg COMMAND ${ARG_NAME})
    list(APPEND env "ZELCRM_TEST_PG_STATE=${ZEL_PG_STATE}")
    set_tests_properties(${ARG_NAME}_pg PROPERTIES ENVIRONMENT "${env}" TIMEOUT 600
                         FIXTURES_REQUIRED pg_cluster)
  endif()
endfunction()
