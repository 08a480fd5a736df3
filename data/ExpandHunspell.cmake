# The words of a hunspell dictionary with every affix applied, one per line, sorted, for
# hypgen --fit. unmunch (hunspell-tools) also prints the affix flags of some entries
# ("06/CaCp"); those lines are left out.
#   cmake -DDICTIONARY=/usr/share/hunspell/nl -DOUTPUT=nl.words.txt -P ExpandHunspell.cmake
find_program(UNMUNCH unmunch REQUIRED)
execute_process(
  COMMAND ${UNMUNCH} ${DICTIONARY}.dic ${DICTIONARY}.aff
  COMMAND grep -v "[/|]"
  COMMAND env LC_ALL=C sort -u
  OUTPUT_FILE ${OUTPUT}.tmp
  ERROR_QUIET
  RESULT_VARIABLE failed)
if(failed)
  file(REMOVE ${OUTPUT}.tmp)
  message(FATAL_ERROR "cannot expand ${DICTIONARY} (install hunspell-tools and the dictionary)")
endif()
file(RENAME ${OUTPUT}.tmp ${OUTPUT})
