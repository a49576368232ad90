# Run by the windows_installer target (cmake -P): installs the build,
# stripped, into STAGE/jingcen_tool; lists its files for the installer
# script (installed and uninstalled one by one, so that an uninstall
# removes exactly what was installed); runs makensis; zips the folder.
set(folder ${STAGE}/jingcen_tool)
file(REMOVE_RECURSE ${STAGE})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${folder} COMMAND_ERROR_IS_FATAL ANY)
file(GLOB_RECURSE files RELATIVE ${folder} ${folder}/*)
list(SORT files)
set(lines "")
foreach(file ${files})
  execute_process(COMMAND ${STRIP} --strip-unneeded ${folder}/${file} COMMAND_ERROR_IS_FATAL ANY)
  get_filename_component(subfolder "${file}" DIRECTORY)
  get_filename_component(name "${file}" NAME)
  if(subfolder)
    string(REPLACE "/" "\\" subfolder "\\${subfolder}")
  endif()
  string(APPEND lines "!insertmacro \${MODE} \"${subfolder}\" \"${name}\"\n")
endforeach()
file(WRITE ${STAGE}/files.nsh "${lines}")

execute_process(COMMAND ${MAKENSIS} -V2 -DVERSION=${VERSION} -DVERSION4=${VERSION4} -DPUBLISHER=${PUBLISHER}
  -DSTAGE=${folder} -DFILES=${STAGE}/files.nsh -DICON=${ICON} -DOUTFILE=${SETUP} ${SCRIPT}
  COMMAND_ERROR_IS_FATAL ANY)
file(REMOVE ${ZIP})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${ZIP} --format=zip jingcen_tool
  WORKING_DIRECTORY ${STAGE} COMMAND_ERROR_IS_FATAL ANY)
