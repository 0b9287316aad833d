# fonts.cmake -- what the generator draws the pictures' text with, written to
# ${CMAKE_BINARY_DIR}/golden_fonts.txt in the form of tests/golden/fonts.txt: the golden frames'
# hashes hold for the font files and FreeType they were made with, and the golden test says
# so when this build's differ. Made again whenever a font file or the FreeType library changes.
find_package(Freetype REQUIRED)
# The generator's font folder and faces (tools/CMakeLists.txt, tools/gen/canvas.cpp).
set(QUARNEL_GEN_FONT_DIR /usr/share/fonts/truetype/dejavu)
set(QUARNEL_GEN_FONTS DejaVuSans.ttf DejaVuSans-Bold.ttf DejaVuSerif.ttf DejaVuSerif-Bold.ttf)

function(quarnel_package_version package out)
  set(version unknown)
  find_program(QUARNEL_DPKG_QUERY dpkg-query)
  if(QUARNEL_DPKG_QUERY)
    execute_process(COMMAND ${QUARNEL_DPKG_QUERY} -W -f=\${Version} ${package}
                    OUTPUT_VARIABLE found RESULT_VARIABLE failed ERROR_QUIET)
    if(NOT failed AND found)
      set(version ${found})
    endif()
  endif()
  set(${out} ${version} PARENT_SCOPE)
endfunction()

quarnel_package_version(fonts-dejavu-core dejavu_version)
quarnel_package_version(libfreetype6 freetype_package)
set(fonts_text "fonts-dejavu-core ${dejavu_version}\n")
string(APPEND fonts_text "freetype ${FREETYPE_VERSION_STRING} (libfreetype6 ${freetype_package})\n")
foreach(font ${QUARNEL_GEN_FONTS})
  set(path ${QUARNEL_GEN_FONT_DIR}/${font})
  if(EXISTS ${path})
    file(SHA256 ${path} sum)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${path})
  else()
    set(sum missing)
  endif()
  string(APPEND fonts_text "${font} sha256 ${sum}\n")
endforeach()
foreach(library ${FREETYPE_LIBRARIES})
  if(EXISTS ${library})
    get_filename_component(real ${library} REALPATH)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${real})
  endif()
endforeach()
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/golden_fonts.txt CONTENT "${fonts_text}" @ONLY)
