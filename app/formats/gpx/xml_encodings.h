// The single-byte encodings that expat does not know itself (it reads UTF-8,
// UTF-16, ISO-8859-1 and US-ASCII), taken from the C library's iconv: a GPX
// file declared as windows-1252 or ISO-8859-15 reads as written.
#pragma once

#include <expat.h>

namespace nodalux::gpx {

// An expat unknown-encoding handler. Refuses encodings iconv does not know,
// multi-byte ones and those that do not keep ASCII where XML needs it.
int XMLCALL LoadSingleByteEncoding(void* data, const XML_Char* name, XML_Encoding* info);

}  // namespace nodalux::gpx
