# The version record (language 0x0409, code page 0x04B0), as the original program carries it.
# The program reads its product version (--version) and internal name (the message boxes'
# caption, the desktop entry's name).
set(QUORVEL_VERSION_LANGUAGE 0x0409)
set(QUORVEL_VERSION_CODEPAGE 0x04B0)
set(QUORVEL_FILE_VERSION "1, 2, 0, 0")
set(QUORVEL_PRODUCT_VERSION "1, 2, 0, 0")
# The product version as --version prints it and the package and metainfo carry it: "1.2.0.0".
string(REPLACE ", " "." QUORVEL_VERSION "${QUORVEL_PRODUCT_VERSION}")
set(QUORVEL_INTERNAL_NAME "Quorvel")
set(QUORVEL_ORIGINAL_FILENAME "Quorvel.exe")
set(QUORVEL_PRODUCT_NAME "Quorvel Application")
set(QUORVEL_FILE_DESCRIPTION "Quorvel WCE MFC Application")
set(QUORVEL_COMMENTS "PXA270")
