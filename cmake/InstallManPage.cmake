# Run at install time (see data/man/CMakeLists.txt): fills the version and the program
# folder into one manual page and writes it gzip-compressed, as Debian keeps manual pages.
# In: page_source, page_target, program_dir, project_version.
file(READ ${page_source} text)
string(REPLACE "@PROJECT_VERSION@" "${project_version}" text "${text}")
string(REPLACE "@SONKORA_PROGRAM_DIR@" "${program_dir}" text "${text}")
# The filled page is written beside its target, the one folder an install can write.
set(filled ${page_target}.filled)
file(WRITE ${filled} "${text}")
message(STATUS "Installing: ${page_target}")
# -n leaves out the name and time, so the same page compresses to the same bytes.
execute_process(COMMAND gzip -9 -n -c ${filled} OUTPUT_FILE ${page_target} RESULT_VARIABLE failed)
file(REMOVE ${filled})
if(failed)
  file(REMOVE ${page_target})
  message(FATAL_ERROR "gzip could not write ${page_target}")
endif()
list(APPEND CMAKE_INSTALL_MANIFEST_FILES ${page_target})
