# Packs the layout files and the skin images at the top level of one zip.
# The images are placeholders drawn here with ImageMagick until the artwork
# arrives; only their names and sizes matter to the layouts.
#   cmake -DZIP=<zip> -DCONVERT=<convert> -DOUT=<skin.zip> -DIMAGES=<folder>
#         -DLAYOUTS=<file;file> -P PackSkin.cmake
file(REMOVE_RECURSE ${IMAGES})
file(MAKE_DIRECTORY ${IMAGES})

function(draw name)
  execute_process(COMMAND ${CONVERT} ${ARGN} -strip ${IMAGES}/${name} RESULT_VARIABLE rc ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "drawing ${name} failed: ${err}")
  endif()
endfunction()

set(cross -stroke white -strokewidth 2 -draw "line 9,10 19,20" -draw "line 19,10 9,20")
set(small_cross -stroke "#9A9A9A" -strokewidth 2 -draw "line 7,7 16,16" -draw "line 16,7 7,16")
draw(shadow.png -size 24x24 xc:none -fill "rgba(0,0,0,0.35)" -draw "roundrectangle 3,3 20,20 6,6" -blur 0x3)
draw(gmin_normal.png -size 24x24 xc:none -fill white -draw "rectangle 6,11 17,12")
draw(gmin_hover.png -size 24x24 "xc:rgba(255,255,255,0.25)" -fill white -draw "rectangle 6,11 17,12")
draw(gclose_normal.png -size 28x30 xc:none ${cross})
draw(gclose_hover.png -size 28x30 "xc:rgba(232,17,35,0.9)" ${cross})
draw(gprogress_bk.png -size 20x13 xc:none -fill "#3A3F4B" -draw "roundrectangle 0,0 19,12 3,3")
draw(gprogress_fore.png -size 20x13 xc:none -fill "#F0A020" -draw "roundrectangle 0,0 19,12 3,3")
draw(btn_close.png -size 24x24 xc:none ${small_cross})
draw(btn_close_hover.png -size 24x24 xc:none -stroke "#E81123" -strokewidth 2 -draw "line 7,7 16,16" -draw "line 16,7 7,16")
draw(icon_warning.png -size 60x60 xc:none -fill "#F5A623" -draw "polygon 30,4 57,54 3,54"
     -fill white -draw "rectangle 28,20 32,40" -draw "rectangle 28,45 32,49")
draw(confirm.png -size 96x32 xc:none -fill "#008AFF" -draw "roundrectangle 0,0 95,31 4,4")
draw(tov_download_bk.jpg -size 960x620 "gradient:#23324F-#0B0F1C" -quality 85)
draw(melk_download_bk.jpg -size 960x620 "gradient:#3B2A4F-#120B1C" -quality 85)
draw(pirn_download_bk.jpg -size 960x620 "gradient:#1F4A3A-#08160F" -quality 85)

file(GLOB images ${IMAGES}/*)
file(REMOVE ${OUT})
execute_process(COMMAND ${ZIP} -X -q -j -9 ${OUT} ${LAYOUTS} ${images} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "zip failed (${rc})")
endif()
