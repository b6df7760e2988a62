// Handing a drawing to a running CAD program, which inserts it as a block.
//
// The CAD program (the host) is an outside program. It is found among the desktop's top-level
// windows by its title and class, brought to the front and sent a command line as text in a
// transfer record. How windows are listed, activated and reached is the platform's business,
// behind `CadHostWindows`; the rules of which window and what text live here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvanta {

// A top-level window as the platform lists it.
struct TopLevelWindow {
    std::uint64_t id = 0;
    std::string title;     // UTF-8
    std::string className; // UTF-8
    std::int64_t processId = 0;
};

// True for the main window of a CAD host: a title that begins, case-sensitively, with
// "DWG TrueView ", "AutoCAD " or "Autodesk ", and a class that either begins with "Afx:" and
// contains ":8:" or begins with "AfxMDIFrame". Only the first 255 characters of each count.
bool IsCadHostWindow(const std::string& title, const std::string& className);

// The command line that inserts the drawing at `path` as a block: character 3 (cancels whatever
// command the host is running), "-INSERT ", the path, a carriage return, then "S 1 R 0 ". The
// blanks act as Enter: block name, scale 1, rotation 0, then the host waits for the point.
std::u16string InsertCommandText(const std::string& path);

// The record that carries a text to the host, as laid out on the wire: the data kind (1) and the
// byte count as little-endian 32-bit values, then the text in UTF-16LE with a terminating zero.
// The byte count is 2 × (characters + 1).
struct TransferRecord {
    static constexpr std::uint32_t TextKind = 1;
    // The host's receiving buffer holds this many UTF-16 units, the terminating zero included.
    static constexpr std::size_t BufferUnits = 512;

    std::uint32_t kind = TextKind;
    std::u16string text;

    std::uint32_t byteCount() const { return static_cast<std::uint32_t>(2 * (text.size() + 1)); }
    // The record's bytes: kind, byte count, then the text and its zero.
    std::vector<std::uint8_t> bytes() const;
    // Whether the text and its terminating zero fit the host's buffer.
    bool fits() const { return text.size() + 1 <= BufferUnits; }
};

// What the platform offers: its top-level windows in its own order, and ways to bring one to the
// front and to hand it a record.
class CadHostWindows {
  public:
    virtual ~CadHostWindows() = default;
    virtual std::vector<TopLevelWindow> topLevelWindows() = 0;
    // Whether the window still exists.
    virtual bool isValid(std::uint64_t window) = 0;
    virtual void activate(std::uint64_t window) = 0;
    // Hands the record to the window and wakes the program that owns it. The program's answer,
    // if any, is not waited for.
    virtual void deliver(std::uint64_t window, const TransferRecord& record) = 0;
};

class CadHost {
  public:
    enum class Insertion {
        Sent,    // the command went to the host
        NoHost,  // no host is running; nothing was sent
        TooLong, // the command would not fit the host's buffer; nothing was sent
    };

    explicit CadHost(CadHostWindows& windows) : windows_(windows) {}

    // Finds the first window that matches in the platform's order and keeps it.
    void FindHost();
    // Forgets the kept host and finds again; brings the host to the front when there is one.
    bool ActivateHost();
    // Finds again (keeping the host when none is found) and delivers `text` to the host.
    // False when there is no host or the text does not fit the host's buffer.
    bool SendText(const std::u16string& text);
    // Inserts the drawing at `path` as a block into the running host.
    Insertion InsertAsBlock(const std::string& path);

    // The kept host window, 0 when none; and its process id.
    std::uint64_t hostWindow() const { return host_.id; }
    std::int64_t hostProcess() const { return host_.processId; }

  private:
    CadHostWindows& windows_;
    TopLevelWindow host_;
};

} // namespace orvanta
