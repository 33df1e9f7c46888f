# The application's icon in pixels, rendered from the scalable one at build time: for the icon
# theme and for the window itself.
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
set(HCCI_ICON_SIZES 48 64 128 256)
set(HCCI_ICON_PNGS "")
foreach(size IN LISTS HCCI_ICON_SIZES)
  set(png ${CMAKE_BINARY_DIR}/icons/${size}x${size}/hcci-cycle.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}x${size}
    COMMAND ${RSVG_CONVERT} --width ${size} --height ${size} --keep-aspect-ratio
            --output ${png} ${CMAKE_SOURCE_DIR}/packaging/hcci-cycle.svg
    DEPENDS ${CMAKE_SOURCE_DIR}/packaging/hcci-cycle.svg
    COMMENT "Rendering the ${size} px icon"
    VERBATIM)
  list(APPEND HCCI_ICON_PNGS ${png})
endforeach()
add_custom_target(hcci_icons ALL DEPENDS ${HCCI_ICON_PNGS})
