// What a file is and which release wrote it, found before it is read.
#pragma once

#include "dxf/TextDecoder.h"

#include <string>

namespace orvanta {

// The first bytes of a file up to the first zero byte, at most six, as text: a DWG file gives its
// version code ("AC1015"). Empty when the file does not exist or holds fewer than six bytes.
// Throws DxfReadError (a SilentAbort) when the file exists but cannot be read. Always returns true.
bool ProbeFileSignature(const std::string& fileName, std::string& signature);

// Whether a signature is a DWG version code ("AC1" and three more characters): DWG content,
// whatever the file is called.
bool IsDwgSignature(const std::string& signature);

// What the HEADER section of a DXF says of how it is written: $ACADVER ("AC1015") and
// $DWGCODEPAGE ("ANSI_932"), each empty when the header lacks it.
struct DxfHeader {
    std::string acadver;
    std::string codepage;
};

// Reads those two from the HEADER section; the scan stops at the header's end or at the BLOCKS
// or ENTITIES section. Throws DxfReadError on a read failure or a group code that is not an
// integer. Always returns true.
bool ReadDxfHeader(const std::string& fileName, DxfHeader& header);

// The value of $ACADVER alone, as ReadDxfHeader finds it.
bool ReadDxfVersion(const std::string& fileName, std::string& version);

// The encoding to read a DXF file of the given $ACADVER with: UTF-8 above "AC1021", CP932 below.
// Release 2007 ("AC1021") files are written in UTF-8 by the program that made the format but in
// the ANSI code page by many others, so for that release alone the file's bytes decide: UTF-8
// when they hold multi-byte UTF-8 and nothing that is not UTF-8, CP932 otherwise.
// Throws DxfReadError when an "AC1021" file cannot be read.
TextEncoding EncodingForFile(const std::string& fileName, const std::string& acadver);

// Release names of version codes, as the file list shows them.
void DwgVersionName(const std::string& code, std::string& name);
void DxfVersionName(const std::string& code, std::string& name);

} // namespace orvanta
