// What many records share: layer, linetype and block names, and extrusion directions.
//
// A drawing of a million entities names a handful of layers and linetypes a million times. A
// record holds a `Name`, one pointer to the single copy of the text that the drawing's
// `NameTable` keeps, so records stay small and copying a record copies no text. A Name reads
// like the text it stands for: it compares with strings and converts to `const std::string&`.
//
// Its lines, arcs and circles have a handful of extrusion directions between them, nearly all
// (0, 0, 1). Each holds an `Extrusion`, one pointer to the table's copy of its direction, in
// place of three coordinates; an Extrusion reads like the point it stands for.
#pragma once

#include "model/Point.h"

#include <array>
#include <bit>
#include <cstdint>
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

// An extrusion direction (codes 210, 220 and 230): the normal of the plane a record's object
// coordinates lie in.
class Extrusion {
  public:
    // (0, 0, 1): the world's own XY plane, the direction of a record that gives none.
    Extrusion() : direction_(&Up) {}

    const TAcadPoint& point() const { return *direction_; }
    operator const TAcadPoint&() const { return *direction_; }

  private:
    friend class NameTable;
    explicit Extrusion(const TAcadPoint* direction) : direction_(direction) {}

    // Lives as long as the program.
    static inline const TAcadPoint Up{0, 0, 1};

    const TAcadPoint* direction_;
};

// One copy of every name and every extrusion direction a drawing uses. Texts and directions never
// move once added (a deque keeps its elements in place), so the Names and Extrusions handed out
// stay valid as long as the table lives. A table is filled by one thread at a time; threads that
// read parts of one drawing at once each name into a table of their own, which the drawing's
// table then adopts.
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

    // Directions are told apart by their bits, not by ==: -0.0 stays apart from 0.0 and a NaN
    // keeps its payload, so that a record gives back exactly what its file held.
    Extrusion intern(const TAcadPoint& direction) {
        const Bits bits = BitsOf(direction);
        if (bits == BitsOf(Extrusion::Up)) return Extrusion();
        const auto found = directionIndex_.find(bits);
        if (found != directionIndex_.end()) return Extrusion(found->second);
        const TAcadPoint& stored = directions_.emplace_back(direction);
        directionIndex_.emplace(bits, &stored);
        return Extrusion(&stored);
    }

    // Keeps `other` and the Names and Extrusions it handed out alive as long as this table, and
    // hands out its texts and directions for those this table does not hold yet.
    void adopt(std::shared_ptr<NameTable> other) {
        for (const std::string& text : other->texts_)
            index_.try_emplace(text, &text);
        for (const TAcadPoint& direction : other->directions_)
            directionIndex_.try_emplace(BitsOf(direction), &direction);
        adopted_.push_back(std::move(other));
    }

  private:
    using Bits = std::array<std::uint64_t, 3>;
    static Bits BitsOf(const TAcadPoint& p) {
        return {std::bit_cast<std::uint64_t>(p.x), std::bit_cast<std::uint64_t>(p.y),
                std::bit_cast<std::uint64_t>(p.z)};
    }
    struct BitsHash {
        std::size_t operator()(const Bits& b) const {
            return static_cast<std::size_t>(
                (b[0] * 0x9E3779B97F4A7C15u ^ b[1]) * 0x9E3779B97F4A7C15u ^ b[2]);
        }
    };

    std::deque<std::string> texts_;
    std::unordered_map<std::string_view, const std::string*> index_;
    std::deque<TAcadPoint> directions_;
    std::unordered_map<Bits, const TAcadPoint*, BitsHash> directionIndex_;
    std::vector<std::shared_ptr<NameTable>> adopted_;
};

} // namespace orvanta
