# make_site.cmake -- finishes the web site in SITE: the packed install folder, the page and its
# scripts and stylesheet with the art's colours and the site's version, the manifest and
# icons from the generator, and the service worker with the list of every file.
#   cmake -DSITE=dir -DPAGE=src/platform/web/site -DICONS=build/web_icons
#         -DFOLDER=build/install_folder -P make_site.cmake

foreach(variable SITE PAGE ICONS FOLDER)
  if(NOT ${variable})
    message(FATAL_ERROR "make_site.cmake needs -D${variable}=...")
  endif()
endforeach()

# [SECTION] The packed install folder

# quarnel.data: one line of JSON, the folder's files and their sizes in order
# ({"folder": "/quarnel", "files": [["picture/CardDB.dat", 71390], ...]}), a newline, then
# the files' bytes one after the other. web_library.js (WebFiles) unpacks it before the
# program starts. It is sent gzip-compressed, whatever the server does (static hosts rarely
# compress a .data file), and decompressed by the page; quarnel.data stays for browsers
# that cannot decompress, which fetch it instead.
file(GLOB_RECURSE packed RELATIVE ${FOLDER} ${FOLDER}/*)
list(REMOVE_ITEM packed stamp)
list(SORT packed)
set(listing "")
set(parts ${SITE}/quarnel.data.listing)
foreach(file ${packed})
  file(SIZE ${FOLDER}/${file} size)
  if(listing)
    string(APPEND listing ", ")
  endif()
  string(APPEND listing "[\"${file}\", ${size}]")
  list(APPEND parts ${FOLDER}/${file})
endforeach()
file(WRITE ${SITE}/quarnel.data.listing "{\"folder\": \"/quarnel\", \"files\": [${listing}]}\n")
execute_process(COMMAND ${CMAKE_COMMAND} -E cat ${parts} OUTPUT_FILE ${SITE}/quarnel.data
                RESULT_VARIABLE cat_result)
file(REMOVE ${SITE}/quarnel.data.listing)
find_program(GZIP gzip REQUIRED)
execute_process(COMMAND ${GZIP} -9 -n -c ${SITE}/quarnel.data OUTPUT_FILE ${SITE}/quarnel.data.gz
                RESULT_VARIABLE gzip_result)
if(NOT cat_result EQUAL 0 OR NOT gzip_result EQUAL 0)
  message(FATAL_ERROR "packing ${FOLDER} into ${SITE}/quarnel.data failed")
endif()

# [SECTION] The page

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

foreach(file manifest.webmanifest icon-192.png icon-512.png icon-maskable-512.png
        apple-touch-icon.png)
  configure_file(${ICONS}/${file} ${SITE}/${file} COPYONLY)
endforeach()

# The page's own files: index.html and every script and stylesheet beside it but the
# service worker (a new part of the page is a new file here and a tag in index.html).
file(GLOB page_files RELATIVE ${PAGE} ${PAGE}/*.js ${PAGE}/*.css)
list(REMOVE_ITEM page_files sw.js)
list(SORT page_files)
list(PREPEND page_files index.html)

# The version: a digest of every file the site serves, the page's files as written here
# (before the version goes into them).
set(files ${page_files} quarnel.js quarnel.wasm quarnel.data.gz manifest.webmanifest icon-192.png
    icon-512.png icon-maskable-512.png apple-touch-icon.png)
set(hashes "SKY_TOP ${SKY_TOP} SKY_BOTTOM ${SKY_BOTTOM}\n")
foreach(file ${files} sw.js)
  if(EXISTS ${PAGE}/${file})
    file(SHA256 ${PAGE}/${file} hash)
  elseif(EXISTS ${SITE}/${file})
    file(SHA256 ${SITE}/${file} hash)
  else()
    message(FATAL_ERROR "the site lacks ${file}")
  endif()
  string(APPEND hashes "${hash} ${file}\n")
endforeach()
string(SHA256 SITE_VERSION "${hashes}")
string(SUBSTRING ${SITE_VERSION} 0 16 SITE_VERSION)
foreach(file ${page_files})
  configure_file(${PAGE}/${file} ${SITE}/${file} @ONLY)
endforeach()

# "./" is the page as a home-screen icon opens it.
set(SITE_FILES "'./'")
foreach(file ${files})
  string(APPEND SITE_FILES ", '${file}'")
endforeach()
configure_file(${PAGE}/sw.js ${SITE}/sw.js @ONLY)
