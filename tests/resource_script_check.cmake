# Fails when app/ombrix.rc is not what the resources as data make: run the target
# update_resource_script and commit the result. The script is text made from data, the same on
# every machine; the icon it names is rendered while building and is not compared here.
execute_process(COMMAND "${TOOL}" OUTPUT_FILE "${OUT}" RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "make_rc failed: ${result}")
endif()
execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${OUT}" "${SCRIPT}" RESULT_VARIABLE differ)
if(NOT differ EQUAL 0)
  message(FATAL_ERROR "app/ombrix.rc is out of date: cmake --build <build> --target update_resource_script")
endif()
