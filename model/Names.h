// Names that many records share: layers, linetypes and block names.
//
// A drawing of a million entities names a handful of layers and linetypes a million times. A
// record holds a `Name`, one pointer to the single copy of the text that the drawing's
// `NameTable` keeps, so records stay small and copying a record copies no text. A Name reads
// like the text it stands for: it compares with strings and converts to `const std::string&`.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace orvanta {

class Name {
  public:
    // The empty name.
    Name() : text_(&Fixed::empty) {}

    // The names records start with: layer "0" and the by-layer linetype.
    static Name Zero() { return Name(&Fixed::zero); }
    static Name ByLayer() { return Name(&Fixed::byLayer); }

    const std::string& str() const { return *text_; }
    operator const std::string&() const { return *text_; }
    operator std::string_view() const { return *text_; }
    const char* c_str() const { return text_->c_str(); }
    bool empty() const { return text_->empty(); }
    std::size_t size() const { return text_->size(); }

    friend bool operator==(const Name& a, const Name& b) {
        return a.text_ == b.text_ || *a.text_ == *b.text_;
    }
    friend bool operator==(const Name& a, std::string_view b) { return *a.text_ == b; }
    friend bool operator==(const Name& a, const std::string& b) { return *a.text_ == b; }
    friend bool operator==(const Name& a, const char* b) { return *a.text_ == b; }

  private:
    friend class NameTable;
    explicit Name(const std::string* text) : text_(text) {}

    // Texts of the names every drawing uses; they live as long as the program.
    struct Fixed {
        static inline const std::string empty;
        static inline const std::string zero = "0";
        static inline const std::string byLayer = "BYLAYER";
    };

    const std::string* text_;
};

// One copy of every name a drawing uses. Texts never move once added (a deque keeps its
// elements in place), so the Names handed out stay valid as long as the table lives. A table is
// filled by one thread at a time; threads that read parts of one drawing at once each name into
// a table of their own, which the drawing's table then adopts.
class NameTable {
  public:
    NameTable() = default;
    NameTable(const NameTable&) = delete;
    NameTable& operator=(const NameTable&) = delete;

    Name intern(std::string_view text) {
        const auto found = index_.find(text);
        if (found != index_.end()) return Name(found->second);
        const std::string& stored = texts_.emplace_back(text);
        index_.emplace(stored, &stored);
        return Name(&stored);
    }

    // Keeps `other` and the Names it handed out alive as long as this table, and hands out its
    // texts for the names this table does not hold yet.
    void adopt(std::shared_ptr<NameTable> other) {
        for (const std::string& text : other->texts_)
            index_.try_emplace(text, &text);
        adopted_.push_back(std::move(other));
    }

  private:
    std::deque<std::string> texts_;
    std::unordered_map<std::string_view, const std::string*> index_;
    std::vector<std::shared_ptr<NameTable>> adopted_;
};

} // namespace orvanta
