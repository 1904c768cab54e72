# A text file as Notepad opens it right on every Windows: CR LF line ends and, for UTF-8 text that
# is not plain ASCII, a byte-order mark (Notepad before Windows 10 reads a file without one in the
# ANSI code page). @VARIABLE@ references are replaced by the variables passed in.
#   cmake -DINPUT=<source> -DOUTPUT=<file> [-DBOM=ON] [-DPROJECT_VERSION=...] -P windows_text.cmake
file(READ "${INPUT}" text)
string(CONFIGURE "${text}" text @ONLY)
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
if(BOM)
  string(ASCII 239 187 191 bom)  # EF BB BF
  set(text "${bom}${text}")
endif()
file(WRITE "${OUTPUT}" "${text}")
