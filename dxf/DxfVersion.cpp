#include "dxf/DxfVersion.h"

#include "dxf/LineSource.h"
#include "dxf/NumberParsing.h"
#include "dxf/TextDecoder.h"
#include "model/Abort.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvanta {

namespace {

bool FileExists(const std::string& fileName) {
    struct stat st {};
    return ::stat(fileName.c_str(), &st) == 0;
}

struct VersionNames {
    const char* code;
    const char* dwg;
    const char* dxf;
};

constexpr VersionNames Names[] = {
    {"AC1004", "EX-\u2161", "EX-?"}, {"AC1005", "GX-\u2162", "GX-?"}, {"AC1006", "GX-5", "GX-3"},
    {"AC1009", "R12J", "GX-5/R12J"}, {"AC1012", "R13J", "R13J"},      {"AC1013", "R14", "R14"},
    {"AC1014", "R14", "R14"},        {"AC1015", "2000", "2000"},      {"AC1018", "2004", "2004"},
    {"AC1021", "2007", "2007"},      {"AC1024", "2010", "2010"},      {"AC1027", "2013", "2013"},
};

} // namespace

bool ProbeFileSignature(const std::string& fileName, std::string& signature) {
    signature.clear();
    if (!FileExists(fileName)) return true;
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw SilentAbort(fileName + ": " + std::strerror(errno));
    char buffer[7] = {};
    std::size_t got = 0;
    while (got < sizeof buffer) {
        const ssize_t n = ::read(fd, buffer + got, sizeof buffer - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            throw SilentAbort(fileName + ": " + std::strerror(error));
        }
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    buffer[6] = 0;
    if (got >= 6) signature = DecodeCp932(std::string_view(buffer, std::strlen(buffer)));
    return true;
}

bool ReadDxfVersion(const std::string& fileName, std::string& version) {
    version.clear();
    if (!FileExists(fileName)) return true;
    try {
        LineSource source(fileName);
        // Some writers put a byte-order mark before a UTF-8 file's first group code.
        source.skipUtf8Bom();
        bool inHeader = false;
        while (!source.atEnd()) {
            const std::string codeLine(source.next());
            const std::string_view value = source.next();
            int code;
            if (!ParseGroupCode(codeLine, code)) {
                // Blank lines at the very end of the file are no group code but end the scan.
                if (codeLine.find_first_not_of(" \t") == std::string::npos && value.empty()) break;
                const long line = source.lineNumber() - 1;
                const bool binary = line == 1 && codeLine.rfind(BinaryDxfSentinel, 0) == 0;
                throw SilentAbort(fileName + ":" + std::to_string(line) + ": " +
                                  (binary ? std::string(BinaryDxfMessage)
                                          : "expected a group code (an integer), found \"" +
                                                Shorten(codeLine) + "\""));
            }
            if (inHeader && value == "$ACADVER") {
                const std::string nextCode(source.next());
                const std::string_view nextValue = source.next();
                int versionCode;
                if (ParseGroupCode(nextCode, versionCode) && versionCode == 1)
                    version = DecodeCp932(nextValue);
                break;
            }
            if (code == 2) {
                if (value == "HEADER")
                    inHeader = true;
                else if (value == "ENTITIES" || value == "BLOCKS")
                    break;
            }
        }
    } catch (const InputFailure& e) {
        throw SilentAbort(fileName + ": " + e.what());
    } catch (const LineTooLong& e) {
        throw SilentAbort(fileName + ": " + e.what());
    }
    return true;
}

void DwgVersionName(const std::string& code, std::string& name) {
    name = code;
    for (const VersionNames& entry : Names) {
        if (code == entry.code) {
            name = entry.dwg;
            break;
        }
    }
}

void DxfVersionName(const std::string& code, std::string& name) {
    name = code;
    for (const VersionNames& entry : Names) {
        if (code == entry.code) {
            name = entry.dxf;
            break;
        }
    }
    if (name.empty()) name = "----";
}

} // namespace orvanta
