#include "dxf/DxfVersion.h"

#include "dxf/DxfReader.h"
#include "dxf/LineSource.h"
#include "dxf/PairSource.h"
#include "dxf/TextDecoder.h"
#include "model/Abort.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace orvanta {

namespace {

bool FileExists(const std::string& fileName) {
    struct stat st {};
    return ::stat(fileName.c_str(), &st) == 0;
}

// A file read as raw bytes; every failure ends the caller's action with the file's name.
class RawFile {
  public:
    explicit RawFile(const std::string& fileName) : name_(fileName) {
        fd_ = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd_ < 0)
            throw DxfReadError(fileName, 0, DxfProblem::Unreadable, 0, {}, std::strerror(errno));
    }
    ~RawFile() { ::close(fd_); }
    RawFile(const RawFile&) = delete;
    RawFile& operator=(const RawFile&) = delete;

    // Reads up to `size` bytes; 0 at the end of the file.
    std::size_t read(void* buffer, std::size_t size) {
        for (;;) {
            const ssize_t n = ::read(fd_, buffer, size);
            if (n >= 0) return static_cast<std::size_t>(n);
            if (errno != EINTR)
                throw DxfReadError(name_, 0, DxfProblem::Unreadable, 0, {}, std::strerror(errno));
        }
    }

  private:
    std::string name_;
    int fd_ = -1;
};

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
    char buffer[7] = {};
    std::size_t got = 0;
    {
        RawFile file(fileName);
        while (got < sizeof buffer) {
            const std::size_t n = file.read(buffer + got, sizeof buffer - got);
            if (n == 0) break;
            got += n;
        }
    }
    buffer[6] = 0;
    if (got >= 6) signature = DecodeCp932(std::string_view(buffer, std::strlen(buffer)));
    return true;
}

bool IsDwgSignature(const std::string& signature) {
    return signature.size() == 6 && signature.compare(0, 3, "AC1") == 0;
}

namespace {

std::string_view Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

} // namespace

bool ReadDxfHeader(const std::string& fileName, DxfHeader& header) {
    header = {};
    if (!FileExists(fileName)) return true;
    try {
        LineSource source(fileName);
        // Some writers put a byte-order mark before a UTF-8 file's first group code.
        source.skipUtf8Bom();
        PairSource pairs(source, fileName);
        bool inHeader = false;
        while (pairs.next()) {
            const int code = pairs.code();
            const std::string_view value = pairs.value();
            if (code == 0 && (value == "EOF" || (inHeader && value == "ENDSEC"))) break;
            if (inHeader && code == 9 && (value == "$ACADVER" || value == "$DWGCODEPAGE")) {
                std::string& into = value == "$ACADVER" ? header.acadver : header.codepage;
                // $ACADVER is a code 1 string, $DWGCODEPAGE a code 3 one.
                if (!pairs.next()) break;
                if (pairs.code() == (&into == &header.acadver ? 1 : 3))
                    into = DecodeCp932(Trimmed(pairs.value()));
                // The two stand at the header's start; nothing after them is needed.
                if (!header.acadver.empty() && !header.codepage.empty()) break;
                continue;
            }
            if (code == 2) {
                if (value == "HEADER")
                    inHeader = true;
                else if (value == "ENTITIES" || value == "BLOCKS")
                    break;
            }
        }
    } catch (const InputFailure& e) {
        throw DxfReadError(fileName, 0, DxfProblem::Unreadable, 0, {}, e.what());
    } catch (const LineTooLong&) {
        throw DxfReadError(fileName, 0, DxfProblem::LineTooLong);
    }
    return true;
}

bool ReadDxfVersion(const std::string& fileName, std::string& version) {
    DxfHeader header;
    ReadDxfHeader(fileName, header);
    version = std::move(header.acadver);
    return true;
}

namespace {

// Follows UTF-8 byte by byte, so that a file can be checked in blocks.
class Utf8Check {
  public:
    void feed(const unsigned char* p, std::size_t n) {
        for (std::size_t i = 0; i < n && valid_; ++i)
            step(p[i]);
    }
    bool valid() const { return valid_ && need_ == 0; }
    bool failed() const { return !valid_; }
    bool sawMultiByte() const { return multiByte_; }

