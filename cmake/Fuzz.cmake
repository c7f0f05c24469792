# add_fuzz_target(<name> SOURCES <files...> LIBS <targets...>)
#
# Every target is replayed over its committed corpus (fuzz/corpus/<name>) as an
# ordinary test with whatever compiler builds the tree, so a past finding stays
# fixed. With INSTALLER_FUZZ (clang) the same entry point also becomes a
# libFuzzer binary for fresh fuzzing runs.
function(add_fuzz_target name)
  cmake_parse_arguments(FT "" "" "SOURCES;LIBS" ${ARGN})
  set(corpus "${CMAKE_SOURCE_DIR}/fuzz/corpus/${name}")
  if(INSTALLER_FUZZ)
    add_executable(${name} ${FT_SOURCES})
    target_link_libraries(${name} PRIVATE ${FT_LIBS})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  endif()
  if(INSTALLER_TESTS)
    add_executable(${name}_replay ${FT_SOURCES} "${CMAKE_SOURCE_DIR}/fuzz/replay_main.cpp")
    target_link_libraries(${name}_replay PRIVATE ${FT_LIBS})
    add_test(NAME fuzz_replay_${name} COMMAND ${name}_replay "${corpus}")
  endif()
endfunction()
