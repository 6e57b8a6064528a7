# Install-time step: writes the manual page of quillometer-cli with the
# installed program folder in it, gzipped, into share/man/man1.
# Set by the caller: quill_manual_source, quill_manual_work, PROJECT_VERSION,
# QUILL_RELEASE_DATE, quill_program_subdir.

set(QUILL_PROGRAM_DIR "${CMAKE_INSTALL_PREFIX}/${quill_program_subdir}")
set(page "${quill_manual_work}/quillometer-cli.1")
configure_file("${quill_manual_source}" "${page}" @ONLY)
# -n: no name or time stamp inside, so two packages of one source agree.
execute_process(COMMAND gzip -9nf "${page}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "gzip failed on ${page}")
endif()
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/share/man/man1" TYPE FILE FILES "${page}.gz")
