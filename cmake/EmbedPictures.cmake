# kt_embed_pictures(<target> <svg>...): renders each SVG drawing into a PNG at build time and
# compiles the PNG bytes into <target>. The program finds them with App_Picture("<file stem>").
add_executable(svg2png ${CMAKE_SOURCE_DIR}/tools/svg2png/svg2png.cpp)
target_link_libraries(svg2png PRIVATE Qt6::Gui Qt6::Svg)

function(kt_embed_pictures target)
  set(entries "")
  set(decls "")
  foreach(svg ${ARGN})
    get_filename_component(stem ${svg} NAME_WE)
    set(png ${CMAKE_BINARY_DIR}/pictures/${stem}.png)
    set(cpp ${CMAKE_BINARY_DIR}/pictures/${stem}.cpp)
    add_custom_command(OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/pictures
      COMMAND svg2png ${svg} ${png}
      DEPENDS ${svg} svg2png VERBATIM)
    add_custom_command(OUTPUT ${cpp}
      COMMAND ${CMAKE_COMMAND} -DIN=${png} -DOUT=${cpp} -DNAME=${stem} -P ${CMAKE_SOURCE_DIR}/cmake/BinToCpp.cmake
      DEPENDS ${png} ${CMAKE_SOURCE_DIR}/cmake/BinToCpp.cmake VERBATIM)
    target_sources(${target} PRIVATE ${cpp})
    string(APPEND decls "extern const unsigned char kPicture_${stem}[]; extern const unsigned long kPicture_${stem}_size;\n")
    string(APPEND entries "    {\"${stem}\", kPicture_${stem}, kPicture_${stem}_size},\n")
  endforeach()
  set(index ${CMAKE_BINARY_DIR}/pictures/index_${target}.cpp)
  file(WRITE ${index}.in "// Generated: the pictures compiled into the program.\n#include <cstring>\n${decls}\nstruct EmbeddedPicture { const char *name; const unsigned char *data; unsigned long size; };\nextern const EmbeddedPicture kEmbeddedPictures[] = {\n${entries}    {nullptr, nullptr, 0}};\n")
  configure_file(${index}.in ${index} COPYONLY)
  target_sources(${target} PRIVATE ${index})
endfunction()
