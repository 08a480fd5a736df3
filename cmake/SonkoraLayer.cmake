# sonkora_layer(NAME [DEPENDS target...] [QT])
# Defines the library of one layer from the sources in the current folder. Sources are
# globbed so that adding a file to a layer needs no build-file edit.
function(sonkora_layer name)
  cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    message(FATAL_ERROR "The ${name} layer has no sources in ${CMAKE_CURRENT_SOURCE_DIR}")
  endif()
  add_library(sonkora_${name} STATIC ${sources})
  add_library(sonkora::${name} ALIAS sonkora_${name})
  target_include_directories(sonkora_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(sonkora_${name} PUBLIC ${ARG_DEPENDS})
endfunction()

# sonkora_gtest(NAME LIBS targets...)
# The GoogleTest executable NAME of the current test folder, from every *_test.cpp in
# it, registered with CTest test by test. Tests include the shared builders as
# "support/...".
function(sonkora_gtest name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  add_executable(${name} ${sources})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  target_compile_definitions(${name} PRIVATE SONKORA_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data")
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS core)
endfunction()

# The programs find their help, examples and pattern files in their own folder, so an
# installation keeps them together in ${SONKORA_INSTALL_DIR} and puts a link to each
# program in the binary folder. The link is relative (../lib/sonkora/NAME), so the tree
# works wherever it is unpacked, under DESTDIR or from a package, as Debian wants it.
function(sonkora_install_launcher target)
  if(IS_ABSOLUTE ${SONKORA_INSTALL_DIR})
    set(program ${SONKORA_INSTALL_DIR}/${target})
  elseif(IS_ABSOLUTE ${CMAKE_INSTALL_BINDIR})
    set(program "\${CMAKE_INSTALL_PREFIX}/${SONKORA_INSTALL_DIR}/${target}")
  else()
    # Both folders lie under the same prefix, whichever it is at install time.
    file(RELATIVE_PATH program /prefix/${CMAKE_INSTALL_BINDIR} /prefix/${SONKORA_INSTALL_DIR}/${target})
  endif()
  set(link "\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${target}")
  install(CODE "file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
message(STATUS \"Installing: ${link} -> ${program}\")
file(CREATE_LINK \"${program}\" \"${link}\" SYMBOLIC)
list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"${link}\")")
endfunction()
