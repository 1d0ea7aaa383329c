# kt_embed_pictures(<target> <svg>... [SCALED <stem>...]): renders each SVG drawing into a PNG at
# build time and compiles the PNG bytes into <target>. The program finds them with
# App_Picture("<file stem>"). The drawings named after SCALED are also rendered two and three times
# as large ("<stem>@2x", "<stem>@3x"), for pictures drawn in the scaled game window.
add_library(kt_pngout STATIC ${CMAKE_SOURCE_DIR}/tools/pngout/pngout.cpp)
target_include_directories(kt_pngout PUBLIC ${CMAKE_SOURCE_DIR}/tools/pngout)
target_link_libraries(kt_pngout PUBLIC Qt6::Gui PRIVATE PNG::PNG)
add_executable(svg2png ${CMAKE_SOURCE_DIR}/tools/svg2png/svg2png.cpp)
target_link_libraries(svg2png PRIVATE kt_pngout Qt6::Gui Qt6::Svg)

function(kt_embed_pictures target)
  cmake_parse_arguments(ARG "" "" "SCALED" ${ARGN})
  set(entries "")
  set(decls "")
  set(sources "")
  foreach(svg ${ARG_UNPARSED_ARGUMENTS})
    get_filename_component(stem ${svg} NAME_WE)
    set(factors 1)
    if(stem IN_LIST ARG_SCALED)
      list(APPEND factors 2 3)
    endif()
    foreach(k ${factors})
      if(k EQUAL 1)
        set(name ${stem})
        set(cname ${stem})
      else()
        set(name ${stem}@${k}x)
        set(cname ${stem}_${k}x)
      endif()
      set(png ${CMAKE_BINARY_DIR}/pictures/${cname}.png)
      set(cpp ${CMAKE_BINARY_DIR}/pictures/${cname}.cpp)
      add_custom_command(OUTPUT ${png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/pictures
        COMMAND svg2png ${svg} ${png} ${k}x
        DEPENDS ${svg} svg2png VERBATIM)
      add_custom_command(OUTPUT ${cpp}
        COMMAND ${CMAKE_COMMAND} -DIN=${png} -DOUT=${cpp} -DNAME=${cname} -P ${CMAKE_SOURCE_DIR}/cmake/BinToCpp.cmake
        DEPENDS ${png} ${CMAKE_SOURCE_DIR}/cmake/BinToCpp.cmake VERBATIM)
      target_sources(${target} PRIVATE ${cpp})
      list(APPEND sources ${cpp})
      string(APPEND decls "extern const unsigned char kPicture_${cname}[]; extern const unsigned long kPicture_${cname}_size;\n")
      string(APPEND entries "    {\"${name}\", kPicture_${cname}, kPicture_${cname}_size},\n")
    endforeach()
  endforeach()
  set(index ${CMAKE_BINARY_DIR}/pictures/index_${target}.cpp)
  file(WRITE ${index}.in "// Generated: the pictures compiled into the program.\n#include <cstring>\n${decls}\nstruct EmbeddedPicture { const char *name; const unsigned char *data; unsigned long size; };\nextern const EmbeddedPicture kEmbeddedPictures[] = {\n${entries}    {nullptr, nullptr, 0}};\n")
  configure_file(${index}.in ${index} COPYONLY)
  target_sources(${target} PRIVATE ${index})
  # The rendered pictures alone (the Windows build compiles these same sources).
  add_custom_target(${target}_pictures DEPENDS ${sources})
endfunction()