  private:
    void step(unsigned char b) {
        if (need_ > 0) {
            if (b < low_ || b > high_) valid_ = false;
            --need_;
            low_ = 0x80;
            high_ = 0xBF;
            return;
        }
        if (b < 0x80) return;
        multiByte_ = true;
        low_ = 0x80;
        high_ = 0xBF;
        if (b >= 0xC2 && b <= 0xDF)
            need_ = 1;
        else if (b == 0xE0)
            need_ = 2, low_ = 0xA0; // no overlong forms
        else if (b == 0xED)
            need_ = 2, high_ = 0x9F; // no surrogates
        else if (b >= 0xE1 && b <= 0xEF)
            need_ = 2;
        else if (b == 0xF0)
            need_ = 3, low_ = 0x90;
        else if (b >= 0xF1 && b <= 0xF3)
            need_ = 3;
        else if (b == 0xF4)
            need_ = 3, high_ = 0x8F; // nothing above U+10FFFF
        else
            valid_ = false;
    }

    int need_ = 0;
    unsigned char low_ = 0x80;
    unsigned char high_ = 0xBF;
    bool valid_ = true;
    bool multiByte_ = false;
};

} // namespace

namespace {

// Whether the first bytes of the file read as UTF-8 with at least one multi-byte character. A
// sequence cut off by the end of the bytes looked at counts as whole.
bool LooksUtf8(const std::string& fileName) {
    Utf8Check check;
    if (IsBinaryDxfFile(fileName)) {
        // The numbers of a binary file are no text: its strings alone tell.
        try {
            LineSource source(fileName);
            PairSource pairs(source, fileName);
            while (!check.failed() && source.offset() < static_cast<long long>(Utf8SniffBytes) &&
                   pairs.next()) {
                if (BinaryValueOf(pairs.code()) != BinaryValue::String) continue;
                const std::string_view text = pairs.value();
                check.feed(reinterpret_cast<const unsigned char*>(text.data()), text.size());
            }
        } catch (const InputFailure& e) {
            throw DxfReadError(fileName, 0, DxfProblem::Unreadable, 0, {}, e.what());
        } catch (const DxfReadError&) {
            // A damaged file is judged by what came before the damage; the read says the rest.
        }
        return !check.failed() && check.sawMultiByte();
    }
    RawFile file(fileName);
    std::vector<unsigned char> buffer(1 << 20);
    std::size_t seen = 0;
    while (!check.failed() && seen < Utf8SniffBytes) {
        const std::size_t n = file.read(buffer.data(), buffer.size());
        if (n == 0) return check.valid() && check.sawMultiByte();
        check.feed(buffer.data(), n);
        seen += n;
    }
    return !check.failed() && check.sawMultiByte();
}

} // namespace

EncodingDecision DecideEncoding(const std::string& fileName, const DxfHeader& header,
                                std::string_view chosen) {
    if (!chosen.empty())
        if (const std::optional<TextEncoding> named = EncodingNamed(chosen))
            return {*named, EncodingReason::Chosen, EncodingName(*named)};
    if (header.acadver > std::string("AC1021"))
        return {TextEncoding::Utf8, EncodingReason::Release, header.acadver};
    // Writers put UTF-8 into older files whatever their header states: text of a double-byte
    // page of more than a few characters is practically never valid UTF-8, so bytes that are
    // valid UTF-8 are taken for it.
    if (FileExists(fileName) && LooksUtf8(fileName))
        return {TextEncoding::Utf8, EncodingReason::Utf8Bytes, {}};
    if (const std::optional<TextEncoding> stated = EncodingOfCodePage(header.codepage))
        return {*stated, EncodingReason::CodePage, header.codepage};
    return {TextEncoding::Cp932, EncodingReason::Default, {}};
}

std::string DescribeEncoding(const EncodingDecision& decision, Language language) {
    const bool japanese = language == Language::Japanese;
    switch (decision.reason) {
    case EncodingReason::Chosen:
        return (japanese ? "指定: " : "chosen: ") + decision.detail;
    case EncodingReason::Release:
        return "UTF-8 ($ACADVER " + decision.detail + ")";
    case EncodingReason::Utf8Bytes:
        return "UTF-8 (bytes)";
    case EncodingReason::CodePage:
        return EncodingName(decision.encoding) + " ($DWGCODEPAGE " + decision.detail + ")";
    case EncodingReason::Default:
        break;
    }
    return japanese ? "Shift-JIS (既定)" : "Shift-JIS (default)";
}

TextEncoding EncodingForFile(const std::string& fileName, const std::string& acadver) {
    DxfHeader header;
    header.acadver = acadver;
    return DecideEncoding(fileName, header, {}).encoding;
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
