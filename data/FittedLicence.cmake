# The licence notice of a fitted language: the notice of its TeX source, then the
# comment header of the fitted pattern file, which says how it was made from that source.
#   cmake -DNOTICE=hyph-nl.notice.txt -DFITTED=hyph-nl.fit.tex -DLICENCE=nl.licence.txt -P FittedLicence.cmake
file(READ ${NOTICE} notice)
file(STRINGS ${FITTED} lines ENCODING UTF-8)
set(header "")
foreach(line IN LISTS lines)
  if(NOT line MATCHES "^%")
    break()
  endif()
  string(APPEND header "${line}\n")
endforeach()
file(WRITE ${LICENCE}.tmp "${notice}%\n% The patterns in this file are a part of the above, chosen by Sonkora's hypgen:\n%\n${header}")
file(RENAME ${LICENCE}.tmp ${LICENCE})
