# The error path ends the process, so it is judged from outside through a small child program.
add_executable(runtime_error_child ${CMAKE_CURRENT_SOURCE_DIR}/runtime/progs/error_child.cpp)
target_compile_options(runtime_error_child PRIVATE ${KX_WARNINGS})
target_link_libraries(runtime_error_child PRIVATE kx_runtime)
if(TARGET test_runtime)
  add_dependencies(test_runtime runtime_error_child)
  target_compile_definitions(test_runtime PRIVATE
    KX_ERROR_CHILD="$<TARGET_FILE:runtime_error_child>")
endif()
