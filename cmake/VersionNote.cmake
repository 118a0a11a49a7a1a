# Every executable of the project carries its version as an ELF note
# (section .note.quendra.version, owner "Quendra", type 1, four little-endian
# 16-bit values: major, minor, release, build), which GetModuleVersionString reads.
set(QUENDRA_VERSION_NOTE_SOURCE ${CMAKE_BINARY_DIR}/generated/version_note.cpp)
configure_file(${CMAKE_CURRENT_LIST_DIR}/version_note.cpp.in ${QUENDRA_VERSION_NOTE_SOURCE} @ONLY)

function(quendra_add_version_note target)
  target_sources(${target} PRIVATE ${QUENDRA_VERSION_NOTE_SOURCE})
endfunction()
