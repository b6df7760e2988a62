// What a file is and which release wrote it, found before it is read.
#pragma once

#include <string>

namespace orvanta {

// The first bytes of a file up to the first zero byte, at most six, as text: a DWG file gives its
// version code ("AC1015"). Empty when the file does not exist or holds fewer than six bytes.
// Throws SilentAbort when the file exists but cannot be read. Always returns true.
bool ProbeFileSignature(const std::string& fileName, std::string& signature);

// The value of $ACADVER in the HEADER section of a text DXF; empty when the header lacks it. The
// scan stops at the BLOCKS or ENTITIES section. Throws SilentAbort on a read failure or a group
// code that is not an integer. Always returns true.
bool ReadDxfVersion(const std::string& fileName, std::string& version);

// Release names of version codes, as the file list shows them.
void DwgVersionName(const std::string& code, std::string& name);
void DxfVersionName(const std::string& code, std::string& name);

} // namespace orvanta
