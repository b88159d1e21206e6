# Puts the web page together, run as
#   cmake -DWEB=<folder of page.html, page.css, page.js> -DMODULES=<the programs' .js>
#         -DPAGE=<bmp4c.html> -P bmp4cPage.cmake
# Inline scripts end at the first "</script", so none may hold one.
file(READ "${WEB}/page.html" page)
file(READ "${WEB}/page.css" style)
file(READ "${WEB}/page.js" script)
set(programs "")
foreach(module ${MODULES})
  file(READ "${module}" code)
  string(APPEND programs "${code}\n")
endforeach()
foreach(piece style script programs)
  string(REPLACE "</script" "<\\/script" ${piece} "${${piece}}")
endforeach()
string(REPLACE "@STYLE@" "${style}" page "${page}")
string(REPLACE "@SCRIPT@" "${script}" page "${page}")
string(REPLACE "@PROGRAMS@" "${programs}" page "${page}")
file(WRITE "${PAGE}" "${page}")
