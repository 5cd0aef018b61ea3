# What `make install` puts in place (GNU layout under CMAKE_INSTALL_PREFIX, DESTDIR honoured):
#   bin/velmora                                     the program
#   share/velmora/                                  the starter library, its journal and pictures, empty.bmp
#   share/applications/<id>.desktop                 the menu entry
#   share/metainfo/<id>.metainfo.xml                the software centre's description
#   share/icons/hicolor/<n>x<n>/apps/<id>.png        the icon
#   share/doc/velmora/README.md
# The library a user writes never lives there: see vlm_ProgramFolders.h.
set(velmora_data ${PROJECT_SOURCE_DIR}/data)

install(TARGETS velmora RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${velmora_data}/dreams.ini ${velmora_data}/empty.bmp DESTINATION ${CMAKE_INSTALL_DATADIR}/velmora)
install(DIRECTORY ${velmora_data}/icons ${velmora_data}/journals ${velmora_data}/pictures
        DESTINATION ${CMAKE_INSTALL_DATADIR}/velmora)
install(FILES ${velmora_data}/desktop/${VELMORA_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${velmora_data}/desktop/${VELMORA_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 16 24 32 48 64 128 256)
  install(FILES ${velmora_data}/desktop/icons/velmora-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME ${VELMORA_APP_ID}.png)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/velmora)
