# Fails when the layers mix: a file outside qt/ (core/, cli/, win32/) that
# includes a Qt header; outside core/platform/ and win32/, a POSIX or Windows
# header, or any other way to the system (the standard library's file system
# and file streams, removing a file, the environment, code for one system
# alone); or a file under core/ that reaches up into a front end (qt/,
# win32/, cli/).
# cmake -DROOT=<source> -P layering.cmake
cmake_policy(SET CMP0007 NEW)
file(GLOB_RECURSE files RELATIVE ${ROOT}
  ${ROOT}/core/*.h ${ROOT}/core/*.cpp ${ROOT}/cli/*.h ${ROOT}/cli/*.cpp ${ROOT}/win32/*.h ${ROOT}/win32/*.cpp)
set(bad "")
set(system_header "<(csignal|filesystem|fstream|(unistd|fcntl|dirent|signal|termios|poll|pwd|spawn|dlfcn|io|direct|process|windows|winbase|windef|winnt|winuser|wincon|shellapi|shlobj|shobjidl|commctrl|commdlg|sys/[a-z_]+|arpa/[a-z]+|netinet/[a-z]+)\\.h)>")
set(system_use "(std::filesystem|std::[io]?fstream|std::remove[ \t]*\\(|getenv|^[ \t]*#[ \t]*(if|ifdef|ifndef|elif)[ \t].*(_WIN32|_WIN64|__linux__|__unix__|__APPLE__|_MSC_VER|__MINGW))")
foreach(f IN LISTS files)
  if(NOT f MATCHES "^(core/platform|win32)/")
    file(STRINGS ${ROOT}/${f} uses REGEX "${system_use}")
    foreach(line IN LISTS uses)
      list(APPEND bad "${f}: ${line}")
    endforeach()
  endif()
  file(STRINGS ${ROOT}/${f} includes REGEX "^[ \t]*#[ \t]*include")
  foreach(line IN LISTS includes)
    if(line MATCHES "[<\"](Q[A-Za-z]*|Qt[A-Za-z]*/[^>\"]*)[>\"]")
      list(APPEND bad "${f}: ${line}")
    elseif(f MATCHES "^core/" AND line MATCHES "\"(qt|gui|win32|cli)/")
      list(APPEND bad "${f}: ${line}")
    elseif(NOT f MATCHES "^(core/platform|win32)/" AND line MATCHES "${system_header}")
      list(APPEND bad "${f}: ${line}")
    endif()
  endforeach()
endforeach()
if(bad)
  list(JOIN bad "\n  " text)
  message(FATAL_ERROR "the layers mix:\n  ${text}")
endif()
list(LENGTH files n)
message(STATUS "layering: ${n} files under core/, cli/ and win32/ include no Qt header, and only core/platform/ and win32/ reach the system")
