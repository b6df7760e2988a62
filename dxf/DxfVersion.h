// What a file is and which release wrote it, found before it is read.
#pragma once

#include "dxf/TextDecoder.h"
#include "model/Language.h"

#include <cstddef>
#include <string>
#include <string_view>

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

// Reads those two from the HEADER section of a text or binary DXF; the scan stops at the header's
// end or at the BLOCKS or ENTITIES section. Throws DxfReadError on a read failure or a group code
// that is not an integer. Always returns true.
bool ReadDxfHeader(const std::string& fileName, DxfHeader& header);

// The value of $ACADVER alone, as ReadDxfHeader finds it.
bool ReadDxfVersion(const std::string& fileName, std::string& version);

// Why a file is read in the encoding it is read in.
enum class EncodingReason {
    Chosen,    // the user chose it for the file
    Release,   // release 2007 and later write UTF-8 ($ACADVER above "AC1021")
    Utf8Bytes, // the file's first bytes are UTF-8, whatever its header states
    CodePage,  // the header's $DWGCODEPAGE names it
    Default,   // nothing says otherwise: Shift-JIS
};

struct EncodingDecision {
    TextEncoding encoding;
    EncodingReason reason = EncodingReason::Default;
    std::string detail; // the chosen name, the $ACADVER or the $DWGCODEPAGE value
};

// How many of a file's first bytes decide whether it is UTF-8: the header, the tables and the
// first records, without reading a large file twice.
constexpr std::size_t Utf8SniffBytes = 4u << 20;

// The encoding to read the DXF file with, in this order: the one `chosen` by the user (a name
// EncodingNamed knows; empty for none); UTF-8 for release 2007 and later; UTF-8 when the
// file's first bytes (Utf8SniffBytes) are valid UTF-8 with a multi-byte character; the code page
// the header states; Shift-JIS. Release 2007 ("AC1021") files are written in UTF-8 by the
// program that made the format but in the ANSI code page by many others, so for that release
// the bytes decide as for older ones. Throws DxfReadError when the file cannot be read.
EncodingDecision DecideEncoding(const std::string& fileName, const DxfHeader& header,
                                std::string_view chosen);

// The decision as the status bar says it: "GBK ($DWGCODEPAGE ANSI_936)", "UTF-8 (bytes)",
// "指定: GBK", "UTF-8 ($ACADVER AC1027)", "Shift-JIS (既定)".
std::string DescribeEncoding(const EncodingDecision& decision, Language language);

// The encoding DecideEncoding chooses for a file of the given $ACADVER without a stated page.
TextEncoding EncodingForFile(const std::string& fileName, const std::string& acadver);

// Release names of version codes, as the file list shows them.
void DwgVersionName(const std::string& code, std::string& name);
void DxfVersionName(const std::string& code, std::string& name);

} // namespace orvanta
