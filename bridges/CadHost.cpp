#include "bridges/CadHost.h"

#include "dxf/TextDecoder.h"

#include <string_view>

namespace orvanta {

namespace {

// Window titles and class names are compared within the first 255 characters, the length the
// window system hands out.
constexpr std::size_t NameLimit = 255;

// The first `limit` characters of a UTF-8 text.
std::string_view FirstCharacters(std::string_view s, std::size_t limit) {
    std::size_t characters = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if ((static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) continue;
        if (characters++ == limit) return s.substr(0, i);
    }
    return s;
}

// UTF-16 of a UTF-8 text; invalid bytes become U+FFFD.
std::u16string Utf16(std::string_view utf8) {
    const std::string valid = SanitizeUtf8(utf8);
    std::u16string out;
    out.reserve(valid.size());
    for (std::size_t i = 0; i < valid.size();) {
        const unsigned char lead = static_cast<unsigned char>(valid[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t cp = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length && i + k < valid.size(); ++k)
            cp = cp << 6 | (static_cast<unsigned char>(valid[i + k]) & 0x3F);
        i += length;
        if (cp < 0x10000) {
            out += static_cast<char16_t>(cp);
        } else {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        }
    }
    return out;
}

void AppendU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>(v >> shift));
}

} // namespace

bool IsCadHostWindow(const std::string& title, const std::string& className) {
    const std::string_view t = FirstCharacters(title, NameLimit);
    const std::string_view c = FirstCharacters(className, NameLimit);
    if (t.empty()) return false;
    const bool hostTitle =
        t.starts_with("DWG TrueView ") || t.starts_with("AutoCAD ") || t.starts_with("Autodesk ");
    const bool hostClass = (c.starts_with("Afx:") && c.find(":8:") != std::string_view::npos) ||
                           c.starts_with("AfxMDIFrame");
    return hostTitle && hostClass;
}

std::u16string InsertCommandText(const std::string& path) {
    return u"\x03-INSERT " + Utf16(path) + u"\rS 1 R 0 ";
}

std::vector<std::uint8_t> TransferRecord::bytes() const {
    std::vector<std::uint8_t> out;
    out.reserve(8 + byteCount());
    AppendU32(out, kind);
    AppendU32(out, byteCount());
    for (const char16_t unit : text) {
        out.push_back(static_cast<std::uint8_t>(unit));
        out.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    out.push_back(0);
    out.push_back(0);
    return out;
}

void CadHost::FindHost() {
    for (const TopLevelWindow& window : windows_.topLevelWindows()) {
        if (IsCadHostWindow(window.title, window.className)) {
            host_ = window;
            return;
        }
    }
}

bool CadHost::ActivateHost() {
    host_ = {};
    FindHost();
    if (!host_.id || !windows_.isValid(host_.id)) return false;
    windows_.activate(host_.id);
    return true;
}

bool CadHost::SendText(const std::u16string& text) {
    FindHost();
    TransferRecord record;
    record.text = text;
    // A text longer than the host's buffer is refused rather than cut: a shortened path would
    // name another file.
    if (!record.fits() || !host_.id || !windows_.isValid(host_.id)) return false;
    windows_.deliver(host_.id, record);
    return true;
}

CadHost::Insertion CadHost::InsertAsBlock(const std::string& path) {
    const std::u16string command = InsertCommandText(path);
    if (command.size() + 1 > TransferRecord::BufferUnits) return Insertion::TooLong;
    if (!ActivateHost()) return Insertion::NoHost;
    return SendText(command) ? Insertion::Sent : Insertion::NoHost;
}

} // namespace orvanta
