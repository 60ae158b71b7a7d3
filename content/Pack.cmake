# Packs the nineteen rendered pictures into the show's archive, stored under
# the names the presentation asks for ("data/2t1.png" .. "data/2t19.png"),
# each entry through the smallest compressor glowpack finds (codec word
# 0xFFFF). The same archive is written beside the program as glowmoth.dat and
# appended to the glowmoth executable itself (app/CMakeLists.txt), so the
# program plays from any working directory.
#
# Expects, from this folder's CMakeLists.txt: the target glowmoth_pictures,
# which renders ${GLOWMOTH_PICTURE_FILES} into ${GLOWMOTH_PICTURE_ROOT}/data.

set(GLOWMOTH_ARCHIVE_FILE ${CMAKE_BINARY_DIR}/bin/glowmoth.dat)

set(glowmoth_entry_names)
foreach(file ${GLOWMOTH_PICTURE_FILES})
  get_filename_component(name ${file} NAME)
  list(APPEND glowmoth_entry_names data/${name})
endforeach()

# Run from the folder that holds data/, so the stored names are exactly the
# relative paths given.
add_custom_command(
  OUTPUT ${GLOWMOTH_ARCHIVE_FILE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/bin
  COMMAND glowpack create ${GLOWMOTH_ARCHIVE_FILE} -c 0xFFFF ${glowmoth_entry_names}
  WORKING_DIRECTORY ${GLOWMOTH_PICTURE_ROOT}
  DEPENDS glowpack ${GLOWMOTH_PICTURE_FILES}
  COMMENT "Packing the show's pictures into glowmoth.dat"
  VERBATIM)
add_custom_target(glowmoth_data ALL DEPENDS ${GLOWMOTH_ARCHIVE_FILE})
add_dependencies(glowmoth_data glowmoth_pictures)

# The program carries the archive: it must be packed before the program is
# linked, and a new archive relinks the program so the append runs again.
if(TARGET glowmoth)
  add_dependencies(glowmoth glowmoth_data)
  set_property(TARGET glowmoth APPEND PROPERTY LINK_DEPENDS ${GLOWMOTH_ARCHIVE_FILE})
endif()
