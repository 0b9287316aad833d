# make_site.cmake -- finishes the web site in SITE: the page with the art's colours, the
# manifest and icons from the generator, and the service worker with the list of every file
# and a version made from their contents.
#   cmake -DSITE=dir -DPAGE=src/platform/web/site -DICONS=build/web_icons -P make_site.cmake

foreach(variable SITE PAGE ICONS)
  if(NOT ${variable})
    message(FATAL_ERROR "make_site.cmake needs -D${variable}=...")
  endif()
endforeach()

file(STRINGS ${ICONS}/colours.txt colour_lines)
foreach(line ${colour_lines})
  if(line MATCHES "^sky_top (#[0-9a-f]+)$")
    set(SKY_TOP ${CMAKE_MATCH_1})
  elseif(line MATCHES "^sky_bottom (#[0-9a-f]+)$")
    set(SKY_BOTTOM ${CMAKE_MATCH_1})
  endif()
endforeach()
if(NOT SKY_TOP OR NOT SKY_BOTTOM)
  message(FATAL_ERROR "${ICONS}/colours.txt lacks sky_top or sky_bottom")
endif()

configure_file(${PAGE}/index.html ${SITE}/index.html @ONLY)
foreach(file manifest.webmanifest icon-192.png icon-512.png icon-maskable-512.png)
  configure_file(${ICONS}/${file} ${SITE}/${file} COPYONLY)
endforeach()

# The packed install folder is sent compressed, whatever the server does (static hosts
# rarely compress a .data file); the page decompresses it as it arrives. quarnel.data stays
# for browsers that cannot, which fetch it instead.
find_program(GZIP gzip REQUIRED)
execute_process(COMMAND ${GZIP} -9 -n -c ${SITE}/quarnel.data OUTPUT_FILE ${SITE}/quarnel.data.gz
                RESULT_VARIABLE gzip_result)
if(NOT gzip_result EQUAL 0)
  message(FATAL_ERROR "gzip of ${SITE}/quarnel.data failed")
endif()

# Every file the site serves; "./" is the page as a home-screen icon opens it.
set(files index.html quarnel.js quarnel.wasm quarnel.data.gz manifest.webmanifest icon-192.png
    icon-512.png icon-maskable-512.png)
set(SITE_FILES "'./'")
set(hashes "")
foreach(file ${files})
  if(NOT EXISTS ${SITE}/${file})
    message(FATAL_ERROR "the site lacks ${file}")
  endif()
  file(SHA256 ${SITE}/${file} hash)
  string(APPEND hashes "${hash} ${file}\n")
  string(APPEND SITE_FILES ", '${file}'")
endforeach()
string(SHA256 SITE_VERSION "${hashes}")
string(SUBSTRING ${SITE_VERSION} 0 16 SITE_VERSION)
configure_file(${PAGE}/sw.js ${SITE}/sw.js @ONLY)
