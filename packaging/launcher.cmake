# Run at install time: installs the launcher with the command that starts the
# installed program. Under /usr or /usr/local the games folder is in every
# player's PATH and the launcher names the program; under any other prefix
# (~/.local, /opt/clankora) it gives the program's full path, which the desktop
# can start whatever the PATH.
#   set by the caller: LauncherSource, LauncherBuilt, GamesDir, ApplicationsDir
set(program "${CMAKE_INSTALL_PREFIX}/${GamesDir}/clankora")
if(CMAKE_INSTALL_PREFIX MATCHES "^/usr(/local)?/?$")
  set(command clankora)
else()
  # Quoted as the desktop entry format asks, for paths with spaces or quotes.
  string(REGEX REPLACE "([\"`$\\\\])" "\\\\\\1" command "${program}")
  string(REPLACE "\\" "\\\\" command "${command}")
  string(REPLACE "%" "%%" command "\"${command}\"")
endif()
file(READ "${LauncherSource}" launcher)
string(REPLACE "\nExec=clankora\n" "\nExec=${command}\n" launcher "${launcher}")
file(WRITE "${LauncherBuilt}" "${launcher}")
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/${ApplicationsDir}" TYPE FILE FILES "${LauncherBuilt}")
