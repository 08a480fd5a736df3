# Run at install time (see data/man/CMakeLists.txt): fills the version and the program
# folder into one manual page and writes it gzip-compressed, as Debian keeps manual pages.
# In: page_source, page_target, program_dir, project_version, work_dir.
file(READ ${page_source} text)
string(REPLACE "@PROJECT_VERSION@" "${project_version}" text "${text}")
string(REPLACE "@SONKORA_PROGRAM_DIR@" "${program_dir}" text "${text}")
get_filename_component(name ${page_source} NAME)
set(filled ${work_dir}/${name})
file(WRITE ${filled} "${text}")
get_filename_component(target_dir ${page_target} DIRECTORY)
file(MAKE_DIRECTORY ${target_dir})
message(STATUS "Installing: ${page_target}")
# -n leaves out the name and time, so the same page compresses to the same bytes.
execute_process(COMMAND gzip -9 -n -c ${filled} OUTPUT_FILE ${page_target} RESULT_VARIABLE failed)
if(failed)
  file(REMOVE ${page_target})
  message(FATAL_ERROR "gzip could not write ${page_target}")
endif()
list(APPEND CMAKE_INSTALL_MANIFEST_FILES ${page_target})
