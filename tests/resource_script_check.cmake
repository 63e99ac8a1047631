# Fails when app/ombrix.rc or app/icon/ombrix.ico is not what the resources as data and the SVG
# make: run the target update_resource_script and commit the result.
execute_process(COMMAND "${TOOL}" OUTPUT_FILE "${OUT}" RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "make_rc failed: ${result}")
endif()
execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${OUT}" "${SCRIPT}" RESULT_VARIABLE differ)
if(NOT differ EQUAL 0)
  message(FATAL_ERROR "app/ombrix.rc is out of date: cmake --build <build> --target update_resource_script")
endif()
execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${ICON_BUILT}" "${ICON_TREE}"
                RESULT_VARIABLE differ)
if(NOT differ EQUAL 0)
  message(FATAL_ERROR "app/icon/ombrix.ico is out of date: cmake --build <build> --target update_resource_script")
endif()
