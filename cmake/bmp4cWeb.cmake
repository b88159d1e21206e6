# The web page: with Emscripten (the web preset), each program is built
# unchanged as a JavaScript module with its WebAssembly inside, and the
# three are put into one page with web/page.html, page.css and page.js:
# bmp4c.html, which opens from disk in a browser, with no server, since it
# fetches nothing. A program keeps its state for one run and ends with
# exit, so the page makes a fresh instance of its module for every run.
set(BMP4C_MODULES bmp4c Bmp4c bmp4c-preview Bmp4cPreview bmp4c-grey Bmp4cGrey)
set(modules "")
while(BMP4C_MODULES)
  list(POP_FRONT BMP4C_MODULES program factory)
  set_target_properties(${program} PROPERTIES SUFFIX .js)
  target_link_options(${program} PRIVATE -sMODULARIZE=1 -sEXPORT_NAME=${factory}
    -sINVOKE_RUN=0 -sEXIT_RUNTIME=1 -sSINGLE_FILE=1 "-sEXPORTED_RUNTIME_METHODS=callMain,FS"
    -sALLOW_MEMORY_GROWTH=1 -sMAXIMUM_MEMORY=2GB -sENVIRONMENT=web)
  list(APPEND modules "$<TARGET_FILE:${program}>")
endwhile()
set(pieces page.html page.css page.js)
list(TRANSFORM pieces PREPEND "${PROJECT_SOURCE_DIR}/web/")
add_custom_command(OUTPUT bmp4c.html
  COMMAND "${CMAKE_COMMAND}" "-DWEB=${PROJECT_SOURCE_DIR}/web" "-DMODULES=${modules}"
          -DPAGE=bmp4c.html -P "${PROJECT_SOURCE_DIR}/cmake/bmp4cPage.cmake"
  DEPENDS ${pieces} ${BMP4C_PROGRAMS} "${PROJECT_SOURCE_DIR}/cmake/bmp4cPage.cmake"
  COMMENT "bmp4c: the web page, bmp4c.html" VERBATIM)
add_custom_target(bmp4c_page ALL DEPENDS bmp4c.html)
