// The search index of the texts of drawings: one SQLite file in the user's cache folder, shared
// by every window and command of the user. Each drawing is stored with its size and modification
// time, so that a folder is brought up to date by reading only what changed; its texts are
// stored as shown and in their search form (NormaliseForSearch), the search form in an FTS5
// table with the trigram tokenizer, which finds any substring of three or more characters in
// any script.
//
// Several processes may use one index file at once: it is opened in write-ahead-log mode with a
// busy timeout, and every change is one transaction. One TextIndex may be shared by threads: its
// calls take turns. A search that must not wait for a long update uses a TextIndex of its own:
// readers of the file do not wait for its writer.
#pragma once

#include "load/DrawingTexts.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

namespace orvanta {

// A failure of the index, worded for the user (in the interface language).
class TextIndexError : public std::runtime_error {
  public:
    enum class Problem {
        Other,
        DiskFull, // the disk (or the user's quota) is full
        ReadOnly, // the cache folder or the file cannot be written
        // The index turned out damaged while in use: it has been moved aside and a new, empty
        // one made in its place (TextIndex::movedAside names where the old one went), so the
        // drawings must be indexed again.
        Damaged,
    };
    TextIndexError(Problem problem, const std::string& message)
        : std::runtime_error(message), problem_(problem) {}
    Problem problem() const { return problem_; }

  private:
    Problem problem_;
};

// The search form of a text: NFKC (full-width letters and digits become ASCII, half-width kana
// full-width), then case folded, so that "Ｎｏ．１" finds "no.1" and "ｶﾀｶﾅ" finds "カタカナ".
std::string NormaliseForSearch(const std::string& text);

// The words of a query, each in its search form: split at white space (ASCII and the
// ideographic space), empty words dropped.
std::vector<std::string> QueryWords(const std::string& query);

// A drawing file as the index knows it.
struct IndexedFile {
    std::string path; // absolute, as the folder scan gives it
    std::uintmax_t size = 0;
    std::int64_t modified = 0; // as the file system gives it (nanoseconds); only compared
    bool failed = false;       // it could not be read; `reason` says why
    std::string reason;
};

// One drawing's entry, to be stored.
struct IndexedDrawing {
    IndexedFile file;
    std::vector<IndexedText> texts; // empty when the file failed
};

// One text found by a search.
struct SearchHit {
    std::string path; // the drawing
    IndexedText text;
};

struct SearchResult {
    // The hits in drawing path order, then in the drawing's text order, at most the limit.
    std::vector<SearchHit> hits;
    // Every drawing that matches, in path order, with its number of matching texts (which may
    // be more than the hits listed).
    struct DrawingCount {
        std::string path;
        std::size_t texts = 0;
    };
    std::vector<DrawingCount> drawings;
    bool truncated = false; // more texts matched than `hits` holds
};

struct SearchScope {
    std::string folder;      // absolute, without a trailing separator
    bool subfolders = false; // the folders below it as well
};

class TextIndex {
  public:
    // The version of the tables this program writes. A file of another version is emptied and
    // its tables made anew: the index is a cache that the drawings can always rebuild.
    static constexpr int SchemaVersion = 1;

    // $XDG_CACHE_HOME/orvanta/texts.sqlite, or ~/.cache/orvanta/texts.sqlite.
    static std::string DefaultFile();

    // Opens the index at `file`, making it and its folder when missing. A file that is not a
    // database, or fails its integrity check, is renamed "<file>.damaged-YYYYMMDD-HHMMSS" (its
    // -wal and -shm beside it likewise) and a new one is made; `movedAside` then names where it
    // went, so that the caller can tell the user once. Throws TextIndexError when no usable
    // index can be opened (a read-only folder, a full disk).
    explicit TextIndex(const std::string& file);
    ~TextIndex();
    TextIndex(const TextIndex&) = delete;
    TextIndex& operator=(const TextIndex&) = delete;

    const std::string& file() const { return file_; }
    // Where a damaged index was moved when this one was opened (or when a call found it damaged
    // and threw Problem::Damaged); empty when none was.
    const std::string& movedAside() const { return movedAside_; }

    // The drawings the index holds in `scope`, in path order.
    std::vector<IndexedFile> files(const SearchScope& scope);

    // Stores the drawings, each replacing what the index held of its path, and removes the
    // paths `gone`, all in one transaction. A drawing keeps at most 16,777,216 texts (the rest
    // are left out). Throws TextIndexError.
    void update(const std::vector<IndexedDrawing>& drawings, const std::vector<std::string>& gone);

    // The texts in `scope` that match `query`. A drawing matches when each word of the query
    // (QueryWords) is found in at least one of its texts; its hits are the texts that hold any
    // of the words. Words of three or more characters are found through the trigram index,
    // shorter ones by scanning the texts. At most `limit` hits are listed. An empty query
    // matches nothing. Throws TextIndexError.
    SearchResult search(const SearchScope& scope, const std::string& query,
                        std::size_t limit = 5000);

  private:
    class Store; // the open database and its prepared statements

    // Moves the damaged file aside and opens a new one in its place.
    void renew();

    std::string file_;
    std::string movedAside_;
    std::unique_ptr<Store> store_; // null when a renewal failed
    std::mutex mutex_;
};

} // namespace orvanta
