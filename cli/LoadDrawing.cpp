#include "cli/LoadDrawing.h"

#include "dxf/DxfReader.h"
#include "dxf/DxfVersion.h"
#include "geometry/LoadSequence.h"

#include <sys/stat.h>

namespace orvanta::cli {

namespace {

// Collects what the reader would show in a message box, to print it as the file's error.
class CollectedMessages : public MessageSink {
  public:
    void showMessage(const std::string& text, const std::string&) override { last = text; }
    std::string last;
};

} // namespace

ReadFacts ReadDrawingFile(const std::string& path, Drawing& drawing, const char* verb) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) throw SilentAbort(path + ": no such file");
    if (S_ISDIR(st.st_mode)) throw SilentAbort(path + ": is a folder");
    std::string signature;
    ProbeFileSignature(path, signature);
    if (signature.size() == 6 && signature.rfind("AC1", 0) == 0)
        throw SilentAbort(path + ": a DWG file (" + signature + "); only text DXF files are " +
                          verb + " without the converter");
    ReadFacts facts;
    ReadDxfVersion(path, facts.acadver);
    facts.encoding = EncodingForFile(path, facts.acadver);
    CollectedMessages messages;
    std::string status;
    ReadDxfFile(drawing, path, nullptr, &messages, status, facts.encoding);
    if (!status.empty()) throw SilentAbort(path + ": " + messages.last + " (" + status + ")");
    return facts;
}

void NormaliseLoaded(const std::string& path, Drawing& drawing) {
    try {
        NormaliseDrawing(drawing);
    } catch (const SilentAbort& e) {
        throw SilentAbort(path + ": " + e.what());
    }
}

} // namespace orvanta::cli
