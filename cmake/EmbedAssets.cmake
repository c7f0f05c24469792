# add_payload_zip(<output zip> <bundle folder>)
#
# Packs the bundle folder into the installer's zip payload at build time.
# The script writes fixed timestamps and permissions, so the zip only changes
# when a bundle file (or the script) does.
function(add_payload_zip output bundle)
  find_package(Python3 COMPONENTS Interpreter REQUIRED)
  set(script "${CMAKE_SOURCE_DIR}/assets/make_payload.py")
  file(GLOB_RECURSE bundle_files CONFIGURE_DEPENDS "${bundle}/*")
  add_custom_command(
    OUTPUT "${output}"
    COMMAND Python3::Interpreter "${script}" "${bundle}" "${output}"
    DEPENDS "${script}" ${bundle_files}
    COMMENT "Packing the plug-in bundle into ${output}"
    VERBATIM)
endfunction()

# embed_assets(<target> <name> <file> [<name> <file> ...])
#
# Lays the files into <target> in the given order, each as three symbols:
#   r_<name>Data  16-byte aligned, the file's bytes unchanged
#   r_<name>End   right after the last byte: one byte of 1, zeros to the next
#                 16-byte boundary
#   r_<name>Size  on that boundary: the length as a 32-bit little-endian word,
#                 zeros to the next 16-byte boundary, where the next asset starts
# through a generated assembler file with .incbin. Editing a file reassembles.
function(embed_assets target)
  set(pairs ${ARGN})
  list(LENGTH pairs count)
  math(EXPR odd "${count} % 2")
  if(count EQUAL 0 OR odd)
    message(FATAL_ERROR "embed_assets: expected <name> <file> pairs, got: ${pairs}")
  endif()

  if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
    # COFF: read-only initialised data, no ELF symbol types or sizes.
    set(section ".section .rdata,\"dr\"")
    set(elf FALSE)
  else()
    set(section ".section .rodata,\"a\",@progbits")
    set(elf TRUE)
  endif()

  set(asm "${section}\n")
  set(files "")
  math(EXPR last "${count} - 1")
  foreach(i RANGE 0 ${last} 2)
    math(EXPR j "${i} + 1")
    list(GET pairs ${i} name)
    list(GET pairs ${j} file)
    list(APPEND files "${file}")
    string(APPEND asm "\n"
      "    .balign 16, 0\n"
      "    .globl r_${name}Data\n"
      "    .globl r_${name}End\n"
      "    .globl r_${name}Size\n")
    if(elf)
      string(APPEND asm
        "    .type r_${name}Data, @object\n"
        "    .type r_${name}End, @object\n"
        "    .type r_${name}Size, @object\n"
        "    .size r_${name}Size, 4\n")
    endif()
    string(APPEND asm
      "r_${name}Data:\n"
      "    .incbin \"${file}\"\n"
      "r_${name}End:\n"
      "    .byte 1\n"
      "    .balign 16, 0\n"
      "r_${name}Size:\n"
      "    .4byte r_${name}End - r_${name}Data\n"
      "    .balign 16, 0\n")
    if(elf)
      string(APPEND asm
        "    .size r_${name}Data, r_${name}End - r_${name}Data\n"
        "    .size r_${name}End, 1\n")
    endif()
  endforeach()
  if(elf)
    # Without this note the linker would ask for an executable stack.
    string(APPEND asm "\n    .section .note.GNU-stack,\"\",@progbits\n")
  endif()

  set(out "${CMAKE_CURRENT_BINARY_DIR}/${target}_assets.S")
  # Rewritten only when it changes, so reconfiguring does not reassemble.
  set(previous "")
  if(EXISTS "${out}")
    file(READ "${out}" previous)
  endif()
  if(NOT previous STREQUAL asm)
    file(WRITE "${out}" "${asm}")
  endif()
  target_sources(${target} PRIVATE "${out}")
  set_source_files_properties("${out}" PROPERTIES OBJECT_DEPENDS "${files}")
endfunction()
