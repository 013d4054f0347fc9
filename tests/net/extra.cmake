# The net tests once more under ThreadSanitizer, in a build that is not already
# sanitized.
if(NOT KX_SANITIZE AND NOT KX_TSAN)
  # The worker threads and the main thread meet only in the net module, so that and everything
  # it runs on is compiled again with the thread sanitizer; gtest itself stays as installed.
  file(GLOB_RECURSE tsan_srcs CONFIGURE_DEPENDS
    ${CMAKE_SOURCE_DIR}/runtime/*.cpp ${CMAKE_SOURCE_DIR}/containers/*.cpp
    ${CMAKE_SOURCE_DIR}/net/*.cpp)
  list(FILTER tsan_srcs EXCLUDE REGEX "/main\\.cpp$")
  add_executable(test_net_tsan ${tsan_srcs} ${CMAKE_CURRENT_SOURCE_DIR}/net/net_test.cpp)
  # Warnings are judged by the normal build; other modules' sources must not fail here over
  # sanitizer-only diagnostics.
  target_compile_options(test_net_tsan PRIVATE -fsanitize=thread -fno-omit-frame-pointer)
  target_link_options(test_net_tsan PRIVATE -fsanitize=thread)
  target_include_directories(test_net_tsan PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(test_net_tsan PRIVATE GTest::gtest_main Threads::Threads)
  add_test(NAME net_thread_sanitizer COMMAND test_net_tsan WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})
  set_tests_properties(net_thread_sanitizer PROPERTIES TIMEOUT 120
    ENVIRONMENT "TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1")
endif()
