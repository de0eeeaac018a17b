# Writes OUT, NSIS defines of the sizes in bytes of the files the installer
# carries, against which it checks what it installed.
#   cmake -DLIBRARY=... -DUNINSTALLER=... -DOUT=... -P payload_sizes.cmake
file(SIZE ${LIBRARY} library_size)
file(SIZE ${UNINSTALLER} uninstaller_size)
file(WRITE ${OUT} "!define LIBRARY_SIZE ${library_size}\n!define UNINSTALLER_SIZE ${uninstaller_size}\n")
