# Run by cmake --install: registers the browser host for every user, naming the
# host where this install puts it, which is known only now (--prefix). Chromium
# and Google Chrome look in /etc, Firefox in /usr/lib: PREFIX/etc and PREFIX/lib
# for another prefix. Set before: kelvo_host (the built host), kelvo_bindir,
# kelvo_etc (relative to the prefix, or absolute), kelvo_host_name, kelvo_made
# (a folder of the build's for the manifests), kelvo_chrome (whether Google
# Chrome's folder gets one too).
set(etc "${kelvo_etc}")
if(NOT IS_ABSOLUTE "${etc}")
  set(etc "${CMAKE_INSTALL_PREFIX}/${etc}")
endif()
execute_process(
  COMMAND "${kelvo_host}" --write-manifests
          "${CMAKE_INSTALL_PREFIX}/${kelvo_bindir}/kelvo-browser-host" "${kelvo_made}"
  RESULT_VARIABLE written)
if(NOT written EQUAL 0)
  message(FATAL_ERROR "cannot write the browser host's manifests in ${kelvo_made}")
endif()
set(chromium_folders chromium/native-messaging-hosts)
if(kelvo_chrome)
  list(APPEND chromium_folders opt/chrome/native-messaging-hosts)
endif()
foreach(folder ${chromium_folders})
  file(INSTALL "${kelvo_made}/chromium/${kelvo_host_name}.json" DESTINATION "${etc}/${folder}")
endforeach()
file(INSTALL "${kelvo_made}/firefox/${kelvo_host_name}.json"
     DESTINATION "${CMAKE_INSTALL_PREFIX}/lib/mozilla/native-messaging-hosts")
