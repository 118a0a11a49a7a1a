# quendra_embed_file(<target> <name> <file-target> <file>)
# Carries <file>, which <file-target> builds, inside <target> as read-only bytes between the
# symbols quendra_<name>_begin and quendra_<name>_end (an assembler .incbin, so the bytes are
# copied by the assembler, not through a generated source).
function(quendra_embed_file target name file_target file)
  set(source ${CMAKE_CURRENT_BINARY_DIR}/embedded_${name}.S)
  file(WRITE ${source}
"    .section .rodata.quendra_${name},\"a\"
    .balign 16
    .global quendra_${name}_begin
quendra_${name}_begin:
    .incbin \"${file}\"
    .global quendra_${name}_end
quendra_${name}_end:
    .section .note.GNU-stack,\"\",@progbits
")
  set_source_files_properties(${source} PROPERTIES LANGUAGE ASM OBJECT_DEPENDS ${file})
  target_sources(${target} PRIVATE ${source})
  add_dependencies(${target} ${file_target})
endfunction()
